// Small text helpers the window's files share.
#pragma once

#include <QLabel>
#include <QString>
#include <string_view>

namespace tav::ui {

// UTF-8 texts of the core (messages, relay mode names) as the window shows them.
inline QString FromUtf8(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// A greyed button says in its tooltip why it is greyed: one that works only
// while reception is on, one that does not while it is; and the finder's own.
inline constexpr char kOnlyOnline[] =
    "Dostępne podczas odbierania zdarzeń on-line: najpierw rozpocznij odbieranie zdarzeń.";
inline constexpr char kBusyOnline[] =
    "Niedostępne podczas odbierania zdarzeń on-line: port jest zajęty. Najpierw zakończ "
    "odbieranie zdarzeń.";
inline constexpr char kFindTip[] =
    "Pyta o wersję na każdym obecnym porcie i wybiera ten, na którym odpowiada TAV-1000R.";

// A label keeps the size of its text, as the form's labels do.
inline void SetCaption(QLabel* label, const QString& text) {
    label->setText(text);
    label->adjustSize();
}

}  // namespace tav::ui
