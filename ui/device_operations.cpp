// The window while a device operation runs and after it: input to the window
// is dropped (not queued), the records moved are marked as the receiver's,
// and closing with edits that went nowhere asks first.
#include <QApplication>
#include <QCloseEvent>
#include <QEvent>
#include <QWindow>
#include <algorithm>

#include "Unit1.h"
#include "link/dispatcher.h"

namespace tav::ui {

void TForm1::RunDeviceOperation(unsigned operation) {
    OperationOutcome outcome = OperationOutcome::Refused;
    RunWithoutInput([&] { outcome = tav::RunDeviceOperation(context_, operation); });
    if (outcome == OperationOutcome::Done) {
        MarkRecordsClean(operation);
    }
}

namespace {

bool IsUserInput(QEvent::Type type) {
    switch (type) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::MouseMove:
        case QEvent::Wheel:
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::Shortcut:
        case QEvent::ShortcutOverride:
        case QEvent::ContextMenu:
        case QEvent::TouchBegin:
        case QEvent::TouchUpdate:
        case QEvent::TouchEnd:
        case QEvent::TabletPress:
        case QEvent::TabletRelease:
        case QEvent::InputMethod:
            return true;
        default:
            return false;
    }
}

// While it lives, the application delivers no mouse or key input to one
// window (its widgets, its platform window, its menus' shortcuts). Other
// windows, such as a message box of the running operation, get theirs.
class InputDropper final : public QObject {
  public:
    explicit InputDropper(QWidget& window) : window_(window) {
        QCoreApplication::instance()->installEventFilter(this);
    }
    ~InputDropper() override { QCoreApplication::instance()->removeEventFilter(this); }
    InputDropper(const InputDropper&) = delete;
    InputDropper& operator=(const InputDropper&) = delete;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (!IsUserInput(event->type())) {
            return false;
        }
        if (const auto* widget = qobject_cast<QWidget*>(watched)) {
            return widget->window() == &window_;
        }
        if (const auto* window = qobject_cast<QWindow*>(watched)) {
            return window == window_.windowHandle();
        }
        // A shortcut goes to its action: dropped while this window is the
        // active one.
        return QApplication::activeWindow() == &window_;
    }

  private:
    QWidget& window_;
};

}  // namespace

void TForm1::RunWithoutInput(const std::function<void()>& work) {
    InputDropper dropper(*this);
    QApplication::setOverrideCursor(Qt::WaitCursor);
    work();
    // What the window system queued meanwhile is delivered now, to the
    // dropper: a click made during the work must not run once it is over.
    // Timers are left for the event loop: a grid's delayed edit, say, is no
    // input and runs when it would have run anyway.
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents(QEventLoop::X11ExcludeTimers);
    QApplication::restoreOverrideCursor();
}

void TForm1::MarkRecordsClean(unsigned operation) {
    // After a transfer its records are the same in the image and the receiver.
    const OperationRecords moved = RecordsOfOperation(operation, selection_.selectedRemote);
    for (int r = moved.first; r <= moved.last; ++r) {
        std::ranges::copy(image_.RecordAt(r), cleanImage_.RecordAt(r).begin());
    }
}

bool TForm1::HasUnsavedEdits() const {
    return timerCellsTyped_.any() || image_ != cleanImage_;
}

void TForm1::closeEvent(QCloseEvent* event) {
    if (FormCloseQuery()) {
        event->accept();
    } else {
        event->ignore();
    }
}

}  // namespace tav::ui
