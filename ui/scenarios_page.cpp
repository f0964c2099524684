// The scenarios page "SCENARIUSZE": the scenario grid, the cell editor of the
// group "TRYB DZIALANIA" and the timer grid of "TIMERY, OPOZNIENIA".
#include "Unit1.h"

#include "form_text.h"
#include "image/typed_values.h"
#include "link/dispatcher.h"
#include "string_grid.h"
#include "ui_Unit1.h"

namespace tav::ui {

void TForm1::FillScenarioPage() {
    Ui::TForm1& f = *ui_;
    for (int s = 0; s < kScenarioCount; ++s) {
        f.ComboBox2->addItem(QString::asprintf("SCENARIUSZ %d", s));
    }
    f.ComboBox2->setCurrentIndex(selection_.currentScenario);
    // The relay modes, each as "(code) name".
    for (int m = 0; m < kRelayModeCount; ++m) {
        const auto i = static_cast<std::size_t>(m);
        f.ComboBox3->addItem(QStringLiteral("(") + FromUtf8(RelayModeShortCodes[i]) +
                             QStringLiteral(") ") + FromUtf8(RelayModeNames[i]));
    }
    // The timer and delay lists of a scenario cell.
    for (int n = 0; n < 4; ++n) {
        f.ComboBox4->addItem(QString::asprintf("TIMER %d", n));
        f.ComboBox5->addItem(QString::asprintf("OPOZN. %d", n));
    }
    // The timer grid's headers: the timers and delays, and their units.
    for (int n = 0; n < 4; ++n) {
        f.StringGrid3->SetCell(0, n + 1, QStringLiteral("TIMER ") + QString::number(n));
        f.StringGrid3->SetCell(0, n + 5, QStringLiteral("OPOZNIENIE ") + QString::number(n));
    }
    f.StringGrid3->SetColWidth(0, 85);
    f.StringGrid3->SetCell(1, 0, QStringLiteral("Godz"));
    f.StringGrid3->SetCell(2, 0, QStringLiteral("Min"));
    f.StringGrid3->SetCell(3, 0, QStringLiteral("Sek"));
    f.StringGrid3->SetCell(4, 0, QStringLiteral("0.1"));
    // The scenario grid's headers: the buttons, and the relays.
    for (int b = 1; b <= 13; ++b) {
        f.StringGrid1->SetCell(0, b, QStringLiteral("PRZYCISK ") + QString::number(b));
    }
    f.StringGrid1->SetCell(0, 14, QStringLiteral("PRZYCISK 14/ALARM"));
    for (int r = 1; r <= kRelayCount; ++r) {
        f.StringGrid1->SetCell(r, 0, QStringLiteral("PRZEKAZNIK") + QString::number(r));
    }
    RefreshScenarioPage();
}

void TForm1::RefreshScenarioPage() {
    selection_.selectedCellOffset = static_cast<std::int32_t>(ScenarioCellOffset(
        selection_.currentScenario, selection_.selectedButton, selection_.selectedRelay));
    RefreshScenarioGrid();
    ShowCellEditor(image_.at(static_cast<std::size_t>(selection_.selectedCellOffset)));
    RefreshTimerGrid();
    update();
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
    timerCellsTyped_.reset();
    for (int i = 0; i < kTimerRows; ++i) {
        for (int f = 0; f < kTimerFields; ++f) {
            const std::uint8_t v = image_.at(TimerFieldOffset(selection_.currentScenario, i, f));
            ui_->StringGrid3->SetCell(f + 1, i + 1, FromUtf8(TimerFieldText(v, f)));
            ui_->StringGrid3->MarkCell(f + 1, i + 1, QString());
        }
    }
}

bool TForm1::CheckTimerCell(int row, int field) {
    TStringGrid& grid = *ui_->StringGrid3;
    const QByteArray text = grid.Cell(field + 1, row + 1).toLatin1();
    const bool fits = TimerFieldTextFits(std::string_view(text.constData(), text.size()), field);
    QString problem;
    if (!fits) {
        problem =
            QStringLiteral("%1, %2: „%3” poza zakresem %4–%5")
                .arg(grid.Cell(0, row + 1), grid.Cell(field + 1, 0), QString::fromLatin1(text))
                .arg(0, field < 3 ? 2 : 1, 10, QLatin1Char('0'))
                .arg(TimerFieldMaximum(field));
    }
    grid.MarkCell(field + 1, row + 1, problem);
    return fits;
}

bool TForm1::TypedTimersSendable() {
    TStringGrid& grid = *ui_->StringGrid3;
    for (int i = 0; i < kTimerRows; ++i) {
        for (int f = 0; f < kTimerFields; ++f) {
            const QString problem = grid.CellProblem(f + 1, i + 1);
            if (!problem.isEmpty()) {
                ShowMessage(problem + QStringLiteral(". Nic nie wysłano."), QStringLiteral("Błąd"));
                return false;
            }
        }
    }
    return true;
}

void TForm1::ReadTimerCell(int row, int field) {
    TStringGrid& grid = *ui_->StringGrid3;
    // A typed value out of its range stays as typed, marked, and is not
    // stored: nothing changes that the user did not see.
    if (!grid.CellProblem(field + 1, row + 1).isEmpty() && !CheckTimerCell(row, field)) {
        return;
    }
    // One byte per character, so the 49-character limit counts what is shown.
    const QByteArray text = grid.Cell(field + 1, row + 1).toLatin1();
    const std::uint8_t v =
        TimerFieldFromText(std::string_view(text.constData(), text.size()), field);
    grid.SetCell(field + 1, row + 1, FromUtf8(TimerFieldText(v, field)));
    image_.at(TimerFieldOffset(selection_.currentScenario, row, field)) = v;
}

void TForm1::ReadTimerGrid() {
    timerCellsTyped_.reset();
    for (int i = 0; i < kTimerRows; ++i) {
        for (int f = 0; f < kTimerFields; ++f) {
            ReadTimerCell(i, f);
        }
    }
}

void TForm1::TakeTypedTimers() {
    ui_->StringGrid3->CommitEdit();
    for (int i = 0; i < kTimerRows; ++i) {
        for (int f = 0; f < kTimerFields; ++f) {
            if (timerCellsTyped_.test(static_cast<std::size_t>(i * kTimerFields + f))) {
                ReadTimerCell(i, f);
            }
        }
    }
    timerCellsTyped_.reset();
}

void TForm1::EditSelectedCell(int field, int index) {
    if (index < 0) {
        return;
    }
    const auto offset = static_cast<std::size_t>(selection_.selectedCellOffset);
    const std::uint8_t stored = image_.at(offset);
    int mode = ActionMode(stored);
    int timer = ActionTimer(stored);
    int delay = ActionDelay(stored);
    (field == 0 ? mode : field == 1 ? timer : delay) = index;
    const std::uint8_t a = ComposeActionByte(mode, timer, delay);
    ShowCellEditor(a);
    image_.at(offset) = a;
    RefreshScenarioGrid();
}

void TForm1::ComboBox2Change(int index) {
    if (index < 0 || index >= kScenarioCount) {
        return;
    }
    TakeTypedTimers();
    selection_.currentScenario = static_cast<std::uint8_t>(index);
    RefreshScenarioPage();
}

void TForm1::StringGrid1MouseDown(Qt::MouseButton, QPoint pos) {
    int col = 0;
    int row = 0;
    if (!ui_->StringGrid1->MouseToCell(pos, &col, &row)) {
        return;
    }
    const int b = row - 1;
    const int r = col - 1;
    if (b < 0 || b >= kShownButtonRows || r < 0 || r >= kRelayCount) {
        return;
    }
    selection_.selectedButton = static_cast<std::uint8_t>(b);
    selection_.selectedRelay = static_cast<std::uint8_t>(r);
    selection_.selectedCellOffset =
        static_cast<std::int32_t>(ScenarioCellOffset(selection_.currentScenario, b, r));
    ShowCellEditor(image_.at(static_cast<std::size_t>(selection_.selectedCellOffset)));
    update();
}

void TForm1::ComboBox3Change(int index) {
    EditSelectedCell(0, index);
}
void TForm1::ComboBox4Change(int index) {
    EditSelectedCell(1, index);
}
void TForm1::ComboBox5Change(int index) {
    EditSelectedCell(2, index);
}

void TForm1::StringGrid3Click() {
    ReadTimerGrid();
    SetDumpStart(static_cast<std::int32_t>(kTimerTableOffset));
    RefreshDumpView();
}

void TForm1::Button6Click() {
    TakeTypedTimers();
    ApplyScenarioDefaults(image_);
    RefreshScenarioPage();
}

void TForm1::Button7Click() {
    TakeTypedTimers();
    if (!TypedTimersSendable()) {
        return;
    }
    RunDeviceOperation(kWriteScenarios);
}
void TForm1::Button8Click() {
    RunDeviceOperation(kReadScenarios);
}
}  // namespace tav::ui
