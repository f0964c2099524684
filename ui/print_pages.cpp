// Pages that could not go to a printer go into a PDF file instead: the event
// log's printout and the configuration report share this way out.
#include <QDir>

#include "Unit1.h"
#include "form_text.h"
#include "link/messages.h"

namespace tav::ui {

bool TForm1::SavePagesAsPdf(const PdfPages& pages) {
    SaveDialog1.Title = pages.dialogTitle;
    SaveDialog1.Filter = QStringLiteral("Pliki PDF *.pdf (*.pdf)");
    SaveDialog1.DefaultExt = QStringLiteral("pdf");
    SaveDialog1.FileName = pages.fileName;
    SaveDialog1.InitialDir = FolderFor(pages.folder);
    if (!SaveDialog1.Execute()) {
        return false;
    }
    RememberFolder(pages.folder, SaveDialog1.FileName);
    const QString shown = QDir::toNativeSeparators(SaveDialog1.FileName);
    if (!PrintPlainTextToPdf(SaveDialog1.FileName, pages.title, pages.text, pages.font,
                             pages.printedAt)) {
        ShowMessage(FromUtf8("Nie można zapisać pliku ") + shown, FromUtf8(messages::kError));
        return false;
    }
    // The file dialog is gone by now: say where the pages went.
    ShowMessage(FromUtf8("Wydruk zapisano do pliku PDF:\n") + shown, pages.title);
    return true;
}

}  // namespace tav::ui
