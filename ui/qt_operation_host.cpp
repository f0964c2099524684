#include "qt_operation_host.h"

#include <QString>

#include "Unit1.h"
#include "form_text.h"

namespace tav::ui {

void QtOperationHost::ShowMessage(std::string_view text, std::string_view caption) {
    form_.ShowMessage(FromUtf8(text), FromUtf8(caption));
}

void QtOperationHost::ShowVersionText(std::string_view text) {
    form_.ShowVersionText(FromUtf8(text));
}

void QtOperationHost::SetProgressRange(int minimum, int maximum) {
    form_.SetProgressRange(minimum, maximum);
}

void QtOperationHost::SetProgressPosition(int position) {
    form_.SetProgressPosition(position);
}

void QtOperationHost::ResetProgress() {
    form_.ResetProgress();
}

void QtOperationHost::RefreshRemoteGrid() {
    form_.RefreshRemoteGrid();
}

void QtOperationHost::ShowSelectedRemote() {
    form_.ShowSelectedRemote();
}

void QtOperationHost::RefreshScenarioPage() {
    form_.RefreshScenarioPage();
}

// After a full read. The timer grid is redrawn too: left showing the timers
// from before the read, its next press would write them back over the image.
void QtOperationHost::RefreshScenarioGrid() {
    form_.RefreshScenarioGrid();
    form_.RefreshTimerGrid();
}

void QtOperationHost::ShowDisplaySettings() {
    form_.ShowDisplaySettings();
}

void QtOperationHost::ShowClockEvents() {
    form_.ShowClockEvents();
}

void QtOperationHost::RefreshSettingsPage() {
    form_.RefreshSettingsPage();
}

void QtOperationHost::RepaintWindow() {
    form_.repaint();
}

bool QtOperationHost::OnlineReceptionActive() const {
    return form_.OnlineReceptionActive();
}

int QtOperationHost::SelectedPortIndex() const {
    return form_.SelectedPortIndex();
}

int QtOperationHost::SelectedRemote() const {
    return form_.selection().selectedRemote;
}

}  // namespace tav::ui
