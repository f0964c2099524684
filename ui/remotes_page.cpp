// The remotes page "PILOTY": the map of the 1000 slots and the selected
// remote's number, serial number, name and scenario.
#include <QHelpEvent>
#include <QToolTip>

#include "Unit1.h"

#include "device_text.h"
#include "form_text.h"
#include "link/dispatcher.h"
#include "string_grid.h"
#include "ui_Unit1.h"

namespace tav::ui {

void TForm1::FillRemotesPage() {
    Ui::TForm1& f = *ui_;
    for (int s = 0; s < kScenarioCount; ++s) {
        f.ComboBox16->addItem(QString::asprintf("SCENARIUSZ %d", s));
    }
    f.ComboBox16->setCurrentIndex(selection_.currentScenario);
    // The selected remote's name; runs Edit4Change: the form leaves a text in the edit.
    f.Edit4->clear();
    // The selected remote's labels, empty until one is shown.
    SetCaption(f.Label1, QString());
    SetCaption(f.Label5, QString());
    SetCaption(f.Label6, QString());
}

void TForm1::RefreshRemoteGrid() {
    static const QString used = QStringLiteral("#");
    static const QString empty = QStringLiteral("_");
    for (int n = 0; n < kRemoteCount; ++n) {
        const char shown = IsRemoteSlotUsed(image_, n) ? '#' : '_';
        char& current = remoteCellShown_[static_cast<std::size_t>(n)];
        if (current != shown) {
            current = shown;
            ui_->StringGrid2->SetCell(n % kRemoteMapColumns, n / kRemoteMapColumns,
                                      shown == '#' ? used : empty);
        }
    }
    ui_->ComboBox16->setEnabled(IsRemoteSlotUsed(image_, selection_.selectedRemote));
}

void TForm1::ShowSelectedRemote() {
    const int remote = selection_.selectedRemote;
    SetCaption(ui_->Label1, QStringLiteral("PILOT NR:") + QString::number(remote + 1));
    SetCaption(ui_->Label5,
               QStringLiteral("NR SERYJNY:") + FromUtf8(FormatSerialNumber(image_, remote)));
    // A different name runs Edit4Change, which writes it back.
    ui_->Edit4->setText(DecodeDeviceText(ReadDeviceText(image_, TextFieldOffset(remote))));
    ui_->ComboBox16->setCurrentIndex(RemoteScenario(image_, remote));
    // An empty slot has no remote to give a scenario: choosing one would
    // make a remote there (00:00:00:02) that the map does not show.
    ui_->ComboBox16->setEnabled(IsRemoteSlotUsed(image_, remote));
    RefreshDumpView();
    update();
}

QString TForm1::RemoteHint(int remote) const {
    QString hint = QStringLiteral("PILOT NR:") + QString::number(remote + 1);
    if (!IsRemoteSlotUsed(image_, remote)) {
        return hint + FromUtf8(" (wolne miejsce)");
    }
    const QString name = DecodeDeviceText(ReadDeviceText(image_, TextFieldOffset(remote)));
    if (!name.isEmpty()) {
        hint += QStringLiteral("\nNAZWA: ") + name;
    }
    return hint + QStringLiteral("\nNR SERYJNY:") + FromUtf8(FormatSerialNumber(image_, remote));
}

void TForm1::ShowRemoteHint(const QHelpEvent& event) {
    TStringGrid& grid = *ui_->StringGrid2;
    int col = 0;
    int row = 0;
    if (!grid.MouseToCell(event.pos(), &col, &row)) {
        QToolTip::hideText();
        return;
    }
    const QRect cell = grid.visualRect(grid.model()->index(row, col));
    QToolTip::showText(event.globalPos(), RemoteHint(row * kRemoteMapColumns + col),
                       grid.viewport(), cell);
}

void TForm1::StringGrid2MouseDown(Qt::MouseButton, QPoint pos) {
    int col = 0;
    int row = 0;
    if (!ui_->StringGrid2->MouseToCell(pos, &col, &row)) {
        return;
    }
    SelectRemote(row * kRemoteMapColumns + col);
}

void TForm1::SelectRemote(int remote) {
    selection_.selectedRemote = remote;
    selection_.selectedRemoteOffset = selection_.selectedRemote * static_cast<int>(kRecordSize);
    ShowSelectedRemote();
}

void TForm1::StringGrid2KeyMove() {
    const QModelIndex at = ui_->StringGrid2->currentIndex();
    if (at.isValid()) {
        SelectRemote(at.row() * kRemoteMapColumns + at.column());
    }
}

void TForm1::Edit4Change() {
    WriteDeviceText(image_, TextFieldOffset(selection_.selectedRemote),
                    EncodeDeviceText(ui_->Edit4->text()));
    RefreshDumpView();
}

void TForm1::ComboBox16Change(int index) {
    if (index < 0 || !IsRemoteSlotUsed(image_, selection_.selectedRemote)) {
        return;
    }
    SetRemoteScenario(image_, selection_.selectedRemote, index);
    RefreshDumpView();
}

void TForm1::Button1Click() {
    RunDeviceOperation(kReadSelectedRemote);
}
void TForm1::Button2Click() {
    RunDeviceOperation(kWriteSelectedRemote);
}
}  // namespace tav::ui
