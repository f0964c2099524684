// The device settings page "POZOSTALE": the display settings of the group
// "NA WYSWIETLACZU" and the four clock events of "ZDARZENIA ZEGAROWE (ALARMY)".
#include "Unit1.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QSignalBlocker>
#include <cstdint>
#include <optional>
#include <string>

#include "device_text.h"
#include "form_text.h"
#include "form_wiring.h"
#include "image/typed_values.h"
#include "link/dispatcher.h"
#include "ui_Unit1.h"

namespace tav::ui {

namespace {

// The controls of one clock-event row.
struct ClockEventRow {
    QLineEdit* pattern;
    QCheckBox* onOff;
    QComboBox* button;
    QComboBox* scenario;
    QLineEdit* name;
};

ClockEventRow RowOf(Ui::TForm1& f, int event) {
    const ClockEventRow rows[] = {
        {f.MaskEdit1, f.CheckBox1, f.ComboBox7, f.ComboBox11, f.Edit2},
        {f.MaskEdit2, f.CheckBox2, f.ComboBox8, f.ComboBox12, f.Edit3},
        {f.MaskEdit3, f.CheckBox3, f.ComboBox9, f.ComboBox13, f.Edit5},
        {f.MaskEdit4, f.CheckBox4, f.ComboBox10, f.ComboBox14, f.Edit6},
    };
    return rows[event];
}

// The pattern field's 19 characters as the encoder reads them. text() leaves
// out the positions still blank, which would move every later digit; the
// display text keeps them as the blank character "_", handed on as a space.
std::string PatternOf(const QLineEdit& field) {
    return EncodeDeviceText(field.displayText().replace(QLatin1Char('_'), QLatin1Char(' ')));
}

// A list's selected position as one byte; no selection gives 0xFF.
std::uint8_t SelectedByte(const QComboBox& list) {
    const int index = list.currentIndex();
    return index < 0 ? std::uint8_t{0xFF} : static_cast<std::uint8_t>(index);
}

// What is wrong with a part of a typed pattern, in the page's words.
QString ClockProblemText(int event, const ClockProblem& problem) {
    static const char* const kNames[kClockParts] = {"rok",     "miesiąc", "dzień",
                                                    "godzina", "minuta",  "sekunda"};
    static const char* const kRanges[kClockParts] = {"00–99", "01–12", "01–31",
                                                     "00–23", "00–59", "00–59"};
    const auto part = static_cast<std::size_t>(problem.part);
    const QString shown = QString::fromLatin1(problem.shown);
    const QString what =
        shown.contains(QLatin1Char('_'))
            ? QStringLiteral("niepełna data (%1 „%2”)").arg(QString::fromUtf8(kNames[part]), shown)
            : QStringLiteral("%1 „%2” poza zakresem %3")
                  .arg(QString::fromUtf8(kNames[part]), shown, QString::fromUtf8(kRanges[part]));
    return QStringLiteral("NADAJNIK %1: %2").arg(1001 + event).arg(what);
}

ClockDigits TypedDigits(const QLineEdit& field) {
    return ClockDigitsOf(PatternOf(field));
}

}  // namespace

void TForm1::FillSettingsPage() {
    Ui::TForm1& f = *ui_;
    for (int i = 0; i < 4; ++i) {
        const ClockEventRow row = RowOf(f, i);
        for (int s = 0; s < kScenarioCount; ++s) {
            row.scenario->addItem(QString::number(s));
        }
        row.scenario->setCurrentIndex(0);
        for (int b = 1; b <= kShownButtonRows; ++b) {
            row.button->addItem(QString::number(b));
        }
        row.button->setCurrentIndex(0);
    }
    // The clock transmitters' names; each runs its name handler.
    for (int i = 0; i < 4; ++i) {
        RowOf(f, i).name->clear();
    }
    for (std::string_view name : DisplayModeNames) {
        f.ComboBox15->addItem(FromUtf8(name));
    }
    f.ComboBox15->setCurrentIndex(0);
    // The display's user text; runs Edit1Change, which disables the edit.
    f.Edit1->clear();
}

void TForm1::ConnectClockEventRows() {
    // Each row's handlers, in the order of RowOf's controls.
    struct Handlers {
        void (TForm1::*pattern)();
        void (TForm1::*onOff)();
        void (TForm1::*button)(int);
        void (TForm1::*scenario)(int);
        void (TForm1::*name)();
    };
    static constexpr Handlers kRows[4] = {
        {&TForm1::MaskEdit1Change, &TForm1::CheckBox1Click, &TForm1::ComboBox7Change,
         &TForm1::ComboBox11Change, &TForm1::Edit2Change},
        {&TForm1::MaskEdit2Change, &TForm1::CheckBox2Click, &TForm1::ComboBox8Change,
         &TForm1::ComboBox12Change, &TForm1::Edit3Change},
        {&TForm1::MaskEdit3Change, &TForm1::CheckBox3Click, &TForm1::ComboBox9Change,
         &TForm1::ComboBox13Change, &TForm1::Edit5Change},
        {&TForm1::MaskEdit4Change, &TForm1::CheckBox4Click, &TForm1::ComboBox10Change,
         &TForm1::ComboBox14Change, &TForm1::Edit6Change},
    };
    for (int i = 0; i < 4; ++i) {
        const ClockEventRow row = RowOf(*ui_, i);
        const Handlers& h = kRows[i];
        ConnectEdit(row.pattern, &QLineEdit::textChanged, h.pattern);
        ConnectEdit(row.onOff, &QCheckBox::toggled, h.onOff);
        ConnectEdit(row.button, &QComboBox::activated, h.button);
        ConnectEdit(row.scenario, &QComboBox::activated, h.scenario);
        ConnectEdit(row.name, &QLineEdit::textChanged, h.name);
    }
}

// ---- Display settings ------------------------------------------------------

void TForm1::StoreDisplaySettings() {
    WriteDisplayText(image_, EncodeDeviceText(ui_->Edit1->text()));
    SetDisplayMode(image_, SelectedByte(*ui_->ComboBox15));
    ui_->Edit1->setEnabled(ui_->ComboBox15->currentIndex() == 3);
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
    f.Edit1->update();
    f.ComboBox15->update();
    f.potw_zd_CBox->update();
    f.przyc_jako_pilotCB->update();
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

// Either option's click enables the button option exactly when confirmation
// is on; showing the record enables it from its own flag instead.
void TForm1::potw_zd_CBoxClick() {
    SetEventConfirmation(image_, ui_->potw_zd_CBox->isChecked());
    ui_->przyc_jako_pilotCB->setEnabled(ui_->potw_zd_CBox->isChecked());
    ui_->przyc_jako_pilotCB->update();
}

void TForm1::przyc_jako_pilotCBClick() {
    SetButtonAsRemote(image_, ui_->przyc_jako_pilotCB->isChecked());
    ui_->przyc_jako_pilotCB->setEnabled(ui_->potw_zd_CBox->isChecked());
    ui_->przyc_jako_pilotCB->update();
}

void TForm1::Button12Click() {
    // One slip would cost the customer's whole configuration: ask first, No
    // the default.
    const auto answer = services_.askQuestion(
        this,
        FromUtf8("Cała pamięć TAV-1000R zostanie skasowana: wszystkie piloty, scenariusze, "
                 "zdarzenia zegarowe i ustawienia wyświetlacza zapisane w odbiorniku zostaną "
                 "utracone.\n\nCzy na pewno skasować pamięć TAV-1000R?"),
        FromUtf8("UWAGA!"), QMessageBox::Yes | QMessageBox::No, QMessageBox::No);
    if (answer != QMessageBox::Yes) {
        return;
    }
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
    for (int i = 0; i < 4; ++i) {
        const ClockEventRow row = RowOf(f, i);
        const ClockEvent event = DecodeClockEvent(image_, i);
        const QSignalBlocker b1(row.pattern);
        const QSignalBlocker b2(row.onOff);
        const QSignalBlocker b3(row.button);
        row.pattern->setText(FromUtf8(event.pattern));
        row.onOff->setChecked(event.switchedOn);
        row.button->setCurrentIndex(event.button < kShownButtonRows ? event.button : -1);
    }
    // Patterns from the receiver or a file are carried as they are.
    patternsTyped_.reset();
    for (int i = 0; i < 4; ++i) {
        MarkPattern(i);
    }
    for (int i = 0; i < 4; ++i) {
        const ClockEventRow row = RowOf(f, i);
        const QSignalBlocker b1(row.name);
        const QSignalBlocker b2(row.scenario);
        row.name->setText(DecodeDeviceText(
            ReadDeviceText(image_, TextFieldOffset(kFirstClockTransmitterRecord + i))));
        const std::uint8_t scenario = ClockTransmitterScenario(image_, i);
        row.scenario->setCurrentIndex(scenario < kScenarioCount ? scenario : -1);
    }
    RefreshDumpView();
    update();
}

void TForm1::StoreClockEventRow(int event) {
    const ClockEventRow row = RowOf(*ui_, event);
    EncodeClockEvent(image_, event, PatternOf(*row.pattern), row.onOff->isChecked(),
                     SelectedByte(*row.button));
    SetDumpStart(static_cast<std::int32_t>(kClockTransmitterOffset));
    RefreshDumpView();
}

void TForm1::SetUpPatternChecks() {
    patternProblem_ = new QLabel(ui_->GroupBox4);
    patternProblem_->setObjectName(QStringLiteral("PatternProblem"));
    patternProblem_->setGeometry(112, 144, 480, 16);
    QPalette red = patternProblem_->palette();
    red.setColor(QPalette::WindowText, QColor(0xC0, 0, 0));
    patternProblem_->setPalette(red);
    patternProblem_->hide();
}

void TForm1::TypePattern(int event) {
    StoreClockEventRow(event);
    patternsTyped_.set(static_cast<std::size_t>(event));
    MarkPattern(event);
}

void TForm1::MarkPattern(int event) {
    QLineEdit* field = RowOf(*ui_, event).pattern;
    std::optional<ClockProblem> problem;
    if (patternsTyped_.test(static_cast<std::size_t>(event))) {
        problem = FirstClockProblem(TypedDigits(*field), false);
    }
    QPalette look = field->palette();
    look.setColor(QPalette::Base, problem ? QColor(0xFF, 0xD0, 0xD0)
                                          : QApplication::palette(field).color(QPalette::Base));
    field->setPalette(look);
    const QString text = problem ? ClockProblemText(event, *problem) : QString();
    field->setToolTip(text);
    field->setAccessibleDescription(text);
    // The label beside the rows names the first row with a problem.
    QString first;
    for (int i = 0; i < 4 && first.isEmpty(); ++i) {
        first = RowOf(*ui_, i).pattern->toolTip();
    }
    patternProblem_->setText(first);
    patternProblem_->setVisible(!first.isEmpty());
}

bool TForm1::TypedPatternsSendable() {
    for (int i = 0; i < 4; ++i) {
        if (!patternsTyped_.test(static_cast<std::size_t>(i))) {
            continue;
        }
        if (const auto problem = FirstClockProblem(TypedDigits(*RowOf(*ui_, i).pattern), true)) {
            ShowMessage(ClockProblemText(i, *problem) + QStringLiteral(". Nic nie wysłano."),
                        QStringLiteral("Błąd"));
            return false;
        }
    }
    return true;
}

void TForm1::StoreClockEventScenario(int event) {
    // No selection (-1) stores 3, as the core's AND with 3 gives.
    SetClockTransmitterScenario(image_, event, RowOf(*ui_, event).scenario->currentIndex());
    RefreshDumpView();
}

void TForm1::StoreClockEventName(int event) {
    WriteDeviceText(image_, TextFieldOffset(kFirstClockTransmitterRecord + event),
                    EncodeDeviceText(RowOf(*ui_, event).name->text()));
    SetDumpStart(static_cast<std::int32_t>(kClockTransmitterOffset));
    RefreshDumpView();
    update();
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

void TForm1::MaskEdit1Change() {
    TypePattern(0);
}
void TForm1::MaskEdit2Change() {
    TypePattern(1);
}
void TForm1::MaskEdit3Change() {
    TypePattern(2);
}
void TForm1::MaskEdit4Change() {
    TypePattern(3);
}
void TForm1::CheckBox1Click() {
    StoreClockEventRow(0);
}
void TForm1::CheckBox2Click() {
    StoreClockEventRow(1);
}
void TForm1::CheckBox3Click() {
    StoreClockEventRow(2);
}
void TForm1::CheckBox4Click() {
    StoreClockEventRow(3);
}
void TForm1::ComboBox7Change(int) {
    StoreClockEventRow(0);
}
void TForm1::ComboBox8Change(int) {
    StoreClockEventRow(1);
}
void TForm1::ComboBox9Change(int) {
    StoreClockEventRow(2);
}
void TForm1::ComboBox10Change(int) {
    StoreClockEventRow(3);
}
void TForm1::ComboBox11Change(int) {
    StoreClockEventScenario(0);
}
void TForm1::ComboBox12Change(int) {
    StoreClockEventScenario(1);
}
void TForm1::ComboBox13Change(int) {
    StoreClockEventScenario(2);
}
void TForm1::ComboBox14Change(int) {
    StoreClockEventScenario(3);
}

void TForm1::Button15Click() {
    if (!TypedPatternsSendable()) {
        return;
    }
    RunDeviceOperation(kWriteClockEvents);
}

void TForm1::Button16Click() {
    RunDeviceOperation(kReadClockEvents);
    ShowDisplaySettings();
}
}  // namespace tav::ui
