// Reads from the simulated receiver on a pty ask before they replace edits
// that went nowhere, only about the records they read; a read is one step of
// the undo history.
#include <QPushButton>

#include "link/serial_port.h"

#include "edit_fixture.h"
#include "sample_configuration.h"
#include "sim/receiver.h"
#include "tests/support/pty_receivers.h"

namespace tav::ui::testing {
namespace {

class UnsavedReadsTest : public EditsTest {
  protected:
    void SetUp() override {
        sim::ReceiverOptions app;
        MemoryImage memory = SampleConfiguration();
        // The receiver differs from the window everywhere a read could look.
        for (int r = 0; r < kRecordCount; ++r) {
            memory.RecordAt(r)[kRecordSize - 1] ^= 0x5A;
        }
        app.memory = memory;
        receiver = testsupport::ReceiverBehindPort(*resolver, 0, app);
        ASSERT_TRUE(receiver);
    }
    void TearDown() override {
        form.reset();
        receiver.reset();
    }

    std::unique_ptr<sim::PtyReceiver> receiver;
};

enum class Edits { kNone, kReplaced, kUntouched };

TEST_F(UnsavedReadsTest, EachReadAsksOnlyAboutEditsItReplaces) {
    struct Row {
        const char* button;
        Edits edits;
        bool asks;
    };
    const Row rows[] = {
        {"Button3", Edits::kNone, false},      {"Button3", Edits::kReplaced, true},
        {"Button8", Edits::kNone, false},      {"Button8", Edits::kReplaced, true},
        {"Button8", Edits::kUntouched, false}, {"Button1", Edits::kNone, false},
        {"Button1", Edits::kReplaced, true},   {"Button1", Edits::kUntouched, false},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(std::string(r.button) + " / " + std::to_string(static_cast<int>(r.edits)));
        form.reset();
        image = SampleConfiguration();
        WindowServices s = DialogServices();
        s.makePort = [] { return MakePlatformSerialPort(); };
        MakeForm(std::move(s));
        const bool scenarios = std::string(r.button) == "Button8";
        // Button1 reads remote 4; Button8 the scenarios and timers.
        if (r.edits == (scenarios ? Edits::kUntouched : Edits::kReplaced)) {
            SelectRemote(4);
            Type("Edit4", "Z");
        } else if (r.edits != Edits::kNone) {
            if (scenarios) {
                Page(1);
                PressCell("StringGrid1", 1, 1);
                Choose("ComboBox3", 7);
            } else {
                SelectRemote(9);
                Type("Edit4", "Z");
            }
        }
        SelectRemote(4);
        const MemoryImage edited = form->image();
        questions.clear();
        replaceAnswer = QMessageBox::Save;  // the preselected answer; the dialog cancelled
        Click(r.button);
        ASSERT_EQ(questions.size(), r.asks ? 1u : 0u);
        if (r.asks) {
            EXPECT_EQ(questions[0].preselected, QMessageBox::Save);
            EXPECT_TRUE(form->image() == edited);
            replaceAnswer = QMessageBox::Discard;
            Click(r.button);
        }
        EXPECT_FALSE(form->image() == edited);
        // The read is one step back.
        EXPECT_EQ(Find<QAction>("Cofnij1")->text(),
                  QString::fromUtf8("Cofnij: odczyt z TAV-1000R"));
        Trigger("Cofnij1");
        EXPECT_TRUE(form->image() == edited);
    }
}

}  // namespace
}  // namespace tav::ui::testing
