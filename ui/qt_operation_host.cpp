#include "qt_operation_host.h"

#include <QMetaObject>
#include <QString>
#include <QThread>

#include "Unit1.h"
#include "form_text.h"

namespace tav::ui {

void QtOperationHost::OnWindowThread(std::function<void()> work, bool wait) {
    if (QThread::currentThread() == form_.thread()) {
        work();
        return;
    }
    QMetaObject::invokeMethod(&form_, std::move(work),
                              wait ? Qt::BlockingQueuedConnection : Qt::QueuedConnection);
}

void QtOperationHost::ShowMessage(std::string_view text, std::string_view caption) {
    OnWindowThread([this, t = FromUtf8(text), c = FromUtf8(caption)] { form_.ShowMessage(t, c); },
                   true);
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
