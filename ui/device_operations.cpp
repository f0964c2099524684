// The window while a device operation runs and after it: the operation on a
// thread of its own with the event loop running, input to the window dropped
// (not queued) except the stop control, the records read taken into the
// image, the records moved marked as the receiver's, and closing with edits
// that went nowhere asks first.
#include <QApplication>
#include <QCloseEvent>
#include <QEvent>
#include <QEventLoop>
#include <QKeyEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QWindow>
#include <algorithm>
#include <thread>

#include "Unit1.h"
#include "form_text.h"
#include "link/dispatcher.h"
#include "link/messages.h"
#include "link/operation_report.h"
#include "ui_Unit1.h"

namespace tav::ui {

namespace {

bool Overlaps(int first, int last, int from, int to) {
    return first <= to && last >= from;
}

}  // namespace

void TForm1::RunDeviceOperation(unsigned operation) {
    if (operationRunning_) {
        return;
    }
    const OperationRecords moved = RecordsOfOperation(operation, selection_.selectedRemote);
    // A read replaces what it reads: edits there that went nowhere are asked
    // about first (reception refuses the read anyway).
    if (moved.access == RecordAccess::kRead && !onlineReceptionActive_ &&
        !MayReplaceEdits(moved.first, moved.last, FromUtf8("Odczyt z TAV-1000R"))) {
        return;
    }
    // The operation works on a copy: the window keeps showing (and its
    // reloads keep reading) the image, which a stopped read leaves as it was.
    workImage_ = image_;
    recordsRead_.clear();
    DeviceContext work{link_,
                       workImage_,
                       host_,
                       *services_.localClock,
                       SelectedPortIndex(),
                       selection_.selectedRemote,
                       onlineReceptionActive_,
                       context_.version,
                       context_.firmware};
    OperationOutcome outcome;
    runningOperation_ = operation;
    RunWithoutInput([&] { outcome = tav::RunDeviceOperation(work, operation); });
    runningOperation_ = 0;
    ShowLastOperation(operation, outcome);
    context_.version = work.version;
    if (moved.access == RecordAccess::kRead && outcome != OperationOutcome::Stopped) {
        // A read that failed part-way keeps what arrived whole; the pages
        // built from several records are redrawn only after a whole read.
        const bool whole = outcome == OperationOutcome::Done || operation == kReadAllMemory;
        ReadPages pages{};
        BeginReplacement();
        for (const auto& [first, last] : recordsRead_) {
            TakeReadRecords(first, last);
            pages.remotes |= first < kRemoteCount;
            pages.scenarios |=
                whole && Overlaps(first, last, kFirstScenarioRecord, kLastScenarioGroupRecord);
            pages.clockEvents |=
                whole && Overlaps(first, last, kFirstClockTransmitterRecord, kClockEventRecord);
        }
        pages.selectedRemote =
            operation == kReadSelectedRemote && outcome == OperationOutcome::Done;
        ShowReadRecords(pages);
        EndReplacement(FromUtf8("odczyt z TAV-1000R"),
                       operation == kReadAllMemory && outcome == OperationOutcome::Done);
    } else if (moved.access == RecordAccess::kWrite) {
        // Only the records that went through are the receiver's now.
        const int done = outcome == OperationOutcome::Done ? moved.Count() : outcome.done;
        MarkRecordsClean(moved.first, moved.first + done - 1);
    }
}

void TForm1::NoteRecordsRead(int first, int last) {
    recordsRead_.emplace_back(first, last);
}

void TForm1::TakeReadRecords(int first, int last) {
    for (int r = first; r <= last; ++r) {
        std::ranges::copy(workImage_.RecordAt(r), image_.RecordAt(r).begin());
    }
    MarkRecordsClean(first, last);
}

void TForm1::ShowReadRecords(const ReadPages& pages) {
    if (pages.remotes) {
        RefreshRemoteGrid();
    }
    if (pages.selectedRemote) {
        ShowSelectedRemote();
    }
    if (pages.scenarios) {
        RefreshScenarioPage();
    }
    if (pages.clockEvents) {
        ShowClockEvents();
    }
    ShowDisplaySettings();
    RefreshDumpView();
    update();
}

void TForm1::ShowProgress(const OperationProgress& progress) {
    QProgressBar& bar = *ui_->ProgressBar1;
    if (!progress.Active()) {
        bar.setRange(0, 100);
        bar.setValue(0);
        progressText_->clear();
        return;
    }
    if (bar.minimum() != progress.minimum || bar.maximum() != progress.maximum) {
        bar.setRange(progress.minimum, progress.maximum);
    }
    progressText_->setText(FromUtf8(ProgressText(progress)));
    bar.setValue(progress.position);
}

void TForm1::ShowVersionText(const QString& text) {
    SetCaption(ui_->StaticText1, text);
    ui_->StaticText1->repaint();
}

void TForm1::Button3Click() {
    RunDeviceOperation(kReadAllMemory);
}
void TForm1::Button4Click() {
    TakeTypedTimers();
    if (!TypedPatternsSendable() || !TypedTimersSendable() || !MayWriteWholeCopy()) {
        return;
    }
    RunDeviceOperation(kWriteAllMemory);
}

bool TForm1::AskToStop() {
    const std::string_view question = runningOperation_ == kUpdateFirmware
                                          ? messages::kFirmwareStopQuestion
                                          : messages::kStopOnCloseQuestion;
    return services_.askQuestion(this, FromUtf8(question), FromUtf8(messages::kWarning),
                                 QMessageBox::Yes | QMessageBox::No,
                                 QMessageBox::No) == QMessageBox::Yes;
}

void TForm1::RequestStop() {
    if (!operationRunning_ || stopRequested_) {
        return;
    }
    if (runningOperation_ == kUpdateFirmware && !AskToStop()) {
        return;
    }
    stopRequested_ = true;
}

void TForm1::SetUpStopControl() {
    // Beside the bar while an operation runs: where it is, and the stop control.
    QWidget* client = ui_->ProgressBar1->parentWidget();
    progressText_ = new QLabel(client);
    progressText_->setObjectName(QStringLiteral("ProgressText1"));
    stopButton_ = new QPushButton(FromUtf8(messages::kStop), client);
    stopButton_->setObjectName(QStringLiteral("StopButton"));
    stopButton_->setFocusPolicy(Qt::NoFocus);
    connect(stopButton_, &QPushButton::clicked, this, &TForm1::RequestStop);
    ShowStopControl(false);
}

void TForm1::ShowStopControl(bool shown) {
    // The bar makes room for the text and the button beside it, on the line
    // where the form has it.
    const int kBarTop = ui_->ProgressBar1->y();
    constexpr int kBarWidth = 729;
    constexpr int kButtonWidth = 86;
    constexpr int kTextWidth = 300;
    const int barWidth = shown ? kBarWidth - kButtonWidth - kTextWidth - 8 : kBarWidth;
    ui_->ProgressBar1->setGeometry(0, kBarTop, barWidth, 16);
    progressText_->setGeometry(barWidth + 4, kBarTop, kTextWidth, 16);
    stopButton_->setGeometry(kBarWidth - kButtonWidth, kBarTop - 2, kButtonWidth, 20);
    progressText_->setVisible(shown);
    stopButton_->setVisible(shown);
    if (!shown) {
        progressText_->clear();
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
// window (its widgets, its platform window, its menus' shortcuts), except to
// its stop control; Esc there is the stop. Other windows, such as a message
// box of the running operation, get theirs.
class InputDropper final : public QObject {
  public:
    InputDropper(QWidget& window, QWidget& stopControl, std::function<void()> stop)
        : window_(window), stopControl_(stopControl), stop_(std::move(stop)) {
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
        if (watched == &stopControl_ && event->type() != QEvent::KeyPress) {
            return false;
        }
        const bool ours = Ours(watched);
        if (ours && event->type() == QEvent::KeyPress &&
            static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
            stop_();
        }
        return ours;
    }

  private:
    bool Ours(QObject* watched) const {
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

    QWidget& window_;
    QWidget& stopControl_;
    std::function<void()> stop_;
};

}  // namespace

void TForm1::RunWithoutInput(const std::function<void()>& work) {
    InputDropper dropper(*this, *stopButton_, [this] { RequestStop(); });
    QApplication::setOverrideCursor(Qt::WaitCursor);
    stopRequested_ = false;
    operationRunning_ = true;
    ShowPortState();
    ShowStopControl(true);
    QEventLoop loop;
    std::atomic<bool> finished{false};
    std::thread worker([&] {
        work();
        finished = true;
        QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
    });
    while (!finished) {
        loop.exec();
        if (!finished) {
            // The loop was ended from outside (the application is quitting):
            // the work still needs the window's thread for its reports.
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        }
    }
    worker.join();
    // The reports queued before the end are delivered before anything else.
    QCoreApplication::sendPostedEvents(this);
    operationRunning_ = false;
    ShowPortState();
    ShowStopControl(false);
    // What the window system queued meanwhile is delivered now, to the
    // dropper: a click made during the work must not run once it is over.
    // Timers are left for the event loop: a grid's delayed edit, say, is no
    // input and runs when it would have run anyway.
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents(QEventLoop::X11ExcludeTimers);
    QApplication::restoreOverrideCursor();
    if (closeAfterOperation_) {
        // The close asked for during the operation, now with the usual question.
        closeAfterOperation_ = false;
        QTimer::singleShot(0, this, &QWidget::close);
    }
}

void TForm1::closeEvent(QCloseEvent* event) {
    if (operationRunning_) {
        // Not while the operation runs: told to stop, it closes afterwards.
        event->ignore();
        if (!closeAfterOperation_ && AskToStop()) {
            closeAfterOperation_ = true;
            stopRequested_ = true;
        }
        return;
    }
    if (FormCloseQuery()) {
        SaveWindowSettings();
        event->accept();
    } else {
        event->ignore();
    }
}

}  // namespace tav::ui
