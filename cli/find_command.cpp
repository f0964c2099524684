// ports --find: which port the receiver answers on.
#include <string>
#include <vector>

#include "commands.h"
#include "image_files.h"
#include "link/receiver_finder.h"
#include "link/serial_port.h"
#include "tavctl.h"
#include "translation.h"

namespace tav::cli {

int RunFindReceiver(const Args& a) {
    // The devices named on the command line, or else every COM name that
    // opens a device now.
    std::vector<std::string> names;
    std::vector<std::string> paths;
    if (!a.positional.empty()) {
        names = a.positional;
        paths = a.positional;
    } else {
        for (const PresentPort& port : PlatformPortResolver().PresentPorts()) {
            names.push_back(PortName(port.index));
            paths.push_back(port.device);
        }
    }
    if (paths.empty()) {
        Say(Tr(Tavctl::tr("tavctl: no serial port is present")));
        return kExitFailed;
    }
    SystemTiming timing;
    const auto found = FindReceiver(paths, MakePlatformSerialPort, timing);
    if (!found) {
        Say(Tr(Tavctl::tr("tavctl: no TAV-1000R answers on any port present (%1 asked)"),
               std::to_string(paths.size())));
        return kExitFailed;
    }
    return WriteStandardOutput(names[found->index] + '\n') ? kExitDone : kExitFailed;
}

}  // namespace tav::cli
