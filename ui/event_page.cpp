// The event page "ZDARZENIA": on-line reception, the history download, and
// saving and printing the event log.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>

#include "Unit1.h"
#include "device_text.h"
#include "form_text.h"
#include "link/messages.h"
#include "ui_Unit1.h"

namespace tav::ui {

namespace {

const QString kSaveTitle = QStringLiteral("Zapisywanie zdarzen z TAV-1000");
const QString kSaveFilter = QStringLiteral("Pliki tekstowe *.txt (*.txt)");
const QString kPrintTitle = QStringLiteral("TAV-2000 zdrzenia");

// The lines of the view, in Windows-1250, each ended by CR LF.
QByteArray EventLogBytes(const QPlainTextEdit& view, bool hasLines) {
    QByteArray bytes;
    if (!hasLines) {
        return bytes;
    }
    const QTextDocument& document = *view.document();
    for (QTextBlock b = document.begin(); b != document.end(); b = b.next()) {
        const std::string line = EncodeDeviceText(b.text());
        bytes.append(line.data(), static_cast<qsizetype>(line.size()));
        bytes.append("\r\n", 2);
    }
    return bytes;
}

// "zdarzenia-2026-12-08.txt": the name the save dialogs of the log offer.
QString DatedLogName(const LocalDateTime& now, const char* extension) {
    return QString::asprintf("zdarzenia-%04d-%02d-%02d.%s", now.year, now.month, now.day,
                             extension);
}

// The dated name in `folder` (the working folder when empty), or with "-2", "-3", ... before the
// extension when a log of that name is there already.
QString NextFreeLogName(const QString& folder, const LocalDateTime& now) {
    const QDir dir(folder);
    QString name = DatedLogName(now, "txt");
    for (int n = 2; QFileInfo::exists(dir.filePath(name)); ++n) {
        name =
            QString::asprintf("zdarzenia-%04d-%02d-%02d-%d.txt", now.year, now.month, now.day, n);
    }
    return folder.isEmpty() ? name : dir.filePath(name);
}

enum class SaveOutcome { kSaved, kExists, kFailed };

// Creates `path`, which must not exist yet: the check and the creation are one
// step, so nothing that exists (readable or not, or made meanwhile by another
// program) is ever overwritten. On a failure after the creation the file is
// removed again, so no part of a log is left behind.
SaveOutcome WriteNewFile(const QString& path, const QByteArray& bytes, QString* reason) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
        const QFileInfo info(path);
        if (info.exists() || info.isSymLink()) {
            return SaveOutcome::kExists;
        }
        *reason = file.errorString();
        return SaveOutcome::kFailed;
    }
    const bool written = file.write(bytes) == bytes.size() && file.flush();
    if (!written) {
        *reason = file.errorString();
    }
    file.close();
    if (written && file.error() == QFileDevice::NoError) {
        return SaveOutcome::kSaved;
    }
    if (reason->isEmpty()) {
        *reason = file.errorString();
    }
    file.remove();
    return SaveOutcome::kFailed;
}

}  // namespace

// ---- On-line reception ------------------------------------------------------

// The buttons of both sets, in the order they are applied; the last two are
// the stop and history buttons, which the sets switch the other way.
std::array<QPushButton*, 15> TForm1::ReceptionButtons() const {
    const Ui::TForm1& f = *ui_;
    return {f.Button1,  f.Button2,  f.Button3,  f.Button4,  f.Button7,
            f.Button8,  f.Button13, f.Button17, f.Button18, f.Button16,
            f.Button15, f.Button12, f.Button10, f.Button11, f.Button14};
}

void TForm1::SetOnlineButtons() {
    const auto buttons = ReceptionButtons();
    for (std::size_t i = 0; i < buttons.size(); ++i) {
        const bool on = i >= buttons.size() - 2;
        buttons[i]->setEnabled(on);
        buttons[i]->setToolTip(on ? QString() : FromUtf8(kBusyOnline));
    }
    findButton_->setEnabled(false);
    findButton_->setToolTip(FromUtf8(kBusyOnline));
    ShowPortState();
}

void TForm1::SetOfflineButtons() {
    const auto buttons = ReceptionButtons();
    for (std::size_t i = 0; i < buttons.size(); ++i) {
        const bool on = i < buttons.size() - 2;
        buttons[i]->setEnabled(on);
        buttons[i]->setToolTip(on ? QString() : FromUtf8(kOnlyOnline));
    }
    findButton_->setEnabled(true);
    findButton_->setToolTip(FromUtf8(kFindTip));
    ShowPortState();
}

void TForm1::Button10Click() {
    // The flag goes on first: the dispatcher refuses from here on, also while
    // a failure message of the start is open.
    onlineReceptionActive_ = true;
    context_.portIndex = SelectedPortIndex();
    bool started = false;
    RunWithoutInput([&] { started = StartOnlineReception(context_, eventLines_); });
    if (!started) {
        onlineReceptionActive_ = false;
        return;
    }
    SetOnlineButtons();
}

void TForm1::StopOnlineReception() {
    onlineReceptionActive_ = false;
    link_.ClosePort();
    SetOfflineButtons();
}

void TForm1::Button11Click() {
    StopOnlineReception();
}

void TForm1::Button14Click() {
    if (!onlineReceptionActive_) {
        return;  // the button is enabled only while reception holds the port
    }
    // Two bytes on a port already open: short enough for the window's thread,
    // and the reception ticks go on while the notice below 1.12 is open.
    RequestEventHistory(context_, eventLines_);
}

void TForm1::Timer2Timer() {
    // While the start or a history request has the port, the tick waits.
    if (!onlineReceptionActive_ || operationRunning_) {
        return;
    }
    PollEventStream(context_, eventLines_);
    if (link_.PortHungUp()) {
        // The adapter has gone: what had arrived is shown, nothing more can
        // come. Reception is off before the message, so the ticks that run
        // while it is open do nothing and it is shown once.
        PollEventStream(context_, eventLines_);
        StopOnlineReception();
        ShowMessage(FromUtf8("Połączenie z TAV-1000R zostało przerwane. Odbieranie zdarzeń "
                             "zakończone."),
                    FromUtf8(messages::kError));
    }
}

void TForm1::AppendEventLine(std::string_view line) {
    QPlainTextEdit& view = *ui_->RichEdit1;
    QScrollBar& bar = *view.verticalScrollBar();
    const bool follow = bar.value() == bar.maximum();
    // A cursor of its own, so that the user's selection stays where it is.
    QTextCursor end(view.document());
    end.movePosition(QTextCursor::End);
    if (eventViewHasLines_) {
        end.insertBlock();
    }
    end.insertText(DecodeDeviceText(line));
    eventViewHasLines_ = true;
    if (follow) {
        bar.setValue(bar.maximum());
    }
}

// ---- Saving and printing the log -------------------------------------------

void TForm1::Button19Click() {
    SaveDialog1.Title = kSaveTitle;
    SaveDialog1.Filter = kSaveFilter;
    SaveDialog1.DefaultExt = QStringLiteral("txt");
    // A log never replaces a file: the dialog asks nothing about replacing,
    // offers a name that is free, and comes back when an existing file was
    // chosen all the same.
    SaveDialog1.ConfirmOverwrite = false;
    for (;;) {
        // The dialog is shared with the settings files: it offers a log's
        // name in the log's folder, never the settings file saved last.
        SaveDialog1.FileName = NextFreeLogName(logFolder_, services_.localClock->Now());
        SaveDialog1.InitialDir = logFolder_;
        const bool chosen = SaveDialog1.Execute();
        SaveDialog1.ConfirmOverwrite = true;
        if (!chosen) {
            return;
        }
        // The lines the view holds now, after the dialog: reception went on
        // while it was open.
        const QString path = SaveDialog1.FileName;
        QString reason;
        switch (WriteNewFile(path, EventLogBytes(*ui_->RichEdit1, eventViewHasLines_), &reason)) {
            case SaveOutcome::kSaved:
                logFolder_ = QFileInfo(path).absolutePath();
                ShowMessage(QStringLiteral("Plik ze zdarzeniami zostal zapisany!"),
                            FromUtf8(messages::kOk));
                return;
            case SaveOutcome::kExists:
                ShowMessage(FromUtf8("Plik już istnieje! Zapisz pod inną nazwą!"),
                            FromUtf8("BŁĄD!"));
                logFolder_ = QFileInfo(path).absolutePath();
                SaveDialog1.ConfirmOverwrite = false;
                break;
            case SaveOutcome::kFailed:
                ShowMessage(FromUtf8("Nie można zapisać pliku ") + QDir::toNativeSeparators(path) +
                                QStringLiteral(": ") + reason,
                            FromUtf8(messages::kError));
                return;
        }
    }
}

void TForm1::Button20Click() {
    const QPlainTextEdit& view = *ui_->RichEdit1;
    const QString text = eventViewHasLines_ ? view.toPlainText() : QString();
    // The print dialog (printer, pages, copies) from its preview.
    if (services_.previewAndPrint(this, kPrintTitle, text, view.font())) {
        return;
    }
    // No printer: the same pages can still go into a PDF file.
    const auto answer = services_.askQuestion(
        this,
        FromUtf8("Nie można wydrukować zdarzeń: brak dostępnej drukarki.\n\n"
                 "Czy zapisać wydruk do pliku PDF?"),
        FromUtf8(messages::kError), QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes);
    if (answer != QMessageBox::Yes) {
        return;
    }
    const LocalDateTime now = services_.localClock->Now();
    SavePagesAsPdf({.dialogTitle = FromUtf8("Zapisywanie wydruku zdarzeń"),
                    .fileName = DatedLogName(now, "pdf"),
                    .folder = QStringLiteral("eventPrint"),
                    .title = kPrintTitle,
                    .text = text,
                    .font = view.font(),
                    .printedAt = QDateTime(QDate(now.year, now.month, now.day),
                                           QTime(now.hour, now.minute, now.second))});
}

void TForm1::Button21Click() {
    ui_->RichEdit1->clear();
    eventViewHasLines_ = false;
}

}  // namespace tav::ui
