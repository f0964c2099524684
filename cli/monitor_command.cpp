// monitor: the receiver's event lines as they arrive.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <thread>

#include "commands.h"
#include "console.h"
#include "device_session.h"
#include "device_text.h"
#include "image_files.h"
#include "interrupts.h"
#include "link/event_lines.h"
#include "tavctl.h"
#include "translation.h"

namespace tav::cli {

namespace {

constexpr auto kPollPeriod = std::chrono::milliseconds(250);

}  // namespace

int RunMonitor(const Args& a) {
    ExpectPositional(a, 0);
    const double duration = DurationArgument(a);
    std::unique_ptr<Device> dev = OpenDevice(a);
    DeviceContext& ctx = dev->ctx();
    bool outputFailed = false;
    EventLineAssembler lines([&outputFailed](std::string_view line) {
        if (!outputFailed) {
            outputFailed = !WriteStandardOutput(Windows1250ToUtf8(line) + '\n');
        }
    });

    // Ctrl+C (or SIGTERM) from here on is reception's usual end, also during
    // the start: monitor then exits with its own status.
    struct UsualEnd {
        ~UsualEnd() { AcceptInterruptAsUsualEnd(); }
    } const usualEnd{};

    dev->ctx().onlineReception = true;
    if (!StartOnlineReception(ctx, lines)) {
        dev->ctx().onlineReception = false;
        return kExitFailed;
    }
    bool historyRefused = false;
    if (a.flags.count("--history") != 0) {
        historyRefused = RequestEventHistory(ctx, lines) == HistoryRequestOutcome::kVersionTooLow;
    }
    using Clock = std::chrono::steady_clock;
    const Clock::time_point start = Clock::now();
    const Clock::time_point deadline = duration < 0
                                           ? Clock::time_point::max()
                                           : start + std::chrono::duration_cast<Clock::duration>(
                                                         std::chrono::duration<double>(duration));
    Clock::time_point next = start;
    bool hungUp = false;
    // An interrupt ends reception, and so does output that can no longer be
    // written (a full disk).
    const auto stopped = [&outputFailed] { return Interruption() != 0 || outputFailed; };
    while (!stopped()) {
        next += kPollPeriod;
        while (!stopped() && Clock::now() < next) {
            std::this_thread::sleep_for(
                std::min<Clock::duration>(next - Clock::now(), std::chrono::milliseconds(20)));
        }
        if (stopped()) {
            break;
        }
        PollEventStream(ctx, lines);
        if (ctx.link.PortHungUp()) {
            // What had arrived is shown; nothing more can come.
            PollEventStream(ctx, lines);
            Say(Tr(Tavctl::tr("tavctl: the device has gone away; reception stopped")));
            hungUp = true;
            break;
        }
        if (Clock::now() >= deadline) {
            break;
        }
    }
    dev->ctx().onlineReception = false;
    ctx.link.ClosePort();
    return historyRefused || hungUp || outputFailed ? kExitFailed : kExitDone;
}

}  // namespace tav::cli
