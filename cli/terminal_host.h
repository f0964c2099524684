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

class TerminalHost final : public OperationHost {
  public:
    // `progressBar`: draw the bar (standard error is a terminal).
    TerminalHost(std::FILE* err, bool progressBar);

    void ShowMessage(std::string_view text, std::string_view caption) override;
    void ShowVersionText(std::string_view text) override { versionText_ = text; }
    void PortOpenFailed(const PortOpenOutcome& outcome) override;

    void ShowProgress(const OperationProgress& progress) override;
    void RecordsChanged(int, int) override {}

    // True once an interrupt has been noted (interrupts.h): the transfer
    // stops after `record`, which stoppedAfter() then gives.
    bool StopAfterRecord(int record) override;

    // The last version answer, as text.
    const std::string& versionText() const { return versionText_; }
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
    std::string versionText_;
    int stoppedAfter_ = -1;
    std::function<void(const PortOpenOutcome&)> portFailureObserver_;
    bool barShown_ = false;
};

}  // namespace tav::cli
