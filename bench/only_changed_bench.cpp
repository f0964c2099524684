// Writing only the changed records one at a time ("z") beside the bulk write
// of the whole memory ("Z"), against the simulated receiver paced at 9600
// baud, for 1, 10, 100 and 500 changed records. Takes about three minutes;
// not part of the test run.
#include <chrono>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "link/dispatcher.h"
#include "link/operation_host.h"
#include "sim/receiver.h"

namespace {

template <typename F>
double Seconds(F&& f, bool* done) {
    const auto start = std::chrono::steady_clock::now();
    *done = f() == tav::OperationOutcome::Done;
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace

int main() {
    tav::sim::ReceiverOptions options;
    options.pacing.paced = true;
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
    for (std::size_t i = 0; i < tav::kImageSize; ++i) {
        image.at(i) = static_cast<std::uint8_t>(i * 7);
    }
    tav::QuietOperationHost host;
    tav::SystemLocalClock localClock;
    tav::DeviceContext ctx{link, image, host, localClock};

    bool allDone = true;
    bool done = false;
    const double bulk =
        Seconds([&] { return tav::RunDeviceOperation(ctx, tav::kWriteAllMemory); }, &done);
    allDone = allDone && done;
    std::printf("%8s %12s %12s %12s %12s\n", "changed", "one by one", "line model", "bulk",
                "line model");
    for (int n : {1, 10, 100, 500}) {
        std::vector<int> records;
        for (int i = 0; i < n; ++i) {
            records.push_back(i * tav::kRecordCount / n);
        }
        const double single = Seconds(
            [&] {
                return tav::RunDeviceWork(
                    ctx, [&](tav::DeviceContext& c) { return tav::WriteRecordList(c, records); });
            },
            &done);
        allDone = allDone && done;
        // The version query ("?", 6 bytes, 50 ms) comes before either.
        const double version = 7 * tav::kLineByteMicros / 1e6 + tav::kFramePauseMs / 1000.0;
        std::printf("%8d %11.2fs %11.2fs %11.2fs %11.2fs\n", n, single,
                    version + n * tav::kSingleWriteMicros / 1e6, bulk,
                    version + tav::kBulkTransferMicros / 1e6);
        std::fflush(stdout);
    }
    std::printf(
        "bulk: measured once (it does not depend on the number of changed records)\n"
        "one by one up to %d records, bulk above (tavctl write-all --only-changed)\n",
        tav::SingleRecordLimit(tav::kSingleWriteMicros));
    return allDone ? 0 : 1;
}
