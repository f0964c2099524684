#include "services.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QSettings>
#include <QStandardPaths>

#include <memory>

#include "link/firmware.h"
#include "link/serial_port.h"

namespace tav::ui {

namespace {

void ShowQtMessage(QWidget* parent, const QString& text, const QString& caption) {
    QMessageBox box(QMessageBox::NoIcon, caption, text, QMessageBox::Ok, parent);
    box.exec();
}

QMessageBox::StandardButton AskQtQuestion(QWidget* parent, const QString& text,
                                          const QString& caption,
                                          QMessageBox::StandardButtons buttons,
                                          QMessageBox::StandardButton preselected) {
    QMessageBox box(QMessageBox::Question, caption, text, buttons, parent);
    box.setDefaultButton(preselected);
    const auto answer = static_cast<QMessageBox::StandardButton>(box.exec());
    return answer == QMessageBox::NoButton ? QMessageBox::Cancel : answer;
}

QString RunFileDialog(QWidget* parent, const FileDialogRequest& request,
                      QFileDialog::AcceptMode mode) {
    QFileDialog dialog(parent, request.title);
    dialog.setAcceptMode(mode);
    dialog.setFileMode(mode == QFileDialog::AcceptOpen ? QFileDialog::ExistingFile
                                                       : QFileDialog::AnyFile);
    if (!request.filter.isEmpty()) {
        dialog.setNameFilter(request.filter);
    }
    dialog.setDefaultSuffix(request.defaultSuffix);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, !request.confirmOverwrite);
    if (!request.directory.isEmpty()) {
        dialog.setDirectory(request.directory);
    }
    if (!request.fileName.isEmpty()) {
        dialog.selectFile(request.fileName);
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return {};
    }
    return dialog.selectedFiles().front();
}

bool PreviewAndPrint(QWidget* parent, const QString& title, const QString& text,
                     const QFont& font) {
    if (QPrinterInfo::availablePrinterNames().isEmpty()) {
        return false;
    }
    QPrinter printer(QPrinter::HighResolution);
    QPrintPreviewDialog preview(&printer, parent);
    preview.setWindowTitle(title);
    QObject::connect(&preview, &QPrintPreviewDialog::paintRequested, &preview,
                     [&](QPrinter* p) { PrintPlainText(*p, title, text, font); });
    preview.exec();
    return true;
}

}  // namespace

WindowServices SystemWindowServices() {
    WindowServices s;
    s.showMessage = ShowQtMessage;
    s.askQuestion = AskQtQuestion;
    s.openFileName = [](QWidget* parent, const FileDialogRequest& r) {
        return RunFileDialog(parent, r, QFileDialog::AcceptOpen);
    };
    s.saveFileName = [](QWidget* parent, const FileDialogRequest& r) {
        return RunFileDialog(parent, r, QFileDialog::AcceptSave);
    };
    s.settings = [] {
        return std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope,
                                           QStringLiteral("TAV"), QStringLiteral("TAV-1000R"));
    };
    s.previewAndPrint = PreviewAndPrint;
    s.localClock = std::make_shared<SystemLocalClock>();
    s.portResolver = std::make_shared<PlatformPortResolver>();
    s.timing = std::make_shared<SystemTiming>();
    s.makePort = [] { return MakePlatformSerialPort(); };
    s.firmware = FirmwareImage();
    return s;
}

WindowServices CompletedWithSystem(WindowServices s) {
    WindowServices system = SystemWindowServices();
    const auto fill = [](auto& member, auto& fallback) {
        if (!member) {
            member = std::move(fallback);
        }
    };
    fill(s.showMessage, system.showMessage);
    fill(s.askQuestion, system.askQuestion);
    fill(s.openFileName, system.openFileName);
    fill(s.saveFileName, system.saveFileName);
    fill(s.previewAndPrint, system.previewAndPrint);
    fill(s.settings, system.settings);
    fill(s.localClock, system.localClock);
    fill(s.portResolver, system.portResolver);
    fill(s.timing, system.timing);
    fill(s.makePort, system.makePort);
    return s;
}

QString DocumentsFolder() {
    return QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
}

bool TFileDialog::Execute() {
    const FileDialogRequest request{Title,
                                    Filter,
                                    DefaultExt,
                                    FileName,
                                    InitialDir.isEmpty() ? DocumentsFolder() : InitialDir,
                                    ConfirmOverwrite};
    // Each use says its own folder; one that says none gets the documents.
    InitialDir.clear();
    const auto& ask = kind_ == Kind::Open ? services_.openFileName : services_.saveFileName;
    if (!ask) {
        return false;
    }
    const QString chosen = ask(parent_, request);
    if (chosen.isEmpty()) {
        return false;
    }
    const QFileInfo info(chosen);
    const bool withoutExtension = !info.fileName().contains(QLatin1Char('.'));
    const bool addExtension =
        !DefaultExt.isEmpty() && withoutExtension && (kind_ == Kind::Save || !info.exists());
    FileName = addExtension ? chosen + QLatin1Char('.') + DefaultExt : chosen;
    return true;
}

}  // namespace tav::ui
