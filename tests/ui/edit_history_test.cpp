// Undo and redo through the window's own controls and its menu "Edycja":
// every kind of edit of the image, and a whole load, come back and go again,
// each named in the menu.
#include <QCheckBox>
#include <QKeySequence>
#include <QWindow>
#include <functional>

#include "edit_fixture.h"
#include "sample_configuration.h"
#include "ui/edit_history.h"

namespace tav::ui::testing {
namespace {

class EditHistoryTest : public EditsTest {
  protected:
    void SetUp() override {
        image = SampleConfiguration();
        MakeDialogForm();
    }
};

TEST_F(EditHistoryTest, EveryKindOfEditUndoesAndRedoes) {
    struct Row {
        const char* undoText;
        std::function<void()> select;  // where the edit is made, no edit yet
        std::function<void()> edit;
        // What a control shows of the edit, after undo and after redo.
        std::function<QString()> shown;
    };
    const auto text = [this](const char* e) {
        return [this, e] { return Find<QLineEdit>(e)->text(); };
    };
    const auto index = [this](const char* c) {
        return [this, c] { return QString::number(Find<QComboBox>(c)->currentIndex()); };
    };
    const auto checked = [this](const char* c) {
        return [this, c] { return QString::number(Find<QCheckBox>(c)->isChecked()); };
    };
    const auto none = [] {};
    const Row rows[] = {
        {"nazwa pilota 5", [&] { SelectRemote(5); }, [&] { Type("Edit4", "KUCHNIA"); },
         text("Edit4")},
        {"scenariusz pilota 1", [&] { SelectRemote(1); }, [&] { Choose("ComboBox16", 3); },
         index("ComboBox16")},
        {"tryb: scenariusz 0, przycisk 3, przekaźnik 2",
         [&] {
             Page(1);
             PressCell("StringGrid1", 2, 3);
         },
         [&] { Choose("ComboBox3", 5); }, index("ComboBox3")},
        {"timery i opóźnienia scenariusza 0", [&] { Page(1); },
         [&] {
             TStringGrid& g = Grid("StringGrid3");
             PressCell("StringGrid3", 2, 1);
             QTest::keyClick(&g, Qt::Key_F2);
             auto* editor = qobject_cast<QLineEdit*>(g.indexWidget(g.currentIndex()));
             ASSERT_NE(editor, nullptr);
             editor->selectAll();
             QTest::keyClicks(editor, "17");
             g.CommitEdit();
             PressCell("StringGrid3", 3, 2);
         },
         [this] { return Grid("StringGrid3").Cell(2, 1); }},
        {"ustawienia wyświetlacza", [&] { Page(2); }, [&] { Choose("ComboBox15", 2); },
         index("ComboBox15")},
        {"ustawienia wyświetlacza", none, [&] { Find<QCheckBox>("potw_zd_CBox")->click(); },
         checked("potw_zd_CBox")},
        {"nazwa nadajnika 1002", none, [&] { Type("Edit3", "BRAMA"); }, text("Edit3")},
        {"scenariusz nadajnika 1001", none, [&] { Choose("ComboBox11", 2); }, index("ComboBox11")},
        {"zdarzenie zegarowe nadajnika 1003", none, [&] { Find<QCheckBox>("CheckBox3")->click(); },
         checked("CheckBox3")},
        {"zdarzenie zegarowe nadajnika 1004", none, [&] { Choose("ComboBox10", 4); },
         index("ComboBox10")},
    };
    const MemoryImage atStart = form->image();
    for (const Row& r : rows) {
        const QString name = QString::fromUtf8(r.undoText);
        SCOPED_TRACE(r.undoText);
        r.select();
        const MemoryImage before = form->image();
        const QString shownBefore = r.shown();
        r.edit();
        const MemoryImage after = form->image();
        const QString shownAfter = r.shown();
        ASSERT_FALSE(before == after);
        form->setFocus();
        EXPECT_EQ(ActionText("Cofnij1"), "Cofnij: " + name);

        Trigger("Cofnij1");
        EXPECT_TRUE(form->image() == before);
        EXPECT_EQ(r.shown(), shownBefore);
        EXPECT_EQ(ActionText("Ponow1"), QString::fromUtf8("Ponów: ") + name);

        Trigger("Ponow1");
        EXPECT_TRUE(form->image() == after);
        EXPECT_EQ(r.shown(), shownAfter);
        EXPECT_TRUE(form->isWindowModified());
    }
    // Back through all of them: the image as the window got it.
    while (Find<QAction>("Cofnij1")->isEnabled()) {
        Trigger("Cofnij1");
    }
    EXPECT_TRUE(form->image() == atStart);
    EXPECT_EQ(ActionText("Cofnij1"), "Cofnij");
}

TEST_F(EditHistoryTest, ALoadUndoesAsOneStepAndMarksTheEditsUnsavedAgain) {
    MemoryImage other;
    SetRemoteScenario(other, 0, 1);
    WriteSettings(File("inny.tv2"), other);
    SelectRemote(2);
    Type("Edit4", "GARAZ");
    const MemoryImage edited = form->image();
    replaceAnswer = QMessageBox::Discard;
    Load(File("inny.tv2"));
    ASSERT_TRUE(form->image() == other);
    EXPECT_FALSE(form->isWindowModified());
    EXPECT_EQ(ActionText("Cofnij1"), "Cofnij: wczytanie pliku inny.tv2");

    Trigger("Cofnij1");
    EXPECT_TRUE(form->image() == edited);
    EXPECT_TRUE(form->isWindowModified());  // the edits are nowhere but here
    EXPECT_EQ(ActionText("Cofnij1"), "Cofnij: nazwa pilota 2");
    Trigger("Ponow1");
    EXPECT_TRUE(form->image() == other);
    EXPECT_FALSE(form->isWindowModified());
}

// Ctrl+Z in a name field first takes back its own typing; once there is none
// left, the window's history.
TEST_F(EditHistoryTest, CtrlZInAFieldUndoesItsTypingThenTheHistory) {
    form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    SelectRemote(1);
    Choose("ComboBox16", 2);
    auto* name = Find<QLineEdit>("Edit4");
    const QString original = name->text();
    Type("Edit4", "XY");
    ASSERT_EQ(name->text(), original + "XY");
    for (int i = 0; i < 4 && name->text() != original; ++i) {
        QTest::keySequence(name, QKeySequence::Undo);
    }
    EXPECT_EQ(name->text(), original);
    EXPECT_EQ(RemoteScenario(form->image(), 0), 2);
    QTest::keySequence(name, QKeySequence::Undo);
    EXPECT_EQ(RemoteScenario(form->image(), 0), RemoteScenario(SampleConfiguration(), 0));
    QTest::keyClick(name, Qt::Key_Y, Qt::ControlModifier);
    EXPECT_EQ(RemoteScenario(form->image(), 0), 2);
}

TEST(EditNames, NameWhatChanged) {
    const MemoryImage before = SampleConfiguration();
    struct Row {
        std::function<void(MemoryImage&)> change;
        const char* name;
    };
    const Row rows[] = {
        {[](MemoryImage& m) { std::fill_n(m.RecordAt(0).begin(), 4, 0); }, "usunięcie pilota 1"},
        {[](MemoryImage& m) { m.at(ScenarioCellOffset(2, 13, 3)) ^= 0x01; },
         "opóźnienie: scenariusz 2, przycisk 14, przekaźnik 4"},
        {[](MemoryImage& m) { m.at(ScenarioCellOffset(1, 0, 0)) ^= 0x04; },
         "timer: scenariusz 1, przycisk 1, przekaźnik 1"},
        {[](MemoryImage& m) {
             m.at(0) ^= 1;
             m.at(kDisplayOffset) ^= 1;
         },
         "zmiany ustawień"},
    };
    for (const Row& r : rows) {
        MemoryImage after = before;
        r.change(after);
        EXPECT_EQ(DescribeEdit(ChangedRecords(before, after)), QString::fromUtf8(r.name));
    }
}

}  // namespace
}  // namespace tav::ui::testing
