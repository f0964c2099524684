// The window's status bar and title: the open settings file, whether the
// image holds edits that went nowhere, and short messages ("Zapisano ...").
// Permanent fields: the selected port's state, the last device operation's
// result and time, the open file.
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QStatusBar>

#include "Unit1.h"
#include "form_text.h"
#include "link/dispatcher.h"
#include "ui_Unit1.h"

namespace tav::ui {

namespace {

// How long a transient message stays, in milliseconds.
constexpr int kStatusMessageTime = 8000;

// The device operations as the status bar names them.
QString OperationName(unsigned operation) {
    switch (operation) {
        case kReadSelectedRemote:
            return FromUtf8("Odczyt pilota");
        case kReadAllMemory:
            return FromUtf8("Odczyt wszystkich ustawień");
        case kWriteSelectedRemote:
            return FromUtf8("Zapis pilota");
        case kWriteAllMemory:
            return FromUtf8("Zapis wszystkich ustawień");
        case kWriteScenarios:
            return FromUtf8("Zapis scenariuszy");
        case kReadScenarios:
            return FromUtf8("Odczyt scenariuszy");
        case kSetClock:
            return FromUtf8("Ustawienie zegara");
        case kEraseMemory:
            return FromUtf8("Kasowanie pamięci");
        case kWriteDisplaySettings:
            return FromUtf8("Zapis ustawień wyświetlacza");
        case kReadDisplaySettings:
            return FromUtf8("Odczyt ustawień wyświetlacza");
        case kWriteClockEvents:
            return FromUtf8("Zapis zdarzeń zegarowych");
        case kReadClockEvents:
            return FromUtf8("Odczyt zdarzeń zegarowych");
        case kUpdateFirmware:
            return FromUtf8("Aktualizacja oprogramowania");
        default:
            return FromUtf8("Operacja ") + QString::number(operation);
    }
}

QString OutcomeWords(const OperationOutcome& outcome) {
    switch (outcome.kind) {
        case OperationOutcome::Done:
            return FromUtf8("zakończono");
        case OperationOutcome::Refused:
            return FromUtf8("nie rozpoczęto");
        case OperationOutcome::Failed:
            return FromUtf8("błąd po ") + QString::number(outcome.done) + QStringLiteral(" z ") +
                   QString::number(outcome.total);
        case OperationOutcome::Stopped:
            return FromUtf8("przerwano po ") + QString::number(outcome.done) +
                   QStringLiteral(" z ") + QString::number(outcome.total);
    }
    return {};
}

}  // namespace

QString WindowCaption() {
    return QStringLiteral("TAV-1000R Duzedevezivi v") + QStringLiteral(TAV_VERSION);
}

void TForm1::SetUpStatusBar() {
    QStatusBar* bar = statusBar();
    bar->setObjectName(QStringLiteral("StatusBar1"));
    bar->setSizeGripEnabled(false);
    portStateText_ = AddStatusField(QStringLiteral("PortStateText"));
    lastOperationText_ = AddStatusField(QStringLiteral("LastOperationText"));
    openFileText_ = AddStatusField(QStringLiteral("OpenFileText"));
    connect(ui_->ComboBox1, &QComboBox::currentIndexChanged, this, &TForm1::ShowPortState);
    ShowOpenFile();
}

void TForm1::ShowPortState() {
    if (portStateText_ == nullptr) {
        return;  // before the bar is there
    }
    const QString port = ui_->ComboBox1->currentText();
    QString state;
    if (operationRunning_) {
        state = FromUtf8("w użyciu");
    } else if (onlineReceptionActive_) {
        state = FromUtf8("odbieranie zdarzeń");
    } else if (const int index = SelectedPortIndex();
               index >= 0 && services_.portResolver->DevicePath(index)) {
        state = FromUtf8("urządzenie podłączone");
    } else {
        state = FromUtf8("brak urządzenia");
    }
    portStateText_->setText(port + QStringLiteral(": ") + state);
}

void TForm1::ShowLastOperation(unsigned operation, const OperationOutcome& outcome) {
    const LocalDateTime at = services_.localClock->Now();
    lastOperationText_->setText(
        OperationName(operation) + QStringLiteral(": ") + OutcomeWords(outcome) +
        QString::asprintf(" (%02d:%02d:%02d)", at.hour, at.minute, at.second));
}

QLabel* TForm1::AddStatusField(const QString& objectName) {
    auto* field = new QLabel(statusBar());
    field->setObjectName(objectName);
    // A few pixels to spare: Windows' hinted glyphs can come out wider than
    // the label was measured for, and the last field ends at the window's edge.
    field->setContentsMargins(2, 0, 4, 0);
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
