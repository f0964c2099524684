// A host for the benchmarks: no window, and the messages kept, not shown.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "link/operation_host.h"

namespace tav::bench {

class QuietHost final : public WindowlessOperationHost {
  public:
    // Every message as "TEXT | CAPTION", in order.
    std::vector<std::string> messages;

    void ShowMessage(std::string_view text, std::string_view caption) override {
        messages.push_back(std::string(text) + " | " + std::string(caption));
    }
    void ShowVersionText(std::string_view) override {}
    void SetProgressRange(int, int) override {}
    void SetProgressPosition(int) override {}
    void ResetProgress() override {}
    bool OnlineReceptionActive() const override { return false; }
    int SelectedPortIndex() const override { return 0; }
    int SelectedRemote() const override { return 0; }
};

}  // namespace tav::bench
