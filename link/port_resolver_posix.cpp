// COMn on Linux: the n-th serial device present, USB adapters first, then
// CDC-ACM devices, then built-in UARTs that have hardware behind them.
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "link/port_resolver.h"

namespace tav {
namespace {

namespace fs = std::filesystem;

// The numbers N of the devices <dev>/<prefix>N, in ascending order.
std::vector<int> DeviceNumbers(const fs::path& dev, const std::string& prefix) {
    std::vector<int> numbers;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(dev, ec)) {
        const std::string name = entry.path().filename().string();
        if (name.size() <= prefix.size() || name.compare(0, prefix.size(), prefix) != 0) {
            continue;
        }
        const std::string digits = name.substr(prefix.size());
        if (!std::all_of(digits.begin(), digits.end(),
                         [](char c) { return c >= '0' && c <= '9'; }) ||
            digits.size() > 4) {
            continue;
        }
        numbers.push_back(std::stoi(digits));
    }
    std::sort(numbers.begin(), numbers.end());
    return numbers;
}

// The kernel creates ttyS0..ttyS31 whether or not a UART is fitted; a port
// without hardware reports the type 0 (unknown) in sysfs.
bool UartPresent(const fs::path& sysRoot, int number) {
    const fs::path sys = sysRoot / "class/tty" / ("ttyS" + std::to_string(number));
    std::error_code ec;
    if (!fs::exists(sys / "device", ec)) {
        return false;
    }
    std::ifstream type(sys / "type");
    int value = 0;
    return type >> value && value != 0;
}

std::string FirstLine(const fs::path& file) {
    std::ifstream in(file);
    std::string line;
    std::getline(in, line);
    return line;
}

// The serial devices present, in COM order.
std::vector<std::string> PresentDevices(const fs::path& dev, const fs::path& sysRoot) {
    std::vector<std::string> devices;
    for (const char* prefix : {"ttyUSB", "ttyACM"}) {
        for (int n : DeviceNumbers(dev, prefix)) {
            devices.push_back((dev / (prefix + std::to_string(n))).string());
        }
    }
    for (int n : DeviceNumbers(dev, "ttyS")) {
        if (UartPresent(sysRoot, n)) {
            devices.push_back((dev / ("ttyS" + std::to_string(n))).string());
        }
    }
    return devices;
}

}  // namespace

std::optional<std::string> PlatformPortResolver::DevicePath(int index) const {
    if (index < 0 || index >= kHighestPortNumber) {
        return std::nullopt;
    }
    const std::vector<std::string> devices = PresentDevices(devRoot_, sysRoot_);
    if (static_cast<std::size_t>(index) >= devices.size()) {
        return std::nullopt;
    }
    return devices[static_cast<std::size_t>(index)];
}

std::vector<PresentPort> PlatformPortResolver::PresentPorts() const {
    std::vector<PresentPort> present;
    for (const std::string& device : PresentDevices(devRoot_, sysRoot_)) {
        if (present.size() == static_cast<std::size_t>(kHighestPortNumber)) {
            break;
        }
        const SerialDeviceInfo info = DescribeDevice(device);
        PresentPort port;
        port.index = static_cast<int>(present.size());
        port.device = device;
        const std::string what = !info.product.empty() ? info.product
                                 : info.IsUsb()        ? "USB-Serial"
                                                       : "port szeregowy";
        port.description = what + " (" + fs::path(device).filename().string() + ")";
        // Words from a device are shown as they are, control characters not.
        std::replace_if(
            port.description.begin(), port.description.end(),
            [](char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7F; }, '?');
        port.manufacturer = info.manufacturer;
        port.vendorId = info.vendorId;
        port.productId = info.productId;
        present.push_back(std::move(port));
    }
    return present;
}

SerialDeviceInfo PlatformPortResolver::DescribeDevice(const std::string& devicePath) const {
    SerialDeviceInfo info;
    std::error_code ec;
    const fs::path device = fs::weakly_canonical(devicePath, ec);
    // The USB device is the nearest folder above the tty's own device that
    // carries idVendor (ttyUSB: interface, then device; ttyACM: the same).
    const fs::path sys = sysRoot_;
    fs::path at = fs::canonical(sys / "class/tty" / device.filename() / "device", ec);
    const fs::path top = fs::weakly_canonical(sys, ec);
    for (int depth = 0; !ec && depth < 8 && !at.empty() && at != top && at != at.root_path();
         ++depth, at = at.parent_path()) {
        if (fs::exists(at / "idVendor", ec)) {
            info.vendorId = FirstLine(at / "idVendor");
            info.productId = FirstLine(at / "idProduct");
            info.manufacturer = FirstLine(at / "manufacturer");
            info.product = FirstLine(at / "product");
            info.serialNumber = FirstLine(at / "serial");
            break;
        }
    }
    for (const fs::path& folder : {fs::path(devRoot_) / "serial/by-id", fs::path(devRoot_)}) {
        ec.clear();
        for (const auto& entry : fs::directory_iterator(folder, ec)) {
            std::error_code linkError;
            if (entry.is_symlink(linkError) &&
                fs::weakly_canonical(entry.path(), linkError) == device && !linkError) {
                info.stableLinks.push_back(entry.path().string());
            }
        }
    }
    std::sort(info.stableLinks.begin(), info.stableLinks.end());
    return info;
}

bool PlatformPortResolver::IsSerialDevice(const std::string& path) const {
    std::error_code ec;
    const fs::path device = fs::canonical(path, ec);
    if (ec) {
        return false;
    }
    if (device.parent_path() == fs::weakly_canonical(fs::path(devRoot_) / "pts", ec)) {
        return device.filename() != "ptmx";
    }
    return fs::exists(fs::path(sysRoot_) / "class/tty" / device.filename() / "device", ec);
}

}  // namespace tav
