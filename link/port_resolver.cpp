#include "link/port_resolver.h"

#include <cctype>
#include <stdexcept>

namespace tav {

const std::array<std::string_view, kPortCount> PortNames = {
    "COM1", "COM2",  "COM3",  "COM4",  "COM5",  "COM6",  "COM7",  "COM8",
    "COM9", "COM10", "COM11", "COM12", "COM13", "COM14", "COM15",
};

namespace {

// `s` starts with `prefix`, letters in any case.
bool StartsWithFolded(std::string_view s, std::string_view prefix) {
    if (s.size() < prefix.size()) {
        return false;
    }
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        if (std::toupper(static_cast<unsigned char>(s[i])) != prefix[i]) {
            return false;
        }
    }
    return true;
}

}  // namespace

std::optional<int> PortIndexOfName(std::string_view name) {
    if (StartsWithFolded(name, "\\\\.\\")) {
        name.remove_prefix(4);
    }
    if (!StartsWithFolded(name, "COM")) {
        return std::nullopt;
    }
    const std::string_view digits = name.substr(3);
    if (digits.empty() || digits.size() > 3 || digits.front() == '0') {
        return std::nullopt;
    }
    int n = 0;
    for (char c : digits) {
        if (c < '0' || c > '9') {
            return std::nullopt;
        }
        n = n * 10 + (c - '0');
    }
    if (n > kHighestPortNumber) {
        return std::nullopt;
    }
    return n - 1;
}

std::string PortName(int index) {
    return "COM" + std::to_string(index + 1);
}

void FixedPortResolver::Set(int index, std::string path, std::string description) {
    if (index < 0 || index >= kHighestPortNumber) {
        throw std::out_of_range("port index " + std::to_string(index));
    }
    PresentPort& port = ports_[index];
    port.index = index;
    port.description = description.empty() ? path : std::move(description);
    port.device = std::move(path);
}

std::optional<std::string> FixedPortResolver::DevicePath(int index) const {
    const auto it = ports_.find(index);
    if (it == ports_.end() || it->second.device.empty()) {
        return std::nullopt;
    }
    return it->second.device;
}

std::vector<PresentPort> FixedPortResolver::PresentPorts() const {
    std::vector<PresentPort> present;
    for (const auto& [index, port] : ports_) {
        if (!port.device.empty()) {
            present.push_back(port);
        }
    }
    return present;
}

}  // namespace tav
