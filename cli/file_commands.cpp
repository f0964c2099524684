// Commands on settings files and remote lists, and the port list: no
// receiver needed (diff reads one when given --port).
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>

#include "commands.h"
#include "device_session.h"
#include "image/older_model_import.h"
#include "image_files.h"
#include "image_report.h"
#include "port_list.h"
#include "remote_list.h"
#include "tavctl.h"

namespace tav::cli {

int RunPorts(const Args& a) {
    ExpectPositional(a, 0);
    const std::string text = FormatPortList(PlatformPortResolver(), a.flags.count("--json") != 0);
    return WriteStandardOutput(text) ? kExitDone : kExitFailed;
}

int RunShow(const Args& a) {
    if (a.positional.size() != 1) {
        throw UsageError{"show needs one settings file"};
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
        throw UsageError{"diff needs two settings files, or one and --port PORT"};
    }
    MemoryImage first;
    MemoryImage second;
    if (!LoadImage(a.positional[0], first, Missing::kRefuse)) {
        return kExitFailed;
    }
    if (withReceiver) {
        // The receiver's whole memory, read into an image of its own.
        std::unique_ptr<Device> dev = OpenDevice(a);
        if (RunOperation(*dev, kReadAllMemory) != OperationOutcome::Done) {
            return kExitFailed;
        }
        second = dev->image();
    } else if (!LoadImage(a.positional[1], second, Missing::kRefuse)) {
        return kExitFailed;
    }
    if (a.flags.count("--json") != 0) {
        const std::string text = FormatDiffJson(DifferingFields(first, second));
        return WriteStandardOutput(text) ? kExitDone : kExitFailed;
    }
    std::string text;
    for (const std::string& line : DiffImages(first, second)) {
        text += line + '\n';
    }
    return WriteStandardOutput(text) ? kExitDone : kExitFailed;
}

int RunImport(const Args& a) {
    if (a.positional.size() != 1) {
        throw UsageError{"import-tav500 needs one TAV-500 file"};
    }
    const std::string& file = RequireImageOption(a);
    MemoryImage image;
    if (!FolderExists(file) || !LoadImage(file, image, Missing::kStartEmpty)) {
        return kExitFailed;
    }
    if (ImportOlderModelFile(image, a.positional[0]) != OlderModelImportResult::Imported) {
        Say("tavctl: cannot read " + a.positional[0] + ": " + ReasonFor(a.positional[0]));
        return kExitFailed;
    }
    return SaveImage(file, image) ? kExitDone : kExitFailed;
}

int RunRemotes(const Args& a) {
    const std::string verb = a.positional.empty() ? "" : a.positional[0];
    if (verb == "export") {
        const auto csv = a.options.find("--csv");
        if (a.positional.size() != 2 || csv == a.options.end() || a.options.count("--image")) {
            throw UsageError{"remotes export needs a settings file and --csv OUT"};
        }
        MemoryImage image;
        if (!LoadImage(a.positional[1], image, Missing::kRefuse) || !FolderExists(csv->second)) {
            return kExitFailed;
        }
        return SaveTextFile(csv->second, ExportRemotesCsv(image)) ? kExitDone : kExitFailed;
    }
    if (verb == "import") {
        if (a.positional.size() != 2 || a.options.count("--csv")) {
            throw UsageError{"remotes import needs a CSV file and --image FILE"};
        }
        const std::string& file = RequireImageOption(a);
        const std::string& in = a.positional[1];
        std::ifstream csv(in, std::ios::binary);
        if (!csv) {
            Say("tavctl: cannot open " + in + ": " + std::strerror(errno));
            return kExitFailed;
        }
        const std::string text((std::istreambuf_iterator<char>(csv)),
                               std::istreambuf_iterator<char>());
        MemoryImage image;
        if (!FolderExists(file) || !LoadImage(file, image, Missing::kStartEmpty)) {
            return kExitFailed;
        }
        int imported = 0;
        const std::vector<std::string> errors = ImportRemotesCsv(image, text, &imported);
        if (!errors.empty()) {
            for (const std::string& e : errors) {
                Say("tavctl: " + in + " " + e);
            }
            Say("tavctl: " + Count(errors.size(), "bad row") + "; nothing was imported");
            return kExitFailed;
        }
        if (!SaveImage(file, image)) {
            return kExitFailed;
        }
        Say("tavctl: " + Count(static_cast<std::size_t>(imported), "remote") + " imported into " +
            file);
        return kExitDone;
    }
    throw UsageError{"remotes needs export or import"};
}

}  // namespace tav::cli
