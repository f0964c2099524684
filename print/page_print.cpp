#include "page_print.h"

#include <QFileInfo>
#include <QFontMetricsF>
#include <QLocale>
#include <QPainter>
#include <QPrinter>
#include <QTextLayout>

#include <algorithm>
#include <memory>
#include <vector>

namespace tav::print {

namespace {

// One laid-out line of the body: which layout, which of its lines, and where
// its top lies below the top of the body area.
struct PlacedLine {
    const QTextLayout* layout;
    int line;
    qreal y;
};

}  // namespace

bool PrintPlainText(QPrinter& printer, const QString& title, const QString& text, const QFont& font,
                    const QDateTime& printedAt) {
    printer.setDocName(title);
    printer.setFullPage(false);
    const qreal m = kPrintMarginMm;
    printer.setPageMargins(QMarginsF(m, m, m, m), QPageLayout::Millimeter);
    QFont printed = font;
    if (printed.pointSizeF() <= 0 && printed.pixelSize() > 0) {
        // A size in screen pixels would come out tiny on paper: points it is.
        printed.setPointSizeF(printed.pixelSize() * 72.0 / 96.0);
    }
    QPainter painter;
    if (!painter.begin(&printer)) {
        return false;
    }
    printed = QFont(printed, &printer);
    painter.setFont(printed);
    // The painter's origin is the top left corner inside the margins.
    const qreal width = printer.width();
    const qreal height = printer.height();
    const qreal spacing = QFontMetricsF(printed, &printer).lineSpacing();
    // A header line and a foot line, each with half a line of space towards
    // the body.
    const qreal bodyTop = spacing * 1.5;
    const qreal bodyHeight = std::max(spacing, height - 3 * spacing);

    // Lay out every line first: the foot names the number of pages.
    std::vector<std::unique_ptr<QTextLayout>> layouts;
    std::vector<std::vector<PlacedLine>> pages(1);
    qreal y = 0;
    const auto place = [&](const QTextLayout* layout, int line, qreal lineHeight) {
        if (y > 0 && y + lineHeight > bodyHeight) {
            pages.emplace_back();
            y = 0;
        }
        if (layout != nullptr) {
            pages.back().push_back({layout, line, y});
        }
        y += lineHeight;
    };
    for (const QString& line : text.split(QLatin1Char('\n'))) {
        auto layout = std::make_unique<QTextLayout>(line, printed, &printer);
        layout->beginLayout();
        for (QTextLine l = layout->createLine(); l.isValid(); l = layout->createLine()) {
            l.setLineWidth(width);
        }
        layout->endLayout();
        if (layout->lineCount() == 0) {
            place(nullptr, 0, spacing);
            continue;
        }
        for (int i = 0; i < layout->lineCount(); ++i) {
            place(layout.get(), i, std::max(spacing, layout->lineAt(i).height()));
        }
        layouts.push_back(std::move(layout));
    }

    const QString date =
        QLocale(QLocale::Polish).toString(printedAt, QStringLiteral("dd.MM.yyyy HH:mm"));
    const auto count = static_cast<int>(pages.size());
    for (int p = 0; p < count; ++p) {
        if (p > 0 && !printer.newPage()) {
            painter.end();
            return false;
        }
        const QRectF headerBox(0, 0, width, spacing);
        painter.drawText(headerBox, Qt::AlignLeft | Qt::AlignVCenter, title);
        painter.drawText(headerBox, Qt::AlignRight | Qt::AlignVCenter, date);
        const qreal rule = spacing * 1.25;
        painter.drawLine(QPointF(0, rule), QPointF(width, rule));
        for (const PlacedLine& placed : pages[static_cast<std::size_t>(p)]) {
            const QTextLine l = placed.layout->lineAt(placed.line);
            l.draw(&painter, QPointF(0, bodyTop + placed.y) - l.position());
        }
        painter.drawText(QRectF(0, height - spacing, width, spacing), Qt::AlignCenter,
                         QStringLiteral("strona %1 z %2").arg(p + 1).arg(count));
    }
    return painter.end();
}

bool PrintPlainTextToPdf(const QString& path, const QString& title, const QString& text,
                         const QFont& font, const QDateTime& printedAt) {
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(path);
    printer.setPageSize(QPageSize(QPageSize::A4));
    return PrintPlainText(printer, title, text, font, printedAt) && QFileInfo(path).size() > 0;
}

QFont ReportFont() {
    QFont font;
    // Monospaced, so that the report's columns line up; each of these holds
    // the Polish letters (DejaVu and Liberation on Linux, the others on
    // Windows).
    font.setFamilies({QStringLiteral("DejaVu Sans Mono"), QStringLiteral("Liberation Mono"),
                      QStringLiteral("Consolas"), QStringLiteral("Courier New")});
    font.setStyleHint(QFont::Monospace);
    font.setPointSizeF(9);
    return font;
}

}  // namespace tav::print
