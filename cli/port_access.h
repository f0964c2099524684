// Which serial device tavctl opens, and why an open failed in words of the
// operating system.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "link/port_resolver.h"
#include "link/serial_link.h"

namespace tav::cli {

// --port: "COM1".."COM255" in any case or "\\.\COMn" (index 0..254, resolved
// as the window resolves them), or a device path (then index 0 of a fixed
// table). nullopt for anything else (COM0, COM256).
struct PortChoice {
    int index = 0;
    std::unique_ptr<PortResolver> resolver;
};
std::optional<PortChoice> ChoosePort(const std::string& port);

// tavctl's own line after the system's port message: the device and the
// operating system's reason, with a hint where the kind of failure has one.
std::string DescribeOpenFailure(const std::string& portName, const PortOpenOutcome& outcome);

}  // namespace tav::cli
