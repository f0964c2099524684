// Port names ("COM1".."COM255") and the device paths they open.
#pragma once

#include <array>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tav {

// The form's list: "COM1" .. "COM15"; index 0 is "COM1".
inline constexpr int kPortCount = 15;
extern const std::array<std::string_view, kPortCount> PortNames;

// Every COM name the system can give: COM1..COM255. A port index is the
// number less one (index 16 is "COM17").
inline constexpr int kHighestPortNumber = 255;

// The index of a port named "COMn" (n 1..255, any case, no leading zero) or
// "\\.\COMn" (the device namespace form Windows needs above COM9); nullopt
// for anything else, COM0 and COM256 included.
std::optional<int> PortIndexOfName(std::string_view name);
// "COMn" for port index n - 1 (0..254).
std::string PortName(int index);

// A port the system has now, for lists that mark what exists.
struct PresentPort {
    int index = 0;            // 2: COM3
    std::string device;       // the path it opens: /dev/ttyUSB0, \\.\COM3
    std::string description;  // "FT232R USB UART (ttyUSB0)"; Windows: the friendly name
    std::string manufacturer;
    std::string vendorId;  // USB ids, lower-case hex, empty for other devices
    std::string productId;
};

class PortResolver {
  public:
    virtual ~PortResolver() = default;
    // The device that port `index` (0..254) opens now; nullopt when none.
    virtual std::optional<std::string> DevicePath(int index) const = 0;
    // The ports there are now, in index order; none where the resolver
    // cannot tell.
    virtual std::vector<PresentPort> PresentPorts() const { return {}; }
};

// What the system knows of a serial device. USB fields are empty for a
// device that does not hang off USB (a built-in UART).
struct SerialDeviceInfo {
    std::string vendorId;   // "0403"
    std::string productId;  // "6001"
    std::string manufacturer;
    std::string product;
    std::string serialNumber;
    // /dev/serial/by-id/... and links in /dev itself (a udev rule's SYMLINK, or
    // one made by hand such as /dev/tav) pointing at it.
    std::vector<std::string> stableLinks;
    bool IsUsb() const { return !vendorId.empty(); }
};

// Linux: COMn is the n-th serial device present, USB adapters (/dev/ttyUSB*)
// first, then CDC-ACM devices (/dev/ttyACM*), then built-in UARTs (/dev/ttyS*)
// that have hardware behind them. Windows: \\.\COMn.
class PlatformPortResolver final : public PortResolver {
  public:
    PlatformPortResolver() = default;
    // Linux: look for devices in `devRoot` (normally /dev) and in the sysfs
    // tree `sysRoot` (normally /sys); device paths are then under `devRoot`.
    // Tests build such trees of their own. Windows ignores both.
    PlatformPortResolver(std::string devRoot, std::string sysRoot)
        : devRoot_(std::move(devRoot)), sysRoot_(std::move(sysRoot)) {}

    std::optional<std::string> DevicePath(int index) const override;
    // Linux: the devices in COM order, each described by its USB product name
    // (or "USB-Serial", or "port szeregowy" for a UART) and its device name.
    // Windows: the COM ports in the registry's serial device map and the
    // device manager's ports class, with the device manager's friendly name,
    // manufacturer and USB ids.
    std::vector<PresentPort> PresentPorts() const override;
    // From sysfs on Linux; nothing on Windows.
    SerialDeviceInfo DescribeDevice(const std::string& devicePath) const;
    // `path`, or the file a link there names, is a serial device: on Linux a
    // tty with a device behind it in sysfs, or a pseudo-terminal; on Windows
    // a \\.\COMn name.
    bool IsSerialDevice(const std::string& path) const;

  private:
    std::string devRoot_ = "/dev";
    std::string sysRoot_ = "/sys";
};

// A fixed table, for tests and the demo.
class FixedPortResolver final : public PortResolver {
  public:
    // Port `index` (0..254) opens `path`, described as `description` (the
    // path when empty).
    void Set(int index, std::string path, std::string description = {});
    std::optional<std::string> DevicePath(int index) const override;
    std::vector<PresentPort> PresentPorts() const override;

  private:
    std::map<int, PresentPort> ports_;
};

}  // namespace tav
