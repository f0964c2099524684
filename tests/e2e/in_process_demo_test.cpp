// The demo's receivers in the same process, behind serial-port objects of
// their own (what tav1000r-demo uses where there are no ptys): the window's
// device operations run through them as through a serial line.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "app/in_process_port.h"
#include "link/dispatcher.h"
#include "link/firmware.h"
#include "tests/e2e/e2e_support.h"
#include "tests/link/link_test_support.h"

namespace tav::e2e {
namespace {

using linktest::Bytes;
using testsupport::PatternImage;
using namespace std::chrono_literals;

std::shared_ptr<demo::InProcessReceivers> Receivers(const MemoryImage& memory) {
    sim::ReceiverOptions app;
    app.memory = memory;
    app.frameTimeout = 200ms;
    sim::ReceiverOptions boot = app;
    boot.mode = sim::ReceiverMode::BootLoader;
    auto receivers = std::make_shared<demo::InProcessReceivers>();
    (*receivers)["app"] = std::make_shared<sim::InProcessReceiver>(app);
    (*receivers)["boot"] = std::make_shared<sim::InProcessReceiver>(boot);
    return receivers;
}

TEST(InProcessDemo, OpenSaysWhyItCannot) {
    const auto receivers = Receivers(MemoryImage{});
    const auto holder = demo::MakeInProcessPort(receivers);
    ASSERT_TRUE(holder->Open("app", nullptr));
    const struct {
        std::string path;
        bool opens;
        std::string reason;
    } rows[] = {
        {"app", false, "Device or resource busy"},
        {"nothing", false, "No such device"},
        {"boot", true, ""},
    };
    for (const auto& row : rows) {
        const auto port = demo::MakeInProcessPort(receivers);
        PortOpenError error;
        EXPECT_EQ(port->Open(row.path, &error), row.opens) << row.path;
        EXPECT_EQ(error.reason, row.reason) << row.path;
    }
    holder->Close();
    EXPECT_TRUE(demo::MakeInProcessPort(receivers)->Open("app", nullptr));
}

class InProcessDemoOperations : public ::testing::Test {
  protected:
    OperationOutcome Run(unsigned operation) {
        host.log.clear();
        const OperationOutcome outcome = RunDeviceOperation(ctx, operation);
        EXPECT_FALSE(link.IsOpen());
        return outcome;
    }

    std::shared_ptr<demo::InProcessReceivers> receivers = Receivers(PatternImage(7));
    FixedPortResolver resolver;
    SystemTiming timing;
    SerialLink link{[this] { return demo::MakeInProcessPort(receivers); }, resolver, timing};
    MemoryImage image;
    linktest::RecordingHost host;
    fake::FakeLocalClock localClock;
    DeviceContext ctx{link, image, host, localClock};
};

TEST_F(InProcessDemoOperations, ReadWriteAndFirmware) {
    Bytes firmware(kFirmwareSize);
    for (std::size_t i = 0; i < firmware.size(); ++i) {
        firmware[i] = static_cast<std::uint8_t>(i * 29 + (i >> 9));
    }
    ctx.firmware = firmware;
    resolver.Set(0, "app");
    const auto& app = *receivers->at("app");

    EXPECT_EQ(Run(kReadAllMemory), OperationOutcome::Done);
    EXPECT_EQ(image, PatternImage(7));

    image = PatternImage(9);
    EXPECT_EQ(Run(kWriteAllMemory), OperationOutcome::Done);
    EXPECT_EQ(app.Memory(), PatternImage(9));

    resolver.Set(0, "boot");
    EXPECT_EQ(Run(kUpdateFirmware), OperationOutcome::Done);
    EXPECT_EQ(receivers->at("boot")->FirmwareReceived(), firmware);
    EXPECT_EQ(receivers->at("boot")->Mode(), sim::ReceiverMode::Application);
}

}  // namespace
}  // namespace tav::e2e
