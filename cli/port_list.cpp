#include "port_list.h"

#include <filesystem>

namespace tav::cli {

namespace {

namespace fs = std::filesystem;

std::string Canonical(const std::string& path) {
    std::error_code ec;
    const fs::path p = fs::weakly_canonical(path, ec);
    return ec ? path : p.string();
}

}  // namespace

std::string PrintableText(const std::string& s) {
    std::string out;
    for (char c : s) {
        const auto b = static_cast<unsigned char>(c);
        out += b < 0x20 || b == 0x7F ? '?' : c;
    }
    return out;
}

std::string DescribePortLink(const std::string& path, const PlatformPortResolver& resolver) {
    const std::string target = Canonical(path);
    std::string com = "no COM name";
    for (int i = 0; i < kPortCount; ++i) {
        const std::optional<std::string> device = resolver.DevicePath(i);
        if (device && Canonical(*device) == target) {
            com = std::string(PortNames[static_cast<std::size_t>(i)]);
            break;
        }
    }
    return PrintableText(path) + " is " + PrintableText(target) + " (" + com + ")";
}

std::string DescribeGivenPort(const std::string& path, const PlatformPortResolver& resolver) {
    if (!resolver.IsSerialDevice(path)) {
        return PrintableText(path) + " is not a serial device";
    }
    return DescribePortLink(path, resolver);
}

}  // namespace tav::cli
