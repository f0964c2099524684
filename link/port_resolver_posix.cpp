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

// The numbers N of the devices /dev/<prefix>N, in ascending order.
std::vector<int> DeviceNumbers(const std::string& prefix) {
    std::vector<int> numbers;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator("/dev", ec)) {
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
bool UartPresent(int number) {
    const fs::path sys = fs::path("/sys/class/tty") / ("ttyS" + std::to_string(number));
    std::error_code ec;
    if (!fs::exists(sys / "device", ec)) {
        return false;
    }
    std::ifstream type(sys / "type");
    int value = 0;
    return type >> value && value != 0;
}

}  // namespace

std::optional<std::string> PlatformPortResolver::DevicePath(int index) const {
    if (index < 0 || index >= kPortCount) {
        return std::nullopt;
    }
    std::vector<std::string> devices;
    for (const char* prefix : {"ttyUSB", "ttyACM"}) {
        for (int n : DeviceNumbers(prefix)) {
            devices.push_back("/dev/" + std::string(prefix) + std::to_string(n));
        }
    }
    for (int n : DeviceNumbers("ttyS")) {
        if (UartPresent(n)) {
            devices.push_back("/dev/ttyS" + std::to_string(n));
        }
    }
    if (static_cast<std::size_t>(index) >= devices.size()) {
        return std::nullopt;
    }
    return devices[static_cast<std::size_t>(index)];
}

}  // namespace tav
