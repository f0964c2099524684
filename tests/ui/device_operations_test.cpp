// Device buttons through the window against the simulated receiver on a pty:
// the Qt host's messages, progress bar and reloads.
#include <pty.h>
#include <unistd.h>
#include <QCheckBox>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QProgressBar>
#include <QPushButton>

#include <cstdio>
#include <thread>

#include "link/serial_port.h"
#include "sample_configuration.h"
#include "sim/receiver.h"
#include "tests/support/pty_receivers.h"
#include "ui/device_text.h"
#include "window_fixture.h"

namespace tav::ui::testing {
namespace {

class DeviceOperationsTest : public WindowTest {
  protected:
    void SetUp() override {
        sim::ReceiverOptions app;
        app.memory = SampleConfiguration();
        application = testsupport::ReceiverBehindPort(*resolver, 0, app);
        sim::ReceiverOptions boot;
        boot.mode = sim::ReceiverMode::BootLoader;
        bootLoader = testsupport::ReceiverBehindPort(*resolver, 1, boot);
        ASSERT_TRUE(application && bootLoader);
        MakeForm(DeviceServices());
        QObject::connect(Find<QProgressBar>("ProgressBar1"), &QProgressBar::valueChanged,
                         [this](int v) { progress.push_back(v); });
    }

    void SelectPort(int index) { Find<QComboBox>("ComboBox1")->setCurrentIndex(index); }

    std::unique_ptr<sim::PtyReceiver> application;
    std::unique_ptr<sim::PtyReceiver> bootLoader;
    std::vector<int> progress;
};

// Windows numbers USB adapters from COM16 up: a receiver behind COM17 gets an
// entry after the form's COM1..COM15 when the list opens, and the window's
// operations reach it there.
TEST_F(DeviceOperationsTest, AReceiverBehindComSeventeenIsListedAndAnswers) {
    sim::ReceiverOptions options;
    options.memory = SampleConfiguration();
    options.memory.at(7) ^= 0x5A;  // not the receiver behind COM1
    const auto far = testsupport::ReceiverBehindPort(*resolver, 16, options);
    ASSERT_TRUE(far);
    auto* ports = Find<QComboBox>("ComboBox1");
    ports->showPopup();
    ports->hidePopup();
    ASSERT_EQ(ports->findText("COM17"), kPortCount);
    SelectPort(kPortCount);
    EXPECT_EQ(form->SelectedPortIndex(), 16);

    Click("Button3");

    EXPECT_TRUE(messages.empty()) << messages.front().text.toStdString();
    EXPECT_TRUE(form->image() == far->Memory());
}

TEST_F(DeviceOperationsTest, FullReadFillsTheMapAndReloadsThePages) {
    Click("Button3");

    EXPECT_TRUE(messages.empty()) << messages.front().text.toStdString();
    const MemoryImage expected = application->Memory();
    // The reloads show the image without writing into it.
    EXPECT_TRUE(form->image() == expected);
    TStringGrid& map = Grid("StringGrid2");
    for (int n = 0; n < kRemoteCount; ++n) {
        ASSERT_EQ(map.Cell(n % 50, n / 50), IsRemoteSlotUsed(expected, n) ? "#" : "_") << n;
    }
    EXPECT_EQ(map.Cell(0, 0), "#");
    EXPECT_EQ(map.Cell(5, 0), "_");  // erased slot
    EXPECT_EQ(map.Cell(49, 19), "#");
    EXPECT_EQ(Find<QLabel>("StaticText1")->text(), "hardw.ver:1.00 soft.ver:1.26");

    // The progress bar moved every 16 records and was reset at the end.
    std::vector<int> moves;
    for (int i = 15; i < 1024; i += 16) {
        moves.push_back(i);
    }
    ASSERT_GE(progress.size(), moves.size());
    EXPECT_EQ(std::vector<int>(progress.begin(), progress.begin() + 64), moves);
    auto* bar = Find<QProgressBar>("ProgressBar1");
    EXPECT_EQ(bar->value(), 0);
    EXPECT_EQ(bar->maximum(), 100);

    // Scenario grid, display settings and clock events come from the image;
    // the selected remote's details do not.
    EXPECT_EQ(Grid("StringGrid1").Cell(1, 1),
              QString::fromStdString(ScenarioCellText(expected.at(ScenarioCellOffset(0, 0, 0)))));
    EXPECT_EQ(Find<QComboBox>("ComboBox15")->currentIndex(), 3);
    EXPECT_TRUE(Find<QLineEdit>("Edit1")->isEnabled());
    EXPECT_EQ(Find<QLineEdit>("Edit1")->text(), "Witamy! TAV-1000R demo");
    EXPECT_EQ(Find<QLineEdit>("Edit3")->text(), QString::fromUtf8("Zamknięcie na noc"));
    EXPECT_EQ(Find<QLineEdit>("MaskEdit3")->text(), "2026-12-24 16:00:00");
    EXPECT_EQ(Find<QComboBox>("ComboBox9")->currentText(), "12");
    EXPECT_EQ(Find<QComboBox>("ComboBox13")->currentText(), "2");
    EXPECT_EQ(Find<QLabel>("Label1")->text(), "");
}

TEST_F(DeviceOperationsTest, ReadSelectedRemoteShowsItAndReportsSuccess) {
    PressCell("StringGrid2", 1, 0);
    Click("Button1");
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0], (Message{"Pilot odczytano z TAV-1000/1000R", "OK"}));
    EXPECT_EQ(Find<QLabel>("Label1")->text(), "PILOT NR:2");
    EXPECT_EQ(Find<QLineEdit>("Edit4")->text(), QString::fromUtf8("Garaż - Kowalski"));
    EXPECT_EQ(Find<QLabel>("Label5")->text(), "NR SERYJNY:3a:91:0d:41");
    EXPECT_EQ(Grid("StringGrid2").Cell(1, 0), "#");
}

// Each device button runs its own operation: the first command after the
// version query tells which, and the message which outcome.
TEST_F(DeviceOperationsTest, EveryDeviceButtonRunsItsOperation) {
    struct Row {
        const char* button;
        std::vector<std::uint8_t> commandStart;  // after "?"
        const char* message;
    };
    const Row rows[] = {
        {"Button1", {'p', 0x00, 0x07}, "Pilot odczytano z TAV-1000/1000R"},
        {"Button2", {'z', 0x00, 0x07}, "Pilot zapisano w TAV-2000"},
        {"Button3", {'P', 'x'}, nullptr},
        {"Button7", {'z', 0x03, 0xF0}, "Scenariusz zostal wyslany"},
        {"Button8", {'p', 0x03, 0xF0}, "Scenariusz zostal odebrany"},
        {"Button13", {'t'}, "Ustawiono zegar w TAV-1000R"},
        {"Button15", {'z', 0x03, 0xE8}, "Zd zegarowe zostaly wyslane"},
        {"Button16", {'p', 0x03, 0xE8}, "Zd zeg zostaly odebrane"},
        {"Button17", {'p', 0x03, 0xED}, "Stan wyswietlacza odebrano z TAV-1000R"},
        {"Button18", {'z', 0x03, 0xED}, "Stan wyswietlacza zapisano TAV-1000R"},
        {"Button12", {'c'}, "TAV-1000R Kasuje cala pamiec"},
        // Last: the receiver stays in the broken transfer until its frame timeout.
        {"Button4", {'Z'}, "Blad transmisji"},  // the first record's echo is wrong
    };
    PressCell("StringGrid2", 7, 0);  // slot 7: record 0x0007
    answer = QMessageBox::Yes;       // the erase asks first
    application->InjectFault({sim::FaultKind::WrongEchoAtRecord, 0, 0});
    for (const Row& r : rows) {
        messages.clear();
        // The last bytes of the operation before may still be on their way
        // through the pty: let them arrive before the log is cleared.
        ASSERT_TRUE(
            application->WaitUntilSettled(std::chrono::milliseconds(50), std::chrono::seconds(2)));
        application->ClearTraffic();
        Click(r.button);
        ASSERT_TRUE(
            application->WaitForReceived(1 + r.commandStart.size(), std::chrono::seconds(2)))
            << r.button;
        const std::vector<std::uint8_t> got = application->ReceivedBytes();
        ASSERT_GT(got.size(), r.commandStart.size()) << r.button;
        EXPECT_EQ(got[0], '?') << r.button;
        EXPECT_EQ(std::vector<std::uint8_t>(
                      got.begin() + 1, got.begin() + 1 + static_cast<long>(r.commandStart.size())),
                  r.commandStart)
            << r.button;
        if (r.message == nullptr) {
            EXPECT_TRUE(messages.empty()) << r.button;
        } else {
            ASSERT_EQ(messages.size(), 1u) << r.button;
            EXPECT_EQ(messages[0].text, r.message) << r.button;
        }
    }
    // The clock came from the window's local clock service: 2026-12-08 10:30:00.
    const sim::ReceiverClock clock = application->Clock();
    EXPECT_TRUE(clock.set);
    EXPECT_EQ(clock.bytes, (std::array<std::uint8_t, 6>{0x00, 0x30, 0x10, 0x08, 0x12, 0x26}));
}

TEST_F(DeviceOperationsTest, RefusalsArriveAsMessageBoxesWithTheirCaptions) {
    SelectPort(1);  // the boot loader
    Click("Button3");
    SelectPort(2);  // no device
    Click("Button8");
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[0],
              (Message{QString::fromUtf8("TAV-1000R znajduje się w trybie bootloadera.  Zresetuj "
                                         "urządzenie albo przeprowadź aktualizację "
                                         "oprogramowania!"),
                       QString::fromUtf8("BŁĄD")}));
    EXPECT_EQ(messages[1],
              (Message{QString::fromUtf8("Niewłaściwa nazwa portu lub port jest aktywny.\n\n"
                                         "Przyczyna: brak urządzenia – nic nie jest "
                                         "podłączone do tego portu."),
                       QString::fromUtf8("Błąd")}));
    ASSERT_TRUE(bootLoader->WaitForReceived(1, std::chrono::seconds(2)));
    const std::vector<std::uint8_t> received = bootLoader->ReceivedBytes();
    EXPECT_EQ(received, std::vector<std::uint8_t>{'?'});
}

// "Znajdź TAV-1000R" asks the present ports in order and selects the first
// that answers, with its version; a port with nothing behind it is passed
// over. Choosing another port clears the version line.
TEST_F(DeviceOperationsTest, FinderSelectsThePortTheReceiverAnswersOn) {
    int master = -1;
    int slave = -1;
    char silent[64] = {};
    ASSERT_EQ(openpty(&master, &slave, silent, nullptr, nullptr), 0);
    const std::string app = application->DevicePath();
    const std::string boot = bootLoader->DevicePath();
    const struct Row {
        const char* what;
        std::vector<std::string> ports;  // COM1.., "" for none
        int selected;
        const char* version;  // the version line's start; "": empty
        const char* message;
    } rows[] = {
        {"application on COM4",
         {silent, "", "", app},
         3,
         "hardw.ver:1.00 soft.ver:1.26",
         "TAV-1000R odpowiada na porcie COM4."},
        {"boot loader first",
         {silent, boot, app},
         1,
         "boot ldr:",
         "TAV-1000R odpowiada na porcie COM2."},
        {"nothing answers",
         {"", silent},
         0,
         "",
         "TAV-1000R nie odpowiada na żadnym z obecnych portów (COM2)."},
        {"no port",
         {},
         0,
         "",
         "Nie znaleziono żadnego portu szeregowego. Sprawdź, czy przejściówka USB jest "
         "podłączona."},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        for (int i = 0; i < kPortCount; ++i) {
            resolver->Set(i, i < static_cast<int>(row.ports.size()) ? row.ports[i] : "");
        }
        SelectPort(0);
        messages.clear();
        Click("FindReceiverButton");
        ASSERT_EQ(messages.size(), 1u);
        EXPECT_EQ(messages[0].text, QString::fromUtf8(row.message));
        EXPECT_EQ(Find<QComboBox>("ComboBox1")->currentIndex(), row.selected);
        const QString version = Find<QLabel>("StaticText1")->text();
        EXPECT_TRUE(*row.version == 0 ? version.isEmpty() : version.startsWith(row.version))
            << version.toStdString();
        SelectPort(5);
        EXPECT_EQ(Find<QLabel>("StaticText1")->text(), "");
    }
    ::close(slave);
    ::close(master);
}

// The status bar names the selected port's state and the last operation
// with its result and time.
TEST_F(DeviceOperationsTest, StatusBarSaysThePortAndTheLastOperation) {
    const struct Row {
        int port;
        const char* button;
        const char* operation;
        const char* portState;
    } rows[] = {
        {0, "Button17", "Odczyt ustawień wyświetlacza: zakończono", "COM1: urządzenie podłączone"},
        {1, "Button3", "Odczyt wszystkich ustawień: nie rozpoczęto", "COM2: urządzenie podłączone"},
        {2, "Button8", "Odczyt scenariuszy: nie rozpoczęto", "COM3: brak urządzenia"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.button);
        SelectPort(row.port);
        Click(row.button);
        EXPECT_TRUE(Find<QLabel>("LastOperationText")
                        ->text()
                        .startsWith(QString::fromUtf8(row.operation) + QStringLiteral(" (")));
        EXPECT_EQ(Find<QLabel>("PortStateText")->text(), QString::fromUtf8(row.portState));
    }
}

TEST_F(DeviceOperationsTest, ReadDisplaySettingsShowsThemWithoutWritingBack) {
    Click("Button17");
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].text, "Stan wyswietlacza odebrano z TAV-1000R");
    EXPECT_TRUE(Find<QCheckBox>("potw_zd_CBox")->isChecked());
    EXPECT_TRUE(Find<QCheckBox>("przyc_jako_pilotCB")->isChecked());
    EXPECT_EQ(Find<QLineEdit>("Edit1")->text(), "Witamy! TAV-1000R demo");
    const auto shown = form->image().RecordAt(kDisplayRecord);
    const MemoryImage memory = application->Memory();
    const auto sent = memory.RecordAt(kDisplayRecord);
    EXPECT_TRUE(std::equal(shown.begin(), shown.end(), sent.begin()));
}

TEST_F(DeviceOperationsTest, EraseAsksFirstAndNoSendsNothing) {
    struct Row {
        QMessageBox::StandardButton answer;
        std::vector<std::uint8_t> sent;
        std::vector<Message> shown;
    };
    const Row rows[] = {
        {QMessageBox::No, {}, {}},
        {QMessageBox::Yes, {'?', 'c'}, {{"TAV-1000R Kasuje cala pamiec", "OK"}}},
    };
    for (const Row& r : rows) {
        application->SetMemory(SampleConfiguration());
        application->ClearTraffic();
        messages.clear();
        questions.clear();
        answer = r.answer;
        Click("Button12");
        ASSERT_EQ(questions.size(), 1u);
        EXPECT_TRUE(
            questions[0].text.contains(QString::fromUtf8("piloty, scenariusze, zdarzenia "
                                                         "zegarowe i ustawienia "
                                                         "wyświetlacza")));
        EXPECT_EQ(questions[0].buttons, QMessageBox::Yes | QMessageBox::No);
        EXPECT_EQ(questions[0].preselected, QMessageBox::No);
        EXPECT_EQ(messages, r.shown);
        if (!r.sent.empty()) {
            ASSERT_TRUE(application->WaitForReceived(r.sent.size(), std::chrono::seconds(2)));
        }
        ASSERT_TRUE(
            application->WaitUntilSettled(std::chrono::milliseconds(50), std::chrono::seconds(2)));
        EXPECT_EQ(application->ReceivedBytes(), r.sent);
        EXPECT_EQ(application->Memory() == SampleConfiguration(), r.sent.empty());
    }
}

// A click or a key press made while a full read runs reaches the window only
// once the read is over; it must not start a second operation then.
TEST_F(DeviceOperationsTest, InputDuringAFullReadIsDroppedNotQueued) {
    const auto press = [](QWidget* target) {
        const QPointF at = QRectF(target->rect()).center();
        for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
            QCoreApplication::postEvent(
                target,
                new QMouseEvent(type, at, target->mapToGlobal(at), Qt::LeftButton,
                                type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton,
                                Qt::NoModifier));
        }
    };
    const auto key = [](QWidget* target) {
        target->setFocus();
        for (QEvent::Type type : {QEvent::KeyPress, QEvent::KeyRelease}) {
            QCoreApplication::postEvent(target,
                                        new QKeyEvent(type, Qt::Key_Space, Qt::NoModifier, " "));
        }
    };
    struct Row {
        const char* name;
        const char* target;
        std::function<void(QWidget*)> input;
    };
    const Row rows[] = {
        {"click on ZAPISZ WSZYSTKIE", "Button4", press},
        {"Space on ZAPISZ WSZYSTKIE", "Button4", key},
        {"click on SKASUJ PAMIEC", "Button12", press},
        {"click on ZAPISZ PILOTA", "Button2", press},
    };
    answer = QMessageBox::Yes;  // an erase that got through would run
    const MemoryImage held = application->Memory();
    Click("Button3");  // the traffic of one undisturbed read
    ASSERT_TRUE(
        application->WaitUntilSettled(std::chrono::milliseconds(50), std::chrono::seconds(2)));
    const std::vector<std::uint8_t> oneRead = application->ReceivedBytes();
    auto* bar = Find<QProgressBar>("ProgressBar1");
    for (const Row& r : rows) {
        application->ClearTraffic();
        image = MemoryImage();
        messages.clear();
        bool sent = false;
        bool busy = false;
        const auto connection = QObject::connect(bar, &QProgressBar::valueChanged, [&](int v) {
            if (v > 100 && !sent) {
                sent = true;
                busy = QApplication::overrideCursor() != nullptr &&
                       QApplication::overrideCursor()->shape() == Qt::WaitCursor;
                r.input(Find<QWidget>(r.target));
            }
        });
        Click("Button3");
        QObject::disconnect(connection);
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents();
        ASSERT_TRUE(sent) << r.name;
        EXPECT_TRUE(busy) << r.name;
        EXPECT_EQ(QApplication::overrideCursor(), nullptr) << r.name;
        ASSERT_TRUE(
            application->WaitUntilSettled(std::chrono::milliseconds(50), std::chrono::seconds(2)));
        EXPECT_EQ(application->ReceivedBytes(), oneRead) << r.name;
        EXPECT_TRUE(application->Memory() == held) << r.name;
        EXPECT_TRUE(form->image() == held) << r.name;
        EXPECT_TRUE(messages.empty()) << r.name;
        // No erase or write question: only the read's own, about the image
        // cleared behind the window's back.
        EXPECT_TRUE(std::ranges::all_of(questions, [](const Question& q) {
            return q.buttons.testFlag(QMessageBox::Discard);
        })) << r.name;
    }
    // Afterwards the window takes input again.
    application->ClearTraffic();
    QTest::mouseClick(Find<QPushButton>("Button13"), Qt::LeftButton);
    EXPECT_EQ(messages, (std::vector<Message>{{"Ustawiono zegar w TAV-1000R", "OK"}}));
}

// After a transfer that moved the edited records, closing asks nothing; after
// one that moved other records, it still asks.
TEST_F(DeviceOperationsTest, TransfersOfTheEditedRecordsMakeThemClean) {
    struct Row {
        const char* name;
        const char* button;
        bool asks;
    };
    const Row rows[] = {
        {"full write", "Button4", false},
        {"full read", "Button3", false},
        {"write of the selected remote", "Button2", false},
        {"read of the selected remote", "Button1", false},
        {"write of the display settings", "Button18", true},
        {"clock set", "Button13", true},
    };
    Click("Button3");  // the copy is the receiver's: a full write asks nothing
    for (const Row& r : rows) {
        PressCell("StringGrid2", 7, 0);
        Find<QLineEdit>("Edit4")->setText(QString::fromLatin1(r.name).left(16));
        replaceAnswer = QMessageBox::Discard;  // a read replaces the edit
        Click(r.button);
        replaceAnswer = QMessageBox::Cancel;
        questions.clear();
        EXPECT_EQ(form->close(), !r.asks) << r.name;
        EXPECT_EQ(questions.size(), r.asks ? 1u : 0u) << r.name;
        form->show();
    }
}

}  // namespace
}  // namespace tav::ui::testing
