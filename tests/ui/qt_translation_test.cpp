// Qt's own texts (file dialogs, their prompts, the standard buttons) in Polish
// once the program's translation is loaded.
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QTranslator>
#include <functional>

#include "ui/application.h"
#include "window_fixture.h"

namespace tav::ui::testing {
namespace {

TEST(QtTranslation, DialogsAndStandardButtonsSpeakPolish) {
    ASSERT_TRUE(LoadQtTranslation(*QCoreApplication::instance()));
    QFileDialog save(nullptr, QStringLiteral("Zapisywanie danych TAV-1000R"));
    save.setOption(QFileDialog::DontUseNativeDialog);
    save.setAcceptMode(QFileDialog::AcceptSave);
    QFileDialog open(nullptr, QStringLiteral("Otwieranie pliku danych"));
    open.setOption(QFileDialog::DontUseNativeDialog);
    const auto dialogButton = [](QFileDialog& d, QDialogButtonBox::StandardButton which) {
        auto* box = d.findChild<QDialogButtonBox*>();
        return box != nullptr && box->button(which) != nullptr ? box->button(which)->text()
                                                               : QString();
    };
    QMessageBox question;
    question.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    const auto boxButton = [&](QMessageBox::StandardButton which) {
        return question.button(which)->text().remove(QLatin1Char('&'));
    };
    struct Row {
        const char* what;
        std::function<QString()> shown;
        const char* polish;
    };
    const Row rows[] = {
        {"save dialog, cancel", [&] { return dialogButton(save, QDialogButtonBox::Cancel); },
         "Anuluj"},
        {"save dialog, save",
         [&] { return dialogButton(save, QDialogButtonBox::Save).remove(QLatin1Char('&')); },
         "Zachowaj"},
        {"open dialog, open",
         [&] { return dialogButton(open, QDialogButtonBox::Open).remove(QLatin1Char('&')); },
         "Otwórz"},
        {"overwrite prompt",
         [] {
             return QCoreApplication::translate("QFileDialog",
                                                "%1 already exists.\nDo you want to replace it?");
         },
         "istnieje"},
        {"Yes", [&] { return boxButton(QMessageBox::Yes); }, "Tak"},
        {"No", [&] { return boxButton(QMessageBox::No); }, "Nie"},
        {"Cancel", [&] { return boxButton(QMessageBox::Cancel); }, "Anuluj"},
    };
    for (const Row& r : rows) {
        EXPECT_TRUE(r.shown().contains(QString::fromUtf8(r.polish)))
            << r.what << ": " << r.shown().toStdString();
    }
    // The other tests see Qt's own English texts again.
    for (QTranslator* t : QCoreApplication::instance()->findChildren<QTranslator*>()) {
        QCoreApplication::removeTranslator(t);
        delete t;
    }
}

}  // namespace
}  // namespace tav::ui::testing
