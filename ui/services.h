// The window's outside world: message boxes, file dialogs, the printer, the
// local clock and the serial ports. The program fills it with the real ones;
// tests put recorders and scripted answers in their place.
#pragma once

#include <QDateTime>
#include <QMessageBox>
#include <QString>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>

#include "link/port_resolver.h"
#include "link/serial_link.h"
#include "link/timing.h"
#include "print/page_print.h"

class QFont;
class QPrinter;
class QSettings;
class QWidget;

namespace tav::ui {

struct FileDialogRequest {
    QString title;
    QString filter;         // "Opis (*.tv2)", several separated by ";;"
    QString defaultSuffix;  // without the dot
    QString fileName;       // proposed name
    QString directory;      // the folder the dialog opens in
    // The toolkit's own question before a chosen file is replaced; off
    // where the handler never replaces a file and says so itself.
    bool confirmOverwrite = true;
};

struct WindowServices {
    // A modal message box with an OK button only.
    std::function<void(QWidget* parent, const QString& text, const QString& caption)> showMessage;
    // A modal question with the standard `buttons`, `preselected` the default
    // one; the button pressed (Escape or closing it: the No or Cancel button).
    std::function<QMessageBox::StandardButton(
        QWidget* parent, const QString& text, const QString& caption,
        QMessageBox::StandardButtons buttons, QMessageBox::StandardButton preselected)>
        askQuestion;
    // The chosen path, or an empty string when the user cancelled.
    std::function<QString(QWidget* parent, const FileDialogRequest&)> openFileName;
    std::function<QString(QWidget* parent, const FileDialogRequest&)> saveFileName;
    // Shows the pages of `text` (laid out as PrintPlainText lays them out) in
    // a print preview, from which the print dialog (printer, pages, copies)
    // prints them; false when there is no printer to print on.
    std::function<bool(QWidget* parent, const QString& title, const QString& text,
                       const QFont& font)>
        previewAndPrint;

    // Where the window keeps what it remembers between runs (the port, the
    // folders, its place, the recent files): the user's settings (the
    // registry on Windows, ~/.config on Linux) unless replaced.
    std::function<std::unique_ptr<QSettings>()> settings;

    std::shared_ptr<LocalClock> localClock;
    std::shared_ptr<const PortResolver> portResolver;
    std::shared_ptr<Timing> timing;
    SerialLink::PortFactory makePort;

    // The firmware image the update menu item sends; empty: this build carries
    // none and the item is disabled. Not taken from SystemWindowServices when
    // left empty. The bytes must outlive the window.
    std::span<const std::uint8_t> firmware;
};

// The printed pages' layout, shared with tavctl.
using print::kPrintMarginMm;
using print::PrintPlainText;
using print::PrintPlainTextToPdf;

// Qt's dialogs, the default printer, the computer's clock and the platform's
// serial ports.
WindowServices SystemWindowServices();

// `given` with each member it leaves empty taken from SystemWindowServices(),
// except the firmware image.
WindowServices CompletedWithSystem(WindowServices given);

// The user's documents folder, where a file dialog opens first.
QString DocumentsFolder();

// A file dialog of the window: the using handler sets its title, filter and
// default extension before each Execute(), as with the form's own dialogs.
class TFileDialog {
  public:
    enum class Kind { Open, Save };
    TFileDialog(Kind kind, const WindowServices& services, QWidget* parent)
        : kind_(kind), services_(services), parent_(parent) {}

    QString Title;
    QString Filter;
    QString DefaultExt;
    QString FileName;
    // The folder the next Execute() opens in; empty: the user's documents
    // folder, never the program's own. Each Execute() uses it up.
    QString InitialDir;
    bool ConfirmOverwrite = true;

    // True when the user chose a file; FileName then holds it. A name chosen
    // without an extension gets DefaultExt, as the toolkit's own dialog adds
    // it (whether the dialog did so or not): always when saving, and when
    // opening unless a file of the name as typed exists.
    bool Execute();

  private:
    Kind kind_;
    const WindowServices& services_;
    QWidget* parent_;
};

}  // namespace tav::ui
