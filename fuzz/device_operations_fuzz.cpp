// Every device operation against a receiver that answers with arbitrary
// bytes, on the fake port and its virtual clock. The input is cut into
// answers: after each write of the tool the next piece arrives (its length in
// the byte before it). Whatever arrives, the image changes only in the
// records the operation may read into, and the port ends closed.
#include <algorithm>
#include <cstdlib>
#include <string_view>
#include <vector>

#include "link/dispatcher.h"
#include "link/firmware.h"
#include "link/testing/fake_serial_port.h"

namespace {

constexpr int kSelectedRemote = 417;

constexpr std::uint8_t kApplication[] = {0x76, 0x07, 0x01, 0x00, 0x01, 0x26};
constexpr std::uint8_t kBootLoader[] = {0x76, 0x77, 0x01, 0x00, 0x01, 0x26};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) {
        return 0;
    }
    static const std::vector<std::uint8_t> firmware(tav::kFirmwareSize, 0x5A);
    const unsigned ops[] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 98};
    for (const unsigned op : ops) {
        tav::fake::FakeClock clock;
        tav::fake::FakeSerialDevice device(clock);
        tav::FixedPortResolver resolver;
        resolver.Set(0, "/dev/fake0");
        tav::SerialLink link(device.Factory(), resolver, clock);
        tav::MemoryImage image;
        for (std::size_t i = 0; i < tav::kImageSize; ++i) {
            image.at(i) = static_cast<std::uint8_t>(i * 7 + 3);
        }
        const tav::MemoryImage before = image;
        tav::QuietOperationHost host;
        tav::fake::FakeLocalClock localClock;
        tav::DeviceContext ctx{link, image, host, localClock};
        ctx.selectedRemote = kSelectedRemote;
        ctx.firmware = firmware;

        // The first byte chooses whether the version query gets a good answer
        // (so the operation's own work runs) or the fuzzed bytes from the start.
        std::size_t at = 1;
        bool first = true;
        const std::uint8_t mode = data[0];
        device.SetResponder([&](tav::fake::FakeSerialDevice& d, std::span<const std::uint8_t>) {
            if (first) {
                first = false;
                if ((mode & 3) == 1) {
                    d.Deliver({std::begin(kApplication), std::end(kApplication)});
                    return;
                }
                if ((mode & 3) == 2) {
                    d.Deliver({std::begin(kBootLoader), std::end(kBootLoader)});
                    return;
                }
            }
            if (at >= size) {
                return;
            }
            const std::size_t n = std::min<std::size_t>(data[at], size - at - 1);
            d.Deliver({data + at + 1, data + at + 1 + n});
            at += n + 1;
        });
        tav::RunDeviceOperation(ctx, op);
        if (link.IsOpen() || device.IsOpen()) {
            std::abort();
        }
        const tav::OperationRecords records = tav::RecordsOfOperation(op, kSelectedRemote);
        const bool reads = records.access == tav::RecordAccess::kRead;
        for (int r = 0; r < tav::kRecordCount; ++r) {
            if (reads && records.Contains(r)) {
                continue;
            }
            const auto now = image.RecordAt(r);
            const auto old = before.RecordAt(r);
            if (!std::equal(now.begin(), now.end(), old.begin())) {
                std::abort();
            }
        }
    }
    return 0;
}
