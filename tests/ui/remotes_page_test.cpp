// The remotes page: the map, the selected slot's details and their edits.
#include <QAbstractButton>
#include <QAbstractItemView>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTabWidget>
#include <algorithm>
#include <array>
#include <cstring>

#include "ui/device_text.h"
#include "window_fixture.h"

namespace tav::ui::testing {
namespace {

class RemotesPageTest : public WindowTest {
  protected:
    void SetUp() override {
        MakeForm();
        Find<QTabWidget>("PageControl1")->setCurrentIndex(0);
    }

    void SetSerial(int slot, std::array<std::uint8_t, 4> bytes) {
        std::copy(bytes.begin(), bytes.end(), form->image().RecordAt(slot).begin());
    }
    void SetNameBytes(int slot, const char* bytes, std::size_t n) {
        auto r = form->image().RecordAt(slot);
        std::fill(r.begin() + 6, r.end(), 0);
        std::memcpy(r.data() + 6, bytes, n);
    }
    std::string NameField(int slot) const {
        const auto r = form->image().RecordAt(slot);
        return std::string(r.begin() + 6, r.end());
    }
    void SelectSlot(int slot) { PressCell("StringGrid2", slot % 50, slot / 50); }
    QString Text(const char* label) { return Find<QLabel>(label)->text(); }
};

TEST_F(RemotesPageTest, PressOnACellSelectsItsSlot) {
    struct Row {
        int col, row, slot;
        const char* label;
    };
    const Row rows[] = {{0, 0, 0, "PILOT NR:1"},
                        {0, 1, 50, "PILOT NR:51"},
                        {49, 19, 999, "PILOT NR:1000"},
                        {7, 3, 157, "PILOT NR:158"}};
    for (const Row& r : rows) {
        SetSerial(r.slot, {0x10, 0x20, 0x30, static_cast<std::uint8_t>(0x40 + r.slot % 4)});
        WriteDeviceText(form->image(), TextFieldOffset(r.slot), "slot" + std::to_string(r.slot));
    }
    for (const Row& r : rows) {
        PressCell("StringGrid2", r.col, r.row);
        EXPECT_EQ(form->selection().selectedRemote, r.slot);
        EXPECT_EQ(form->selection().selectedRemoteOffset, r.slot * 32);
        EXPECT_EQ(Text("Label1"), r.label);
        EXPECT_EQ(Find<QLineEdit>("Edit4")->text(), QString("slot%1").arg(r.slot));
        EXPECT_EQ(Find<QComboBox>("ComboBox16")->currentIndex(), r.slot % 4);
    }
    // Pressing shows the details but leaves the map as it was.
    EXPECT_EQ(Grid("StringGrid2").Cell(0, 0), "");
}

TEST_F(RemotesPageTest, SerialNumberInLowerCaseAndUsedTest) {
    struct Row {
        int slot;
        std::array<std::uint8_t, 4> serial;
        const char* shown;
        const char* cell;
    };
    const Row rows[] = {
        {10, {0x00, 0x00, 0x00, 0x00}, "NR SERYJNY:00:00:00:00", "_"},
        {11, {0xFF, 0xFF, 0xFF, 0xFF}, "NR SERYJNY:ff:ff:ff:ff", "_"},
        {12, {0x01, 0x00, 0x00, 0x00}, "NR SERYJNY:01:00:00:00", "#"},
        {13, {0xFF, 0xFF, 0xFF, 0xFE}, "NR SERYJNY:ff:ff:ff:fe", "#"},
        {14, {0xAB, 0xCD, 0xEF, 0x1A}, "NR SERYJNY:ab:cd:ef:1a", "#"},
    };
    for (const Row& r : rows) {
        SetSerial(r.slot, r.serial);
    }
    form->RefreshRemoteGrid();
    for (const Row& r : rows) {
        SelectSlot(r.slot);
        EXPECT_EQ(Text("Label5"), r.shown);
        EXPECT_EQ(Grid("StringGrid2").Cell(r.slot % 50, r.slot / 50), r.cell) << r.slot;
    }
}

TEST_F(RemotesPageTest, NameOf26CharactersFillsTheFieldWithoutTerminator) {
    SelectSlot(3);
    const QString name = "ABCDEFGHIJKLMNOPQRSTUVWXYZ";
    QTest::keyClicks(Find<QLineEdit>("Edit4"), name + "!");  // the 27th is refused
    EXPECT_EQ(NameField(3), name.toStdString());
    SelectSlot(4);
    EXPECT_EQ(Find<QLineEdit>("Edit4")->text(), "");
    SelectSlot(3);
    EXPECT_EQ(Find<QLineEdit>("Edit4")->text(), name);
    // Deleting characters zero-fills the rest of the field.
    QTest::keyClick(Find<QLineEdit>("Edit4"), Qt::Key_End);
    QTest::keyClick(Find<QLineEdit>("Edit4"), Qt::Key_Backspace);
    EXPECT_EQ(NameField(3), std::string("ABCDEFGHIJKLMNOPQRSTUVWXY") + '\0');
}

TEST_F(RemotesPageTest, NameIsStoredAsWindows1250) {
    SelectSlot(8);
    Find<QLineEdit>("Edit4")->setText(QString::fromUtf8("Zażółć Ω€"));
    EXPECT_EQ(NameField(8), std::string("Za\xBF\xF3\xB3\xE6 ?\x80") + std::string(17, '\0'));
    SelectSlot(9);
    SelectSlot(8);
    EXPECT_EQ(Find<QLineEdit>("Edit4")->text(), QString::fromUtf8("Zażółć ?€"));
}

TEST_F(RemotesPageTest, ShowingADifferentNameWritesItBack) {
    SetNameBytes(1, "AB\0XY", 5);
    SetNameBytes(2, "AB\0QQ", 5);
    SelectSlot(1);  // "" -> "AB": Edit4Change rewrites the field
    EXPECT_EQ(NameField(1), std::string("AB") + std::string(24, '\0'));
    SelectSlot(2);  // "AB" -> "AB": no change, no write
    EXPECT_EQ(NameField(2), std::string("AB\0QQ", 5) + std::string(21, '\0'));
}

TEST_F(RemotesPageTest, ScenarioChangeKeepsTheUpperBitsAndShowsInTheDump) {
    SetSerial(999, {0x00, 0x00, 0x00, 0xFD});
    SelectSlot(999);
    ASSERT_EQ(Find<QComboBox>("ComboBox16")->currentIndex(), 1);
    Click("Button9");  // dump view at 31744: record 999 in sight
    auto* list = Find<QComboBox>("ComboBox16");
    list->setFocus();
    QTest::keyClick(list, Qt::Key_Down);  // the user's choice: SCENARIUSZ 2
    EXPECT_EQ(form->image().RecordAt(999)[3], 0xFE);
    EXPECT_EQ(form->image().RecordAt(999)[2], 0x00);
    // Offset 31971 = 31744 + 14 * 16 + 3: line 14, byte column 3.
    EXPECT_EQ(Grid("StringGrid4").Cell(4, 29), "FE");
    EXPECT_EQ(form->selection().dumpStartOffset, 31744);
    // The map is redrawn only by the next refresh; the serial shows byte 3 whole.
    EXPECT_EQ(Grid("StringGrid2").Cell(49, 19), "");
    SelectSlot(998);
    SelectSlot(999);
    EXPECT_EQ(Text("Label5"), "NR SERYJNY:00:00:00:fe");
}

// A scenario alone would make a remote in an empty slot (00:00:00:01) that
// the map does not show: the list is closed there and the slot stays empty.
TEST_F(RemotesPageTest, ScenarioOfAnEmptySlotIsNotOffered) {
    SelectSlot(20);
    auto* list = Find<QComboBox>("ComboBox16");
    EXPECT_FALSE(list->isEnabled());
    list->setFocus();
    QTest::keyClick(list, Qt::Key_Down);
    EXPECT_EQ(form->image().RecordAt(20)[3], 0x00);
    form->RefreshRemoteGrid();
    EXPECT_EQ(Grid("StringGrid2").Cell(20, 0), "_");
}

// A full read redraws the map after each of its 1024 records; the map ends up
// showing every remote read. What a redraw costs is a figure of
// bench/window_bench.
TEST_F(RemotesPageTest, MapFollowsEachRecordOfAFullRead) {
    form->RefreshRemoteGrid();
    for (int record = 0; record < kRecordCount; ++record) {
        if (record < kRemoteCount) {
            SetSerial(record, {0x12, 0x34, static_cast<std::uint8_t>(record),
                               static_cast<std::uint8_t>(record >> 8)});
        }
        form->RefreshRemoteGrid();
        if (record == 321) {
            EXPECT_EQ(Grid("StringGrid2").Cell(321 % 50, 321 / 50), "#");
            EXPECT_NE(Grid("StringGrid2").Cell(322 % 50, 322 / 50), "#");
        }
    }
    EXPECT_EQ(Grid("StringGrid2").Cell(49, 19), "#");
}

TEST_F(RemotesPageTest, PortTooltipShowsTheDevicesNow) {
    resolver->Set(0, "/dev/ttyUSB0");
    EXPECT_TRUE(form->PortMapText().startsWith("COM1: /dev/ttyUSB0\nCOM2: brak urządzenia"));
    resolver->Set(1, "/dev/pts/7");
    auto* ports = Find<QComboBox>("ComboBox1");
    QHelpEvent help(QEvent::ToolTip, QPoint(5, 5), ports->mapToGlobal(QPoint(5, 5)));
    QCoreApplication::sendEvent(ports, &help);
    EXPECT_TRUE(ports->toolTip().contains("COM2: /dev/pts/7"));
    EXPECT_TRUE(ports->toolTip().endsWith("COM15: brak urządzenia"));
    ports->showPopup();  // each entry of the open list names its device
    EXPECT_EQ(ports->itemData(1, Qt::ToolTipRole).toString(), "/dev/pts/7");
    EXPECT_EQ(ports->itemData(2, Qt::ToolTipRole).toString(), "brak urządzenia");
    ports->hidePopup();
}

// The open list says what each port that is there is; absent ones stay
// selectable; ports above COM15 follow the form's fifteen in number order and
// keep their entry when they go.
TEST_F(RemotesPageTest, PortListMarksThePortsThereAreAndAddsThoseAboveFifteen) {
    resolver->Set(2, "/dev/ttyUSB0", "FT232R USB UART (ttyUSB0)");
    resolver->Set(254, "/dev/ttyS0", "port szeregowy (ttyS0)");
    resolver->Set(16, "/dev/ttyACM0", "USB-Serial (ttyACM0)");
    auto* ports = Find<QComboBox>("ComboBox1");
    ports->showPopup();
    ports->hidePopup();
    ASSERT_EQ(ports->count(), kPortCount + 2);
    const struct {
        int row;
        const char* shown;  // as the open list draws it
        int port;           // SelectedPortIndex once chosen
    } rows[] = {{0, "COM1", 0},
                {2, "COM3 — FT232R USB UART (ttyUSB0)", 2},
                {3, "COM4", 3},
                {14, "COM15", 14},
                {15, "COM17 — USB-Serial (ttyACM0)", 16},
                {16, "COM255 — port szeregowy (ttyS0)", 254}};
    for (const auto& row : rows) {
        EXPECT_EQ(form->PortListEntryText(row.row), QString::fromUtf8(row.shown)) << row.row;
        ports->setCurrentIndex(row.row);
        EXPECT_EQ(form->SelectedPortIndex(), row.port) << row.row;
    }
    // The open list is wide enough for its longest entry; the closed one shows the name.
    EXPECT_GE(ports->view()->minimumWidth(),
              ports->view()->fontMetrics().horizontalAdvance(form->PortListEntryText(16)));
    EXPECT_EQ(ports->currentText(), "COM255");

    resolver->Set(254, "");  // unplugged
    ports->showPopup();
    ports->hidePopup();
    EXPECT_EQ(ports->count(), kPortCount + 2);
    EXPECT_EQ(form->PortListEntryText(16), "COM255");
    EXPECT_EQ(form->SelectedPortIndex(), 254);
}

}  // namespace
}  // namespace tav::ui::testing

namespace tav::ui::testing {
namespace {

TEST_F(RemotesPageTest, KeyboardMovesTheSelectionWithTheHighlight) {
    const struct {
        Qt::Key key;
        int slot;  // selected afterwards
    } rows[] = {
        {Qt::Key_Right, 8}, {Qt::Key_Down, 58}, {Qt::Key_Left, 57},     {Qt::Key_Up, 7},
        {Qt::Key_End, 49},  {Qt::Key_Home, 0},  {Qt::Key_PageDown, -1},  // a page further down,
                                                                         // whatever its height
    };
    for (int slot : {8, 58, 57}) {
        WriteDeviceText(form->image(), TextFieldOffset(slot), "slot" + std::to_string(slot));
    }
    SelectSlot(7);
    TStringGrid& map = Grid("StringGrid2");
    for (const auto& r : rows) {
        QTest::keyClick(&map, r.key);
        const int highlighted = map.currentRow() * 50 + map.currentColumn();
        EXPECT_EQ(form->selection().selectedRemote, highlighted) << r.key;
        if (r.slot >= 0) {
            EXPECT_EQ(highlighted, r.slot) << r.key;
        } else {
            EXPECT_GT(highlighted, 49) << r.key;
        }
        EXPECT_EQ(Text("Label1"), QString("PILOT NR:%1").arg(highlighted + 1)) << r.key;
        const QString name = highlighted == 8 || highlighted == 58 || highlighted == 57
                                 ? QString("slot%1").arg(highlighted)
                                 : QString();
        EXPECT_EQ(Find<QLineEdit>("Edit4")->text(), name) << r.key;
    }
    map.setFocus();
    QTest::keyClick(&map, Qt::Key_Return);
    EXPECT_TRUE(Find<QLineEdit>("Edit4")->hasFocus());
}

TEST_F(RemotesPageTest, EveryControlHasANameForAScreenReader) {
    QStringList unnamed;
    for (QWidget* w : form->findChildren<QWidget*>()) {
        const bool input = qobject_cast<QLineEdit*>(w) || qobject_cast<QComboBox*>(w) ||
                           qobject_cast<QAbstractItemView*>(w) || qobject_cast<QProgressBar*>(w) ||
                           qobject_cast<QTabWidget*>(w);
        auto* button = qobject_cast<QAbstractButton*>(w);
        const bool textless = button != nullptr && button->text().size() < 2;
        if ((input || textless) && !w->objectName().startsWith("qt_") &&
            w->parentWidget() != nullptr &&
            !qobject_cast<QComboBox*>(w->parentWidget()->parentWidget()) &&
            w->accessibleName().isEmpty() && !w->objectName().isEmpty()) {
            unnamed << w->objectName();
        }
    }
    EXPECT_TRUE(unnamed.isEmpty()) << unnamed.join(", ").toStdString();

    // The map's cells say which remote they stand for.
    SetSerial(4, {0x3a, 0x91, 0x0d, 0x41});
    WriteDeviceText(form->image(), TextFieldOffset(4),
                    EncodeDeviceText(QString::fromUtf8("Garaż")));
    EXPECT_EQ(Grid("StringGrid2").item(0, 4)->data(Qt::AccessibleTextRole).toString(),
              QString::fromUtf8("PILOT NR:5, NAZWA: Garaż, NR SERYJNY:3a:91:0d:41"));
    EXPECT_EQ(Grid("StringGrid2").item(0, 5)->data(Qt::AccessibleTextRole).toString(),
              "PILOT NR:6 (wolne miejsce)");
}

}  // namespace
}  // namespace tav::ui::testing
