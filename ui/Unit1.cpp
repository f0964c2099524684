#include "Unit1.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QGuiApplication>
#include <QHelpEvent>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QStatusBar>
#include <QStyle>
#include <QTimer>
#include <QUndoStack>
#include <algorithm>

#include "device_text.h"
#include "form_text.h"
#include "link/dispatcher.h"
#include "link/messages.h"
#include "link/operation_report.h"
#include "link/port_resolver.h"
#include "screen_fit.h"
#include "string_grid.h"
#include "ui_Unit1.h"
#include "window_settings.h"

namespace tav::ui {

namespace {

// The client area the controls are laid out in, below the menu bar.
constexpr int kClientWidth = 736;
constexpr int kClientHeight = 716;
// The top of the strip below the pages that stays in view when the pages
// scroll on a small screen: the version line, the device buttons and the
// progress bar.
constexpr int kDeviceStripTop = 604;
// Where the window first goes, and the frame a window system adds where it
// has not said yet (an X11 window manager decorates the window after it
// shows).
constexpr QPoint kFirstPlace(90, 167);
constexpr QSize kUsualFrame(16, 40);

WindowServices Completed(WindowServices s) {
    WindowServices system = SystemWindowServices();
    if (!s.showMessage) {
        s.showMessage = system.showMessage;
    }
    if (!s.askQuestion) {
        s.askQuestion = system.askQuestion;
    }
    if (!s.openFileName) {
        s.openFileName = system.openFileName;
    }
    if (!s.saveFileName) {
        s.saveFileName = system.saveFileName;
    }
    if (!s.previewAndPrint) {
        s.previewAndPrint = system.previewAndPrint;
    }
    if (!s.settings) {
        s.settings = system.settings;
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
    SetUpFileMenu();
    SetUpEditMenu();
    SetUpHelpMenu();
    SetUpStatusBar();
    setCentralWidget(MakeScrollingForm(takeCentralWidget(), QSize(kClientWidth, kClientHeight),
                                       kDeviceStripTop));
    move(kFirstPlace);
    resize(kClientWidth,
           kClientHeight + menuBar()->sizeHint().height() + statusBar()->sizeHint().height());

    for (int b = 0; b < 256; ++b) {
        hexText_[static_cast<std::size_t>(b)] = QString::asprintf("%02X", b);
        const char c = static_cast<char>(b);
        charText_[static_cast<std::size_t>(b)] =
            b == 0 ? QString() : DecodeDeviceText(std::string_view(&c, 1));
    }
    for (QLabel* label : findChildren<QLabel*>()) {
        label->adjustSize();
    }
    // The style draws the group titles above the frames, whose top lines then
    // run where the form puts these two labels: the labels cover them.
    ui_->Label11->setAutoFillBackground(true);
    ui_->Label14->setAutoFillBackground(true);
    // The dump view's byte columns; the fifth is one pixel wider.
    ui_->StringGrid4->SetColWidth(5, 16);
    portList_ = ui_->ComboBox1->view();
    portList_->installEventFilter(this);
    ui_->ComboBox1->installEventFilter(this);
    ui_->StringGrid2->viewport()->installEventFilter(this);

    Timer2 = new QTimer(this);
    Timer2->setObjectName(QStringLiteral("Timer2"));
    Timer2->setInterval(250);

    SetUpPatternChecks();
    SetUpAccessibleNames();
    SetUpPortFinder();
    // Beside the bar while an operation runs: where it is, and the stop control.
    QWidget* client = ui_->ProgressBar1->parentWidget();
    progressText_ = new QLabel(client);
    progressText_->setObjectName(QStringLiteral("ProgressText1"));
    stopButton_ = new QPushButton(FromUtf8(messages::kStop), client);
    stopButton_->setObjectName(QStringLiteral("StopButton"));
    stopButton_->setFocusPolicy(Qt::NoFocus);
    connect(stopButton_, &QPushButton::clicked, this, &TForm1::RequestStop);
    ShowStopControl(false);

    ConnectHandlers();
    historyPaused_ = true;
    FormCreate();
    historyPaused_ = false;
    historyImage_ = image_;
    // A window given a filled image did not make it up.
    imageFromOutside_ = image_ != MemoryImage{};
    ShowModified();
    RestoreWindowSettings();
    // The history comes only while reception is on.
    ui_->Button14->setToolTip(QString::fromUtf8(kOnlyOnline));
    Timer2->start();
}

void TForm1::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (placed_ || screen() == nullptr) {
        return;
    }
    placed_ = true;
    QSize frame = frameGeometry().size() - geometry().size();
    if (frame.isEmpty()) {
        frame = kUsualFrame;
    }
    const QRect available = screen()->availableGeometry();
    // What the window adds around the form (menu bar, status bar) as laid out
    // now: the bars' size hints can differ from the heights they get (under
    // Wine by a pixel, enough to make the pages scroll both ways).
    if (layout() != nullptr) {
        layout()->activate();
    }
    const QSize chrome = size() - centralWidget()->size();
    const QSize natural = QSize(kClientWidth, kClientHeight) + chrome;
    const int scrollingWidth = natural.width() + style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    // A window the screen makes lower than the form scrolls its pages: room
    // for their scroll bar beside them, or they scroll sideways too. (A size
    // the user chose stays as it is.)
    const auto withScrollBarRoom = [&](QSize wanted, const auto& fit) {
        QRect place = fit(wanted);
        if (place.height() < natural.height() && place.height() < wanted.height() &&
            wanted.width() < scrollingWidth) {
            wanted.setWidth(scrollingWidth);
            place = fit(wanted);
        }
        return place;
    };
    QRect place;
    if (rememberedPlace_.isValid()) {
        // Where the last run left it, brought back on screen when the
        // monitor it was on is gone (or made lower when it is smaller).
        QList<QRect> screens{QGuiApplication::primaryScreen()->availableGeometry()};
        for (const QScreen* s : QGuiApplication::screens()) {
            screens << s->availableGeometry();
        }
        const QPoint at = rememberedPlace_.topLeft();
        place = withScrollBarRoom(rememberedPlace_.size(), [&](QSize wanted) {
            return RememberedPlaceOnScreens(QRect(at, wanted), screens, frame, kFirstPlace);
        });
    } else {
        place = withScrollBarRoom(natural, [&](QSize wanted) {
            return ClientGeometryOnScreen(wanted, kFirstPlace, available, frame);
        });
    }
    resize(place.size());
    move(place.topLeft());
}

TForm1::~TForm1() {
    link_.ClosePort();
    // The history outlives this object's own part (the widget base deletes its
    // children): clearing itself then would call back into a form already gone.
    history_->blockSignals(true);
}

void TForm1::ConnectHandlers() {
    Ui::TForm1& f = *ui_;
    // After each handler the history notes what it changed in the image.
    const auto click = [this](QPushButton* b, void (TForm1::*slot)()) {
        connect(b, &QPushButton::clicked, this, [this, slot] {
            (this->*slot)();
            RecordEdits();
        });
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
        connect(e, &QLineEdit::textChanged, this, [this, slot] {
            (this->*slot)();
            RecordEdits();
        });
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
        connect(c, &QComboBox::activated, this, [this, slot](int index) {
            (this->*slot)(index);
            RecordEdits();
        });
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
        connect(c, &QCheckBox::toggled, this, [this, slot] {
            (this->*slot)();
            RecordEdits();
        });
    };
    toggle(f.CheckBox1, &TForm1::CheckBox1Click);
    toggle(f.CheckBox2, &TForm1::CheckBox2Click);
    toggle(f.CheckBox3, &TForm1::CheckBox3Click);
    toggle(f.CheckBox4, &TForm1::CheckBox4Click);
    toggle(f.potw_zd_CBox, &TForm1::potw_zd_CBoxClick);
    toggle(f.przyc_jako_pilotCB, &TForm1::przyc_jako_pilotCBClick);

    connect(f.StringGrid2, &TStringGrid::MouseDown, this, &TForm1::StringGrid2MouseDown);
    connect(f.StringGrid2, &TStringGrid::KeyMove, this, &TForm1::StringGrid2KeyMove);
    // Enter on the map goes to the selected remote's name.
    connect(f.StringGrid2, &QAbstractItemView::activated, this,
            [this] { ui_->Edit4->setFocus(Qt::OtherFocusReason); });
    connect(f.StringGrid1, &TStringGrid::MouseDown, this, &TForm1::StringGrid1MouseDown);
    connect(f.StringGrid3, &TStringGrid::MouseDown, this,
            [this](Qt::MouseButton button, QPoint pos) {
                int col = 0;
                int row = 0;
                if (button == Qt::LeftButton && ui_->StringGrid3->MouseToCell(pos, &col, &row) &&
                    col >= 1 && row >= 1) {
                    StringGrid3Click();
                    RecordEdits();
                }
            });
    connect(f.StringGrid3, &TStringGrid::KeyMove, this, [this] {
        StringGrid3Click();
        RecordEdits();
    });
    connect(f.StringGrid3, &TStringGrid::CellEdited, this, [this](int col, int row) {
        if (col >= 1 && col <= kTimerFields && row >= 1 && row <= kTimerRows) {
            timerCellsTyped_.set(static_cast<std::size_t>((row - 1) * kTimerFields + col - 1));
            CheckTimerCell(row - 1, col - 1);
            ShowModified();
        }
    });

    connect(f.N3, &QAction::triggered, this, &TForm1::N3Click);
    connect(f.N2, &QAction::triggered, this, &TForm1::N2Click);
    connect(f.ImportujplikzTAV5001, &QAction::triggered, this, &TForm1::ImportujplikzTAV5001Click);
    connect(f.Raportkonfiguracji1, &QAction::triggered, this, &TForm1::Raportkonfiguracji1Click);
    connect(f.AktualizujOpr, &QAction::triggered, this,
            &TForm1::AktualizujoprogramowaniewTAV1000U1Click);
    connect(Timer2, &QTimer::timeout, this, &TForm1::Timer2Timer);
}

void TForm1::FormCreate() {
    Ui::TForm1& f = *ui_;
    // In this order (the handlers that the program-made changes run see the
    // lists filled before them). The scenario page's selection at its start.
    selection_.currentScenario = 0;
    selection_.selectedRelay = 0;
    selection_.selectedButton = 0;
    // The scenario list of the scenarios page.
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
    }
    for (int n = 0; n < 4; ++n) {
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
    // The scenario list of the remotes page.
    for (int s = 0; s < kScenarioCount; ++s) {
        f.ComboBox16->addItem(QString::asprintf("SCENARIUSZ %d", s));
    }
    f.ComboBox16->setCurrentIndex(selection_.currentScenario);
    // The selected remote's name; runs Edit4Change: the form leaves a text in the edit.
    f.Edit4->clear();
    // The labels the operations and selections fill, and the version line.
    SetCaption(f.Label1, QString());
    SetCaption(f.Label5, QString());
    SetCaption(f.Label6, QString());
    SetCaption(f.StaticText1, QString());
    // The event view.
    f.RichEdit1->clear();
    // The scenarios page from the image (all zeros).
    RefreshScenarioPage();
    // The clock events' scenario lists.
    for (QComboBox* c : {f.ComboBox11, f.ComboBox12, f.ComboBox13, f.ComboBox14}) {
        for (int s = 0; s < kScenarioCount; ++s) {
            c->addItem(QString::number(s));
        }
        c->setCurrentIndex(0);
    }
    // The clock events' button lists.
    for (QComboBox* c : {f.ComboBox7, f.ComboBox8, f.ComboBox9, f.ComboBox10}) {
        for (int b = 1; b <= kShownButtonRows; ++b) {
            c->addItem(QString::number(b));
        }
        c->setCurrentIndex(0);
    }
    // The clock transmitters' names; each runs its name handler.
    f.Edit2->clear();
    f.Edit3->clear();
    f.Edit5->clear();
    f.Edit6->clear();
    // The display modes.
    for (std::string_view name : DisplayModeNames) {
        f.ComboBox15->addItem(FromUtf8(name));
    }
    f.ComboBox15->setCurrentIndex(0);
    // The display's user text; runs Edit1Change, which disables the edit.
    f.Edit1->clear();
    // The port list: "COM1".."COM15", and the ports above COM15 the system has.
    FillPortList();
    // The scenario grid's headers: the buttons, and the relays.
    for (int b = 1; b <= 13; ++b) {
        f.StringGrid1->SetCell(0, b, QStringLiteral("PRZYCISK ") + QString::number(b));
    }
    f.StringGrid1->SetCell(0, 14, QStringLiteral("PRZYCISK 14/ALARM"));
    for (int r = 1; r <= kRelayCount; ++r) {
        f.StringGrid1->SetCell(r, 0, QStringLiteral("PRZEKAZNIK") + QString::number(r));
    }
    // The dump view's address column.
    f.StringGrid4->SetColWidth(0, 70);
    // The whole window drawn once.
    repaint();
    // Whatever the window starts with is no edit of the user's.
    cleanImage_ = image_;
}

// ---- Progress bar, messages, status text ----------------------------------

void TForm1::ShowProgress(const OperationProgress& progress) {
    QProgressBar& bar = *ui_->ProgressBar1;
    if (!progress.Active()) {
        bar.setRange(0, 100);
        bar.setValue(0);
        progressText_->clear();
        return;
    }
    if (bar.minimum() != progress.minimum || bar.maximum() != progress.maximum) {
        bar.setRange(progress.minimum, progress.maximum);
    }
    progressText_->setText(FromUtf8(ProgressText(progress)));
    bar.setValue(progress.position);
}

void TForm1::ShowMessage(const QString& text, const QString& caption) {
    services_.showMessage(this, text, caption);
}

void TForm1::ShowVersionText(const QString& text) {
    SetCaption(ui_->StaticText1, text);
    ui_->StaticText1->repaint();
}

bool TForm1::eventFilter(QObject* watched, QEvent* event) {
    if (watched == ui_->StringGrid2->viewport() && event->type() == QEvent::ToolTip) {
        ShowRemoteHint(static_cast<const QHelpEvent&>(*event));
        return true;
    }
    // The devices behind the names change as adapters come and go: look now.
    const bool hover = watched == ui_->ComboBox1 && event->type() == QEvent::ToolTip;
    const bool listOpens = watched == portList_ && event->type() == QEvent::Show;
    // Before the list opens (it takes its width then): a press or a key.
    const bool mayOpen = watched == ui_->ComboBox1 && (event->type() == QEvent::MouseButtonPress ||
                                                       event->type() == QEvent::KeyPress);
    if (hover || listOpens || mayOpen) {
        RefreshPortList();
        ui_->ComboBox1->setToolTip(PortMapText());
    }
    return QMainWindow::eventFilter(watched, event);
}

// ---- Window-wide device buttons -------------------------------------------

void TForm1::Button3Click() {
    RunDeviceOperation(kReadAllMemory);
}
void TForm1::Button4Click() {
    TakeTypedTimers();
    if (!TypedPatternsSendable() || !TypedTimersSendable() || !MayWriteWholeCopy()) {
        return;
    }
    RunDeviceOperation(kWriteAllMemory);
}

}  // namespace tav::ui
