// Turns the fixed port names "COM1".."COM15" into device paths.
#pragma once

#include <array>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tav {

inline constexpr int kPortCount = 15;
// "COM1" .. "COM15"; index 0 is "COM1".
extern const std::array<std::string_view, kPortCount> PortNames;

class PortResolver {
  public:
    virtual ~PortResolver() = default;
    // The device that port `index` (0..14) opens now; nullopt when none.
    virtual std::optional<std::string> DevicePath(int index) const = 0;
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
    void Set(int index, std::string path) {
        paths_.at(static_cast<std::size_t>(index)) = std::move(path);
    }
    std::optional<std::string> DevicePath(int index) const override;

  private:
    std::array<std::string, kPortCount> paths_{};
};

}  // namespace tav
