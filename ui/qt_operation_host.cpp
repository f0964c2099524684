#include "qt_operation_host.h"

#include <QMetaObject>
#include <QString>
#include <QThread>

#include "Unit1.h"
#include "form_text.h"
#include "link/messages.h"
#include "link/serial_link.h"

namespace tav::ui {

namespace {

// The port message's second paragraph: which of the usual reasons kept the
// port shut, or the system's own words for any other.
QString PortFailureReason(const PortOpenOutcome& outcome) {
    switch (outcome.error) {
        case PortErrorKind::kMissing:
            return FromUtf8("Przyczyna: brak urządzenia – nic nie jest podłączone do tego portu.");
        case PortErrorKind::kBusy:
            return FromUtf8("Przyczyna: port zajęty przez inny program.");
        case PortErrorKind::kNoPermission:
            return FromUtf8("Przyczyna: brak uprawnień do tego portu.");
        case PortErrorKind::kOther:
            break;
    }
    return FromUtf8("Przyczyna: ") + FromUtf8(outcome.reason);
}

}  // namespace

void QtOperationHost::OnWindowThread(std::function<void()> work, bool wait) {
    if (QThread::currentThread() == form_.thread()) {
        work();
        return;
    }
    QMetaObject::invokeMethod(&form_, std::move(work),
                              wait ? Qt::BlockingQueuedConnection : Qt::QueuedConnection);
}

void QtOperationHost::ShowMessage(std::string_view text, std::string_view caption) {
    if (text == messages::kPortRefused) {
        // Shown with its reason, which PortOpenFailed brings next.
        portMessageCaption_ = FromUtf8(caption);
        return;
    }
    OnWindowThread([this, t = FromUtf8(text), c = FromUtf8(caption)] { form_.ShowMessage(t, c); },
                   true);
}

void QtOperationHost::PortOpenFailed(const PortOpenOutcome& outcome) {
    const QString text =
        FromUtf8(messages::kPortRefused) + QStringLiteral("\n\n") + PortFailureReason(outcome);
    OnWindowThread([this, text, c = portMessageCaption_] { form_.ShowMessage(text, c); }, true);
}

void QtOperationHost::ShowVersionText(std::string_view text) {
    OnWindowThread([this, t = FromUtf8(text)] { form_.ShowVersionText(t); }, false);
}

void QtOperationHost::ShowProgress(const OperationProgress& progress) {
    OnWindowThread([this, progress] { form_.ShowProgress(progress); }, false);
}

void QtOperationHost::RecordsChanged(int first, int last) {
    OnWindowThread([this, first, last] { form_.NoteRecordsRead(first, last); }, false);
}

bool QtOperationHost::StopAfterRecord(int) {
    return form_.StopRequested();
}

}  // namespace tav::ui
