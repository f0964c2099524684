// tavctl's own words in the user's language: Polish where the user's language
// is Polish (the translation tav1000r_pl.qm is loaded), English otherwise.
// The receiver's own texts ("CAPTION: TEXT") are never translated.
#pragma once

#include <QCoreApplication>
#include <QString>

#include <cstddef>
#include <string>

namespace tav::cli {

// The translation context of tavctl's words ("Tavctl" in the .ts file).
class Tavctl {
    Q_DECLARE_TR_FUNCTIONS(Tavctl)
};

// `text` (already translated) with %1, %2, ... replaced in one pass by `args`
// (UTF-8), as UTF-8.
template <typename... A>
std::string Tr(const QString& text, const A&... args) {
    if constexpr (sizeof...(A) == 0) {
        return text.toStdString();
    } else {
        return text.arg(QString::fromStdString(std::string(args))...).toStdString();
    }
}

// Loads the Polish translation when the user's language is Polish; true when
// tavctl now speaks Polish. Once, after the application is made.
bool LoadUserLanguage();

// True once the Polish translation is in force.
bool SpeaksPolish();

// The user's language is Polish: on POSIX the first of LANGUAGE, LC_ALL,
// LC_MESSAGES and LANG that is set and not empty starts with "pl"; on Windows
// the display language is Polish (user_language_posix.cpp, _win32.cpp).
bool UserLanguageIsPolish();

}  // namespace tav::cli
