// The scenarios page as a user meets it: selecting and editing cells, the
// timer grid, the defaults (the round trip to the simulated receiver is in
// page_transfers_test.cpp).
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTabWidget>

#include "page_fixtures.h"

namespace tav::ui::testing {
namespace {

TEST_F(ScenariosPageTest, ModeEnablesTheTimerAndDelayItUses) {
    struct Row {
        int mode;
        bool timer, delay;
        const char* shown;
    };
    const Row rows[] = {
        {1, true, true, "Mo_  TIM:0  OP:0"}, {4, false, false, "B____________"},
        {5, false, true, "Bo______  OP:0"},  {2, true, false, "M_k  TIM:0_____"},
        {11, false, false, "_____________"}, {0, true, false, "M__  TIM:0_____"},
    };
    SelectCell(6, 2);
    for (const Row& r : rows) {
        Choose("ComboBox3", r.mode);
        EXPECT_EQ(Enabled("ComboBox4"), r.timer) << r.mode;
        EXPECT_EQ(Enabled("ComboBox5"), r.delay) << r.mode;
        EXPECT_EQ(Stored(0, 6, 2), r.mode * 16) << r.mode;
        EXPECT_EQ(CellShown(6, 2), r.shown) << r.mode;
    }
    // The edits touched the selected cell only and left the dump view alone.
    EXPECT_EQ(Stored(0, 6, 1), 0);
    EXPECT_EQ(form->selection().dumpStartOffset, 32000);
}

TEST_F(ScenariosPageTest, NumbersStayInTheByteWhenTheModeStopsUsingThem) {
    SelectCell(0, 0);
    Choose("ComboBox3", 3);  // (Mok): both lists enabled
    Choose("ComboBox4", 2);
    Choose("ComboBox5", 3);
    Choose("ComboBox3", 4);  // (B__)
    EXPECT_EQ(Stored(0, 0, 0), 0x4B);
    EXPECT_EQ(CellShown(0, 0), kB);
    EXPECT_EQ(Index("ComboBox4"), 2);  // disabled, still showing the number
    Choose("ComboBox3", 3);
    EXPECT_EQ(CellShown(0, 0), "Mok  TIM:2  OP:3");
}

TEST_F(ScenariosPageTest, EditsGoToTheSelectedCellOfTheShownScenario) {
    struct Row {
        const char* name;
        int scenario, b, r;
        std::uint8_t before;
        int mode;
        std::uint8_t after;
    };
    const Row rows[] = {
        // A freshly selected cell keeps its own numbers, not the last edited one's.
        {"own numbers", 0, 5, 2, 0x1E, 3, 0x3E},
        {"other scenario", 2, 5, 2, 0x00, 4, 0x40},
        {"last scenario, alarm row", 3, 13, 3, 0xA7, 9, 0x97},
    };
    image.at(ScenarioCellOffset(0, 1, 1)) = 0x1B;
    form->RefreshScenarioPage();
    for (const Row& r : rows) {
        SelectCell(1, 1);  // edit another cell first
        Choose("ComboBox3", 0);
        image.at(ScenarioCellOffset(r.scenario, r.b, r.r)) = r.before;
        Choose("ComboBox2", r.scenario);
        SelectCell(r.b, r.r);
        const MemoryImage before = image;
        Choose("ComboBox3", r.mode);
        EXPECT_EQ(Stored(r.scenario, r.b, r.r), r.after) << r.name;
        MemoryImage expected = before;
        expected.at(ScenarioCellOffset(r.scenario, r.b, r.r)) = r.after;
        EXPECT_TRUE(image == expected) << r.name << ": another byte changed";
        EXPECT_EQ(CellShown(r.b, r.r), QString::fromStdString(ScenarioCellText(r.after))) << r.name;
    }
    // The selection survives the scenario changes.
    EXPECT_EQ(form->selection().selectedCellOffset,
              static_cast<std::int32_t>(ScenarioCellOffset(3, 13, 3)));
}

TEST_F(ScenariosPageTest, PressesSelectBodyCellsOnly) {
    struct Row {
        const char* name;
        int col, row;
        Qt::MouseButton button;
        int button0, relay0;  // expected selection after the press
        const char* label;
    };
    const Row rows[] = {
        {"alarm row, relay 4", 4, 14, Qt::LeftButton, 13, 3, "PRZYCISK:14  PRZEKAZNIK:4"},
        {"header column", 0, 5, Qt::LeftButton, 13, 3, "PRZYCISK:14  PRZEKAZNIK:4"},
        {"header row", 2, 0, Qt::LeftButton, 13, 3, "PRZYCISK:14  PRZEKAZNIK:4"},
        {"right button", 2, 3, Qt::RightButton, 2, 1, "PRZYCISK:3  PRZEKAZNIK:2"},
        {"first cell", 1, 1, Qt::LeftButton, 0, 0, "PRZYCISK:1  PRZEKAZNIK:1"},
    };
    image.at(ScenarioCellOffset(0, 13, 3)) = 0x5B;
    form->RefreshScenarioGrid();
    TStringGrid& g = Grid("StringGrid1");
    for (const Row& r : rows) {
        QTest::mousePress(g.viewport(), r.button, {}, g.CellCentre(r.col, r.row));
        QTest::mouseRelease(g.viewport(), r.button, {}, g.CellCentre(r.col, r.row));
        EXPECT_EQ(form->selection().selectedButton, r.button0) << r.name;
        EXPECT_EQ(form->selection().selectedRelay, r.relay0) << r.name;
        EXPECT_EQ(Find<QLabel>("Label11")->text(), r.label) << r.name;
    }
    SelectCell(13, 3);  // the editor shows the stored 0x5B: (Bo_), timer 2, delay 3
    EXPECT_EQ(Index("ComboBox3") * 100 + Index("ComboBox4") * 10 + Index("ComboBox5"), 523);
}

TEST_F(ScenariosPageTest, TimerGridNormalisesEveryCellAndMovesTheDumpView) {
    // A number out of its field's range, or no number, stays as typed and
    // marked, and the image keeps what it held.
    struct Row {
        int col, row;
        const char* typed;
        const char* shown;
        int stored;
        bool marked;
    };
    const Row rows[] = {
        {1, 1, "7", "07", 7, false},
        {2, 1, "75", "75", 0, true},
        {3, 1, "-3", "-3", 0, true},
        {1, 2, "12abc", "12abc", 0, true},
        {2, 2, "ab", "ab", 0, true},
        {3, 2, "", "00", 0, false},
        {4, 2, "", "0", 0, false},
        {1, 3, "99", "99", 0, true},
        {4, 3, "10", "10", 0, true},
        {3, 5, "12345678901234567890", "12345678901234567890", 0, true},
        {4, 8, "5", "5", 5, false},
    };
    Choose("ComboBox2", 2);
    image.at(TimerFieldOffset(2, 1, 2)) = 44;  // typed over below: "" -> 0
    image.at(TimerFieldOffset(2, 1, 3)) = 6;
    form->RefreshTimerGrid();
    const Row* previous = nullptr;
    for (const Row& r : rows) {
        Type(r.col, r.row, QString::fromUtf8(r.typed));
        // The press on this cell read the text still open in the last editor.
        if (previous != nullptr) {
            EXPECT_EQ(image.at(TimerFieldOffset(2, previous->row - 1, previous->col - 1)),
                      previous->stored)
                << previous->typed;
        }
        previous = &r;
    }
    // The press that ended the last edit read the grid; one more shows it all.
    PressCell("StringGrid3", 2, 7);
    TStringGrid& g = Grid("StringGrid3");
    for (const Row& r : rows) {
        EXPECT_EQ(g.Cell(r.col, r.row), r.shown) << r.typed;
        EXPECT_EQ(!g.CellProblem(r.col, r.row).isEmpty(), r.marked) << r.typed;
        EXPECT_EQ(image.at(TimerFieldOffset(2, r.row - 1, r.col - 1)), r.stored) << r.typed;
        EXPECT_EQ(image.at(TimerFieldOffset(0, r.row - 1, r.col - 1)), 0) << r.typed;
    }
    EXPECT_EQ(g.Cell(2, 7), "00");
    EXPECT_EQ(form->selection().dumpStartOffset, 0x7F00);
    EXPECT_EQ(Grid("StringGrid4").Cell(0, 1), "7f00-32512");
    EXPECT_EQ(Grid("StringGrid4").Cell(0, 31), "7ff0-32752");
    // Timer 0 of scenario 2 at 0x7F40: line 4 of the view, "07" at its first byte.
    EXPECT_EQ(Grid("StringGrid4").Cell(1, 9), "07");
}

TEST_F(ScenariosPageTest, KeyboardMovesReadTheGridWithTheTypedText) {
    struct Row {
        const char* name;
        Qt::Key key;
        int nextCol, nextRow;
    };
    const Row rows[] = {
        {"down from the editor", Qt::Key_Down, 2, 3},
        {"tab from the editor", Qt::Key_Tab, 3, 2},
        {"up from the editor", Qt::Key_Up, 2, 1},
    };
    int typed = 10;
    for (const Row& r : rows) {
        Click("Button9");  // the dump view somewhere else
        Type(2, 2, QString::number(++typed));
        QLineEdit* editor = OpenEditor();
        ASSERT_NE(editor, nullptr) << r.name;
        QTest::keyClick(editor, r.key);
        EXPECT_EQ(image.at(TimerFieldOffset(0, 1, 1)), typed) << r.name;
        EXPECT_EQ(form->selection().dumpStartOffset, 0x7F00) << r.name;
        const QModelIndex current = Grid("StringGrid3").currentIndex();
        EXPECT_EQ(current.column(), r.nextCol) << r.name;
        EXPECT_EQ(current.row(), r.nextRow) << r.name;
        Grid("StringGrid3").CommitEdit();  // Tab opens the next cell's editor
    }
    // A move without an editor reads the grid too.
    image.at(TimerFieldOffset(0, 0, 0)) = 30;  // shown as "00" until read
    Click("Button9");
    QTest::keyClick(&Grid("StringGrid3"), Qt::Key_Right);
    EXPECT_EQ(image.at(TimerFieldOffset(0, 0, 0)), 0);
    EXPECT_EQ(form->selection().dumpStartOffset, 0x7F00);
}

TEST_F(ScenariosPageTest, TypedTimersAreNotLostByAScenarioChangeOrDefaults) {
    Type(1, 5, "3");  // hours of delay 0, editor still open
    Choose("ComboBox2", 1);
    EXPECT_EQ(image.at(TimerFieldOffset(0, 4, 0)), 3);
    EXPECT_EQ(Grid("StringGrid3").Cell(1, 5), "00");  // scenario 1 shown
    // Stored values out of range stay as they are while nobody types.
    image.at(TimerFieldOffset(1, 6, 1)) = 75;
    Choose("ComboBox2", 0);
    Choose("ComboBox2", 1);
    EXPECT_EQ(Grid("StringGrid3").Cell(2, 7), "75");
    Click("Button6");
    EXPECT_EQ(image.at(TimerFieldOffset(1, 6, 1)), 75);
    Type(1, 1, "2");
    Click("Button6");
    EXPECT_EQ(image.at(TimerFieldOffset(1, 0, 0)), 2);
    EXPECT_EQ(Grid("StringGrid3").Cell(1, 1), "02");
}

TEST_F(ScenariosPageTest, DefaultsRewriteTheScenariosAndTimerSeconds) {
    image.at(TimerFieldOffset(1, 0, 0)) = 1;
    image.at(TimerFieldOffset(1, 0, 2)) = 3;
    image.at(TimerFieldOffset(1, 0, 3)) = 4;
    image.at(ScenarioCellOffset(1, 14, 0)) = 0x33;  // row 14 is never shown or changed
    Choose("ComboBox2", 1);
    SelectCell(2, 2);
    Click("Button6");
    EXPECT_EQ(CellShown(0, 0) + CellShown(2, 2) + CellShown(0, 1), kB + kB + kUnused);
    EXPECT_EQ(Index("ComboBox3"), 4);  // the selected cell's new byte
    TStringGrid& t = Grid("StringGrid3");
    EXPECT_EQ(t.Cell(1, 1) + t.Cell(2, 1) + t.Cell(3, 1) + t.Cell(4, 1), "0100014");
    EXPECT_EQ(t.Cell(3, 4), "04");
    EXPECT_EQ(image.at(ScenarioCellOffset(1, 14, 0)), 0x33);
    EXPECT_EQ(Stored(2, 1, 1), 0xA0);
    EXPECT_EQ(form->selection().dumpStartOffset, 32000);
}

TEST_F(ScenariosPageTest, ModesWithoutAnEntryShowWithoutFailing) {
    struct Row {
        std::uint8_t stored;
        const char* shown;
    };
    const Row rows[] = {
        {0xE6, "???  TIM:1_____"}, {0xD0, "???  TIM:0_____"}, {0xFF, "???  TIM:3_____"}};
    for (const Row& r : rows) {
        SelectCell(0, 0);
        Choose("ComboBox3", 5);  // (Bo_): timer list off, delay list on
        image.at(ScenarioCellOffset(0, 0, 1)) = r.stored;
        form->RefreshScenarioGrid();
        EXPECT_EQ(CellShown(0, 1), r.shown);
        SelectCell(0, 1);
        EXPECT_EQ(Index("ComboBox3"), -1);
        EXPECT_FALSE(Enabled("ComboBox4"));
        EXPECT_TRUE(Enabled("ComboBox5"));
        EXPECT_EQ(Index("ComboBox4"), ActionTimer(r.stored));
        EXPECT_EQ(Index("ComboBox5"), ActionDelay(r.stored));
        Choose("ComboBox5", 0);  // the mode stays as stored
        EXPECT_EQ(Stored(0, 0, 1), r.stored & 0xFC);
    }
}

// Every cell of every grid lies wholly inside the viewport, which never scrolls.
TEST_F(ScenariosPageTest, GridsShowEveryCellWithoutScrolling) {
    const char* grids[] = {"StringGrid1", "StringGrid2", "StringGrid3", "StringGrid4"};
    for (const char* name : grids) {
        TStringGrid& g = Grid(name);
        if (!g.isVisible()) {
            // The hidden dump view is sized for its cells here.
            g.resize(g.CellsExtent() + QSize(2 * g.frameWidth(), 2 * g.frameWidth()));
            g.show();
        }
        EXPECT_EQ(g.frameWidth(), 1) << name;
        const QRect view = g.viewport()->rect();
        const QSize extent = g.CellsExtent();
        EXPECT_LE(extent.width(), view.width()) << name;
        EXPECT_LE(extent.height(), view.height()) << name;
        for (int row = 0; row < g.rows(); ++row) {
            for (int col = 0; col < g.cols(); ++col) {
                g.setCurrentCell(row, col);  // the keyboard's way to the cell
                const QRect cell = g.visualRect(g.model()->index(row, col));
                ASSERT_TRUE(view.contains(cell)) << name << " " << col << "," << row;
                ASSERT_EQ(g.horizontalScrollBar()->value(), 0) << name;
                ASSERT_EQ(g.verticalScrollBar()->value(), 0) << name;
            }
        }
    }
    // The 50 x 12 remotes map with its 49 lines fills its 651-pixel frame exactly.
    EXPECT_EQ(Grid("StringGrid2").CellsExtent(), QSize(649, 259));
}

}  // namespace
}  // namespace tav::ui::testing
