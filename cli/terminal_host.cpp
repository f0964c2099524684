#include "terminal_host.h"

#include <algorithm>

#include "console.h"
#include "interrupts.h"

namespace tav::cli {

namespace {
constexpr int kBarWidth = 40;
}

TerminalHost::TerminalHost(std::FILE* err, bool progressBar)
    : err_(err), progressBar_(progressBar) {}

std::string MessageLine(std::string_view text, std::string_view caption) {
    return caption.empty() ? std::string(text) : std::string(caption) + ": " + std::string(text);
}

void TerminalHost::ShowMessage(std::string_view text, std::string_view caption) {
    ClearBar();
    WriteText(err_, MessageLine(text, caption) + "\n");
    std::fflush(err_);
}

void TerminalHost::PortOpenFailed(const PortOpenOutcome& outcome) {
    if (portFailureObserver_) {
        portFailureObserver_(outcome);
    }
}

bool TerminalHost::StopAfterRecord(int record) {
    if (Interruption() == 0) {
        return false;
    }
    stoppedAfter_ = record;
    return true;
}

void TerminalHost::ShowProgress(const OperationProgress& progress) {
    if (!progress.Active()) {
        ClearBar();
        return;
    }
    if (!progressBar_ || progress.done == 0) {
        return;
    }
    const int span = progress.maximum - progress.minimum;
    const int done = std::clamp(progress.position - progress.minimum + 1, 0, span);
    const int filled = done * kBarWidth / span;
    std::fprintf(err_, "\r[%s%s] %3d%%", std::string(static_cast<std::size_t>(filled), '#').c_str(),
                 std::string(static_cast<std::size_t>(kBarWidth - filled), ' ').c_str(),
                 done * 100 / span);
    std::fflush(err_);
    barShown_ = true;
}

void TerminalHost::ClearBar() {
    if (barShown_) {
        std::fprintf(err_, "\r%*s\r", kBarWidth + 8, "");
        std::fflush(err_);
        barShown_ = false;
    }
}

}  // namespace tav::cli
