#include "services.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QPlainTextDocumentLayout>
#include <QPrinter>
#include <QTextDocument>

#include "link/firmware.h"
#include "link/serial_port.h"

namespace tav::ui {

namespace {

void ShowQtMessage(QWidget* parent, const QString& text, const QString& caption) {
    QMessageBox box(QMessageBox::NoIcon, caption, text, QMessageBox::Ok, parent);
    box.exec();
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
    if (!request.fileName.isEmpty()) {
        dialog.selectFile(request.fileName);
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return {};
    }
    return dialog.selectedFiles().front();
}

bool PrintOnDefaultPrinter(const QString& title, const QString& text) {
    QPrinter printer;
    if (!printer.isValid()) {
        return false;
    }
    printer.setDocName(title);
    QTextDocument document;
    document.setDocumentLayout(new QPlainTextDocumentLayout(&document));
    QFont font("Courier New", 9);
    font.setStyleHint(QFont::Monospace);
    document.setDefaultFont(font);
    document.setPlainText(text);
    document.print(&printer);
    return true;
}

}  // namespace

WindowServices SystemWindowServices() {
    WindowServices s;
    s.showMessage = ShowQtMessage;
    s.openFileName = [](QWidget* parent, const FileDialogRequest& r) {
        return RunFileDialog(parent, r, QFileDialog::AcceptOpen);
    };
    s.saveFileName = [](QWidget* parent, const FileDialogRequest& r) {
        return RunFileDialog(parent, r, QFileDialog::AcceptSave);
    };
    s.printText = PrintOnDefaultPrinter;
    s.localClock = std::make_shared<SystemLocalClock>();
    s.portResolver = std::make_shared<PlatformPortResolver>();
    s.timing = std::make_shared<SystemTiming>();
    s.makePort = [] { return MakePlatformSerialPort(); };
    s.firmware = FirmwareImage();
    return s;
}

bool TFileDialog::Execute() {
    const FileDialogRequest request{Title, Filter, DefaultExt, FileName};
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
