// The device operations' host for a terminal: every message as one line
// "CAPTION: TEXT" on standard error, a progress bar there when it is a
// terminal, and no window to reload.
#pragma once

#include <cstdio>
#include <functional>
#include <string>

#include "link/operation_host.h"
#include "link/serial_link.h"

namespace tav::cli {

// A message as one line: "CAPTION: TEXT", or the text alone without a caption.
std::string MessageLine(std::string_view text, std::string_view caption);

class TerminalHost final : public WindowlessOperationHost {
  public:
    // `progressBar`: draw the bar (standard error is a terminal).
    TerminalHost(std::FILE* err, bool progressBar, int portIndex);

    void ShowMessage(std::string_view text, std::string_view caption) override;
    void ShowVersionText(std::string_view text) override { versionText_ = text; }
    void PortOpenFailed(const PortOpenOutcome& outcome) override;

    void SetProgressRange(int minimum, int maximum) override;
    void SetProgressPosition(int position) override;
    void ResetProgress() override;

    // True once an interrupt has been noted (interrupts.h): the transfer
    // stops after `record`, which stoppedAfter() then gives.
    bool StopAfterRecord(int record) override;

    bool OnlineReceptionActive() const override { return online_; }
    int SelectedPortIndex() const override { return portIndex_; }
    int SelectedRemote() const override { return selectedRemote_; }

    void SetOnlineReceptionActive(bool on) { online_ = on; }
    void SetSelectedRemote(int remote) { selectedRemote_ = remote; }
    // The last StaticText1 line.
    const std::string& versionText() const { return versionText_; }
    int messageCount() const { return messages_; }
    // The record after which the last transfer stopped, or -1.
    int stoppedAfter() const { return stoppedAfter_; }
    // Runs after the port message of a failed open, with what the open ran into.
    void SetPortFailureObserver(std::function<void(const PortOpenOutcome&)> observer) {
        portFailureObserver_ = std::move(observer);
    }

  private:
    void ClearBar();

    std::FILE* err_;
    bool progressBar_;
    int portIndex_;
    int selectedRemote_ = 0;
    bool online_ = false;
    std::string versionText_;
    int messages_ = 0;
    int stoppedAfter_ = -1;
    std::function<void(const PortOpenOutcome&)> portFailureObserver_;
    int minimum_ = 0;
    int maximum_ = 100;
    bool barShown_ = false;
};

}  // namespace tav::cli
