// The device settings page "POZOSTALE": the display settings of the group
// "NA WYSWIETLACZU" and the four clock events of "ZDARZENIA ZEGAROWE (ALARMY)".
#include "Unit1.h"

#include <QSignalBlocker>

#include "device_text.h"
#include "form_text.h"
#include "link/dispatcher.h"
#include "ui_Unit1.h"

namespace tav::ui {

// ---- Display settings ------------------------------------------------------

void TForm1::StoreDisplaySettings() {
    WriteDisplayText(image_, EncodeDeviceText(ui_->Edit1->text()));
    const int mode = ui_->ComboBox15->currentIndex();
    SetDisplayMode(image_, mode < 0 ? 0xFF : static_cast<std::uint8_t>(mode));
    ui_->Edit1->setEnabled(mode == 3);
    SetEventConfirmation(image_, ui_->potw_zd_CBox->isChecked());
    SetButtonAsRemote(image_, ui_->przyc_jako_pilotCB->isChecked());
    RefreshDumpView();
}

void TForm1::ShowDisplaySettings() {
    Ui::TForm1& f = *ui_;
    const QSignalBlocker b1(f.ComboBox15);
    const QSignalBlocker b2(f.potw_zd_CBox);
    const QSignalBlocker b3(f.przyc_jako_pilotCB);
    const QSignalBlocker b4(f.Edit1);
    const std::uint8_t mode = DisplayMode(image_);
    f.ComboBox15->setCurrentIndex(mode <= 3 ? mode : -1);
    f.potw_zd_CBox->setChecked(IsEventConfirmationOn(image_));
    const bool asRemote = IsButtonAsRemoteOn(image_);
    f.przyc_jako_pilotCB->setChecked(asRemote);
    f.przyc_jako_pilotCB->setEnabled(asRemote);
    f.Edit1->setText(DecodeDeviceText(ReadDeviceText(image_, kDisplayTextOffset)));
    f.Edit1->setEnabled(f.ComboBox15->currentIndex() == 3);
    f.Edit1->repaint();
    f.ComboBox15->repaint();
    f.potw_zd_CBox->repaint();
    f.przyc_jako_pilotCB->repaint();
}

void TForm1::RefreshSettingsPage() {
    ShowDisplaySettings();
    ShowClockEvents();
}

void TForm1::Edit1Change() {
    StoreDisplaySettings();
}

void TForm1::ComboBox15Change(int) {
    StoreDisplaySettings();
}

void TForm1::potw_zd_CBoxClick() {}
void TForm1::przyc_jako_pilotCBClick() {}

void TForm1::Button12Click() {
    RunDeviceOperation(kEraseMemory);
}
void TForm1::Button13Click() {
    RunDeviceOperation(kSetClock);
}
void TForm1::Button18Click() {
    RunDeviceOperation(kWriteDisplaySettings);
}

void TForm1::Button17Click() {
    RunDeviceOperation(kReadDisplaySettings);
    ShowDisplaySettings();
}

// ---- Clock events ----------------------------------------------------------

void TForm1::ShowClockEvents() {
    Ui::TForm1& f = *ui_;
    QLineEdit* const patterns[] = {f.MaskEdit1, f.MaskEdit2, f.MaskEdit3, f.MaskEdit4};
    QCheckBox* const boxes[] = {f.CheckBox1, f.CheckBox2, f.CheckBox3, f.CheckBox4};
    QComboBox* const buttons[] = {f.ComboBox7, f.ComboBox8, f.ComboBox9, f.ComboBox10};
    QComboBox* const scenarios[] = {f.ComboBox11, f.ComboBox12, f.ComboBox13, f.ComboBox14};
    QLineEdit* const names[] = {f.Edit2, f.Edit3, f.Edit5, f.Edit6};
    for (int i = 0; i < 4; ++i) {
        const ClockEvent event = DecodeClockEvent(image_, i);
        const QSignalBlocker b1(patterns[i]);
        const QSignalBlocker b2(boxes[i]);
        const QSignalBlocker b3(buttons[i]);
        patterns[i]->setText(FromUtf8(event.pattern));
        boxes[i]->setChecked(event.switchedOn);
        buttons[i]->setCurrentIndex(event.button < kShownButtonRows ? event.button : -1);
    }
    for (int i = 0; i < 4; ++i) {
        const QSignalBlocker b1(names[i]);
        const QSignalBlocker b2(scenarios[i]);
        names[i]->setText(DecodeDeviceText(
            ReadDeviceText(image_, TextFieldOffset(kFirstClockTransmitterRecord + i))));
        const std::uint8_t scenario = ClockTransmitterScenario(image_, i);
        scenarios[i]->setCurrentIndex(scenario < kScenarioCount ? scenario : -1);
    }
    RefreshDumpView();
    repaint();
}

void TForm1::StoreClockEventName(int event) {
    QLineEdit* const names[] = {ui_->Edit2, ui_->Edit3, ui_->Edit5, ui_->Edit6};
    WriteDeviceText(image_, TextFieldOffset(kFirstClockTransmitterRecord + event),
                    EncodeDeviceText(names[event]->text()));
    SetDumpStart(static_cast<std::int32_t>(kClockTransmitterOffset));
    RefreshDumpView();
    repaint();
}

void TForm1::Edit2Change() {
    StoreClockEventName(0);
}
void TForm1::Edit3Change() {
    StoreClockEventName(1);
}
void TForm1::Edit5Change() {
    StoreClockEventName(2);
}
void TForm1::Edit6Change() {
    StoreClockEventName(3);
}

void TForm1::MaskEdit1Change() {}
void TForm1::MaskEdit2Change() {}
void TForm1::MaskEdit3Change() {}
void TForm1::MaskEdit4Change() {}
void TForm1::CheckBox1Click() {}
void TForm1::CheckBox2Click() {}
void TForm1::CheckBox3Click() {}
void TForm1::CheckBox4Click() {}
void TForm1::ComboBox7Change(int) {}
void TForm1::ComboBox8Change(int) {}
void TForm1::ComboBox9Change(int) {}
void TForm1::ComboBox10Change(int) {}
void TForm1::ComboBox11Change(int) {}
void TForm1::ComboBox12Change(int) {}
void TForm1::ComboBox13Change(int) {}
void TForm1::ComboBox14Change(int) {}

void TForm1::Button15Click() {
    RunDeviceOperation(kWriteClockEvents);
}

void TForm1::Button16Click() {
    RunDeviceOperation(kReadClockEvents);
    ShowDisplaySettings();
}
}  // namespace tav::ui
