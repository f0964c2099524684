#include "translation.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

#include <memory>

namespace tav::print {

QTranslator* InstallToolTranslation() {
    QCoreApplication* app = QCoreApplication::instance();
    if (app == nullptr) {
        return nullptr;
    }
    const QString name = QStringLiteral("tav1000r_pl");
    for (const QString& dir :
         {QCoreApplication::applicationDirPath(),
          QLibraryInfo::path(QLibraryInfo::TranslationsPath), QStringLiteral(":/i18n")}) {
        auto translator = std::make_unique<QTranslator>(app);
        if (translator->load(name, dir) && QCoreApplication::installTranslator(translator.get())) {
            return translator.release();  // the application owns it
        }
    }
    return nullptr;
}

}  // namespace tav::print
