// The window's status bar and title: the open settings file, whether the
// image holds edits that went nowhere, and short messages ("Zapisano ...").
// Further permanent fields (the port's state, the last operation) go in
// through AddStatusField.
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QStatusBar>

#include "Unit1.h"
#include "form_text.h"
#include "ui_Unit1.h"

namespace tav::ui {

namespace {

// How long a transient message stays, in milliseconds.
constexpr int kStatusMessageTime = 8000;

}  // namespace

QString WindowCaption() {
    return QStringLiteral("TAV-1000R Duzedevezivi v") + QStringLiteral(TAV_VERSION);
}

void TForm1::SetUpStatusBar() {
    QStatusBar* bar = statusBar();
    bar->setObjectName(QStringLiteral("StatusBar1"));
    bar->setSizeGripEnabled(false);
    openFileText_ = AddStatusField(QStringLiteral("OpenFileText"));
    ShowOpenFile();
}

QLabel* TForm1::AddStatusField(const QString& objectName) {
    auto* field = new QLabel(statusBar());
    field->setObjectName(objectName);
    statusBar()->addPermanentWidget(field);
    return field;
}

void TForm1::ShowOpenFile() {
    const QString caption = WindowCaption();
    if (settingsFileName_.isEmpty()) {
        setWindowTitle(caption + QStringLiteral("[*]"));
        openFileText_->setText(FromUtf8("Plik: (żaden)"));
        openFileText_->setToolTip(QString());
    } else {
        setWindowTitle(QFileInfo(settingsFileName_).fileName() + QStringLiteral("[*] — ") +
                       caption);
        openFileText_->setText(QStringLiteral("Plik: ") + QFileInfo(settingsFileName_).fileName());
        openFileText_->setToolTip(QDir::toNativeSeparators(settingsFileName_));
    }
    ShowModified();
}

void TForm1::ShowModified() {
    setWindowModified(HasUnsavedEdits());
}

void TForm1::ShowStatusMessage(const QString& text) {
    statusBar()->showMessage(text, kStatusMessageTime);
}

}  // namespace tav::ui
