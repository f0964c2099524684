// The menu "Plik": settings files, the older model's files and the firmware
// update.
#include <QAction>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileInfo>
#include <QMenu>
#include <QMimeData>
#include <vector>

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

// The form's filter "Pliki TAV-1000R *.tv2|*.tv2" in Qt's syntax. A name
// typed without an extension takes the filter's "tv2". The open dialog also
// lists "*.tv1", which older saves of a name without extension got.
const QString kSettingsSaveFilter = QStringLiteral("Pliki TAV-1000R *.tv2 (*.tv2)");
const QString kSettingsOpenFilter = QStringLiteral("Pliki TAV-1000R *.tv2 *.tv1 (*.tv2 *.tv1)");
const QString kSettingsExt = QStringLiteral("tv2");
// Each kind of file keeps its own last folder.
const QString kSettingsFolder = QStringLiteral("settings");
const QString kOlderModelFolder = QStringLiteral("tav500");
const QString kReportFolder = QStringLiteral("report");
const QString kOlderModelFilter = QStringLiteral("Pliki TAV-500 *.tvs (*.tvs)");
const QString kOlderModelExt = QStringLiteral("tvs");

// The dump view's start after a load: record 1000, the clock transmitters.
constexpr std::int32_t kDumpAfterLoad = 32000;

std::filesystem::path ToPath(const QString& path) {
    return QFileInfo(path).filesystemFilePath();
}

}  // namespace

void TForm1::SetUpFileMenu() {
    ui_->Plik1->setTitle(QStringLiteral("&Plik"));
    ui_->N2->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    QMenu* menu = ui_->Plik1;
    menu->addSeparator();
    QAction* save = menu->addAction(QStringLiteral("Zapisz"));
    save->setObjectName(QStringLiteral("Zapisz1"));
    save->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    connect(save, &QAction::triggered, this, [this] { SaveSettingsFile(); });
    QAction* saveAs = menu->addAction(FromUtf8("Zapisz jako…"));
    saveAs->setObjectName(QStringLiteral("Zapiszjako1"));
    saveAs->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S));
    connect(saveAs, &QAction::triggered, this, [this] { SaveSettingsFileAs(); });
    recentSeparator_ = menu->addSeparator();
    for (int i = 0; i < kRecentFileCount; ++i) {
        QAction* recent = menu->addAction(QString());
        recent->setObjectName(QStringLiteral("OstatniPlik%1").arg(i + 1));
        connect(recent, &QAction::triggered, this, [this, i] { OpenRecentFile(i); });
        recentActions_.push_back(recent);
    }
    ShowRecentFiles();
    setAcceptDrops(true);
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
    // Read first: a file that is refused needs no question about the edits.
    MemoryImage loaded = image_;
    const SettingsLoadResult result = ReadSettingsFile(loaded, ToPath(path));
    switch (result) {
        case SettingsLoadResult::Loaded:
            break;
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
    const QString name = QFileInfo(path).fileName();
    if (!MayReplaceEdits(0, kRecordCount - 1, FromUtf8("Wczytanie pliku ") + name)) {
        return false;
    }
    BeginReplacement();
    image_ = loaded;
    cleanImage_ = image_;
    settingsFileName_ = path;
    RememberFolder(kSettingsFolder, path);
    AddRecentFile(path);
    RefreshAfterFileRead(kDumpAfterLoad);
    EndReplacement(QStringLiteral("wczytanie pliku ") + name, true);
    ShowOpenFile();
    ShowMessage(FromUtf8(LoadMessage(result).text), FromUtf8(messages::kOk));
    return true;
}

void TForm1::N3Click() {
    SaveSettingsFileAs();
}

bool TForm1::SaveSettingsFileAs() {
    SaveDialog1.Title = QStringLiteral("Zapisywanie danych TAV-1000R");
    SaveDialog1.Filter = kSettingsSaveFilter;
    SaveDialog1.DefaultExt = kSettingsExt;
    // The settings file's own name and folder, never another dialog's.
    SaveDialog1.FileName = QFileInfo(settingsFileName_).fileName();
    SaveDialog1.InitialDir = FolderFor(kSettingsFolder);
    if (!SaveDialog1.Execute()) {
        return false;
    }
    return WriteSettingsFileTo(SaveDialog1.FileName);
}

bool TForm1::SaveSettingsFile() {
    if (settingsFileName_.isEmpty()) {
        return SaveSettingsFileAs();
    }
    return WriteSettingsFileTo(settingsFileName_);
}

bool TForm1::WriteSettingsFileTo(const QString& path) {
    // What the user typed into the timer grid belongs to the image saved.
    TakeTypedTimers();
    RecordEdits();
    // Any failure leaves an old file of that name as it was, or says so.
    if (WriteSettingsFile(image_, ToPath(path)) != SettingsSaveResult::Saved) {
        ShowMessage(FromUtf8(messages::kSaveFailed), FromUtf8(messages::kError));
        return false;
    }
    cleanImage_ = image_;
    settingsFileName_ = path;
    RememberFolder(kSettingsFolder, path);
    AddRecentFile(path);
    ShowOpenFile();
    ShowStatusMessage(QStringLiteral("Zapisano ") + QDir::toNativeSeparators(path));
    return true;
}

void TForm1::N2Click() {
    OpenDialog1.Title = QStringLiteral("Otwieranie pliku danych");
    OpenDialog1.Filter = kSettingsOpenFilter;
    OpenDialog1.DefaultExt = kSettingsExt;
    OpenDialog1.FileName.clear();
    OpenDialog1.InitialDir = FolderFor(kSettingsFolder);
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
    OpenDialog1.FileName.clear();
    OpenDialog1.InitialDir = FolderFor(kOlderModelFolder);
    if (OpenDialog1.Execute()) {
        ImportOlderModel(OpenDialog1.FileName);
    }
}

bool TForm1::ImportOlderModel(const QString& path) {
    // One that cannot be opened is passed over without a message.
    QFile file(path);
    if (QFileInfo(path).isDir() || !file.open(QIODevice::ReadOnly)) {
        return false;
    }
    const QByteArray head = file.read(static_cast<qint64>(kOlderModelReadBytes));
    const std::span<const std::uint8_t> data(
        reinterpret_cast<const std::uint8_t*>(head.constData()),
        static_cast<std::size_t>(head.size()));
    const OlderModelFileCheck check =
        CheckOlderModelFile(data, static_cast<std::uintmax_t>(file.size()));
    file.close();
    RememberFolder(kOlderModelFolder, path);
    if (check.problem != OlderModelFileCheck::Problem::kNone) {
        QString reason;
        if (check.problem == OlderModelFileCheck::Problem::kWrongSize) {
            reason = FromUtf8("ma %1 bajtów, a plik TAV-500 ma od %2 do %3 bajtów")
                         .arg(check.size)
                         .arg(kOlderModelUsedBytes)
                         .arg(kOlderModelReadBytes);
        } else {
            reason =
                FromUtf8("piloty %1 i %2 mają ten sam numer seryjny, czego TAV-500 nie zapisuje")
                    .arg(check.first + 1)
                    .arg(check.second + 1);
        }
        ShowMessage(QStringLiteral("Plik ") + QDir::toNativeSeparators(path) +
                        FromUtf8(" nie jest plikiem TAV-500: ") + reason +
                        FromUtf8(". Niczego nie zmieniono."),
                    FromUtf8(messages::kError));
        return false;
    }
    // The import rewrites the serial numbers (and scenarios) of the first
    // 500 slots; names there stay.
    if (!MayReplaceEdits(0, kOlderModelEntries - 1, FromUtf8("Import pliku z TAV-500"), 4)) {
        return false;
    }
    BeginReplacement();
    ImportOlderModelEntries(image_, data);
    RefreshAfterFileRead(0);
    EndReplacement(QStringLiteral("import pliku ") + QFileInfo(path).fileName(), false);
    return true;
}

void TForm1::AddRecentFile(const QString& path) {
    const QString full = QFileInfo(path).absoluteFilePath();
    recentFiles_.removeAll(full);
    recentFiles_.prepend(full);
    while (recentFiles_.size() > kRecentFileCount) {
        recentFiles_.removeLast();
    }
    ShowRecentFiles();
}

void TForm1::ShowRecentFiles() {
    if (recentSeparator_ == nullptr) {
        return;
    }
    recentSeparator_->setVisible(!recentFiles_.isEmpty());
    for (int i = 0; i < static_cast<int>(recentActions_.size()); ++i) {
        QAction* action = recentActions_[static_cast<std::size_t>(i)];
        const bool used = i < recentFiles_.size();
        action->setVisible(used);
        if (used) {
            const QString path = recentFiles_.at(i);
            action->setText(QStringLiteral("&%1 %2").arg(i + 1).arg(QFileInfo(path).fileName()));
            action->setStatusTip(QDir::toNativeSeparators(path));
            action->setToolTip(QDir::toNativeSeparators(path));
        }
    }
}

void TForm1::OpenRecentFile(int index) {
    if (index < 0 || index >= recentFiles_.size()) {
        return;
    }
    const QString path = recentFiles_.at(index);
    if (!QFileInfo(path).isFile()) {
        recentFiles_.removeAt(index);
        ShowRecentFiles();
        ShowMessage(QStringLiteral("Pliku ") + QDir::toNativeSeparators(path) +
                        FromUtf8(" już nie ma; usunięto go z listy ostatnich plików."),
                    FromUtf8(messages::kError));
        return;
    }
    LoadSettingsFile(path);
}

namespace {

// The one local file a drag carries, or an empty string.
QString DraggedFile(const QMimeData* data) {
    if (data == nullptr || !data->hasUrls() || data->urls().size() != 1 ||
        !data->urls().front().isLocalFile()) {
        return {};
    }
    const QString path = data->urls().front().toLocalFile();
    const QString suffix = QFileInfo(path).suffix().toLower();
    return suffix == QLatin1String("tv2") || suffix == QLatin1String("tv1") ||
                   suffix == QLatin1String("tvs")
               ? path
               : QString();
}

}  // namespace

void TForm1::dragEnterEvent(QDragEnterEvent* event) {
    if (!operationRunning_ && !DraggedFile(event->mimeData()).isEmpty()) {
        event->acceptProposedAction();
    }
}

void TForm1::dropEvent(QDropEvent* event) {
    const QString path = DraggedFile(event->mimeData());
    if (operationRunning_ || path.isEmpty()) {
        return;
    }
    event->acceptProposedAction();
    DropFile(path);
}

void TForm1::DropFile(const QString& path) {
    if (QFileInfo(path).suffix().toLower() == QLatin1String("tvs")) {
        ImportOlderModel(path);
    } else {
        LoadSettingsFile(path);
    }
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
    SavePagesAsPdf(
        {.dialogTitle = FromUtf8("Zapisywanie raportu konfiguracji"),
         .fileName = QString::asprintf("raport-%04d-%02d-%02d.pdf", now.year, now.month, now.day),
         .folder = kReportFolder,
         .title = title,
         .text = text,
         .font = print::ReportFont(),
         .printedAt = source.at});
}

void TForm1::AktualizujoprogramowaniewTAV1000U1Click() {
    if (context_.firmware.empty()) {
        return;  // the item is disabled; nothing to send
    }
    ShowMessage(FromUtf8(messages::kFirmwareWarning), FromUtf8(messages::kWarning));
    RunDeviceOperation(kUpdateFirmware);
}

}  // namespace tav::ui
