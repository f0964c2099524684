#include "terminal_host.h"

#include <algorithm>

#include "interrupts.h"

namespace tav::cli {

namespace {
constexpr int kBarWidth = 40;
}

TerminalHost::TerminalHost(std::FILE* err, bool progressBar, int portIndex)
    : err_(err), progressBar_(progressBar), portIndex_(portIndex) {}

void TerminalHost::ShowMessage(std::string_view text, std::string_view caption) {
    ClearBar();
    ++messages_;
    const std::string line =
        caption.empty() ? std::string(text) : std::string(caption) + ": " + std::string(text);
    std::fprintf(err_, "%s\n", line.c_str());
    std::fflush(err_);
    if (observer_) {
        observer_(text);
    }
}

bool TerminalHost::StopAfterRecord(int record) {
    if (Interruption() == 0) {
        return false;
    }
    stoppedAfter_ = record;
    return true;
}

void TerminalHost::SetProgressRange(int minimum, int maximum) {
    minimum_ = minimum;
    maximum_ = maximum;
}

void TerminalHost::SetProgressPosition(int position) {
    if (!progressBar_ || maximum_ <= minimum_) {
        return;
    }
    const int span = maximum_ - minimum_;
    const int done = std::clamp(position - minimum_ + 1, 0, span);
    const int filled = done * kBarWidth / span;
    std::fprintf(err_, "\r[%s%s] %3d%%", std::string(static_cast<std::size_t>(filled), '#').c_str(),
                 std::string(static_cast<std::size_t>(kBarWidth - filled), ' ').c_str(),
                 done * 100 / span);
    std::fflush(err_);
    barShown_ = true;
}

void TerminalHost::ResetProgress() {
    minimum_ = 0;
    maximum_ = 100;
    ClearBar();
}

void TerminalHost::ClearBar() {
    if (barShown_) {
        std::fprintf(err_, "\r%*s\r", kBarWidth + 8, "");
        std::fflush(err_);
        barShown_ = false;
    }
}

}  // namespace tav::cli
