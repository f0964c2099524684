// The window's device buttons against the demo's in-process receivers, paced
// at the line's speed: the same on every platform (Windows under Wine
// included), where the pty receivers of the other device tests do not exist.
#include <QComboBox>
#include <QProgressBar>
#include <QPushButton>
#include <algorithm>

#include "app/in_process_port.h"
#include "link/dispatcher.h"
#include "tests/support/image_pattern.h"
#include "window_fixture.h"

namespace tav::ui::testing {
namespace {

using namespace std::chrono_literals;

class InProcessWindowTest : public WindowTest {
  protected:
    void SetUp() override {
        sim::ReceiverOptions app;
        app.memory = testsupport::PatternImage(3);
        app.pacing.paced = true;
        // A transfer stopped part-way is dropped after a short quiet.
        app.frameTimeout = 300ms;
        receiver = std::make_shared<sim::InProcessReceiver>(app);
        receivers = std::make_shared<demo::InProcessReceivers>();
        (*receivers)["app"] = receiver;
        resolver->Set(0, "app");
        WindowServices s = RecordingServices();
        s.makePort = [r = receivers] { return demo::MakeInProcessPort(r); };
        MakeForm(std::move(s));
    }

    // Whether the records of `a` that `records` names equal those of `b`, and
    // the rest those of `rest`.
    static bool Moved(const MemoryImage& a, const MemoryImage& b, const MemoryImage& rest,
                      OperationRecords records) {
        for (int r = 0; r < kRecordCount; ++r) {
            const MemoryImage& want = records.Contains(r) ? b : rest;
            if (!std::ranges::equal(a.RecordAt(r), want.RecordAt(r))) {
                return false;
            }
        }
        return true;
    }

    std::shared_ptr<sim::InProcessReceiver> receiver;
    std::shared_ptr<demo::InProcessReceivers> receivers;
};

// Each device button of the pages moves exactly its records: a read puts
// the receiver's into the window's copy, a write the copy's into the receiver.
TEST_F(InProcessWindowTest, EachButtonMovesItsRecords) {
    const struct Row {
        const char* button;
        unsigned operation;
    } rows[] = {
        {"Button1", kReadSelectedRemote},   {"Button2", kWriteSelectedRemote},
        {"Button8", kReadScenarios},        {"Button7", kWriteScenarios},
        {"Button17", kReadDisplaySettings}, {"Button18", kWriteDisplaySettings},
        {"Button16", kReadClockEvents},     {"Button15", kWriteClockEvents},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.button);
        image = testsupport::PatternImage(11);
        const MemoryImage receiverBefore = receiver->Memory();
        messages.clear();
        Click(row.button);
        ASSERT_EQ(messages.size(), 1u);
        EXPECT_NE(messages[0].caption, QString::fromUtf8("Błąd")) << messages[0].text.toStdString();
        const OperationRecords records = RecordsOfOperation(row.operation, 0);
        const MemoryImage held = receiver->Memory();
        if (records.access == RecordAccess::kRead) {
            EXPECT_TRUE(Moved(form->image(), held, testsupport::PatternImage(11), records));
            EXPECT_TRUE(held == receiverBefore);
        } else {
            EXPECT_TRUE(Moved(held, form->image(), receiverBefore, records));
        }
    }
}

// A full read or write stopped a quarter of the way: the read leaves the copy
// as it was; the write has put exactly the records it names into the receiver.
TEST_F(InProcessWindowTest, StoppedFullTransfers) {
    for (const char* button : {"Button3", "Button4"}) {
        SCOPED_TRACE(button);
        image = testsupport::PatternImage(12);
        // The copy came from neither the receiver nor a file: the write asks
        // first, and goes ahead on "Tak".
        answer = QMessageBox::Yes;
        const MemoryImage copyBefore = image;
        const MemoryImage receiverBefore = receiver->Memory();
        messages.clear();
        bool stopped = false;
        auto* bar = Find<QProgressBar>("ProgressBar1");
        const auto connection = QObject::connect(bar, &QProgressBar::valueChanged, [&](int v) {
            if (v >= 256 && !stopped && form->OperationRunning()) {
                stopped = true;
                QTest::mouseClick(Find<QPushButton>("StopButton"), Qt::LeftButton);
            }
        });
        Click(button);
        QObject::disconnect(connection);
        ASSERT_TRUE(stopped);
        ASSERT_EQ(messages.size(), 1u);
        const QString& said = messages[0].text;
        const int named = said.mid(said.indexOf(" po ") + 4).section(' ', 0, 0).toInt();
        EXPECT_GE(named, 256);
        EXPECT_LT(named, kRecordCount);
        EXPECT_TRUE(form->image() == copyBefore);
        const MemoryImage held = receiver->Memory();
        if (std::string_view(button) == "Button3") {
            EXPECT_TRUE(said.startsWith(QString::fromUtf8("Odczyt przerwano po ")));
            EXPECT_TRUE(held == receiverBefore);
        } else {
            EXPECT_TRUE(said.startsWith(QString::fromUtf8("Zapis przerwano po ")));
            EXPECT_TRUE(
                Moved(held, copyBefore, receiverBefore, {RecordAccess::kWrite, 0, named - 1}));
        }
    }
}

}  // namespace
}  // namespace tav::ui::testing
