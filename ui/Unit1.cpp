#include "Unit1.h"

#include <QAbstractItemView>
#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTimer>
#include <algorithm>

#include "device_text.h"
#include "link/dispatcher.h"
#include "link/firmware.h"
#include "link/port_resolver.h"
#include "string_grid.h"
#include "ui_Unit1.h"

namespace tav::ui {

namespace {

constexpr int kRemoteColumns = 50;
constexpr int kDumpBytesPerLine = 16;
constexpr int kDumpLines = 16;
// The client area the controls are laid out in, below the menu bar.
constexpr int kClientWidth = 736;
constexpr int kClientHeight = 716;

WindowServices Completed(WindowServices s) {
    WindowServices system = SystemWindowServices();
    if (!s.showMessage) {
        s.showMessage = system.showMessage;
    }
    if (!s.openFileName) {
        s.openFileName = system.openFileName;
    }
    if (!s.saveFileName) {
        s.saveFileName = system.saveFileName;
    }
    if (!s.printText) {
        s.printText = system.printText;
    }
    if (!s.localClock) {
        s.localClock = system.localClock;
    }
    if (!s.portResolver) {
        s.portResolver = system.portResolver;
    }
    if (!s.timing) {
        s.timing = system.timing;
    }
    if (!s.makePort) {
        s.makePort = system.makePort;
    }
    return s;
}

// A label keeps the size of its text, as the form's labels do.
void SetCaption(QLabel* label, const QString& text) {
    label->setText(text);
    label->adjustSize();
}

QString FromUtf8(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

TForm1::TForm1(MemoryImage& image, WindowServices services, QWidget* parent)
    : QMainWindow(parent),
      ui_(std::make_unique<Ui::TForm1>()),
      services_(Completed(std::move(services))),
      image_(image),
      host_(*this),
      link_(services_.makePort, *services_.portResolver, *services_.timing),
      context_{link_, image_, host_, *services_.localClock},
      OpenDialog1(TFileDialog::Kind::Open, services_, this),
      SaveDialog1(TFileDialog::Kind::Save, services_, this) {
    // The form's default font: a small sans-serif in pixels, as the fixed
    // control sizes expect. Fields with a font of their own (Unit1.ui) keep it.
    QFont base;
    base.setFamilies({QStringLiteral("Arial"), QStringLiteral("Nimbus Sans"),
                      QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans")});
    base.setPixelSize(10);
    setFont(base);
    ui_->setupUi(this);
    // Where the form's faces are missing, the nearest the system has.
    for (QWidget* w : findChildren<QWidget*>()) {
        if (w->testAttribute(Qt::WA_SetFont) &&
            w->font().families().value(0) == QLatin1String("Courier New")) {
            QFont fixed = w->font();
            fixed.setFamilies({QStringLiteral("Courier New"), QStringLiteral("Nimbus Mono PS"),
                               QStringLiteral("Liberation Mono"),
                               QStringLiteral("DejaVu Sans Mono")});
            fixed.setStyleHint(QFont::TypeWriter);
            w->setFont(fixed);
        }
    }
    context_.firmware = FirmwareImage();
    move(90, 167);
    resize(kClientWidth, kClientHeight + menuBar()->sizeHint().height());

    for (int b = 0; b < 256; ++b) {
        hexText_[static_cast<std::size_t>(b)] = QString::asprintf("%02X", b);
        const char c = static_cast<char>(b);
        charText_[static_cast<std::size_t>(b)] =
            b == 0 ? QString() : DecodeDeviceText(std::string_view(&c, 1));
    }
    for (QLabel* label : findChildren<QLabel*>()) {
        label->adjustSize();
    }
    // The dump view's byte columns; the fifth is one pixel wider.
    ui_->StringGrid4->SetColWidth(5, 16);
    portList_ = ui_->ComboBox1->view();
    portList_->installEventFilter(this);
    ui_->ComboBox1->installEventFilter(this);

    Timer2 = new QTimer(this);
    Timer2->setObjectName(QStringLiteral("Timer2"));
    Timer2->setInterval(250);

    ConnectHandlers();
    FormCreate();
    Timer2->start();
}

TForm1::~TForm1() {
    link_.ClosePort();
}

void TForm1::ConnectHandlers() {
    Ui::TForm1& f = *ui_;
    const auto click = [this](QPushButton* b, void (TForm1::*slot)()) {
        connect(b, &QPushButton::clicked, this, slot);
    };
    click(f.Button1, &TForm1::Button1Click);
    click(f.Button2, &TForm1::Button2Click);
    click(f.Button3, &TForm1::Button3Click);
    click(f.Button4, &TForm1::Button4Click);
    click(f.Button5, &TForm1::Button5Click);
    click(f.Button6, &TForm1::Button6Click);
    click(f.Button7, &TForm1::Button7Click);
    click(f.Button8, &TForm1::Button8Click);
    click(f.Button9, &TForm1::Button9Click);
    click(f.Button10, &TForm1::Button10Click);
    click(f.Button11, &TForm1::Button11Click);
    click(f.Button12, &TForm1::Button12Click);
    click(f.Button13, &TForm1::Button13Click);
    click(f.Button14, &TForm1::Button14Click);
    click(f.Button15, &TForm1::Button15Click);
    click(f.Button16, &TForm1::Button16Click);
    click(f.Button17, &TForm1::Button17Click);
    click(f.Button18, &TForm1::Button18Click);
    click(f.Button19, &TForm1::Button19Click);
    click(f.Button20, &TForm1::Button20Click);
    click(f.Button21, &TForm1::Button21Click);

    // Edits: a change of text, typed or set by the program.
    const auto change = [this](QLineEdit* e, void (TForm1::*slot)()) {
        connect(e, &QLineEdit::textChanged, this, slot);
    };
    change(f.Edit1, &TForm1::Edit1Change);
    change(f.Edit2, &TForm1::Edit2Change);
    change(f.Edit3, &TForm1::Edit3Change);
    change(f.Edit4, &TForm1::Edit4Change);
    change(f.Edit5, &TForm1::Edit5Change);
    change(f.Edit6, &TForm1::Edit6Change);
    change(f.MaskEdit1, &TForm1::MaskEdit1Change);
    change(f.MaskEdit2, &TForm1::MaskEdit2Change);
    change(f.MaskEdit3, &TForm1::MaskEdit3Change);
    change(f.MaskEdit4, &TForm1::MaskEdit4Change);

    // Lists: only the user's choice, never a selection made by the program.
    const auto choose = [this](QComboBox* c, void (TForm1::*slot)(int)) {
        connect(c, &QComboBox::activated, this, slot);
    };
    choose(f.ComboBox2, &TForm1::ComboBox2Change);
    choose(f.ComboBox3, &TForm1::ComboBox3Change);
    choose(f.ComboBox4, &TForm1::ComboBox4Change);
    choose(f.ComboBox5, &TForm1::ComboBox5Change);
    choose(f.ComboBox7, &TForm1::ComboBox7Change);
    choose(f.ComboBox8, &TForm1::ComboBox8Change);
    choose(f.ComboBox9, &TForm1::ComboBox9Change);
    choose(f.ComboBox10, &TForm1::ComboBox10Change);
    choose(f.ComboBox11, &TForm1::ComboBox11Change);
    choose(f.ComboBox12, &TForm1::ComboBox12Change);
    choose(f.ComboBox13, &TForm1::ComboBox13Change);
    choose(f.ComboBox14, &TForm1::ComboBox14Change);
    choose(f.ComboBox15, &TForm1::ComboBox15Change);
    choose(f.ComboBox16, &TForm1::ComboBox16Change);

    // Check boxes: a change of state, by the user or the program.
    const auto toggle = [this](QCheckBox* c, void (TForm1::*slot)()) {
        connect(c, &QCheckBox::toggled, this, slot);
    };
    toggle(f.CheckBox1, &TForm1::CheckBox1Click);
    toggle(f.CheckBox2, &TForm1::CheckBox2Click);
    toggle(f.CheckBox3, &TForm1::CheckBox3Click);
    toggle(f.CheckBox4, &TForm1::CheckBox4Click);
    toggle(f.potw_zd_CBox, &TForm1::potw_zd_CBoxClick);
    toggle(f.przyc_jako_pilotCB, &TForm1::przyc_jako_pilotCBClick);

    connect(f.StringGrid2, &TStringGrid::MouseDown, this, &TForm1::StringGrid2MouseDown);
    connect(f.StringGrid1, &TStringGrid::MouseDown, this, &TForm1::StringGrid1MouseDown);
    connect(f.StringGrid3, &TStringGrid::MouseDown, this,
            [this](Qt::MouseButton button, QPoint pos) {
                int col = 0;
                int row = 0;
                if (button == Qt::LeftButton && ui_->StringGrid3->MouseToCell(pos, &col, &row) &&
                    col >= 1 && row >= 1) {
                    StringGrid3Click();
                }
            });

    connect(f.N3, &QAction::triggered, this, &TForm1::N3Click);
    connect(f.N2, &QAction::triggered, this, &TForm1::N2Click);
    connect(f.ImportujplikzTAV5001, &QAction::triggered, this, &TForm1::ImportujplikzTAV5001Click);
    connect(f.AktualizujOpr, &QAction::triggered, this,
            &TForm1::AktualizujoprogramowaniewTAV1000U1Click);
    connect(Timer2, &QTimer::timeout, this, &TForm1::Timer2Timer);
}

void TForm1::FormCreate() {
    Ui::TForm1& f = *ui_;
    // 1.
    selection_.currentScenario = 0;
    selection_.selectedRelay = 0;
    selection_.selectedButton = 0;
    // 2.
    for (int s = 0; s < kScenarioCount; ++s) {
        f.ComboBox2->addItem(QString::asprintf("SCENARIUSZ %d", s));
    }
    f.ComboBox2->setCurrentIndex(selection_.currentScenario);
    // 3.
    for (int m = 0; m < kRelayModeCount; ++m) {
        const auto i = static_cast<std::size_t>(m);
        f.ComboBox3->addItem(QStringLiteral("(") + FromUtf8(RelayModeShortCodes[i]) +
                             QStringLiteral(") ") + FromUtf8(RelayModeNames[i]));
    }
    // 4.
    for (int n = 0; n < 4; ++n) {
        f.ComboBox4->addItem(QString::asprintf("TIMER %d", n));
    }
    for (int n = 0; n < 4; ++n) {
        f.ComboBox5->addItem(QString::asprintf("OPOZN. %d", n));
    }
    // 5.
    for (int n = 0; n < 4; ++n) {
        f.StringGrid3->SetCell(0, n + 1, QStringLiteral("TIMER ") + QString::number(n));
        f.StringGrid3->SetCell(0, n + 5, QStringLiteral("OPOZNIENIE ") + QString::number(n));
    }
    f.StringGrid3->SetColWidth(0, 85);
    f.StringGrid3->SetCell(1, 0, QStringLiteral("Godz"));
    f.StringGrid3->SetCell(2, 0, QStringLiteral("Min"));
    f.StringGrid3->SetCell(3, 0, QStringLiteral("Sek"));
    f.StringGrid3->SetCell(4, 0, QStringLiteral("0.1"));
    // 6.
    for (int s = 0; s < kScenarioCount; ++s) {
        f.ComboBox16->addItem(QString::asprintf("SCENARIUSZ %d", s));
    }
    f.ComboBox16->setCurrentIndex(selection_.currentScenario);
    // 7. Runs Edit4Change: the form leaves a text in the edit.
    f.Edit4->clear();
    // 8.
    SetCaption(f.Label1, QString());
    SetCaption(f.Label5, QString());
    SetCaption(f.Label6, QString());
    SetCaption(f.StaticText1, QString());
    // 9.
    f.RichEdit1->clear();
    // 10.
    RefreshScenarioPage();
    // 11.
    for (QComboBox* c : {f.ComboBox11, f.ComboBox12, f.ComboBox13, f.ComboBox14}) {
        for (int s = 0; s < kScenarioCount; ++s) {
            c->addItem(QString::number(s));
        }
        c->setCurrentIndex(0);
    }
    // 12.
    for (QComboBox* c : {f.ComboBox7, f.ComboBox8, f.ComboBox9, f.ComboBox10}) {
        for (int b = 1; b <= kShownButtonRows; ++b) {
            c->addItem(QString::number(b));
        }
        c->setCurrentIndex(0);
    }
    // 13. Each runs its name handler.
    f.Edit2->clear();
    f.Edit3->clear();
    f.Edit5->clear();
    f.Edit6->clear();
    // 14.
    f.ComboBox15->addItems(
        {QStringLiteral("ZEGAR (godzina)"), QStringLiteral("ZEGAR (data+godzina)"),
         QStringLiteral("OSTATNI NADAJNIK"), QStringLiteral("NAPIS UŻYTKOWNIKA")});
    f.ComboBox15->setCurrentIndex(0);
    // 15. Runs Edit1Change, which disables the edit.
    f.Edit1->clear();
    // 16.
    for (std::string_view name : PortNames) {
        f.ComboBox1->addItem(FromUtf8(name));
    }
    f.ComboBox1->setCurrentIndex(0);
    // 17.
    for (int b = 1; b <= 13; ++b) {
        f.StringGrid1->SetCell(0, b, QStringLiteral("PRZYCISK ") + QString::number(b));
    }
    f.StringGrid1->SetCell(0, 14, QStringLiteral("PRZYCISK 14/ALARM"));
    for (int r = 1; r <= kRelayCount; ++r) {
        f.StringGrid1->SetCell(r, 0, QStringLiteral("PRZEKAZNIK") + QString::number(r));
    }
    // 18.
    f.StringGrid4->SetColWidth(0, 70);
    // 19.
    repaint();
}

int TForm1::SelectedPortIndex() const {
    return ui_->ComboBox1->currentIndex();
}

void TForm1::RunDeviceOperation(unsigned operation) {
    tav::RunDeviceOperation(context_, operation);
}

// ---- Progress bar, messages, status text ----------------------------------

void TForm1::SetProgressRange(int minimum, int maximum) {
    ui_->ProgressBar1->setRange(minimum, maximum);
    ui_->ProgressBar1->setValue(minimum);
}

void TForm1::SetProgressPosition(int position) {
    ui_->ProgressBar1->setValue(position);
    ui_->ProgressBar1->repaint();
}

void TForm1::ResetProgress() {
    ui_->ProgressBar1->setRange(0, 100);
    ui_->ProgressBar1->setValue(0);
    ui_->ProgressBar1->repaint();
}

void TForm1::ShowMessage(const QString& text, const QString& caption) {
    services_.showMessage(this, text, caption);
}

void TForm1::ShowVersionText(const QString& text) {
    SetCaption(ui_->StaticText1, text);
    ui_->StaticText1->repaint();
}

QString TForm1::PortMapText() const {
    QStringList lines;
    for (int i = 0; i < kPortCount; ++i) {
        const auto path = services_.portResolver->DevicePath(i);
        lines << FromUtf8(PortNames[static_cast<std::size_t>(i)]) + QStringLiteral(": ") +
                     (path ? QString::fromStdString(*path) : QStringLiteral("brak urządzenia"));
    }
    return lines.join(QLatin1Char('\n'));
}

bool TForm1::eventFilter(QObject* watched, QEvent* event) {
    // The devices behind the names change as adapters come and go: look now.
    const bool hover = watched == ui_->ComboBox1 && event->type() == QEvent::ToolTip;
    const bool listOpens = watched == portList_ && event->type() == QEvent::Show;
    if (hover || listOpens) {
        ui_->ComboBox1->setToolTip(PortMapText());
        for (int i = 0; i < ui_->ComboBox1->count() && i < kPortCount; ++i) {
            const auto path = services_.portResolver->DevicePath(i);
            ui_->ComboBox1->setItemData(
                i, path ? QString::fromStdString(*path) : QStringLiteral("brak urządzenia"),
                Qt::ToolTipRole);
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

// ---- Device buttons --------------------------------------------------------

void TForm1::Button1Click() {
    RunDeviceOperation(kReadSelectedRemote);
}
void TForm1::Button2Click() {
    RunDeviceOperation(kWriteSelectedRemote);
}
void TForm1::Button3Click() {
    RunDeviceOperation(kReadAllMemory);
}
void TForm1::Button4Click() {
    RunDeviceOperation(kWriteAllMemory);
}
void TForm1::Button7Click() {
    RunDeviceOperation(kWriteScenarios);
}
void TForm1::Button8Click() {
    RunDeviceOperation(kReadScenarios);
}
void TForm1::Button12Click() {
    RunDeviceOperation(kEraseMemory);
}
void TForm1::Button13Click() {
    RunDeviceOperation(kSetClock);
}
void TForm1::Button15Click() {
    RunDeviceOperation(kWriteClockEvents);
}
void TForm1::Button18Click() {
    RunDeviceOperation(kWriteDisplaySettings);
}

void TForm1::Button16Click() {
    RunDeviceOperation(kReadClockEvents);
    ShowDisplaySettings();
}

void TForm1::Button17Click() {
    RunDeviceOperation(kReadDisplaySettings);
    ShowDisplaySettings();
}

// ---- Remotes page ----------------------------------------------------------

void TForm1::RefreshRemoteGrid() {
    static const QString used = QStringLiteral("#");
    static const QString empty = QStringLiteral("_");
    for (int n = 0; n < kRemoteCount; ++n) {
        const char shown = IsRemoteSlotUsed(image_, n) ? '#' : '_';
        char& current = remoteCellShown_[static_cast<std::size_t>(n)];
        if (current != shown) {
            current = shown;
            ui_->StringGrid2->SetCell(n % kRemoteColumns, n / kRemoteColumns,
                                      shown == '#' ? used : empty);
        }
    }
}

void TForm1::ShowSelectedRemote() {
    const int remote = selection_.selectedRemote;
    SetCaption(ui_->Label1, QStringLiteral("PILOT NR:") + QString::number(remote + 1));
    SetCaption(ui_->Label5,
               QStringLiteral("NR SERYJNY:") + FromUtf8(FormatSerialNumber(image_, remote)));
    // A different name runs Edit4Change, which writes it back.
    ui_->Edit4->setText(DecodeDeviceText(ReadDeviceText(image_, TextFieldOffset(remote))));
    ui_->ComboBox16->setCurrentIndex(RemoteScenario(image_, remote));
    RefreshDumpView();
    repaint();
}

void TForm1::StringGrid2MouseDown(Qt::MouseButton, QPoint pos) {
    int col = 0;
    int row = 0;
    if (!ui_->StringGrid2->MouseToCell(pos, &col, &row)) {
        return;
    }
    selection_.selectedRemote = row * kRemoteColumns + col;
    selection_.selectedRemoteOffset = selection_.selectedRemote * static_cast<int>(kRecordSize);
    ShowSelectedRemote();
}

void TForm1::Edit4Change() {
    WriteDeviceText(image_, TextFieldOffset(selection_.selectedRemote),
                    EncodeDeviceText(ui_->Edit4->text()));
    RefreshDumpView();
}

void TForm1::ComboBox16Change(int index) {
    if (index < 0) {
        return;
    }
    SetRemoteScenario(image_, selection_.selectedRemote, index);
    RefreshDumpView();
}

// ---- Memory dump view ------------------------------------------------------

void TForm1::SetDumpStart(std::int32_t offset) {
    selection_.dumpStartOffset = std::clamp(offset, 0, kLastDumpStart);
}

void TForm1::RefreshDumpView() {
    TStringGrid& grid = *ui_->StringGrid4;
    const int start = std::clamp(selection_.dumpStartOffset, 0, kLastDumpStart);
    for (int i = 0; i < kDumpBytesPerLine; ++i) {
        for (int j = 0; j < kDumpLines; ++j) {
            const int p = start + j * kDumpBytesPerLine + i;
            const auto byte = static_cast<std::size_t>(image_.at(static_cast<std::size_t>(p)));
            grid.SetCell(i + 1, 2 * j + 1, hexText_[byte]);
            grid.SetCell(i + 1, 2 * j + 2, charText_[byte]);
            if (i == 0) {
                grid.SetCell(0, 2 * j + 1, QString::asprintf("%04x-%05d", p, p));
            }
        }
    }
}

void TForm1::Button5Click() {
    SetDumpStart(selection_.dumpStartOffset + 256);
    RefreshDumpView();
}

void TForm1::Button9Click() {
    SetDumpStart(selection_.dumpStartOffset - 256);
    RefreshDumpView();
}

// ---- Scenarios page --------------------------------------------------------

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

// ---- Event page ------------------------------------------------------------

void TForm1::Button10Click() {}
void TForm1::Button11Click() {}
void TForm1::Button14Click() {}
void TForm1::Button19Click() {}
void TForm1::Button20Click() {}
void TForm1::Button21Click() {}

void TForm1::Timer2Timer() {
    if (!onlineReceptionActive_) {
        return;
    }
}

// ---- Menu "Plik" -----------------------------------------------------------

void TForm1::N3Click() {}
void TForm1::N2Click() {}
void TForm1::ImportujplikzTAV5001Click() {}
void TForm1::AktualizujoprogramowaniewTAV1000U1Click() {}

}  // namespace tav::ui
