// Printed pages that had no printer to go to, saved as a PDF instead.
#pragma once

#include <QDateTime>
#include <QFont>
#include <QString>

namespace tav::ui {

struct PdfPages {
    QString dialogTitle;
    QString fileName;  // proposed
    QString folder;    // the kind of folder the dialog opens in and remembers
    QString title;
    QString text;
    QFont font;
    QDateTime printedAt;
};

}  // namespace tav::ui
