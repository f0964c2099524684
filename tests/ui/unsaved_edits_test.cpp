// Nothing replaces edits that went nowhere without a question: each action
// that replaces the image from a file, with no edits, with edits it would
// replace and with edits it leaves alone; the preselected answer keeps the
// edits. And the program's empty start copy is not written over the
// receiver's memory unasked. (The reads from the receiver: unsaved_reads_test.)
#include "edit_fixture.h"
#include "sample_configuration.h"

namespace tav::ui::testing {
namespace {

enum class Edits { kNone, kReplaced, kUntouched };

class UnsavedEditsTest : public EditsTest {
  protected:
    // The edit of a row: remote 1's scenario (rewritten by an import too),
    // or the name of remote 700 (which no import reaches).
    void Edit(Edits edits) {
        if (edits == Edits::kReplaced) {
            SelectRemote(1);
            Choose("ComboBox16", 3);
        } else if (edits == Edits::kUntouched) {
            SelectRemote(700);
            Type("Edit4", "SZOPA");
        }
    }
};

TEST_F(UnsavedEditsTest, EachReplacingActionAsksOnlyAboutEditsItReplaces) {
    MemoryImage loaded;
    SetRemoteScenario(loaded, 3, 2);
    WriteSettings(File("plik.tv2"), loaded);
    WriteBytes(File("lista.tvs"), OlderModelList(20));
    struct Row {
        const char* action;
        Edits edits;
        bool asks;
    };
    const Row rows[] = {
        {"load", Edits::kNone, false},        {"load", Edits::kReplaced, true},
        {"load", Edits::kUntouched, true},  // a load replaces every record
        {"import", Edits::kNone, false},      {"import", Edits::kReplaced, true},
        {"import", Edits::kUntouched, false}, {"drop tv2", Edits::kNone, false},
        {"drop tv2", Edits::kReplaced, true}, {"drop tvs", Edits::kNone, false},
        {"drop tvs", Edits::kReplaced, true}, {"drop tvs", Edits::kUntouched, false},
        {"recent", Edits::kReplaced, true},
    };
    const auto run = [this](const std::string& action) {
        if (action == "load") {
            Load(File("plik.tv2"));
        } else if (action == "import") {
            Import(File("lista.tvs"));
        } else if (action == "drop tv2") {
            Drop(File("plik.tv2"));
        } else if (action == "drop tvs") {
            Drop(File("lista.tvs"));
        } else {
            Trigger("OstatniPlik1");
        }
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(std::string(r.action) + " / " + std::to_string(static_cast<int>(r.edits)));
        image = SampleConfiguration();
        MakeDialogForm();
        if (std::string(r.action) == "recent") {
            replaceAnswer = QMessageBox::Discard;
            Load(File("plik.tv2"));
            Trigger("Cofnij1");
        }
        Edit(r.edits);
        const MemoryImage edited = form->image();
        // The preselected answer: save first; the dialog cancelled, nothing
        // is replaced.
        questions.clear();
        replaceAnswer = QMessageBox::Save;
        saveAnswer.clear();
        run(r.action);
        ASSERT_EQ(questions.size(), r.asks ? 1u : 0u);
        if (!r.asks) {
            EXPECT_FALSE(form->image() == edited);
            continue;
        }
        EXPECT_EQ(questions[0].preselected, QMessageBox::Save);
        EXPECT_EQ(questions[0].buttons,
                  QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel);
        EXPECT_TRUE(form->image() == edited);
        // Cancel keeps them too; discarding lets the action through.
        replaceAnswer = QMessageBox::Cancel;
        run(r.action);
        EXPECT_TRUE(form->image() == edited);
        replaceAnswer = QMessageBox::Discard;
        run(r.action);
        EXPECT_FALSE(form->image() == edited);
    }
}

TEST_F(UnsavedEditsTest, SavingFromTheQuestionKeepsTheEditsInTheFileAndGoesOn) {
    image = SampleConfiguration();
    MakeDialogForm();
    WriteSettings(File("plik.tv2"), MemoryImage{});
    Edit(Edits::kReplaced);
    const MemoryImage edited = form->image();
    replaceAnswer = QMessageBox::Save;
    saveAnswer = Q(File("zmiany"));
    Load(File("plik.tv2"));
    ASSERT_EQ(questions.size(), 1u);
    MemoryImage saved;
    ASSERT_EQ(ReadSettingsFile(saved, File("zmiany.tv2")), SettingsLoadResult::Loaded);
    EXPECT_TRUE(saved == edited);
    EXPECT_TRUE(form->image() == MemoryImage{});
}

TEST_F(UnsavedEditsTest, TheEmptyStartCopyIsWrittenOnlyAfterAYes) {
    MakeDialogForm();
    answer = QMessageBox::No;
    Click("Button4");
    ASSERT_EQ(questions.size(), 1u);
    EXPECT_EQ(questions[0].preselected, QMessageBox::No);
    EXPECT_EQ(questions[0].buttons, QMessageBox::Yes | QMessageBox::No);
    EXPECT_TRUE(questions[0].text.contains("wszystkie piloty, scenariusze"));
    // Nothing went to the port: not even its refusal.
    EXPECT_TRUE(messages.empty());

    answer = QMessageBox::Yes;
    Click("Button4");
    EXPECT_EQ(questions.size(), 2u);
    EXPECT_FALSE(messages.empty());  // the port (closed in tests) was tried

    // A copy loaded from a file is written without a question.
    WriteSettings(File("plik.tv2"), SampleConfiguration());
    Load(File("plik.tv2"));
    questions.clear();
    Click("Button4");
    EXPECT_TRUE(questions.empty());
}

TEST_F(UnsavedEditsTest, AFileNoTav500WroteIsRefusedByNameAndReason) {
    image = SampleConfiguration();
    MakeDialogForm();
    const MemoryImage atStart = form->image();
    std::vector<std::uint8_t> twice = OlderModelList(10);
    std::copy_n(twice.begin(), 4, twice.begin() + 20);  // entry 5 repeats entry 0
    WriteBytes(File("tekst.tvs"), std::vector<std::uint8_t>(713, 'a'));
    WriteBytes(File("dwa.tvs"), twice);
    struct Row {
        const char* file;
        const char* reason;
    };
    for (const Row& r : {Row{"tekst.tvs", "ma 713 bajtów"}, Row{"dwa.tvs", "piloty 1 i 6"}}) {
        messages.clear();
        Import(File(r.file));
        ASSERT_EQ(messages.size(), 1u) << r.file;
        EXPECT_TRUE(messages[0].text.contains(r.file)) << messages[0].text.toStdString();
        EXPECT_TRUE(messages[0].text.contains(QString::fromUtf8(r.reason)))
            << messages[0].text.toStdString();
        EXPECT_TRUE(form->image() == atStart);
        EXPECT_FALSE(Find<QAction>("Cofnij1")->isEnabled());
    }
}

// A scenario chosen for an empty slot would make a remote the map does not
// show: the list is closed there.
TEST_F(UnsavedEditsTest, AnEmptySlotOffersNoScenario) {
    image = SampleConfiguration();
    MakeDialogForm();
    SelectRemote(6);  // erased in the sample
    ASSERT_FALSE(IsRemoteSlotUsed(form->image(), 5));
    EXPECT_FALSE(Find<QComboBox>("ComboBox16")->isEnabled());
    SelectRemote(1);
    EXPECT_TRUE(Find<QComboBox>("ComboBox16")->isEnabled());
}

}  // namespace
}  // namespace tav::ui::testing
