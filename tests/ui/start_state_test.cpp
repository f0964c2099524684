// The window right after creation: what FormCreate and the form leave.
#include <QCheckBox>
#include <QComboBox>
#include <QFontInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QTabWidget>
#include <QTimer>
#include <QWindow>
#include <algorithm>

#include "window_fixture.h"

namespace tav::ui::testing {
namespace {

class StartStateTest : public WindowTest {
  protected:
    void SetUp() override { MakeForm(); }
};

TEST_F(StartStateTest, PagesTitleAndMenu) {
    EXPECT_EQ(form->objectName(), "Form1");
    // The title as the window system shows it: no file, nothing unsaved.
    EXPECT_EQ(form->windowHandle()->title(), "TAV-1000R Duzedevezivi v1.26");
    // At 90, 167 where the screen has room (screen_fit_test): this one has not.
    EXPECT_TRUE(form->screen()->availableGeometry().contains(form->frameGeometry()));

    auto* pages = Find<QTabWidget>("PageControl1");
    const std::vector<std::pair<QString, QString>> expected = {{"TabSheet1", "PILOTY"},
                                                               {"TabSheet4", "SCENARIUSZE"},
                                                               {"TabSheet2", "POZOSTALE"},
                                                               {"TabSheet3", "ZDARZENIA"}};
    ASSERT_EQ(pages->count(), 4);
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(pages->widget(i)->objectName(), expected[i].first);
        EXPECT_EQ(pages->tabText(i), expected[i].second);
    }
    EXPECT_EQ(pages->currentIndex(), 2);

    auto* menu = Find<QMenu>("Plik1");
    EXPECT_EQ(menu->title(), "&Plik");  // "Plik", opened by Alt+P
    // The form's items in their order, then the file you work on; no recent
    // files yet.
    const QStringList items = {"N3:Zapisz ustawienia na dysk",
                               "N2:Odczytaj ustawienia z dysku",
                               "ImportujplikzTAV5001:Importuj plik z TAV-500",
                               QString::fromUtf8("Raportkonfiguracji1:Raport konfiguracji…"),
                               "AktualizujOpr:Aktualizuj oprogramowanie w TAV-1000R",
                               "-",
                               "Zapisz1:Zapisz",
                               QString::fromUtf8("Zapiszjako1:Zapisz jako…")};
    QStringList actual;
    for (QAction* a : menu->actions()) {
        if (a->isVisible()) {
            actual << (a->isSeparator() ? QString("-") : a->objectName() + ":" + a->text());
        }
    }
    EXPECT_EQ(actual, items);

    auto* timer = Find<QTimer>("Timer2");
    EXPECT_TRUE(timer->isActive());
    EXPECT_EQ(timer->interval(), 250);
}

TEST_F(StartStateTest, ListsShowTheirFirstItem) {
    const std::vector<std::pair<const char*, QString>> shown = {{"ComboBox1", "COM1"},
                                                                {"ComboBox2", "SCENARIUSZ 0"},
                                                                {"ComboBox16", "SCENARIUSZ 0"},
                                                                {"ComboBox15", "ZEGAR (godzina)"},
                                                                {"ComboBox3", "(M__) monostabilny"},
                                                                {"ComboBox4", "TIMER 0"},
                                                                {"ComboBox5", "OPOZN. 0"},
                                                                {"ComboBox7", "1"},
                                                                {"ComboBox8", "1"},
                                                                {"ComboBox9", "1"},
                                                                {"ComboBox10", "1"},
                                                                {"ComboBox11", "0"},
                                                                {"ComboBox12", "0"},
                                                                {"ComboBox13", "0"},
                                                                {"ComboBox14", "0"}};
    for (const auto& [name, text] : shown) {
        auto* list = Find<QComboBox>(name);
        EXPECT_EQ(list->currentText(), text) << name;
        EXPECT_FALSE(list->isEditable()) << name;
    }
    auto* ports = Find<QComboBox>("ComboBox1");
    ASSERT_EQ(ports->count(), 15);
    EXPECT_EQ(ports->itemText(14), "COM15");
    auto* modes = Find<QComboBox>("ComboBox3");
    ASSERT_EQ(modes->count(), 13);
    EXPECT_EQ(modes->itemText(1), "(Mo_) monostab. opozniony");
    EXPECT_EQ(modes->itemText(12), "(ALR) alarmowy");
    EXPECT_EQ(Find<QComboBox>("ComboBox5")->itemText(3), "OPOZN. 3");
    EXPECT_EQ(Find<QComboBox>("ComboBox15")->itemText(3), "NAPIS UŻYTKOWNIKA");
    EXPECT_EQ(Find<QComboBox>("ComboBox7")->itemText(13), "14");
}

TEST_F(StartStateTest, ScenarioPageShowsModeZeroEverywhere) {
    TStringGrid& cells = Grid("StringGrid1");
    for (int r = 1; r <= 4; ++r) {
        EXPECT_EQ(cells.Cell(r, 0), QString("PRZEKAZNIK%1").arg(r));
        for (int b = 1; b <= 14; ++b) {
            EXPECT_EQ(cells.Cell(r, b), "M__  TIM:0_____") << r << "," << b;
        }
    }
    EXPECT_EQ(cells.Cell(0, 1), "PRZYCISK 1");
    EXPECT_EQ(cells.Cell(0, 13), "PRZYCISK 13");
    EXPECT_EQ(cells.Cell(0, 14), "PRZYCISK 14/ALARM");
    EXPECT_EQ(cells.Cell(0, 0), "");
    EXPECT_EQ(Find<QLabel>("Label11")->text(), "PRZYCISK:1  PRZEKAZNIK:1");
    EXPECT_TRUE(Find<QComboBox>("ComboBox4")->isEnabled());
    EXPECT_FALSE(Find<QComboBox>("ComboBox5")->isEnabled());

    TStringGrid& timers = Grid("StringGrid3");
    const QStringList heads = {"", "Godz", "Min", "Sek", "0.1"};
    for (int c = 0; c <= 4; ++c) {
        EXPECT_EQ(timers.Cell(c, 0), heads[c]);
    }
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(timers.Cell(0, i + 1), QString("TIMER %1").arg(i));
        EXPECT_EQ(timers.Cell(0, i + 5), QString("OPOZNIENIE %1").arg(i));
    }
    for (int row = 1; row <= 8; ++row) {
        for (int c = 1; c <= 4; ++c) {
            EXPECT_EQ(timers.Cell(c, row), c == 4 ? "0" : "00") << c << "," << row;
        }
    }
    EXPECT_EQ(timers.ColWidth(0), 85);
    EXPECT_EQ(form->selection().selectedCellOffset, 0x7E00);
}

TEST_F(StartStateTest, RemotesPageAndTextsAreEmpty) {
    TStringGrid& map = Grid("StringGrid2");
    ASSERT_EQ(map.columnCount(), 50);
    ASSERT_EQ(map.rowCount(), 20);
    for (int row = 0; row < 20; ++row) {
        for (int col = 0; col < 50; ++col) {
            ASSERT_EQ(map.Cell(col, row), "") << col << "," << row;
        }
    }
    for (const char* name : {"Label1", "Label5", "Label6", "StaticText1"}) {
        EXPECT_EQ(Find<QLabel>(name)->text(), "") << name;
    }
    for (const char* name : {"Edit1", "Edit2", "Edit3", "Edit4", "Edit5", "Edit6"}) {
        EXPECT_EQ(Find<QLineEdit>(name)->text(), "") << name;
        EXPECT_EQ(Find<QLineEdit>(name)->maxLength(), 26) << name;
    }
    for (const char* name : {"MaskEdit1", "MaskEdit2", "MaskEdit3", "MaskEdit4"}) {
        EXPECT_EQ(Find<QLineEdit>(name)->displayText(), "20__-__-__ __:__:__") << name;
    }
    EXPECT_EQ(Find<QPlainTextEdit>("RichEdit1")->toPlainText(), "");
    EXPECT_TRUE(Find<QPlainTextEdit>("RichEdit1")->isReadOnly());
}

TEST_F(StartStateTest, CreationLeavesImageZeroEdit1DisabledAndDumpAt32000) {
    const MemoryImage zero;
    EXPECT_TRUE(form->image() == zero);
    // Clearing the form's texts ran the change handlers: Edit1Change disabled
    // its edit, the clock-event names moved the dump view to record 1000.
    EXPECT_FALSE(Find<QLineEdit>("Edit1")->isEnabled());
    EXPECT_EQ(form->selection().dumpStartOffset, 32000);
    EXPECT_EQ(form->selection().selectedRemote, 0);
    EXPECT_EQ(Grid("StringGrid4").Cell(0, 1), "7d00-32000");
}

TEST_F(StartStateTest, InitialStatesOfButtonsBoxesAndProgress) {
    struct Row {
        const char* name;
        bool visible;
        bool enabled;
    };
    const Row rows[] = {{"Button14", true, false}, {"Button21", false, false},
                        {"Button5", false, true},  {"Button9", false, true},
                        {"Button10", true, true},  {"Button11", true, true},
                        {"Button3", true, true}};
    for (const Row& r : rows) {
        auto* b = Find<QPushButton>(r.name);
        EXPECT_EQ(!b->isHidden(), r.visible) << r.name;
        EXPECT_EQ(b->isEnabled(), r.enabled) << r.name;
    }
    EXPECT_TRUE(Grid("StringGrid4").isHidden());
    for (const char* name : {"potw_zd_CBox", "przyc_jako_pilotCB", "CheckBox1", "CheckBox2",
                             "CheckBox3", "CheckBox4"}) {
        EXPECT_FALSE(Find<QCheckBox>(name)->isChecked()) << name;
    }
    EXPECT_TRUE(Find<QCheckBox>("przyc_jako_pilotCB")->isEnabled());
    auto* bar = Find<QProgressBar>("ProgressBar1");
    EXPECT_EQ(bar->minimum(), 0);
    EXPECT_EQ(bar->maximum(), 100);
    EXPECT_EQ(bar->value(), 0);
}

// Position and size within the container, as Unit1.ui gives them: the form's
// fixed geometry, each control where the original form put it.
TEST_F(StartStateTest, LayoutFollowsTheControlTable) {
    struct Row {
        const char* name;
        const char* container;
        int x, y, w, h;  // w = 0: a label that keeps the size of its text
    };
    const Row rows[] = {
        {"Label3", "centralwidget", 600, 8, 0, 0},
        {"ComboBox1", "centralwidget", 640, 4, 69, 21},
        {"Button9", "centralwidget", 384, 8, 75, 25},
        {"Button5", "centralwidget", 472, 8, 75, 25},
        {"PageControl1", "centralwidget", 12, 24, 701, 577},
        {"StaticText1", "centralwidget", 12, 624, 0, 0},
        {"Button3", "centralwidget", 8, 660, 293, 29},
        {"Button4", "centralwidget", 432, 664, 293, 29},
        {"StringGrid4", "centralwidget", 353, 680, 16, 9},
        {"ProgressBar1", "centralwidget", 0, 696, 729, 16},
        {"Label4", "TabSheet1", 16, 8, 0, 0},
        {"StringGrid2", "TabSheet1", 16, 20, 651, 261},
        {"Label1", "TabSheet1", 16, 288, 0, 0},
        {"Label2", "TabSheet1", 16, 312, 0, 0},
        {"Edit4", "TabSheet1", 16, 332, 349, 31},
        {"ComboBox16", "TabSheet1", 16, 368, 153, 21},
        {"Label5", "TabSheet1", 16, 408, 0, 0},
        {"Label6", "TabSheet1", 12, 448, 0, 0},
        {"Button1", "TabSheet1", 8, 516, 229, 25},
        {"Button2", "TabSheet1", 456, 516, 229, 25},
        {"ComboBox2", "TabSheet4", 16, 16, 120, 21},
        {"StringGrid1", "TabSheet4", 16, 48, 657, 241},
        {"GroupBox1", "TabSheet4", 16, 296, 257, 201},
        {"Label11", "GroupBox1", 8, 16, 0, 0},
        {"ComboBox3", "GroupBox1", 8, 64, 241, 21},
        {"ComboBox4", "GroupBox1", 8, 96, 241, 21},
        {"ComboBox5", "GroupBox1", 8, 128, 241, 21},
        {"GroupBox2", "TabSheet4", 280, 296, 249, 201},
        {"StringGrid3", "GroupBox2", 16, 24, 212, 163},
        {"Button6", "TabSheet4", 536, 304, 145, 25},
        {"Button8", "TabSheet4", 8, 516, 229, 25},
        {"Button7", "TabSheet4", 456, 516, 229, 25},
        {"GroupBox3", "TabSheet2", 16, 24, 665, 169},
        {"Label19", "GroupBox3", 8, 24, 0, 0},
        {"ComboBox15", "GroupBox3", 224, 40, 137, 21},
        {"Edit1", "GroupBox3", 368, 40, 217, 21},
        {"Button13", "GroupBox3", 272, 72, 169, 25},
        {"potw_zd_CBox", "GroupBox3", 8, 112, 241, 17},
        {"przyc_jako_pilotCB", "GroupBox3", 272, 112, 169, 17},
        {"Button17", "GroupBox3", 8, 136, 169, 25},
        {"Button18", "GroupBox3", 488, 136, 169, 25},
        {"GroupBox4", "TabSheet2", 16, 208, 665, 201},
        {"Label14", "GroupBox4", 112, 16, 0, 0},
        {"Label13", "GroupBox4", 115, 32, 0, 0},
        {"Label16", "GroupBox4", 280, 32, 0, 0},
        {"Label18", "GroupBox4", 336, 32, 0, 0},
        {"Label17", "GroupBox4", 464, 32, 0, 0},
        {"Label15", "GroupBox4", 592, 32, 0, 0},
        {"Label8", "GroupBox4", 8, 48, 0, 0},
        {"Label12", "GroupBox4", 8, 120, 0, 0},
        {"MaskEdit1", "GroupBox4", 112, 48, 161, 21},
        {"MaskEdit4", "GroupBox4", 112, 120, 161, 21},
        {"ComboBox7", "GroupBox4", 280, 48, 41, 21},
        {"ComboBox10", "GroupBox4", 280, 120, 41, 21},
        {"ComboBox11", "GroupBox4", 328, 48, 33, 21},
        {"ComboBox14", "GroupBox4", 328, 120, 33, 21},
        {"Edit2", "GroupBox4", 368, 48, 217, 21},
        {"Edit3", "GroupBox4", 368, 72, 217, 21},
        {"Edit5", "GroupBox4", 368, 96, 217, 21},
        {"Edit6", "GroupBox4", 368, 120, 217, 21},
        {"CheckBox1", "GroupBox4", 600, 52, 0, 0},
        {"CheckBox3", "GroupBox4", 600, 104, 0, 0},
        {"CheckBox4", "GroupBox4", 600, 124, 0, 0},
        {"Button16", "GroupBox4", 8, 168, 169, 25},
        {"Button15", "GroupBox4", 488, 168, 169, 25},
        {"Button12", "TabSheet2", 480, 504, 201, 25},
        {"RichEdit1", "TabSheet3", 16, 16, 657, 409},
        {"Button10", "TabSheet3", 16, 432, 265, 25},
        {"Button11", "TabSheet3", 16, 464, 265, 25},
        {"Button14", "TabSheet3", 408, 432, 265, 25},
        {"Button21", "TabSheet3", 408, 472, 75, 25},
        {"Button20", "TabSheet3", 416, 512, 123, 25},
        {"Button19", "TabSheet3", 552, 512, 123, 25},
    };
    for (const Row& r : rows) {
        auto* w = Find<QWidget>(r.name);
        ASSERT_NE(w, nullptr);
        // The strip below the pages is the lower part of the form.
        const QWidget* parent = w->parentWidget();
        const bool inStrip = parent->objectName() == "DeviceStrip";
        EXPECT_EQ(inStrip ? QString("centralwidget") : parent->objectName(), r.container) << r.name;
        EXPECT_EQ(w->pos() + QPoint(0, inStrip ? parent->property("formTop").toInt() : 0),
                  QPoint(r.x, r.y))
            << r.name;
        if (r.w != 0) {
            EXPECT_EQ(w->size(), QSize(r.w, r.h)) << r.name;
        }
    }
}

TEST_F(StartStateTest, ReceiverTextsUseFixedPitchOthersProportional) {
    for (const char* name : {"Edit1", "Edit2", "Edit3", "Edit4", "Edit5", "Edit6", "MaskEdit1",
                             "MaskEdit2", "MaskEdit3", "MaskEdit4", "RichEdit1", "Label13"}) {
        EXPECT_TRUE(QFontInfo(Find<QWidget>(name)->font()).fixedPitch()) << name;
    }
    for (const char* name : {"Button3", "Label4", "ComboBox16", "Label1", "potw_zd_CBox"}) {
        EXPECT_FALSE(QFontInfo(Find<QWidget>(name)->font()).fixedPitch()) << name;
    }
}

}  // namespace
}  // namespace tav::ui::testing
