// tavctl ports on a made-up device and sysfs tree.
#include "cli/port_list.h"

#include "cli/port_access.h"
#include "tests/support/temp_folder.h"

#include <unistd.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QByteArray>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <filesystem>
#include <fstream>

namespace tav::cli {
namespace {

namespace fs = std::filesystem;

struct UsbDevice {
    const char* tty;
    const char* usbPath;  // under sys/devices
    const char* vendor;
    const char* product;
    const char* manufacturer;
    const char* name;
    const char* serial;  // nullptr: no serial file
};

class FakeTree : public ::testing::Test {
  protected:
    void SetUp() override {
        for (const char* tty : {"ttyUSB0", "ttyUSB1", "ttyACM0", "ttyS0", "ttyS1", "tty0"}) {
            Write(root_ / "dev" / tty, "");
        }
        const UsbDevice usb[] = {
            {"ttyUSB0", "pci0/usb1/1-1", "0403", "6001", "FTDI", "FT232R USB UART", "A10K3XYZ"},
            {"ttyUSB1", "pci0/usb1/1-2", "067b", "2303", "Prolific", "USB-Serial\x1b[2J", nullptr},
            {"ttyACM0", "pci0/usb1/1-3", "2341", "0043", "", "", "95530"},
        };
        for (const UsbDevice& d : usb) {
            const fs::path dev = root_ / "sys/devices" / d.usbPath;
            Write(dev / "idVendor", d.vendor + std::string("\n"));
            Write(dev / "idProduct", d.product + std::string("\n"));
            Write(dev / "manufacturer", d.manufacturer + std::string("\n"));
            Write(dev / "product", d.name + std::string("\n"));
            if (d.serial != nullptr) {
                Write(dev / "serial", d.serial + std::string("\n"));
            }
            const fs::path iface = dev / (fs::path(d.usbPath).filename().string() + ":1.0");
            fs::create_directories(iface / d.tty);
            fs::create_directories(root_ / "sys/class/tty" / d.tty);
            fs::create_directory_symlink(iface, root_ / "sys/class/tty" / d.tty / "device");
        }
        // A fitted UART (type 4) and one the kernel made without hardware.
        for (auto [tty, type] : {std::pair{"ttyS0", "4"}, std::pair{"ttyS1", "0"}}) {
            fs::create_directories(root_ / "sys/class/tty" / tty / "device");
            Write(root_ / "sys/class/tty" / tty / "type", type + std::string("\n"));
        }
        fs::create_directories(root_ / "dev/serial/by-id");
        fs::create_symlink("../../ttyUSB0", ByIdLink());
    }

    static void Write(const fs::path& p, const std::string& text) {
        fs::create_directories(p.parent_path());
        std::ofstream(p) << text;
    }
    fs::path ByIdLink() const {
        return root_ / "dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A10K3XYZ-if00-port0";
    }
    PlatformPortResolver Resolver() const {
        return PlatformPortResolver((root_ / "dev").string(), (root_ / "sys").string());
    }
    std::string Dev(const char* tty) const { return (root_ / "dev" / tty).string(); }

    testsupport::TempFolder folder_{"tavctl-ports"};
    const fs::path root_ = folder_.path();
};

TEST_F(FakeTree, ListsEveryComNameWithWhatTheSystemKnows) {
    const std::string text = FormatPortList(Resolver(), false);
    std::string expected = "COM1   " + Dev("ttyUSB0") +
                           "  USB 0403:6001  FTDI  FT232R USB UART  serial A10K3XYZ\n"
                           "       " +
                           ByIdLink().string() + "\nCOM2   " + Dev("ttyUSB1") +
                           "  USB 067b:2303  Prolific  USB-Serial?[2J\n"
                           "COM3   " +
                           Dev("ttyACM0") + "  USB 2341:0043  serial 95530\nCOM4   " +
                           Dev("ttyS0") + "\n";
    for (int n = 5; n <= 15; ++n) {
        expected += "COM" + std::to_string(n) + std::string(n < 10 ? 3 : 2, ' ') + "-\n";
    }
    EXPECT_EQ(text, expected);

    const QJsonArray list =
        QJsonDocument::fromJson(QByteArray::fromStdString(FormatPortList(Resolver(), true)))
            .array();
    ASSERT_EQ(list.size(), 15);
    EXPECT_EQ(
        list[0].toObject(),
        (QJsonObject{{"name", "COM1"},
                     {"device", QString::fromStdString(Dev("ttyUSB0"))},
                     {"friendly_name", QJsonValue()},
                     {"usb", QJsonObject{{"vendor_id", "0403"},
                                         {"product_id", "6001"},
                                         {"manufacturer", "FTDI"},
                                         {"product", "FT232R USB UART"},
                                         {"serial_number", "A10K3XYZ"}}},
                     {"stable_links", QJsonArray{QString::fromStdString(ByIdLink().string())}}}));
    EXPECT_TRUE(list[3].toObject()["usb"].isNull());
    EXPECT_TRUE(list[4].toObject()["device"].isNull());
}

// Both platforms' entries go through one formatter: the same columns in the
// same order, the same JSON fields (Windows' entries, as port_list_win32.cpp
// makes them, checked here without Wine).
TEST(FormatPortEntries, TheSameListingForEitherPlatform) {
    PortEntry windowsUsb{"COM3", "\\\\.\\COM3", "USB Serial Port (COM3)", {}};
    windowsUsb.info.vendorId = "0403";
    windowsUsb.info.productId = "6001";
    windowsUsb.info.manufacturer = "FTDI";
    windowsUsb.info.product = "USB Serial Port (COM3)";
    PortEntry windowsBuiltIn{"COM1", "\\\\.\\COM1", "Communications Port (COM1)", {}};
    windowsBuiltIn.info.manufacturer = "(Standard port types)";
    const PortEntry absent{"COM2", std::nullopt, std::nullopt, {}};
    PortEntry linuxUsb{"COM4", "/dev/ttyUSB0", std::nullopt, {}};
    linuxUsb.info.vendorId = "067b";
    linuxUsb.info.productId = "2303";
    linuxUsb.info.product = "USB-Serial";
    linuxUsb.info.serialNumber = "X1";
    linuxUsb.info.stableLinks = {"/dev/tav"};
    const PortEntry beyond{"COM21", "\\\\.\\COM21", "", {}};

    EXPECT_EQ(FormatPortEntries({windowsBuiltIn, absent, windowsUsb, linuxUsb, beyond}, false),
              "COM1   \\\\.\\COM1  Communications Port (COM1)  (Standard port types)\n"
              "COM2   -\n"
              "COM3   \\\\.\\COM3  USB Serial Port (COM3)  USB 0403:6001  FTDI\n"
              "COM4   /dev/ttyUSB0  USB 067b:2303  USB-Serial  serial X1\n"
              "       /dev/tav\n"
              "COM21  \\\\.\\COM21\n");

    const QJsonArray list = QJsonDocument::fromJson(QByteArray::fromStdString(FormatPortEntries(
                                                        {windowsUsb, absent, linuxUsb}, true)))
                                .array();
    ASSERT_EQ(list.size(), 3);
    for (const auto& entry : list) {
        EXPECT_EQ(entry.toObject().keys(),
                  (QStringList{"device", "friendly_name", "name", "stable_links", "usb"}));
    }
    EXPECT_EQ(list[0].toObject()["friendly_name"].toString(), "USB Serial Port (COM3)");
    EXPECT_EQ(list[0].toObject()["usb"].toObject()["product"].toString(), "USB Serial Port (COM3)");
    EXPECT_EQ(list[0].toObject()["usb"].toObject()["serial_number"].toString(), "");
    EXPECT_TRUE(list[1].toObject()["device"].isNull());
    EXPECT_TRUE(list[1].toObject()["friendly_name"].isNull());
    EXPECT_TRUE(list[1].toObject()["usb"].isNull());
    EXPECT_TRUE(list[2].toObject()["friendly_name"].isNull());
    EXPECT_EQ(list[2].toObject()["stable_links"].toArray(), QJsonArray{"/dev/tav"});
}

TEST_F(FakeTree, AStableLinkIsNamedByItsComName) {
    EXPECT_EQ(DescribePortLink(ByIdLink().string(), Resolver()),
              ByIdLink().string() + " is " + fs::canonical(Dev("ttyUSB0")).string() + " (COM1)");
    fs::create_symlink(root_ / "dev/tty0", root_ / "dev/console-link");
    EXPECT_THAT(DescribePortLink((root_ / "dev/console-link").string(), Resolver()),
                ::testing::EndsWith("(no COM name)"));
}

// A link made by hand in /dev shows under its device; a path given is
// named for what it is.
TEST_F(FakeTree, ALinkMadeByHandIsShown) {
    fs::create_symlink("ttyUSB1", root_ / "dev/tav");
    fs::create_symlink("tty0", root_ / "dev/console-link");
    EXPECT_THAT(FormatPortList(Resolver(), false),
                ::testing::HasSubstr("COM2   " + Dev("ttyUSB1") +
                                     "  USB 067b:2303  Prolific  USB-Serial?[2J\n       " +
                                     Dev("tav") + "\nCOM3"));
    struct Row {
        std::string path;
        std::string says;
    };
    const Row rows[] = {
        {Dev("tav"), " is " + fs::canonical(Dev("ttyUSB1")).string() + " (COM2)"},
        {Dev("ttyS0"), " is " + fs::canonical(Dev("ttyS0")).string() + " (COM4)"},
        {Dev("console-link"), " is not a serial device"},
        {Dev("tty0"), " is not a serial device"},
        {Dev("nothing"), " is not a serial device"},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(DescribeGivenPort(row.path, Resolver()), row.path + row.says);
    }
}

// --port takes every COM name as Windows does (any case, COM1..COM255, the
// \\.\ form), resolved as the window resolves them; a path is a device.
TEST(ChoosePort, TakesEveryComNameAndDevicePaths) {
    struct Row {
        const char* port;
        int index;  // -1: refused
    };
    const Row rows[] = {{"COM1", 0},          {"com9", 8},   {"COM10", 9},    {"COM15", 14},
                        {"COM16", 15},        {"COM17", 16}, {"COM255", 254}, {"COM256", -1},
                        {"\\\\.\\COM17", 16}, {"COM0", -1},  {"lpt1", -1},    {"com", -1},
                        {"/dev/ttyUSB0", 0},  {"./tav", 0}};
    for (const Row& row : rows) {
        const auto choice = ChoosePort(row.port);
        EXPECT_EQ(choice ? choice->index : -1, row.index) << row.port;
    }
    EXPECT_EQ(ChoosePort("/dev/ttyUSB0")->resolver->DevicePath(0), "/dev/ttyUSB0");
}

// The window's list marks the devices there are with what they are.
TEST_F(FakeTree, PresentPortsSayWhatEachDeviceIs) {
    const std::vector<PresentPort> present = Resolver().PresentPorts();
    ASSERT_EQ(present.size(), 4u);
    const struct {
        const char* tty;
        const char* description;
    } expected[] = {{"ttyUSB0", "FT232R USB UART (ttyUSB0)"},
                    {"ttyUSB1", "USB-Serial?[2J (ttyUSB1)"},
                    {"ttyACM0", "USB-Serial (ttyACM0)"},
                    {"ttyS0", "port szeregowy (ttyS0)"}};
    for (std::size_t i = 0; i < present.size(); ++i) {
        EXPECT_EQ(present[i].index, static_cast<int>(i));
        EXPECT_EQ(present[i].device, Dev(expected[i].tty));
        EXPECT_EQ(present[i].description, expected[i].description);
    }
    EXPECT_EQ(present[0].vendorId, "0403");
}

}  // namespace
}  // namespace tav::cli
