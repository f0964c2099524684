// Edits are never lost without a word: before anything replaces edits that
// were neither saved to a file nor written to the receiver (a load, a read, an
// import, closing the window) the window asks whether to save them first; and
// the program's empty start copy is not written over the receiver's memory
// without a question.
#include <QMessageBox>
#include <algorithm>

#include "Unit1.h"
#include "form_text.h"
#include "ui_Unit1.h"

namespace tav::ui {

bool TForm1::HasUnsavedEdits() const {
    return timerCellsTyped_.any() || image_ != cleanImage_;
}

bool TForm1::HasUnsavedEditsIn(int first, int last, std::size_t bytes) const {
    if (timerCellsTyped_.any() && first <= kLastScenarioGroupRecord && last >= kFirstTimerRecord) {
        return true;
    }
    for (int r = first; r <= last; ++r) {
        if (!std::equal(image_.RecordAt(r).begin(), image_.RecordAt(r).begin() + bytes,
                        cleanImage_.RecordAt(r).begin())) {
            return true;
        }
    }
    return false;
}

void TForm1::MarkRecordsClean(int first, int last) {
    for (int r = first; r <= last; ++r) {
        std::ranges::copy(image_.RecordAt(r), cleanImage_.RecordAt(r).begin());
    }
    ShowModified();
}

bool TForm1::MayReplaceEdits(int first, int last, const QString& what, std::size_t bytes) {
    // Typed timer cells count once they are read into the image.
    TakeTypedTimers();
    RecordEdits();
    if (!HasUnsavedEditsIn(first, last, bytes)) {
        return true;
    }
    const auto answer = services_.askQuestion(
        this,
        what + FromUtf8(" zastąpi zmiany ustawień, które nie zostały zapisane do pliku ani "
                        "wysłane do TAV-1000R.\n\nCzy najpierw zapisać je do pliku?"),
        FromUtf8("UWAGA!"), QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel,
        QMessageBox::Save);
    switch (answer) {
        case QMessageBox::Save:
            // Always through the dialog, which offers the open file's name:
            // the action may be about to load that very file. A cancelled
            // dialog or a failed save keeps the edits and stops.
            return SaveSettingsFileAs();
        case QMessageBox::Discard:
            return true;
        default:
            return false;
    }
}

bool TForm1::FormCloseQuery() {
    return MayReplaceEdits(0, kRecordCount - 1, FromUtf8("Zamknięcie programu"));
}

bool TForm1::MayWriteWholeCopy() {
    if (imageFromOutside_) {
        return true;
    }
    return services_.askQuestion(
               this,
               FromUtf8("Ustawienia w programie nie zostały odczytane z TAV-1000R ani wczytane "
                        "z pliku. Zapisanie ich zastąpi wszystkie piloty, scenariusze, "
                        "zdarzenia zegarowe i ustawienia wyświetlacza zapisane w odbiorniku."
                        "\n\nCzy na pewno zapisać je do TAV-1000R?"),
               FromUtf8("UWAGA!"), QMessageBox::Yes | QMessageBox::No,
               QMessageBox::No) == QMessageBox::Yes;
}

}  // namespace tav::ui
