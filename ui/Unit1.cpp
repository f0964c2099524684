#include "Unit1.h"

#include <QAbstractItemView>
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
#include <QPushButton>
#include <QScreen>
#include <QStatusBar>
#include <QStyle>
#include <QTimer>
#include <QUndoStack>

#include "form_text.h"
#include "form_wiring.h"
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

}  // namespace

TForm1::TForm1(MemoryImage& image, WindowServices services, QWidget* parent)
    : QMainWindow(parent),
      ui_(std::make_unique<Ui::TForm1>()),
      services_(CompletedWithSystem(std::move(services))),
      image_(image),
      host_(*this),
      link_(services_.makePort, *services_.portResolver, *services_.timing),
      context_{link_, image_, host_, *services_.localClock},
      OpenDialog1(TFileDialog::Kind::Open, services_, this),
      SaveDialog1(TFileDialog::Kind::Save, services_, this),
      // Lines finished during a start or a history request, which run off
      // the window's thread, are handed to it.
      eventLines_([this](std::string_view line) {
          host_.OnWindowThread([this, text = std::string(line)] { AppendEventLine(text); }, true);
      }) {
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

    for (QLabel* label : findChildren<QLabel*>()) {
        label->adjustSize();
    }
    // The style draws the group titles above the frames, whose top lines then
    // run where the form puts these two labels: the labels cover them.
    ui_->Label11->setAutoFillBackground(true);
    ui_->Label14->setAutoFillBackground(true);
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
    SetUpStopControl();

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
    for (auto [button, handler] :
         {std::pair{f.Button1, &TForm1::Button1Click}, {f.Button2, &TForm1::Button2Click},
          {f.Button3, &TForm1::Button3Click},          {f.Button4, &TForm1::Button4Click},
          {f.Button5, &TForm1::Button5Click},          {f.Button6, &TForm1::Button6Click},
          {f.Button7, &TForm1::Button7Click},          {f.Button8, &TForm1::Button8Click},
          {f.Button9, &TForm1::Button9Click},          {f.Button10, &TForm1::Button10Click},
          {f.Button11, &TForm1::Button11Click},        {f.Button12, &TForm1::Button12Click},
          {f.Button13, &TForm1::Button13Click},        {f.Button14, &TForm1::Button14Click},
          {f.Button15, &TForm1::Button15Click},        {f.Button16, &TForm1::Button16Click},
          {f.Button17, &TForm1::Button17Click},        {f.Button18, &TForm1::Button18Click},
          {f.Button19, &TForm1::Button19Click},        {f.Button20, &TForm1::Button20Click},
          {f.Button21, &TForm1::Button21Click}}) {
        ConnectEdit(button, &QPushButton::clicked, handler);
    }
    // Edits: a change of text, typed or set by the program.
    ConnectEdit(f.Edit1, &QLineEdit::textChanged, &TForm1::Edit1Change);
    ConnectEdit(f.Edit4, &QLineEdit::textChanged, &TForm1::Edit4Change);
    // Lists: only the user's choice, never a selection made by the program.
    for (auto [list, handler] : {std::pair{f.ComboBox2, &TForm1::ComboBox2Change},
                                 {f.ComboBox3, &TForm1::ComboBox3Change},
                                 {f.ComboBox4, &TForm1::ComboBox4Change},
                                 {f.ComboBox5, &TForm1::ComboBox5Change},
                                 {f.ComboBox15, &TForm1::ComboBox15Change},
                                 {f.ComboBox16, &TForm1::ComboBox16Change}}) {
        ConnectEdit(list, &QComboBox::activated, handler);
    }
    // Check boxes: a change of state, by the user or the program.
    ConnectEdit(f.potw_zd_CBox, &QCheckBox::toggled, &TForm1::potw_zd_CBoxClick);
    ConnectEdit(f.przyc_jako_pilotCB, &QCheckBox::toggled, &TForm1::przyc_jako_pilotCBClick);
    ConnectClockEventRows();

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
    // Each page fills its lists before anything selects in them: the handlers
    // that the program's own changes run see them filled. The dump view's
    // texts come first, as those handlers show the bytes they changed.
    selection_ = SelectionState{};
    FillDumpView();
    FillScenarioPage();
    FillRemotesPage();
    ui_->RichEdit1->clear();
    FillSettingsPage();
    FillPortList();
    SetCaption(ui_->StaticText1, QString());
    // The whole window drawn once.
    repaint();
    // Whatever the window starts with is no edit of the user's.
    cleanImage_ = image_;
}

void TForm1::ShowMessage(const QString& text, const QString& caption) {
    services_.showMessage(this, text, caption);
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

}  // namespace tav::ui
