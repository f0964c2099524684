// What the device operations need from whoever runs them: the window, tavctl
// or a test recorder.
#pragma once

#include <string_view>

namespace tav {

class OperationHost {
  public:
    virtual ~OperationHost() = default;

    // A modal message with an OK button only. Texts are UTF-8.
    virtual void ShowMessage(std::string_view text, std::string_view caption) = 0;
    // StaticText1: the last version answer.
    virtual void ShowVersionText(std::string_view text) = 0;

    // ProgressBar1. SetProgressRange does not repaint; the other two repaint at once.
    virtual void SetProgressRange(int minimum, int maximum) = 0;
    virtual void SetProgressPosition(int position) = 0;
    virtual void ResetProgress() = 0;

    // Reloads of the window from the image after an operation.
    virtual void RefreshRemoteGrid() = 0;
    virtual void ShowSelectedRemote() = 0;
    virtual void RefreshScenarioPage() = 0;
    virtual void RefreshScenarioGrid() = 0;
    virtual void ShowDisplaySettings() = 0;
    virtual void ShowClockEvents() = 0;
    virtual void RefreshSettingsPage() = 0;
    virtual void RepaintWindow() = 0;

    // The on-line reception flag (OnlineReceptionActive).
    virtual bool OnlineReceptionActive() const = 0;
    // The entry selected in ComboBox1, or -1 when none.
    virtual int SelectedPortIndex() const = 0;
    // The selected remote, 0..999: the record of operations 1 and 3.
    virtual int SelectedRemote() const = 0;

    // Asked between the records of a transfer of several records (bulk read and
    // write, the record ranges and lists), with the record just done (read and
    // taken, or written and confirmed): true stops the operation there, before
    // the next record goes out (OperationOutcome::Stopped, no message). The
    // firmware transfer is never stopped part-way. The window never asks.
    virtual bool StopAfterRecord(int record) {
        (void)record;
        return false;
    }
};

// A host with no window behind it (tavctl, benchmarks): nothing to reload or
// repaint.
class WindowlessOperationHost : public OperationHost {
  public:
    void RefreshRemoteGrid() override {}
    void ShowSelectedRemote() override {}
    void RefreshScenarioPage() override {}
    void RefreshScenarioGrid() override {}
    void ShowDisplaySettings() override {}
    void ShowClockEvents() override {}
    void RefreshSettingsPage() override {}
    void RepaintWindow() override {}
};

}  // namespace tav
