// report: a site's configuration as a PDF for the customer's records, from a
// settings file or read from the receiver.
#include <QDateTime>
#include <QString>

#include "commands.h"
#include "device_session.h"
#include "image_files.h"
#include "link/device_version.h"
#include "link/protocol.h"
#include "print/configuration_report.h"
#include "qt_session.h"
#include "tavctl.h"
#include "translation.h"

namespace tav::cli {

int RunReport(const Args& a) {
    const auto pdf = a.options.find("--pdf");
    const bool fromReceiver = a.portGiven && a.positional.empty();
    if (pdf == a.options.end() || (!fromReceiver && (a.positional.size() != 1 || a.portGiven))) {
        throw UsageError{
            Tr(Tavctl::tr("report needs a settings file or --port PORT, and --pdf OUT.pdf"))};
    }
    if (!FolderExists(pdf->second)) {
        return kExitFailed;
    }
    MemoryImage image;
    print::ReportSource source;
    if (fromReceiver) {
        std::unique_ptr<Device> dev = OpenDevice(a);
        if (RunOperation(*dev, kReadAllMemory) != OperationOutcome::Done) {
            return kExitFailed;
        }
        image = dev->image();
        source.port = QString::fromStdString(a.port);
        source.version = QString::fromStdString(VersionText(dev->ctx().version));
    } else {
        if (!LoadImage(a.positional[0], image, Missing::kRefuse)) {
            return kExitFailed;
        }
        source.file = QString::fromStdString(a.positional[0]);
    }
    source.at = QDateTime::currentDateTime();
    NeedGui();
    if (!print::SaveConfigurationReportPdf(QString::fromStdString(pdf->second), image, source)) {
        Say(Tr(Tavctl::tr("tavctl: the report could not be written to %1"), pdf->second));
        return kExitFailed;
    }
    Say(Tr(Tavctl::tr("tavctl: report saved in %1"), pdf->second));
    return kExitDone;
}

}  // namespace tav::cli
