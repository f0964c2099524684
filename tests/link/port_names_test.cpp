// Every COM name the system can give (COM1..COM255), as the window and
// tavctl take them, and the port each opens.
#include <gtest/gtest.h>

#include "link/port_resolver.h"
#include "link/serial_link.h"
#include "link/testing/fake_serial_port.h"

namespace tav {
namespace {

struct NameRow {
    const char* name;
    int index;          // -1: refused
    const char* shown;  // PortName(index)
};

// Windows numbers USB adapters from COM16 up; COM256 and COM0 do not exist.
const NameRow kNames[] = {
    {"COM1", 0, "COM1"},        {"com9", 8, "COM9"},    {"COM10", 9, "COM10"},
    {"COM15", 14, "COM15"},     {"COM16", 15, "COM16"}, {"COM17", 16, "COM17"},
    {"COM255", 254, "COM255"},  {"COM256", -1, ""},     {"\\\\.\\COM17", 16, "COM17"},
    {"\\\\.\\com3", 2, "COM3"}, {"COM0", -1, ""},       {"\\\\.\\COM0", -1, ""},
    {"COM017", -1, ""},         {"COM1000", -1, ""},    {"COM", -1, ""},
    {"COM3 ", -1, ""},          {"LPT1", -1, ""},       {"\\\\.\\", -1, ""},
};

TEST(PortNames, EveryComNameFromOneToTwoHundredFiftyFive) {
    for (const NameRow& row : kNames) {
        const std::optional<int> index = PortIndexOfName(row.name);
        EXPECT_EQ(index.value_or(-1), row.index) << row.name;
        if (index) {
            EXPECT_EQ(PortName(*index), row.shown) << row.name;
        }
    }
}

// The link opens the device behind any of them, and refuses an index beyond
// COM255 without touching a device.
TEST(PortNames, TheLinkOpensEachAcceptedNamesDevice) {
    fake::FakeClock clock;
    fake::FakeSerialDevice device{clock};
    FixedPortResolver resolver;
    SerialLink link{device.Factory(), resolver, clock};
    for (const NameRow& row : kNames) {
        if (row.index < 0) {
            continue;
        }
        const std::string path = std::string("/dev/fake-") + row.shown;
        resolver.Set(row.index, path);
        const PortOpenOutcome outcome = link.OpenSelectedPort(row.index);
        EXPECT_TRUE(outcome.opened) << row.name;
        EXPECT_EQ(outcome.devicePath, path) << row.name;
        link.ClosePort();
    }
    EXPECT_FALSE(link.OpenSelectedPort(kHighestPortNumber).opened);
    EXPECT_THROW(resolver.Set(kHighestPortNumber, "/dev/none"), std::out_of_range);
}

}  // namespace
}  // namespace tav
