// The scenarios page and the page "POZOSTALE" against the simulated receiver on
// a pty: what a page edits is what is sent, what is read is what it shows.
#include <QLabel>
#include <QPushButton>
#include <array>

#include "link/serial_port.h"
#include "page_fixtures.h"
#include "sample_configuration.h"
#include "sim/receiver.h"
#include "tests/support/pty_receivers.h"

namespace tav::ui::testing {
namespace {

// Over the simulated receiver on a pty: what the page edits is what is sent,
// and what is read is what the page shows.
class ScenarioTransferTest : public ScenariosPageTest {
  protected:
    void SetUp() override {
        sim::ReceiverOptions app;
        app.memory = SampleConfiguration();
        receiver = testsupport::ReceiverBehindPort(*resolver, 0, app);
        ASSERT_TRUE(receiver);
        MakeForm(DeviceServices());
    }
    std::unique_ptr<sim::PtyReceiver> receiver;
};

TEST_F(ScenarioTransferTest, WriteSendsTheEditsAndReadShowsTheReceiversScenarios) {
    // Edit one cell of scenario 1 and one timer, with the editor still open.
    Choose("ComboBox2", 1);
    SelectCell(5, 2);
    Choose("ComboBox3", 5);  // (Bo_)
    Type(3, 2, "42");        // seconds of timer 1
    ASSERT_NE(OpenEditor(), nullptr);
    Click("Button7");
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].text, "Scenariusz zostal wyslany");

    MemoryImage expected;  // the window's image started all zeros
    expected.at(ScenarioCellOffset(1, 5, 2)) = 0x50;
    expected.at(TimerFieldOffset(1, 1, 2)) = 42;
    EXPECT_TRUE(image == expected);
    const MemoryImage sent = receiver->Memory();
    for (int n = kFirstScenarioRecord; n <= kLastScenarioGroupRecord; ++n) {
        const auto got = sent.RecordAt(n);
        const auto want = expected.RecordAt(n);
        EXPECT_TRUE(std::equal(got.begin(), got.end(), want.begin())) << "record " << n;
    }

    // The receiver's scenarios change; reading shows them.
    MemoryImage changed = sent;
    changed.at(ScenarioCellOffset(1, 5, 2)) = 0x19;
    changed.at(ScenarioCellOffset(1, 13, 3)) = 0xB0;
    changed.at(TimerFieldOffset(1, 1, 2)) = 17;
    changed.at(TimerFieldOffset(1, 7, 3)) = 8;
    receiver->SetMemory(changed);
    messages.clear();
    Click("Button8");
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].text, "Scenariusz zostal odebrany");
    EXPECT_EQ(Grid("StringGrid1").Cell(3, 6), "Mo_  TIM:2  OP:1");
    EXPECT_EQ(Grid("StringGrid1").Cell(4, 14), kUnused);
    EXPECT_EQ(Find<QLabel>("Label11")->text(), "PRZYCISK:6  PRZEKAZNIK:3");
    EXPECT_EQ(Index("ComboBox3"), 1);
    EXPECT_EQ(Find<QComboBox>("ComboBox4")->currentIndex(), 2);
    EXPECT_EQ(Grid("StringGrid3").Cell(3, 2), "17");
    EXPECT_EQ(Grid("StringGrid3").Cell(4, 8), "8");
}

// Both writes send the timers typed so far, also with the editor still open.
TEST_F(ScenarioTransferTest, WritesSendTheTypedTimers) {
    const struct {
        const char* button;
        const char* typed;
        std::uint8_t sent;    // what the receiver then holds
        const char* refusal;  // the message instead of a send
    } rows[] = {
        {"Button7", "33", 33, ""},
        {"Button4", "7", 7, ""},
        {"Button7", "75", 7, "OPOZNIENIE 1, Min: „75” poza zakresem 00–59. Nic nie wysłano."},
        {"Button4", "7x", 7, "OPOZNIENIE 1, Min: „7x” poza zakresem 00–59. Nic nie wysłano."},
    };
    answer = QMessageBox::Yes;  // the full write of the start copy asks first
    for (const auto& r : rows) {
        messages.clear();
        Type(2, 6, r.typed);  // minutes of delay 1
        Click(r.button);
        EXPECT_EQ(receiver->Memory().at(TimerFieldOffset(0, 5, 1)), r.sent) << r.typed;
        if (*r.refusal != 0) {
            ASSERT_EQ(messages.size(), 1u) << r.typed;
            EXPECT_EQ(messages[0].text, QString::fromUtf8(r.refusal));
            EXPECT_EQ(Grid("StringGrid3").Cell(2, 6), r.typed);
        } else {
            EXPECT_EQ(Grid("StringGrid3").Cell(2, 6), QString::asprintf("%02d", r.sent));
        }
    }
}

// A full read redraws the timer grid too, so the next press in it keeps the
// timers just read instead of writing the old ones back.
TEST_F(ScenarioTransferTest, FullReadThenATimerPressKeepsTheReadTimers) {
    MemoryImage memory = receiver->Memory();
    for (int f = 0; f < kTimerFields; ++f) {
        memory.at(TimerFieldOffset(0, 2, f)) = static_cast<std::uint8_t>(f + 5);
    }
    receiver->SetMemory(memory);
    Click("Button3");
    ASSERT_TRUE(messages.empty());
    EXPECT_EQ(Grid("StringGrid3").Cell(1, 3), "05");
    EXPECT_EQ(Grid("StringGrid3").Cell(4, 3), "8");
    PressCell("StringGrid3", 2, 2);
    const MemoryImage read = receiver->Memory();
    for (int n = kFirstTimerRecord; n <= kLastScenarioGroupRecord; ++n) {
        const auto got = image.RecordAt(n);
        const auto want = read.RecordAt(n);
        EXPECT_TRUE(std::equal(got.begin(), got.end(), want.begin())) << "record " << n;
    }
}

// ---- against the simulated receiver -----------------------------------------

class SettingsTransferTest : public SettingsPageTest {
  protected:
    void SetUp() override {
        sim::ReceiverOptions options;
        options.memory = SampleConfiguration();
        options.memory.at(kClockEventOffset + 1) = 5;  // event 0: button 6
        receiver = testsupport::ReceiverBehindPort(*resolver, 0, options);
        ASSERT_TRUE(receiver);
        MakeForm(DeviceServices());
    }
    Bytes Records(const MemoryImage& m, int first, int last) const {
        const auto b = m.Bytes().begin() + first * 32;
        return Bytes(b, m.Bytes().begin() + (last + 1) * 32);
    }
    std::unique_ptr<sim::PtyReceiver> receiver;
};

std::uint8_t Bcd(int v) {
    return static_cast<std::uint8_t>(v / 10 * 16 + v % 10);
}

TEST_F(SettingsTransferTest, ButtonsOfThePageMoveTheirRecords) {
    struct Row {
        const char* button;
        int first, last;
        bool read;
        const char* message;
    };
    const Row rows[] = {
        {"Button17", 1005, 1005, true, "Stan wyswietlacza odebrano z TAV-1000R"},
        {"Button16", 1000, 1004, true, "Zd zeg zostaly odebrane"},
        {"Button18", 1005, 1005, false, "Stan wyswietlacza zapisano TAV-1000R"},
        {"Button15", 1000, 1004, false, "Zd zegarowe zostaly wyslane"},
    };
    bool edited = false;
    for (const Row& r : rows) {
        if (!r.read && !edited) {  // the user's edits, on a receiver that has none of it
            edited = true;
            Choose("ComboBox15", 1);
            Edit("Edit2")->setText(QString::fromUtf8("Żaluzje"));
            Edit("MaskEdit1")->setCursorPosition(14);
            QTest::keyClicks(Edit("MaskEdit1"), "15");
            receiver->SetMemory(sim::ErasedMemory());
        }
        messages.clear();
        const MemoryImage before = form->image();
        Click(r.button);
        ASSERT_EQ(messages, (std::vector<Message>{{r.message, "OK"}})) << r.button;
        const MemoryImage got = receiver->Memory();
        EXPECT_EQ(Records(got, r.first, r.last), Records(form->image(), r.first, r.last));
        if (!r.read) {
            EXPECT_TRUE(form->image() == before) << r.button;
        }
    }
    // What the reads showed, and what the writes carried.
    EXPECT_EQ(Find<QComboBox>("ComboBox7")->currentText(), "6");
    EXPECT_EQ(Edit("Edit3")->text(), QString::fromUtf8("Zamknięcie na noc"));
    const MemoryImage got = receiver->Memory();
    EXPECT_EQ(got.at(kClockEventOffset + 1), 5);  // the button index as it came
    EXPECT_EQ(Records(got, 1004, 1004)[6], 0x15);
    EXPECT_EQ(ReadDeviceText(got, TextFieldOffset(1000)),
              "\xAF"
              "aluzje");
    EXPECT_EQ(got.at(kDisplayModeOffset), 1);
}

TEST_F(SettingsTransferTest, ClockSetAndEraseLeaveTheImageAlone) {
    const MemoryImage before = form->image();
    Click("Button13");
    receiver->ClearTraffic();
    answer = QMessageBox::Yes;
    Click("Button12");
    EXPECT_EQ(messages, (std::vector<Message>{{"Ustawiono zegar w TAV-1000R", "OK"},
                                              {"TAV-1000R Kasuje cala pamiec", "OK"}}));
    const LocalDateTime t = form->services().localClock->Now();
    const sim::ReceiverClock clock = receiver->Clock();
    EXPECT_TRUE(clock.set);
    EXPECT_EQ(clock.bytes,
              (std::array<std::uint8_t, 6>{Bcd(t.second), Bcd(t.minute), Bcd(t.hour), Bcd(t.day),
                                           Bcd(t.month), Bcd(t.year - 2000)}));
    // Nothing answers "c": wait until the receiver has taken it.
    ASSERT_TRUE(receiver->WaitForReceived(2, std::chrono::seconds(2)));
    ASSERT_TRUE(receiver->WaitUntilIdle(std::chrono::seconds(2)));
    EXPECT_TRUE(receiver->Memory() == sim::ErasedMemory());
    EXPECT_TRUE(form->image() == before);
}

// A failed read: the display group is shown again from the image as it is,
// the clock-event rows only after a whole read.
TEST_F(SettingsTransferTest, FailedReadsShowTheDisplayGroupAgain) {
    struct Row {
        const char* button;
        sim::Fault fault;
        const char* message;
        std::uint8_t mode;     // put in the image before, not shown
        std::string name1000;  // what the image holds afterwards
    };
    const Row rows[] = {
        {"Button17", {sim::FaultKind::BadChecksumAtRecord, 1005, 0}, "Blad transmisji", 2, ""},
        {"Button16",
         {sim::FaultKind::SilenceFromRecord, 1002, 0},
         "TAV-1000R nie odpowiada!",
         1,
         "Otwarcie bramy rano"},
    };
    for (const Row& r : rows) {
        form->image().at(kDisplayModeOffset) = r.mode;
        receiver->ClearFaults();
        receiver->InjectFault(r.fault);
        messages.clear();
        Click(r.button);
        ASSERT_EQ(messages, (std::vector<Message>{{r.message, QString::fromUtf8("Błąd")}}));
        EXPECT_EQ(Find<QComboBox>("ComboBox15")->currentIndex(), r.mode) << r.button;
        EXPECT_EQ(form->image().at(kDisplayModeOffset), r.mode) << r.button;
        EXPECT_EQ(ReadDeviceText(form->image(), TextFieldOffset(1000)), r.name1000);
        EXPECT_EQ(ReadDeviceText(form->image(), TextFieldOffset(1002)), "") << r.button;
        EXPECT_EQ(Edit("Edit2")->text(), "") << r.button;
    }
}

}  // namespace
}  // namespace tav::ui::testing
