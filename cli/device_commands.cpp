// Device commands that move no settings file: version, set-clock, erase and
// update-firmware.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>

#include "commands.h"
#include "device_session.h"
#include "image_files.h"
#include "link/firmware.h"
#include "tavctl.h"

namespace tav::cli {

namespace {

constexpr std::string_view kFirmwareWarning =
    "Aby zaktualizować TAV-1001U do wersji 1.26 należy wyłączyć go, a następnie włączyć "
    "przytrzymując przyciski YES i NO.";

}  // namespace

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
    const int messagesBefore = dev->host().messageCount();
    const int kind = QueryVersion(dev->ctx());
    dev->ctx().link.ClosePort();
    if (kind == 0) {
        if (dev->host().messageCount() == messagesBefore) {
            Say("tavctl: the receiver's answer is no version answer (" + Hex(dev->ctx().version) +
                ")");
        }
        return kExitFailed;
    }
    std::printf("%s\n", dev->host().versionText().c_str());
    return kExitDone;
}

int RunUpdateFirmware(const Args& a) {
    ExpectPositional(a, 0);
    std::vector<std::uint8_t> firmware;
    if (const auto it = a.options.find("--firmware"); it != a.options.end()) {
        std::ifstream in(it->second, std::ios::binary);
        if (!in) {
            Say("tavctl: cannot open " + it->second + ": " + std::strerror(errno));
            return kExitFailed;
        }
        firmware.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        if (firmware.size() != kFirmwareSize) {
            Say("tavctl: " + it->second + " holds " + std::to_string(firmware.size()) +
                " bytes; a firmware image has exactly " + std::to_string(kFirmwareSize));
            return kExitFailed;
        }
    } else {
        const auto built = FirmwareImage();
        if (built.size() != kFirmwareSize) {
            Say("tavctl: this build carries no firmware image; give one with --firmware FILE");
            return kExitFailed;
        }
        firmware.assign(built.begin(), built.end());
    }
    std::unique_ptr<Device> dev = OpenDevice(a);
    dev->ctx().firmware = firmware;
    dev->host().ShowMessage(kFirmwareWarning, "UWAGA!");
    const OperationOutcome outcome = RunOperation(*dev, kUpdateFirmware);
    const DeviceVersion& v = dev->ctx().version;
    if (v[0] == 0x76 && v[1] == 0x07) {
        Say("tavctl: the receiver is not in boot-loader mode (it runs its application, " +
            dev->host().versionText() +
            "); switch it off, then on again while holding YES and NO, and run update-firmware "
            "again");
        return kExitFailed;
    }
    return ExitFor(outcome);
}

}  // namespace tav::cli
