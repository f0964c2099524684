#include "port_access.h"
#include "translation.h"

namespace tav::cli {

std::optional<PortChoice> ChoosePort(const std::string& port) {
    // As Windows takes them: com1 is COM1, \\.\COM17 is COM17.
    if (const std::optional<int> index = PortIndexOfName(port)) {
        return PortChoice{*index, std::make_unique<PlatformPortResolver>()};
    }
    if (port.find('/') != std::string::npos || port.find('\\') != std::string::npos) {
        auto fixed = std::make_unique<FixedPortResolver>();
        fixed->Set(0, port);
        return PortChoice{0, std::move(fixed)};
    }
    return std::nullopt;
}

std::string DescribeOpenFailure(const std::string& portName, const PortOpenOutcome& outcome) {
    if (outcome.devicePath.empty()) {
        return Tr(Tavctl::tr("tavctl: %1 names no serial device on this computer"), portName);
    }
    const std::string device =
        outcome.devicePath != portName ? outcome.devicePath + " (" + portName + ")" : portName;
    std::string s = Tr(Tavctl::tr("tavctl: cannot open %1: %2"), device,
                       outcome.reason.empty() ? Tr(Tavctl::tr("unknown reason")) : outcome.reason);
    switch (outcome.error) {
        case PortErrorKind::kNoPermission:
            s +=
                Tr(Tavctl::tr("; join the group that owns the device (usually dialout: "
                              "sudo usermod -aG dialout $USER) and log in again"));
            break;
        case PortErrorKind::kBusy:
            s += Tr(Tavctl::tr("; another program holds the port"));
            break;
        default:
            break;
    }
    return s;
}

}  // namespace tav::cli
