// The menu "Pomoc": the user guide (F1), shipped inside the program, and
// "O programie" with the version and the licences.
#include <QAction>
#include <QDialog>
#include <QMenuBar>
#include <QTextBrowser>
#include <QVBoxLayout>

#include "Unit1.h"
#include "application.h"
#include "form_text.h"
#include "qt_linking.h"
#include "ui_Unit1.h"

namespace tav::ui {

void TForm1::SetUpHelpMenu() {
    InitUiResources();
    QMenu* help = menuBar()->addMenu(QStringLiteral("Pomo&c"));
    help->setObjectName(QStringLiteral("Pomoc1"));
    QAction* guide = help->addAction(QStringLiteral("Pomoc"));
    guide->setObjectName(QStringLiteral("PomocTresc"));
    guide->setShortcut(QKeySequence::HelpContents);
    guide->setShortcutContext(Qt::ApplicationShortcut);
    connect(guide, &QAction::triggered, this, &TForm1::PomocTrescClick);
    QAction* about = help->addAction(QStringLiteral("O programie"));
    about->setObjectName(QStringLiteral("Oprogramie"));
    connect(about, &QAction::triggered, this, &TForm1::OprogramieClick);
}

void TForm1::PomocTrescClick() {
    if (helpWindow_ == nullptr) {
        helpWindow_ = new QDialog(this);
        helpWindow_->setObjectName(QStringLiteral("HelpWindow"));
        helpWindow_->setWindowTitle(QStringLiteral("TAV-1000R — pomoc"));
        auto* text = new QTextBrowser(helpWindow_);
        text->setObjectName(QStringLiteral("HelpText"));
        text->setOpenExternalLinks(true);
        text->setSource(QUrl(QStringLiteral("qrc:/tav1000r/pomoc.html")));
        auto* column = new QVBoxLayout(helpWindow_);
        column->addWidget(text);
        helpWindow_->resize(560, 600);
    }
    helpWindow_->show();
    helpWindow_->raise();
    helpWindow_->activateWindow();
}

void TForm1::OprogramieClick() {
    ShowMessage(
        QStringLiteral("TAV-1000R Duzedevezivi %1\n"
                       "Program do konfiguracji odbiornika TAV-1000R.\n\n"
                       "Program korzysta z biblioteki Qt %2 (The Qt Company Ltd. i inni), "
                       "udostępnianej na licencji GNU LGPL w wersji 3. Tekst licencji i kod "
                       "źródłowy Qt: https://www.qt.io/licensing.\n\n%3")
            .arg(QStringLiteral(TAV_VERSION), QString::fromLatin1(qVersion()), QtLinkingNote()),
        QStringLiteral("O programie"));
}

}  // namespace tav::ui
