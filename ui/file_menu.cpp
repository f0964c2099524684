// The menu "Plik": settings files, the older model's files and the firmware
// update.
#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QMenu>

#include "Unit1.h"
#include "form_text.h"
#include "image/older_model_import.h"
#include "image/settings_file.h"
#include "link/dispatcher.h"
#include "link/messages.h"
#include "print/configuration_report.h"
#include "ui_Unit1.h"

namespace tav::ui {

namespace {

// The form's filter "Pliki TAV-1000R *.tv2|*.tv2" in Qt's syntax. The open
// dialog also lists "*.tv1": the default extension "tv1" is what a name typed
// without one gets, and such files must be found again.
const QString kSettingsSaveFilter = QStringLiteral("Pliki TAV-1000R *.tv2 (*.tv2)");
const QString kSettingsOpenFilter = QStringLiteral("Pliki TAV-1000R *.tv2 *.tv1 (*.tv2 *.tv1)");
const QString kSettingsExt = QStringLiteral("tv1");
const QString kOlderModelFilter = QStringLiteral("Pliki TAV-500 *.tvs (*.tvs)");
const QString kOlderModelExt = QStringLiteral("tvs");

// The dump view's start after a load: record 1000, the clock transmitters.
constexpr std::int32_t kDumpAfterLoad = 32000;

std::filesystem::path ToPath(const QString& path) {
    return QFileInfo(path).filesystemFilePath();
}

}  // namespace

void TForm1::SetUpFileMenu() {
    context_.firmware = services_.firmware;
    QAction* update = ui_->AktualizujOpr;
    if (context_.firmware.empty()) {
        const QString why =
            QStringLiteral("Ta wersja programu nie zawiera oprogramowania TAV-1000R");
        update->setEnabled(false);
        update->setStatusTip(why);
        update->setToolTip(why);
        // A disabled item has no other way to say why.
        ui_->Plik1->setToolTipsVisible(true);
    }
}

void TForm1::RefreshAfterFileRead(std::int32_t dumpStart) {
    SetDumpStart(dumpStart);
    RefreshDumpView();
    RefreshRemoteGrid();
    RefreshScenarioPage();
    RefreshSettingsPage();
    update();
}

void TForm1::ShowCannotOpen(const QString& path) {
    ShowMessage(QStringLiteral("Nie można otworzyć pliku ") + QDir::toNativeSeparators(path),
                FromUtf8(messages::kError));
}

bool TForm1::LoadSettingsFile(const QString& path, bool sayWhenCannotOpen) {
    const QString error = FromUtf8(messages::kError);
    switch (const SettingsLoadResult result = ReadSettingsFile(image_, ToPath(path))) {
        case SettingsLoadResult::Loaded:
            cleanImage_ = image_;
            settingsFileName_ = path;
            RefreshAfterFileRead(kDumpAfterLoad);
            ShowMessage(FromUtf8(LoadMessage(result).text), FromUtf8(messages::kOk));
            return true;
        case SettingsLoadResult::CannotOpen:
            if (sayWhenCannotOpen) {
                ShowCannotOpen(path);
            }
            return false;
        case SettingsLoadResult::WrongType:
        case SettingsLoadResult::UnsupportedVersion:
        case SettingsLoadResult::Incomplete:
            ShowMessage(FromUtf8(LoadMessage(result).text), error);
            return false;
    }
    return false;
}

void TForm1::N3Click() {
    SaveSettingsFileAs();
}

bool TForm1::SaveSettingsFileAs() {
    SaveDialog1.Title = QStringLiteral("Zapisywanie danych TAV-1000R");
    SaveDialog1.Filter = kSettingsSaveFilter;
    SaveDialog1.DefaultExt = kSettingsExt;
    if (!SaveDialog1.Execute()) {
        return false;
    }
    // What the user typed into the timer grid belongs to the image saved.
    TakeTypedTimers();
    // Any failure leaves an old file of that name as it was, or says so.
    if (WriteSettingsFile(image_, ToPath(SaveDialog1.FileName)) != SettingsSaveResult::Saved) {
        ShowMessage(FromUtf8(messages::kSaveFailed), FromUtf8(messages::kError));
        return false;
    }
    cleanImage_ = image_;
    settingsFileName_ = SaveDialog1.FileName;
    return true;
}

bool TForm1::FormCloseQuery() {
    // Typed timer cells count as edits once they are read into the image.
    TakeTypedTimers();
    if (!HasUnsavedEdits()) {
        return true;
    }
    const auto answer = services_.askQuestion(
        this,
        FromUtf8("Zmiany ustawień nie zostały zapisane do pliku ani wysłane do TAV-1000R.\n\n"
                 "Czy zapisać je do pliku przed zamknięciem programu?"),
        FromUtf8("UWAGA!"), QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel,
        QMessageBox::Yes);
    switch (answer) {
        case QMessageBox::Yes:
            // A cancelled dialog or a failed save keeps the window and its edits.
            return SaveSettingsFileAs();
        case QMessageBox::No:
            return true;
        default:
            return false;
    }
}

void TForm1::N2Click() {
    OpenDialog1.Title = QStringLiteral("Otwieranie pliku danych");
    OpenDialog1.Filter = kSettingsOpenFilter;
    OpenDialog1.DefaultExt = kSettingsExt;
    // A file chosen in the dialog that cannot be opened is passed over
    // without a message.
    if (OpenDialog1.Execute()) {
        LoadSettingsFile(OpenDialog1.FileName, false);
    }
}

void TForm1::ImportujplikzTAV5001Click() {
    OpenDialog1.Title = QStringLiteral("Otwieranie pliku danych");
    OpenDialog1.Filter = kOlderModelFilter;
    OpenDialog1.DefaultExt = kOlderModelExt;
    if (!OpenDialog1.Execute()) {
        return;
    }
    // Any file that opens is taken: the older model's files carry no mark.
    // One that cannot be opened is passed over without a message.
    if (ImportOlderModelFile(image_, ToPath(OpenDialog1.FileName)) !=
        OlderModelImportResult::Imported) {
        return;
    }
    RefreshAfterFileRead(0);
}

void TForm1::Raportkonfiguracji1Click() {
    // What the user typed into the timer grid belongs to the configuration.
    TakeTypedTimers();
    const LocalDateTime now = services_.localClock->Now();
    print::ReportSource source;
    source.file = QDir::toNativeSeparators(settingsFileName_);
    source.version = ui_->StaticText1->text();
    if (!source.version.isEmpty()) {
        source.port = ui_->ComboBox1->currentText();
    }
    source.at =
        QDateTime(QDate(now.year, now.month, now.day), QTime(now.hour, now.minute, now.second));
    const QString title = print::ConfigurationReportTitle();
    const QString text = print::ConfigurationReportText(image_, source);
    const auto answer = services_.askQuestion(
        this,
        FromUtf8("Tak: podgląd wydruku, z którego raport idzie do drukarki.\n"
                 "Nie: zapis raportu do pliku PDF."),
        title, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, QMessageBox::Yes);
    if (answer == QMessageBox::Yes &&
        services_.previewAndPrint(this, title, text, print::ReportFont())) {
        return;
    }
    if (answer == QMessageBox::Yes) {
        // No printer: the same pages can still go into a PDF file.
        ShowMessage(FromUtf8("Brak dostępnej drukarki: raport można zapisać do pliku PDF."),
                    FromUtf8(messages::kError));
    } else if (answer != QMessageBox::No) {
        return;
    }
    SaveDialog1.Title = FromUtf8("Zapisywanie raportu konfiguracji");
    SaveDialog1.Filter = QStringLiteral("Pliki PDF *.pdf (*.pdf)");
    SaveDialog1.DefaultExt = QStringLiteral("pdf");
    SaveDialog1.FileName =
        QString::asprintf("raport-%04d-%02d-%02d.pdf", now.year, now.month, now.day);
    if (!SaveDialog1.Execute()) {
        return;
    }
    if (!print::PrintPlainTextToPdf(SaveDialog1.FileName, title, text, print::ReportFont(),
                                    source.at)) {
        ShowMessage(
            FromUtf8("Nie można zapisać pliku ") + QDir::toNativeSeparators(SaveDialog1.FileName),
            FromUtf8(messages::kError));
    }
}

void TForm1::AktualizujoprogramowaniewTAV1000U1Click() {
    if (context_.firmware.empty()) {
        return;  // the item is disabled; nothing to send
    }
    ShowMessage(FromUtf8(messages::kFirmwareWarning), FromUtf8(messages::kWarning));
    RunDeviceOperation(kUpdateFirmware);
}

}  // namespace tav::ui
