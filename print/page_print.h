// Printed pages of plain text, one layout for every printout of the tool (the
// event log, the configuration report): A4 or the printer's paper, margins of
// kPrintMarginMm, a header line with the title and the date, "strona N z M"
// at each page's foot.
#pragma once

#include <QDateTime>
#include <QFont>
#include <QString>

class QPrinter;

namespace tav::print {

// Margins of a printout, inside which every mark lies, header and footer too.
inline constexpr double kPrintMarginMm = 15.0;

// Prints `text` (lines separated by "\n") on `printer` as one job titled
// `title`: `font` at its point size inside margins of kPrintMarginMm on every
// side, lines wrapped at the width between them, as many pages as the lines
// need. Each page has a header line with the title and `printedAt`, and
// "strona N z M" at its foot. False when the printer cannot be started.
bool PrintPlainText(QPrinter& printer, const QString& title, const QString& text, const QFont& font,
                    const QDateTime& printedAt = QDateTime::currentDateTime());

// The same pages as an A4 PDF file at `path`; false when it cannot be written.
bool PrintPlainTextToPdf(const QString& path, const QString& title, const QString& text,
                         const QFont& font,
                         const QDateTime& printedAt = QDateTime::currentDateTime());

// The report's font: monospaced, 9 points, one that has the Polish letters.
QFont ReportFont();

}  // namespace tav::print
