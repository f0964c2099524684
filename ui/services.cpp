#include "services.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QPainter>
#include <QPrinter>
#include <QTextLayout>

#include <algorithm>

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

bool PrintOnDefaultPrinter(const QString& title, const QString& text, const QFont& font) {
    QPrinter printer;
    if (!printer.isValid()) {
        return false;
    }
    return PrintPlainText(printer, title, text, font);
}

}  // namespace

bool PrintPlainText(QPrinter& printer, const QString& title, const QString& text,
                    const QFont& font) {
    printer.setDocName(title);
    QFont printed = font;
    if (printed.pointSizeF() <= 0 && printed.pixelSize() > 0) {
        // A size in screen pixels would come out tiny on paper: points it is.
        printed.setPointSizeF(printed.pixelSize() * 72.0 / 96.0);
    }
    QPainter painter;
    if (!painter.begin(&printer)) {
        return false;
    }
    printed = QFont(printed, &printer);
    painter.setFont(printed);
    // The painter's origin is the top left corner of the printable area.
    const qreal width = printer.width();
    const qreal height = printer.height();
    const qreal spacing = QFontMetricsF(printed, &printer).lineSpacing();
    qreal y = 0;
    const auto room = [&](qreal needed) {
        if (y > 0 && y + needed > height) {
            printer.newPage();
            y = 0;
        }
    };
    for (const QString& line : text.split(QLatin1Char('\n'))) {
        QTextLayout layout(line, printed, &printer);
        layout.beginLayout();
        for (QTextLine l = layout.createLine(); l.isValid(); l = layout.createLine()) {
            l.setLineWidth(width);
        }
        layout.endLayout();
        if (layout.lineCount() == 0) {
            room(spacing);
            y += spacing;
            continue;
        }
        for (int i = 0; i < layout.lineCount(); ++i) {
            const QTextLine l = layout.lineAt(i);
            const qreal lineHeight = std::max(spacing, l.height());
            room(lineHeight);
            l.draw(&painter, QPointF(0, y) - l.position());
            y += lineHeight;
        }
    }
    return painter.end();
}

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
