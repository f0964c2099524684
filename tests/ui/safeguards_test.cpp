// The window's guards against an installer's slips: closing with edits,
// typing a clock-event date, keyboard moves at the timer grid's edges.
#include <QAction>
#include <QHelpEvent>
#include <QLineEdit>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QToolTip>
#include <functional>

#include "image/settings_file.h"
#include "sample_configuration.h"
#include "ui/mask_edit.h"
#include "window_fixture.h"

namespace tav::ui::testing {
namespace {

class SafeguardsTest : public WindowTest {
  protected:
    void SetUp() override {
        WindowServices s = RecordingServices();
        s.saveFileName = [this](QWidget*, const FileDialogRequest&) { return savePath; };
        s.openFileName = [this](QWidget*, const FileDialogRequest&) { return openPath; };
        MakeForm(std::move(s));
    }
    void EditRemoteName() {
        PressCell("StringGrid2", 3, 0);
        Find<QLineEdit>("Edit4")->setText(QStringLiteral("Brama"));
    }

    QTemporaryDir dir;
    QString savePath;
    QString openPath;
};

TEST_F(SafeguardsTest, ClosingWithUnsavedEditsAsksWhetherToSaveThem) {
    const QString saved = dir.filePath(QStringLiteral("zmiany.tv2"));
    const QString other = dir.filePath(QStringLiteral("inne.tv2"));
    ASSERT_EQ(WriteSettingsFile(MemoryImage(), other.toStdString()), SettingsSaveResult::Saved);
    struct Row {
        const char* name;
        std::function<void()> before;
        QMessageBox::StandardButton answer;
        QString chosen;  // in the save dialog
        bool asks;
        bool closes;
        bool fileWritten;
    };
    const Row rows[] = {
        {"nothing edited", [] {}, QMessageBox::Cancel, {}, false, true, false},
        {"edited, discarded",
         [&] { EditRemoteName(); },
         QMessageBox::Discard,
         {},
         true,
         true,
         false},
        {"edited, Cancel", [&] { EditRemoteName(); }, QMessageBox::Cancel, saved, true, false,
         false},
        {"edited, saved", [&] { EditRemoteName(); }, QMessageBox::Save, saved, true, true, true},
        {"edited, save chosen, dialog cancelled",
         [&] { EditRemoteName(); },
         QMessageBox::Save,
         {},
         true,
         false,
         false},
        {"edited, then saved from the menu",
         [&] {
             EditRemoteName();
             savePath = saved;
             Find<QAction>("N3")->trigger();
         },
         QMessageBox::Cancel,
         {},
         false,
         true,
         false},
        {"edited, then a file loaded",
         [&] {
             EditRemoteName();
             openPath = other;
             Find<QAction>("N2")->trigger();
         },
         QMessageBox::Cancel,
         {},
         false,
         true,
         false},
        {"a timer cell typed",
         [&] {
             Find<QTabWidget>("PageControl1")->setCurrentIndex(1);
             TStringGrid& g = Grid("StringGrid3");
             PressCell("StringGrid3", 2, 1);
             QTest::keyClick(&g, Qt::Key_F2);
             auto* editor = qobject_cast<QLineEdit*>(g.indexWidget(g.currentIndex()));
             ASSERT_NE(editor, nullptr);
             editor->selectAll();
             QTest::keyClicks(editor, QStringLiteral("17"));
         },
         QMessageBox::Discard,
         {},
         true,
         true,
         false},
    };
    for (const Row& r : rows) {
        image = MemoryImage();
        MakeForm(form->services());
        QFile::remove(saved);
        savePath.clear();
        openPath.clear();
        replaceAnswer = QMessageBox::Discard;  // a load in before() asks
        r.before();
        QFile::remove(saved);
        questions.clear();
        messages.clear();
        replaceAnswer = r.answer;
        savePath = r.chosen;
        EXPECT_EQ(form->close(), r.closes) << r.name;
        ASSERT_EQ(questions.size(), r.asks ? 1u : 0u) << r.name;
        if (r.asks) {
            EXPECT_EQ(questions[0].buttons,
                      QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel)
                << r.name;
            EXPECT_EQ(questions[0].preselected, QMessageBox::Save) << r.name;
            EXPECT_TRUE(questions[0].text.contains(QString::fromUtf8("zapisać je do pliku")))
                << r.name;
        }
        EXPECT_EQ(QFile::exists(saved), r.fileWritten) << r.name;
    }
}

TEST_F(SafeguardsTest, PatternFieldTypingNeverLandsOnTheFixedCentury) {
    struct Row {
        const char* name;
        std::function<void(TMaskEdit&)> reach;
        const char* typed;
        const char* text;
    };
    const auto home = [](TMaskEdit& e) { QTest::keyClick(&e, Qt::Key_Home); };
    const Row rows[] = {
        {"Home, twelve digits", home, "250601073000", "2025-06-01 07:30:00"},
        {"Home, separators typed too", home, "25-06-01 07:30:00", "2025-06-01 07:30:00"},
        {"Home, wildcards", home, "****01073000", "20**-**-01 07:30:00"},
        {"End, then Home",
         [&](TMaskEdit& e) {
             QTest::keyClick(&e, Qt::Key_End);
             QTest::keyClick(&e, Qt::Key_Home);
         },
         "991231235959", "2099-12-31 23:59:59"},
        {"click on the fixed 20",
         [](TMaskEdit& e) { QTest::mouseClick(&e, Qt::LeftButton, {}, QPoint(3, e.height() / 2)); },
         "300102030405", "2030-01-02 03:04:05"},
        {"Left from the year",
         [&](TMaskEdit& e) {
             QTest::keyClick(&e, Qt::Key_Home);
             QTest::keyClick(&e, Qt::Key_Left);
             QTest::keyClick(&e, Qt::Key_Left);
         },
         "260203040506", "2026-02-03 04:05:06"},
        {"focus by Tab",
         [&](TMaskEdit& e) {
             e.clearFocus();
             Find<QLineEdit>("Edit2")->setFocus(Qt::TabFocusReason);
             e.setFocus(Qt::TabFocusReason);
         },
         "270304050607", "2027-03-04 05:06:07"},
    };
    Find<QTabWidget>("PageControl1")->setCurrentIndex(2);
    auto& edit = *Find<TMaskEdit>("MaskEdit1");
    for (const Row& r : rows) {
        edit.clear();
        edit.setFocus();
        r.reach(edit);
        EXPECT_EQ(edit.cursorPosition(), 2) << r.name;
        QTest::keyClicks(&edit, QString::fromLatin1(r.typed));
        EXPECT_EQ(edit.text(), QString::fromLatin1(r.text)) << r.name;
    }
}

TEST_F(SafeguardsTest, TimerGridKeyboardMovesStayInTheBody) {
    struct Row {
        const char* name;
        int col, row;  // start
        Qt::Key key;
        int toCol, toRow;
    };
    const Row rows[] = {
        {"Left from the first body column", 1, 1, Qt::Key_Left, 1, 1},
        {"Up from the first body row", 1, 1, Qt::Key_Up, 1, 1},
        {"Up from the first row, third column", 3, 1, Qt::Key_Up, 3, 1},
        {"Left from the first column, fourth row", 1, 4, Qt::Key_Left, 1, 4},
        {"Home", 3, 5, Qt::Key_Home, 1, 5},
        {"Page Up", 2, 6, Qt::Key_PageUp, 2, 1},
        {"Right inside the body", 1, 1, Qt::Key_Right, 2, 1},
        {"Down inside the body", 4, 7, Qt::Key_Down, 4, 8},
    };
    Find<QTabWidget>("PageControl1")->setCurrentIndex(1);
    TStringGrid& g = Grid("StringGrid3");
    // 99 seconds: a read of the grid would store 59.
    image.at(TimerFieldOffset(0, 0, 2)) = 99;
    form->RefreshTimerGrid();
    for (const Row& r : rows) {
        g.setFocus();
        g.setCurrentCell(r.row, r.col);
        const std::int32_t dump = form->selection().dumpStartOffset;
        QTest::keyClick(&g, r.key);
        EXPECT_EQ(g.currentColumn(), r.toCol) << r.name;
        EXPECT_EQ(g.currentRow(), r.toRow) << r.name;
        const bool moved = r.toCol != r.col || r.toRow != r.row;
        EXPECT_EQ(image.at(TimerFieldOffset(0, 0, 2)), moved ? 59 : 99) << r.name;
        EXPECT_EQ(form->selection().dumpStartOffset == dump, !moved || dump == 0x7F00) << r.name;
        image.at(TimerFieldOffset(0, 0, 2)) = 99;
        form->RefreshTimerGrid();
    }
}

TEST_F(SafeguardsTest, RemotesMapCellsNameTheirRemote) {
    struct Row {
        int col, row;
        const char* hint;
    };
    const Row rows[] = {
        {1, 0, "PILOT NR:2\nNAZWA: Garaż - Kowalski\nNR SERYJNY:3a:91:0d:41"},
        {5, 0, "PILOT NR:6 (wolne miejsce)"},
        {7, 2, "PILOT NR:108 (wolne miejsce)"},
    };
    image = SampleConfiguration();
    form->RefreshRemoteGrid();
    TStringGrid& map = Grid("StringGrid2");
    std::vector<QString> drawn;
    for (int n = 0; n < kRemoteCount; ++n) {
        drawn.push_back(map.Cell(n % 50, n / 50));
    }
    for (const Row& r : rows) {
        const QPoint at = map.CellCentre(r.col, r.row);
        QHelpEvent hover(QEvent::ToolTip, at, map.viewport()->mapToGlobal(at));
        QCoreApplication::sendEvent(map.viewport(), &hover);
        EXPECT_EQ(QToolTip::text(), QString::fromUtf8(r.hint)) << r.hint;
        EXPECT_EQ(form->RemoteHint(r.row * 50 + r.col), QString::fromUtf8(r.hint));
    }
    for (int n = 0; n < kRemoteCount; ++n) {
        ASSERT_EQ(map.Cell(n % 50, n / 50), drawn[static_cast<std::size_t>(n)]) << n;
    }
    QToolTip::hideText();
}

}  // namespace
}  // namespace tav::ui::testing
