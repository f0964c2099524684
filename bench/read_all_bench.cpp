// A full read of the receiver's memory through the platform's serial backend
// (POSIX or Win32), timed beside what the 9600-baud line allows for the
// traffic it made. The receiver is whatever answers on the port: tav1000r-sim
// --paced for a figure that means something. scripts/bench-windows.sh runs it
// on Linux and under Wine in one go.
//
//   read_all_bench --port PORT [--runs N]
//     PORT: COM1..COM255 (as the tool maps them) or a device path
#include <chrono>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "bench/line_model.h"
#include "bench/uart_like_port.h"
#include "link/dispatcher.h"
#include "link/operation_host.h"
#include "link/port_resolver.h"
#include "link/serial_link.h"

namespace {

using tav::sim::TrafficEntry;

// The platform's port with modem lines (the link holds each send for its
// line time), with every byte written and read kept in order: the traffic the
// line model reads.
class RecordingPort final : public tav::bench::UartLikePort {
  public:
    explicit RecordingPort(std::vector<TrafficEntry>& traffic) : traffic_(traffic) {}

    bool Write(std::span<const std::uint8_t> bytes) override {
        Keep(bytes, true);
        return UartLikePort::Write(bytes);
    }
    int ReadQueued(std::span<std::uint8_t> buffer) override {
        const int n = UartLikePort::ReadQueued(buffer);
        if (n > 0) {
            Keep(buffer.first(static_cast<std::size_t>(n)), false);
        }
        return n;
    }

  private:
    void Keep(std::span<const std::uint8_t> bytes, bool fromTool) {
        const auto now = std::chrono::steady_clock::now();
        for (std::uint8_t b : bytes) {
            traffic_.push_back({now, fromTool, b});
        }
    }

    std::vector<TrafficEntry>& traffic_;
};

// Resolves the one port the bench was given: COMn as the platform maps it,
// anything else as a device path.
class OnePort final : public tav::PortResolver {
  public:
    explicit OnePort(std::string port) : port_(std::move(port)) {}
    std::optional<std::string> DevicePath(int) const override {
        if (const std::optional<int> index = tav::PortIndexOfName(port_)) {
            return tav::PlatformPortResolver().DevicePath(*index);
        }
        return port_;
    }

  private:
    std::string port_;
};

}  // namespace

int main(int argc, char** argv) {
    std::string port;
    int runs = 1;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (std::strcmp(argv[i], "--port") == 0) {
            port = argv[i + 1];
        } else if (std::strcmp(argv[i], "--runs") == 0) {
            runs = std::max(1, std::atoi(argv[i + 1]));
        }
    }
    if (port.empty()) {
        std::fprintf(stderr, "usage: read_all_bench --port PORT [--runs N]\n");
        return 2;
    }
    int status = 0;
    for (int run = 0; run < runs; ++run) {
        std::vector<TrafficEntry> traffic;
        const OnePort resolver(port);
        tav::SystemTiming timing;
        tav::SerialLink link([&] { return std::make_unique<RecordingPort>(traffic); }, resolver,
                             timing);
        tav::MemoryImage image;
        tav::QuietOperationHost host;
        tav::SystemLocalClock clock;
        tav::DeviceContext ctx{link, image, host, clock};
        const auto start = std::chrono::steady_clock::now();
        const tav::OperationOutcome outcome = tav::RunDeviceOperation(ctx, tav::kReadAllMemory);
        const double wall =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        const double line = tav::bench::BudgetOf(traffic).Limit().count();
        const bool done = outcome == tav::OperationOutcome::Done && host.messages.empty();
        std::printf("full read on %s: wall %.3f s, line %.3f s, wall / line %.4f%s\n", port.c_str(),
                    wall, line, wall / line, done ? "" : " (FAILED)");
        for (const std::string& m : host.messages) {
            std::printf("  %s\n", m.c_str());
        }
        status = done ? status : 1;
    }
    return status;
}
