// Full read, full write and firmware transfer against the simulated receiver
// paced at 9600 baud, timed beside what the line allows. Takes about two
// minutes; not part of the test run.
#include <chrono>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "link/dispatcher.h"
#include "link/firmware.h"
#include "sim/receiver.h"

namespace {

using namespace std::chrono_literals;

class QuietHost final : public tav::WindowlessOperationHost {
  public:
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

struct Case {
    const char* name;
    unsigned operation;
    tav::sim::ReceiverMode mode;
    std::size_t lineBytes;  // both directions, version query included
    int pauseMs;            // the protocol's fixed pauses
};

}  // namespace

int main() {
    tav::sim::ReceiverOptions options;
    options.pacing.paced = true;
    for (std::size_t i = 0; i < tav::kImageSize; ++i) {
        options.memory.at(i) = static_cast<std::uint8_t>(i * 7);
    }
    tav::sim::PtyReceiver receiver(options);
    std::string error;
    if (!receiver.Start(&error)) {
        std::fprintf(stderr, "cannot start the simulated receiver: %s\n", error.c_str());
        return 1;
    }
    tav::FixedPortResolver resolver;
    resolver.Set(0, receiver.DevicePath());
    tav::SystemTiming timing;
    tav::SerialLink link(tav::MakePlatformSerialPort, resolver, timing);
    tav::MemoryImage image;
    QuietHost host;
    tav::SystemLocalClock localClock;
    std::vector<std::uint8_t> firmware(tav::kFirmwareSize);
    for (std::size_t i = 0; i < firmware.size(); ++i) {
        firmware[i] = static_cast<std::uint8_t>(i ^ (i >> 8));
    }
    tav::DeviceContext ctx{link, image, host, localClock};
    ctx.firmware = firmware;

    const std::size_t version = 1 + 6;
    const Case cases[] = {
        {"full read (2)", tav::kReadAllMemory, tav::sim::ReceiverMode::Application,
         version + 1 + 1024 * (33 + 1), 50 + 50},
        {"full write (4)", tav::kWriteAllMemory, tav::sim::ReceiverMode::Application,
         version + 1 + 1024 * (33 + 1), 50 + 50},
        {"firmware (98)", tav::kUpdateFirmware, tav::sim::ReceiverMode::BootLoader,
         version + 1 + 240 * (129 + 1), 50 + 20},
    };
    std::printf("%-16s %10s %10s %8s  %s\n", "operation", "measured", "line", "ratio", "outcome");
    bool allDone = true;
    for (const Case& c : cases) {
        receiver.SetMode(c.mode);
        host.messages.clear();
        const auto start = std::chrono::steady_clock::now();
        const tav::OperationOutcome outcome = tav::RunDeviceOperation(ctx, c.operation);
        const double measured =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        const double line =
            std::chrono::duration<double>(tav::LineTime(c.lineBytes)).count() + c.pauseMs / 1000.0;
        const bool done = outcome == tav::OperationOutcome::Done;
        allDone = allDone && done;
        std::printf("%-16s %9.2fs %9.2fs %8.3f  %s\n", c.name, measured, line, measured / line,
                    done ? "done" : (host.messages.empty() ? "?" : host.messages.back().c_str()));
        std::fflush(stdout);
    }
    std::printf(
        "line: every byte of both directions at 10 bits a byte, 9600 baud, one after\n"
        "the other (half duplex), plus the protocol's fixed pauses\n");
    return allDone ? 0 : 1;
}
