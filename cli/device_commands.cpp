// Device commands that move no settings file: version, set-clock, erase and
// update-firmware.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>

#include "commands.h"
#include "console.h"
#include "device_session.h"
#include "image_files.h"
#include "link/firmware.h"
#include "link/messages.h"
#include "tavctl.h"
#include "translation.h"

namespace tav::cli {

int RunPlain(const Args& a, unsigned operation) {
    ExpectPositional(a, 0);
    std::unique_ptr<Device> dev = OpenDevice(a);
    return ExitFor(RunOperation(*dev, operation));
}

int RunVersion(const Args& a) {
    ExpectPositional(a, 0);
    std::unique_ptr<Device> dev = OpenDevice(a);
    if (!OpenSelectedPort(dev->ctx()).opened) {
        return kExitFailed;
    }
    const VersionKind kind = QueryVersion(dev->ctx());
    dev->ctx().link.ClosePort();
    if (kind == VersionKind::kUnknown) {
        Say(Tr(Tavctl::tr("tavctl: the receiver's answer is no version answer (%1)"),
               Hex(dev->ctx().version)));
    }
    if (kind != VersionKind::kApplication && kind != VersionKind::kBootLoader) {
        return kExitFailed;
    }
    WriteText(stdout, dev->host().versionText() + "\n");
    return kExitDone;
}

int RunUpdateFirmware(const Args& a) {
    ExpectPositional(a, 0);
    std::vector<std::uint8_t> firmware;
    if (const auto it = a.options.find("--firmware"); it != a.options.end()) {
        std::ifstream in(it->second, std::ios::binary);
        if (!in) {
            Say(Tr(Tavctl::tr("tavctl: cannot open %1: %2"), it->second, std::strerror(errno)));
            return kExitFailed;
        }
        firmware.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        if (firmware.size() != kFirmwareSize) {
            Say(Tr(Tavctl::tr("tavctl: %1 holds %2 bytes; a firmware image has exactly %3"),
                   it->second, std::to_string(firmware.size()), std::to_string(kFirmwareSize)));
            return kExitFailed;
        }
    } else {
        const auto built = FirmwareImage();
        if (built.size() != kFirmwareSize) {
            Say(Tr(Tavctl::tr(
                "tavctl: this build carries no firmware image; give one with --firmware FILE")));
            return kExitFailed;
        }
        firmware.assign(built.begin(), built.end());
    }
    std::unique_ptr<Device> dev = OpenDevice(a);
    dev->ctx().firmware = firmware;
    dev->host().ShowMessage(messages::kFirmwareWarning, messages::kWarning);
    const OperationOutcome outcome = RunOperation(*dev, kUpdateFirmware);
    if (KindOf(dev->ctx().version) == VersionKind::kApplication) {
        Say(Tr(Tavctl::tr("tavctl: the receiver is not in boot-loader mode (it runs its "
                          "application, %1); switch it off, then on again while holding YES and "
                          "NO, and run update-firmware again"),
               dev->host().versionText()));
        return kExitFailed;
    }
    return ExitFor(outcome);
}

}  // namespace tav::cli
