// Stopping a device operation from the window (PRZERWIJ, Esc, closing the
// window) against the simulated receiver on a pty: what the receiver holds,
// what the window's copy holds, and what the window says.
#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <functional>

#include "image/memory_image.h"
#include "link/firmware.h"
#include "link/messages.h"
#include "link/protocol.h"
#include "sim/receiver.h"
#include "tests/support/image_pattern.h"
#include "tests/support/pty_receivers.h"
#include "window_fixture.h"

namespace tav::ui::testing {
namespace {

using namespace std::chrono_literals;

const QString kFirmwareWarning = QString::fromUtf8(
    messages::kFirmwareWarning.data(), static_cast<qsizetype>(messages::kFirmwareWarning.size()));
const QString kWrote = QString::fromUtf8(
    " rekordów. Tylko te rekordy dotarły do TAV-1000R, pozostałe są w nim takie, jak przed "
    "zapisem.");
const QString kRead =
    QString::fromUtf8(" rekordów. Dane w programie pozostały takie, jak przed odczytem.");
const QString kFirmwareStopped = QString::fromUtf8(
    " bloków. TAV-1000R pozostaje w trybie bootloadera, dopóki aktualizacja nie przebiegnie w "
    "całości.");

class OperationStopTest : public WindowTest {
  protected:
    void SetUp() override {
        for (std::size_t i = 0; i < firmware.size(); ++i) {
            firmware[i] = static_cast<std::uint8_t>(i * 7 + i / kFirmwareBlockSize);
        }
        sim::ReceiverOptions app;
        app.memory = testsupport::PatternImage(3);
        // A transfer stopped part-way is dropped by the receiver after a short
        // quiet.
        app.frameTimeout = 500ms;
        application = testsupport::ReceiverBehindPort(*resolver, 0, app);
        sim::ReceiverOptions boot;
        boot.mode = sim::ReceiverMode::BootLoader;
        boot.frameTimeout = 500ms;
        bootLoader = testsupport::ReceiverBehindPort(*resolver, 1, boot);
        ASSERT_TRUE(application && bootLoader);
        WindowServices s = DeviceServices();
        s.firmware = firmware;
        MakeForm(std::move(s));
    }

    // Runs `start` and, when the bar first reaches `at`, stops the operation
    // the way `stop` does.
    void RunAndStop(const std::function<void()>& start, int at, const std::function<void()>& stop) {
        bool stopped = false;
        // Below its range: the first value the operation sets is a change.
        Find<QProgressBar>("ProgressBar1")->reset();
        const auto connection = QObject::connect(
            Find<QProgressBar>("ProgressBar1"), &QProgressBar::valueChanged, [&](int value) {
                if (value >= at && !stopped && form->OperationRunning()) {
                    stopped = true;
                    stop();
                }
            });
        start();
        QObject::disconnect(connection);
        EXPECT_TRUE(stopped);
    }

    std::vector<std::uint8_t> firmware = std::vector<std::uint8_t>(kFirmwareSize);
    std::unique_ptr<sim::PtyReceiver> application;
    std::unique_ptr<sim::PtyReceiver> bootLoader;
};

// Each operation stopped early, midway and near its end: the receiver holds
// whole records (blocks) only, those the message names; a stopped read leaves
// the window's copy as it was.
TEST_F(OperationStopTest, EachOperationStoppedEarlyMidwayAndNearTheEnd) {
    enum class Kind { kRead, kWrite, kFirmware };
    struct Op {
        const char* name;
        const char* button;  // none: the firmware update's menu item
        Kind kind;
        int port;
        int first;           // the first record the operation moves
        int total;           // records (blocks) it moves
        int valueFirst;      // the bar's value after the first record
        int every;           // the bar moves every `every` records
        std::size_t header;  // bytes the tool sends before the records
        std::size_t each;    // bytes the tool sends per record (block)
    };
    const Op ops[] = {
        {"full read", "Button3", Kind::kRead, 0, 0, 1024, 0, 16, 2, 1},
        {"full write", "Button4", Kind::kWrite, 0, 0, 1024, 0, 16, 2, 33},
        {"scenarios written", "Button7", Kind::kWrite, 0, kFirstScenarioRecord, 12, 8, 1, 1, 36},
        {"clock events read", "Button16", Kind::kRead, 0, kFirstClockTransmitterRecord, 5, 0, 1, 1,
         3},
        {"firmware", nullptr, Kind::kFirmware, 1, 0, kFirmwareBlocks, 0, 4, 2,
         kFirmwareBlockSize + 1},
    };
    struct When {
        const char* name;
        double at;  // of the way through
        bool escape;
    };
    const When whens[] = {
        {"early", 0.0, false}, {"midway", 0.5, true}, {"near the end", 0.9, false}};
    answer = QMessageBox::Yes;  // the firmware's question
    for (const Op& op : ops) {
        for (const When& when : whens) {
            SCOPED_TRACE(std::string(op.name) + ", " + when.name);
            sim::PtyReceiver& receiver = op.port == 0 ? *application : *bootLoader;
            Find<QComboBox>("ComboBox1")->setCurrentIndex(op.port);
            // The records the bar passes: at = which step of `every` records.
            const int steps = op.total / op.every;
            // The stop lands a record or two later: never past the last but one.
            const int step = std::min(steps - 3, static_cast<int>(when.at * steps));
            const int done = (step + 1) * op.every;
            const int value = op.valueFirst + done - 1;
            // The stop lands at the record boundary after the window saw the
            // bar there: the receiver takes its time with each record, so that
            // the boundary is one of the next few.
            if (op.kind == Kind::kRead && op.every > 1) {
                receiver.SetPacing({.paced = true});
            } else {
                receiver.SetPacing({.recordWriteMs = 2, .firmwareBlockMs = 2});
            }
            image = testsupport::PatternImage(9);
            const MemoryImage copyBefore = image;
            const MemoryImage receiverBefore = receiver.Memory();
            messages.clear();
            questions.clear();
            receiver.ClearTraffic();
            const auto start = [&] {
                if (op.button != nullptr) {
                    Click(op.button);
                } else {
                    Find<QAction>("AktualizujOpr")->trigger();
                }
            };
            QString shown;  // beside the bar when the stop was made
            RunAndStop(start, value, [&] {
                shown = Find<QLabel>("ProgressText1")->text();
                if (when.escape) {
                    QTest::keyClick(form.get(), Qt::Key_Escape);
                } else {
                    QTest::mouseClick(Find<QPushButton>("StopButton"), Qt::LeftButton);
                }
            });
            receiver.SetPacing({});
            ASSERT_TRUE(receiver.WaitUntilSettled(50ms, 2s));
            ASSERT_TRUE(receiver.WaitUntilFrameIdle(2s));
            // The records (blocks) the message names as done.
            ASSERT_FALSE(messages.empty());
            const QString& last = messages.back().text;
            const int named = last.mid(last.indexOf(" po ") + 4).section(' ', 0, 0).toInt();
            EXPECT_GE(named, done);
            EXPECT_LT(named, op.total);
            const QString count = QString::number(named) + " z " + QString::number(op.total);
            std::vector<Message> said;
            if (op.kind == Kind::kFirmware) {
                said.push_back({kFirmwareWarning, "UWAGA!"});
                said.push_back({"Aktualizację przerwano po " + count + kFirmwareStopped, "UWAGA!"});
                ASSERT_EQ(questions.size(), 1u);
                EXPECT_EQ(questions[0].preselected, QMessageBox::No);
                EXPECT_TRUE(questions[0].text.contains("bootloadera"));
            } else if (op.kind == Kind::kWrite) {
                said.push_back({"Zapis przerwano po " + count + kWrote, "UWAGA!"});
            } else {
                said.push_back({"Odczyt przerwano po " + count + kRead, "UWAGA!"});
            }
            EXPECT_EQ(messages, said);
            const char* word = op.kind == Kind::kFirmware ? "Aktualizacja: blok "
                               : op.kind == Kind::kRead   ? "Odczyt: rekord "
                                                          : "Zapis: rekord ";
            EXPECT_TRUE(shown.startsWith(QString::fromUtf8(word)) &&
                        shown.contains(" z " + QString::number(op.total) +
                                       QString::fromUtf8(", zostało ok. ")))
                << shown.toStdString();
            // Whole records only: the tool sent exactly those before the stop.
            EXPECT_EQ(receiver.ReceivedBytes().size(),
                      op.header + static_cast<std::size_t>(named) * op.each);
            // The window's copy is as it was; the receiver took `done` records.
            EXPECT_TRUE(form->image() == copyBefore);
            const MemoryImage held = receiver.Memory();
            if (op.kind == Kind::kWrite) {
                for (int r = 0; r < kRecordCount; ++r) {
                    const bool sent = r >= op.first && r < op.first + named;
                    ASSERT_TRUE(std::ranges::equal(
                        held.RecordAt(r), (sent ? copyBefore : receiverBefore).RecordAt(r)))
                        << r;
                }
            } else if (op.kind == Kind::kRead) {
                EXPECT_TRUE(held == receiverBefore);
            } else {
                const std::vector<std::uint8_t> got = receiver.FirmwareReceived();
                EXPECT_TRUE(std::ranges::equal(
                    got, std::span(firmware).first(static_cast<std::size_t>(named) *
                                                   kFirmwareBlockSize)));
            }
            EXPECT_FALSE(Find<QPushButton>("StopButton")->isVisible());
            EXPECT_EQ(Find<QLabel>("ProgressText1")->text(), "");
        }
    }
}

// The firmware update goes on when the question is answered "Nie".
TEST_F(OperationStopTest, FirmwareGoesOnWhenTheStopIsDeclined) {
    Find<QComboBox>("ComboBox1")->setCurrentIndex(1);
    answer = QMessageBox::No;
    RunAndStop([&] { Find<QAction>("AktualizujOpr")->trigger(); }, 40,
               [&] { QTest::mouseClick(Find<QPushButton>("StopButton"), Qt::LeftButton); });
    ASSERT_EQ(questions.size(), 1u);
    EXPECT_EQ(messages, (std::vector<Message>{{kFirmwareWarning, "UWAGA!"}, {"OK", "OK"}}));
    EXPECT_TRUE(std::ranges::equal(bootLoader->FirmwareReceived(), firmware));
}

// Closing the window during an operation asks whether to stop it ("Nie"
// preselected); "Tak" stops it and the window closes afterwards, with the
// usual question about unsaved edits; a read that ran whole leaves none.
TEST_F(OperationStopTest, ClosingDuringAnOperation) {
    struct Row {
        const char* name;
        const char* button;
        bool edited;  // the image differs from what the receiver and files hold
        QMessageBox::StandardButton stop;
        bool stops;
        std::size_t questionsAsked;  // stop, then unsaved edits
        bool closed;
    };
    const Row rows[] = {
        {"write, stop declined", "Button4", false, QMessageBox::No, false, 1, false},
        {"read, stopped, nothing edited", "Button3", false, QMessageBox::Yes, true, 1, true},
        {"write, stopped, edits left", "Button4", true, QMessageBox::Yes, true, 2, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        form.reset();
        // A copy from elsewhere: its full write asks nothing.
        image = testsupport::PatternImage(1);
        MakeForm(DeviceServices());
        if (row.edited) {
            image = testsupport::PatternImage(4);
        }
        // The transfer the last row stopped has been dropped by the receiver.
        ASSERT_TRUE(application->WaitUntilSettled(50ms, 2s));
        ASSERT_TRUE(application->WaitUntilFrameIdle(3s));
        // Time enough to stop part-way.
        if (std::string_view(row.button) == "Button3") {
            application->SetPacing({.paced = true});
        } else {
            application->SetPacing({.recordWriteMs = 2});
        }
        questions.clear();
        messages.clear();
        answer = row.stop;
        RunAndStop([&] { Click(row.button); }, 15,
                   [&] {
                       form->close();
                       replaceAnswer = QMessageBox::Cancel;  // to the unsaved-edits question
                   });
        QCoreApplication::processEvents();
        ASSERT_GE(questions.size(), 1u);
        EXPECT_EQ(questions[0].preselected, QMessageBox::No);
        EXPECT_EQ(questions.size(), row.questionsAsked);
        EXPECT_EQ(messages.size(),
                  row.stops || row.button == std::string_view("Button4") ? 1u : 0u);
        EXPECT_EQ(form->isVisible(), !row.closed);
    }
}

}  // namespace
}  // namespace tav::ui::testing
