// The scenarios page "SCENARIUSZE": the scenario grid, the cell editor of the
// group "TRYB DZIALANIA" and the timer grid of "TIMERY, OPOZNIENIA".
#include "Unit1.h"

#include "form_text.h"
#include "link/dispatcher.h"
#include "ui_Unit1.h"

namespace tav::ui {

void TForm1::RefreshScenarioPage() {
    selection_.selectedCellOffset = static_cast<std::int32_t>(ScenarioCellOffset(
        selection_.currentScenario, selection_.selectedButton, selection_.selectedRelay));
    RefreshScenarioGrid();
    ShowCellEditor(image_.at(static_cast<std::size_t>(selection_.selectedCellOffset)));
    RefreshTimerGrid();
    repaint();
}

void TForm1::RefreshScenarioGrid() {
    for (int r = 0; r < kRelayCount; ++r) {
        for (int b = 0; b < kShownButtonRows; ++b) {
            const std::uint8_t a = image_.at(ScenarioCellOffset(selection_.currentScenario, b, r));
            ui_->StringGrid1->SetCell(r + 1, b + 1, FromUtf8(ScenarioCellText(a)));
        }
    }
}

void TForm1::ShowCellEditor(std::uint8_t action) {
    const int mode = ActionMode(action);
    if (mode < kRelayModeCount) {
        ui_->ComboBox4->setEnabled(ModeUsesTimer(mode));
        ui_->ComboBox5->setEnabled(ModeUsesDelay(mode));
    }
    ui_->ComboBox3->setCurrentIndex(mode < kRelayModeCount ? mode : -1);
    ui_->ComboBox4->setCurrentIndex(ActionTimer(action));
    ui_->ComboBox5->setCurrentIndex(ActionDelay(action));
    SetCaption(ui_->Label11,
               QString::asprintf("PRZYCISK:%d  PRZEKAZNIK:%d", selection_.selectedButton + 1,
                                 selection_.selectedRelay + 1));
}

void TForm1::RefreshTimerGrid() {
    for (int i = 0; i < kTimerRows; ++i) {
        for (int f = 0; f < kTimerFields; ++f) {
            const int v = image_.at(TimerFieldOffset(selection_.currentScenario, i, f));
            ui_->StringGrid3->SetCell(f + 1, i + 1, QString::asprintf(f < 3 ? "%02d" : "%1d", v));
        }
    }
}

void TForm1::ComboBox2Change(int) {}
void TForm1::StringGrid1MouseDown(Qt::MouseButton, QPoint) {}
void TForm1::ComboBox3Change(int) {}
void TForm1::ComboBox4Change(int) {}
void TForm1::ComboBox5Change(int) {}
void TForm1::StringGrid3Click() {}
void TForm1::Button6Click() {}

void TForm1::Button7Click() {
    RunDeviceOperation(kWriteScenarios);
}
void TForm1::Button8Click() {
    RunDeviceOperation(kReadScenarios);
}
}  // namespace tav::ui
