// A site's configuration on paper: what the installer hands over and keeps in
// the customer's folder. The words go through Qt's translation (context
// "ConfigurationReport"): Polish where the Polish translation is loaded, as
// in the window; English otherwise.
#pragma once

#include <QDateTime>
#include <QString>

#include "image/memory_image.h"

namespace tav::print {

struct ReportSource {
    QString file;     // the settings file's name, or empty
    QString port;     // the port it was read from, or empty
    QString version;  // the receiver's version line when read from one
    QDateTime at;     // when the report was made
};

// "TAV-1000R configuration report", translated.
QString ConfigurationReportTitle();

// The report's lines: where the configuration comes from, the date and the
// receiver's version; the remotes in use (number, name, serial, scenario);
// per scenario, each button's relays in words (mode, timer or delay with its
// time); the clock events; the display settings; lines for the installer's
// and the customer's signatures. An empty section says so ("none").
QString ConfigurationReportText(const MemoryImage& image, const ReportSource& source);

// The report as an A4 PDF at `path`, laid out as every printout (page_print.h);
// false when it cannot be written.
bool SaveConfigurationReportPdf(const QString& path, const MemoryImage& image,
                                const ReportSource& source);

}  // namespace tav::print
