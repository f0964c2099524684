#include "device_session.h"

#include <cstdio>
#include <filesystem>
#include <optional>

#include "console.h"
#include "image/file_names.h"
#include "image_files.h"
#include "link/protocol.h"
#include "port_list.h"
#include "tavctl.h"
#include "translation.h"

namespace tav::cli {

Device::Device(const std::string& port, PortChoice choice)
    : choice_(std::move(choice)),
      link_(MakePlatformSerialPort, *choice_.resolver, timing_),
      host_(stderr, StandardErrorIsTerminal()),
      ctx_{link_, image_, host_, clock_, choice_.index} {
    host_.SetPortFailureObserver(
        [port](const PortOpenOutcome& outcome) { Say(DescribeOpenFailure(port, outcome)); });
}

std::unique_ptr<Device> OpenDevice(const Args& a) {
    std::optional<PortChoice> choice = ChoosePort(a.port);
    if (!choice) {
        throw UsageError{Tr(Tavctl::tr("unknown port %1 (COM1..COM255 or a device path)"), a.port)};
    }
    // A stable link (/dev/serial/by-id/...): say once which port it is.
    static bool linkNamed = false;
    std::error_code ec;
    if (!linkNamed && a.port.find('/') != std::string::npos &&
        std::filesystem::is_symlink(PathFromUtf8(a.port), ec)) {
        linkNamed = true;
        Say("tavctl: " + DescribePortLink(a.port, PlatformPortResolver()));
    }
    return std::make_unique<Device>(a.port, std::move(*choice));
}

int ExitFor(OperationOutcome outcome) {
    return outcome == OperationOutcome::Done ? kExitDone : kExitFailed;
}

std::string Hex(const DeviceVersion& v) {
    std::string s;
    char buf[4];
    for (std::uint8_t b : v) {
        std::snprintf(buf, sizeof buf, s.empty() ? "%02x" : " %02x", b);
        s += buf;
    }
    return s;
}

OperationOutcome RunOperation(Device& dev, unsigned operation) {
    const OperationOutcome outcome = RunDeviceOperation(dev.ctx(), operation);
    if (outcome.reason == OutcomeReason::kUnknownVersion) {
        Say(Tr(Tavctl::tr("tavctl: the receiver's answer is no version answer (%1)"),
               Hex(dev.ctx().version)));
    }
    return outcome;
}

bool ReadFromReceiver(const Args& a, const std::vector<int>& records, bool whole,
                      MemoryImage& into) {
    std::unique_ptr<Device> dev = OpenDevice(a);
    dev->image() = into;
    OperationOutcome outcome;
    if (whole || records.size() > static_cast<std::size_t>(SingleRecordLimit(kSingleReadMicros))) {
        outcome = RunOperation(*dev, kReadAllMemory);
    } else {
        outcome = RunDeviceWork(
            dev->ctx(), [&records](DeviceContext& ctx) { return ReadRecordList(ctx, records); });
    }
    if (outcome != OperationOutcome::Done) {
        return false;
    }
    into = dev->image();
    return true;
}

}  // namespace tav::cli
