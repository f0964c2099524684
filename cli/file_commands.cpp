// Commands on settings files and remote lists, and the port list: no
// receiver needed (diff reads one when given --port).
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>

#include "commands.h"
#include "device_session.h"
#include "image/file_names.h"
#include "image/older_model_import.h"
#include "image_files.h"
#include "image_report.h"
#include "port_list.h"
#include "tavctl.h"
#include "translation.h"

namespace tav::cli {

int RunPorts(const Args& a) {
    if (a.flags.count("--find") != 0) {
        return RunFindReceiver(a);
    }
    ExpectPositional(a, 0);
    const PlatformPortResolver resolver;
    const bool json = a.flags.count("--json") != 0;
    std::string text = FormatPortList(resolver, json);
    // A device path given with --port (a link made by hand, say): what it is.
    if (!json && a.portGiven && a.port.find_first_of("/\\") != std::string::npos) {
        // Appended piece by piece: GCC 12 at -O3 takes "\n" + string for an
        // overlapping copy (-Wrestrict) once Qt's headers are in the unit.
        text += '\n';
        text += DescribeGivenPort(a.port, resolver);
        text += '\n';
    }
    return WriteStandardOutput(text) ? kExitDone : kExitFailed;
}

int RunShow(const Args& a) {
    if (a.positional.size() != 1) {
        throw UsageError{Tr(Tavctl::tr("show needs one settings file"))};
    }
    MemoryImage image;
    if (!LoadImage(a.positional[0], image, Missing::kRefuse)) {
        return kExitFailed;
    }
    const std::string text =
        a.flags.count("--json") != 0 ? FormatImageJson(image) : FormatImageText(image);
    return WriteStandardOutput(text) ? kExitDone : kExitFailed;
}

int RunDiff(const Args& a) {
    const bool withReceiver = a.portGiven && a.positional.size() == 1;
    if (!withReceiver && a.positional.size() != 2) {
        throw UsageError{Tr(Tavctl::tr("diff needs two settings files, or one and --port PORT"))};
    }
    // As diff(1): 0 the same, 1 different, 2 trouble.
    MemoryImage first;
    MemoryImage second;
    if (!LoadImage(a.positional[0], first, Missing::kRefuse)) {
        return kExitDiffTrouble;
    }
    if (withReceiver) {
        // The receiver's whole memory, read into an image of its own.
        std::unique_ptr<Device> dev = OpenDevice(a);
        if (RunOperation(*dev, kReadAllMemory) != OperationOutcome::Done) {
            return kExitDiffTrouble;
        }
        second = dev->image();
    } else if (!LoadImage(a.positional[1], second, Missing::kRefuse)) {
        return kExitDiffTrouble;
    }
    const std::vector<FieldDifference> fields = DifferingFields(first, second);
    std::string text;
    if (a.flags.count("--json") != 0) {
        text = FormatDiffJson(fields);
    } else {
        for (const std::string& line : DiffImages(first, second)) {
            text += line + '\n';
        }
    }
    if (!WriteStandardOutput(text)) {
        return kExitDiffTrouble;
    }
    return fields.empty() ? kExitDone : kExitDiffDifferent;
}

int RunImport(const Args& a) {
    if (a.positional.size() != 1) {
        throw UsageError{Tr(Tavctl::tr("import-tav500 needs one TAV-500 file"))};
    }
    const std::string& file = RequireImageOption(a);
    MemoryImage image;
    if (!FolderExists(file) || !LoadImage(file, image, Missing::kStartEmpty)) {
        return kExitFailed;
    }
    if (ImportOlderModelFile(image, PathFromUtf8(a.positional[0])) !=
        OlderModelImportResult::Imported) {
        Say(Tr(Tavctl::tr("tavctl: cannot read %1: %2"), a.positional[0],
               ReasonFor(a.positional[0])));
        return kExitFailed;
    }
    return SaveImage(file, image) ? kExitDone : kExitFailed;
}

}  // namespace tav::cli
