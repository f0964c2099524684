// The device operations' host for a terminal: every message as one line
// "CAPTION: TEXT" on standard error, a progress bar there when it is a
// terminal, and no window to reload.
#pragma once

#include <cstdio>
#include <functional>
#include <string>

#include "link/operation_host.h"

namespace tav::cli {

class TerminalHost final : public WindowlessOperationHost {
  public:
    // `progressBar`: draw the bar (standard error is a terminal).
    TerminalHost(std::FILE* err, bool progressBar, int portIndex);

    void ShowMessage(std::string_view text, std::string_view caption) override;
    void ShowVersionText(std::string_view text) override { versionText_ = text; }

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
    // Runs after each message line, with the message's text.
    void SetMessageObserver(std::function<void(std::string_view)> observer) {
        observer_ = std::move(observer);
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
    std::function<void(std::string_view)> observer_;
    int minimum_ = 0;
    int maximum_ = 100;
    bool barShown_ = false;
};

}  // namespace tav::cli
