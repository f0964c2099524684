// The page "POZOSTALE": the display settings and the four clock events, as
// the user edits them (their transfers are in page_transfers_test.cpp).
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <array>
#include <cstring>
#include <functional>

#include "page_fixtures.h"
#include "ui/device_text.h"
#include "ui/mask_edit.h"

namespace tav::ui::testing {
namespace {

TEST_F(SettingsPageTest, DisplayModeEnablesTheUserTextAndWritesAllFields) {
    // Flags and text in the image that the controls do not show.
    SetAt(kDisplayOffset, {0x00, 0x05, 0x00, 0x00, 0x02, 0x00, 'X', 'Y', 'Z'});
    Click("Button5");  // the dump view away from the record
    struct Row {
        int choose;         // the list position the user picks, or -1
        const char* typed;  // then typed into Edit1
        bool textEnabled;
        Bytes record;  // bytes 0..8
    };
    const Row rows[] = {
        {3, "", true, {3, 0, 0, 0, 0, 0, 0, 'Y', 'Z'}},  // "NAPIS UŻYTKOWNIKA"
        {-1, "Ab", true, {3, 0, 0, 0, 0, 0, 'A', 'b', 0}},
        {2, "", false, {2, 0, 0, 0, 0, 0, 'A', 'b', 0}},  // the text stays
        {0, "", false, {0, 0, 0, 0, 0, 0, 'A', 'b', 0}},
    };
    for (const Row& r : rows) {
        if (r.choose >= 0) {
            Choose("ComboBox15", r.choose);
        }
        QTest::keyClicks(Edit("Edit1"), r.typed);
        EXPECT_EQ(At(kDisplayOffset, 9), r.record) << r.choose << r.typed;
        EXPECT_EQ(Edit("Edit1")->isEnabled(), r.textEnabled) << r.choose << r.typed;
        EXPECT_EQ(DumpStart(), 32256);  // redrawn where it was
    }
    EXPECT_EQ(Grid("StringGrid4").Cell(0, 1), "7e00-32256");
}

TEST_F(SettingsPageTest, UserTextWritesAtMost26BytesAndOneTerminator) {
    struct Row {
        const char* what;
        std::function<void(QLineEdit*)> type;
        Bytes field;
    };
    const Row rows[] = {
        {"26 characters and one refused",
         [](QLineEdit* e) {
             e->clear();
             QTest::keyClicks(e, "ABCDEFGHIJKLMNOPQRSTUVWXYZ!");
         },
         Bytes{'A', 'B', 'C', 'D', 'E', 'F', 'G', 'H', 'I', 'J', 'K', 'L', 'M',
               'N', 'O', 'P', 'Q', 'R', 'S', 'T', 'U', 'V', 'W', 'X', 'Y', 'Z'}},
        {"paste over the whole text",
         [](QLineEdit* e) {
             QApplication::clipboard()->setText("AB");
             e->selectAll();
             QTest::keySequence(e, QKeySequence::Paste);
         },
         Text26(std::string_view("AB\0DEF", 6))},
        {"four deletions",
         [](QLineEdit* e) {
             QTest::keyClick(e, Qt::Key_End);
             for (int i = 0; i < 4; ++i) {
                 QTest::keyClick(e, Qt::Key_Backspace);
             }
         },
         Text26("AB")},
        {"Polish letters", [](QLineEdit* e) { e->setText(QString::fromUtf8("Żółć gęślą jaźń")); },
         Text26("\xAF\xF3\xB3\xE6 g\xEA\x9C\x6C\xB9 ja\x9F\xF1")},
    };
    SetAt(1006 * kRecordSize, {0x55});
    Choose("ComboBox15", 3);
    for (const Row& r : rows) {
        SetAt(kDisplayTextOffset, Bytes(26, 0));
        Edit("Edit1")->setText("ABCDEF");  // a program-made change stores too
        r.type(Edit("Edit1"));
        EXPECT_EQ(DisplayText(), r.field) << r.what;
        EXPECT_EQ(form->image().RecordAt(1006)[0], 0x55) << r.what;
    }
    EXPECT_EQ(Edit("Edit1")->text(), QString::fromUtf8("Żółć gęślą jaźń"));
}

TEST_F(SettingsPageTest, FlagsAreShownFromTheImageAndKeptUntilEdited) {
    struct Row {
        std::uint8_t mode, confirmation, asRemote;
        int modeShown;
        bool confirmChecked, remoteChecked, remoteEnabled;
    };
    const Row rows[] = {
        {0, 0x05, 0x02, 0, true, false, false},  // bit 0 of byte 4 alone counts
        {1, 0x00, 0x01, 1, false, true, true},   // enabled from its own flag
        {3, 0x80, 0xFF, 3, true, true, true},
        {7, 0x00, 0x00, -1, false, false, false},  // no mode above 3
    };
    for (const Row& r : rows) {
        SetAt(kDisplayOffset, {r.mode, r.confirmation, 0x11, 0x22, r.asRemote, 0x33});
        const MemoryImage before = form->image();
        form->RefreshSettingsPage();
        EXPECT_TRUE(form->image() == before) << "showing wrote into the image";
        EXPECT_EQ(Find<QComboBox>("ComboBox15")->currentIndex(), r.modeShown);
        EXPECT_EQ(Edit("Edit1")->isEnabled(), r.modeShown == 3);
        EXPECT_EQ(Box("potw_zd_CBox")->isChecked(), r.confirmChecked);
        EXPECT_EQ(Box("przyc_jako_pilotCB")->isChecked(), r.remoteChecked);
        EXPECT_EQ(Box("przyc_jako_pilotCB")->isEnabled(), r.remoteEnabled);
        // The first edit rewrites the flags as 0 or 1; bytes 2, 3 and 5 stay.
        Choose("ComboBox15", 2);
        EXPECT_EQ(At(kDisplayOffset, 6),
                  (Bytes{2, r.confirmChecked, 0x11, 0x22, r.remoteChecked, 0x33}));
    }
}

TEST_F(SettingsPageTest, ClicksEnableTheButtonOptionFromTheConfirmation) {
    struct Row {
        const char* click;
        bool confirm, remote, remoteEnabled;
        std::uint8_t byte1, byte4;
    };
    const Row rows[] = {
        {"przyc_jako_pilotCB", false, true, false, 0, 1},  // confirmation off: disabled
        {"przyc_jako_pilotCB", false, true, false, 0, 1},  // a disabled box takes no click
        {"potw_zd_CBox", true, true, true, 1, 1},
        {"przyc_jako_pilotCB", true, false, true, 1, 0},
        {"przyc_jako_pilotCB", true, true, true, 1, 1},
        {"potw_zd_CBox", false, true, false, 0, 1},  // the mark and byte 4 stay
    };
    ASSERT_TRUE(Box("przyc_jako_pilotCB")->isEnabled());  // as the window is created
    for (const Row& r : rows) {
        Tick(r.click);
        EXPECT_EQ(Box("potw_zd_CBox")->isChecked(), r.confirm) << r.click;
        EXPECT_EQ(Box("przyc_jako_pilotCB")->isChecked(), r.remote) << r.click;
        EXPECT_EQ(Box("przyc_jako_pilotCB")->isEnabled(), r.remoteEnabled) << r.click;
        EXPECT_EQ(form->image().at(kDisplayConfirmationOffset), r.byte1) << r.click;
        EXPECT_EQ(form->image().at(kDisplayButtonAsRemoteOffset), r.byte4) << r.click;
    }
}

// Every key typed into a pattern field stores the row as the field shows it
// then, blanks included.
TEST_F(SettingsPageTest, TypingAPatternStoresEveryIntermediateState) {
    Tick("CheckBox1");
    Choose("ComboBox7", 2);  // button "3"
    EXPECT_EQ(Entry(0), Hex("0002EFEFEFEFEFEF"));
    struct Step {
        char key;
        const char* entry;
    };
    const Step steps[] = {
        {'2', "00021FEFEFEFEFEF"}, {'5', "000225EFEFEFEFEF"}, {'0', "000225FFEFEFEFEF"},
        {'6', "00022506EFEFEFEF"}, {'0', "00022506FFEFEFEF"}, {'1', "0002250601EFEFEF"},
        {'0', "0002250601FFEFEF"}, {'7', "000225060107EFEF"}, {'3', "0002250601072FEF"},
        {'0', "00022506010730EF"}, {'0', "00022506010730FF"}, {'0', "0002250601073000"},
    };
    QLineEdit* field = Edit("MaskEdit1");
    EXPECT_EQ(field->displayText(), "20__-__-__ __:__:__");
    Click("Button5");
    field->setCursorPosition(2);  // after the fixed "20", where Tab puts it
    for (const Step& s : steps) {
        QTest::keyClick(field, s.key);
        ASSERT_EQ(Entry(0), Hex(s.entry)) << field->displayText().toStdString();
    }
    EXPECT_EQ(field->displayText(), "2025-06-01 07:30:00");
    EXPECT_EQ(DumpStart(), 32000);
    // Entry 0 at 32128: line 8 of the view.
    const char* shown[] = {"00", "02", "25", "06", "01", "07", "30", "00"};
    for (int i = 0; i < 8; ++i) {
        EXPECT_EQ(Grid("StringGrid4").Cell(i + 1, 17), shown[i]);
    }
    // Typing over a filled field replaces character by character.
    field->setCursorPosition(11);
    QTest::keyClicks(field, "1*");
    EXPECT_EQ(Entry(0), Hex("00022506011F3000"));
    EXPECT_EQ(field->displayText(), "2025-06-01 1*:30:00");
}

TEST_F(SettingsPageTest, EditedPatternsAreShownBackAsStored) {
    struct Row {
        int cursor;
        const char* typed;
        Qt::Key key;  // then pressed, Key_unknown for none
        const char* date;
        const char* shownBack;
    };
    const Row rows[] = {
        {2, "******120000", Qt::Key_unknown, "FFFFFF120000", "20**-**-** 12:00:00"},
        {6, "", Qt::Key_Delete, "250F01083000", "2025-0*-01 08:30:00"},  // month "1 "
        // Only digits and "*" go in: a date typed from the year's front.
        {2, "A5x", Qt::Key_unknown, "551101083000", "2055-11-01 08:30:00"},
        {19, "", Qt::Key_Backspace, "2511010830FF", "2025-11-01 08:30:**"},
    };
    QLineEdit* field = Edit("MaskEdit4");
    for (const Row& r : rows) {
        EncodeClockEvent(form->image(), 3, "2025-11-01 08:30:00", true, 13);
        form->ShowClockEvents();
        field->setCursorPosition(r.cursor);
        QTest::keyClicks(field, r.typed);
        if (r.key != Qt::Key_unknown) {
            QTest::keyClick(field, r.key);
        }
        EXPECT_EQ(Entry(3), Hex(std::string("000D") + r.date)) << r.shownBack;
        form->ShowClockEvents();
        EXPECT_EQ(field->displayText(), r.shownBack);
    }
}

TEST_F(SettingsPageTest, ShowClockEventsShowsEachRowWithoutWriting) {
    struct Row {
        const char* entry;
        std::uint8_t scenario;
        const char* name;  // UTF-8
        const char* pattern;
        bool on;
        int button, scenarioShown;
    };
    const Row rows[] = {
        {"0005250601073000", 2, "Brama", "2025-06-01 07:30:00", true, 5, 2},
        {"FF0DFFFFFF120000", 3, "ABCDEFGHIJKLMNOPQRSTUVWXYZ", "20**-**-** 12:00:00", false, 13, 3},
        {"010EAB0101000000", 7, "", "20AB-01-01 00:00:00", false, -1, -1},
        {"0000EF1FF58F0000", 0, "Światło", "20E*-1*-*5 8*:00:00", true, 0, 0},
    };
    const char* fields[][5] = {{"MaskEdit1", "CheckBox1", "ComboBox7", "ComboBox11", "Edit2"},
                               {"MaskEdit2", "CheckBox2", "ComboBox8", "ComboBox12", "Edit3"},
                               {"MaskEdit3", "CheckBox3", "ComboBox9", "ComboBox13", "Edit5"},
                               {"MaskEdit4", "CheckBox4", "ComboBox10", "ComboBox14", "Edit6"}};
    for (int i = 0; i < 4; ++i) {
        SetAt(kClockEventOffset + 8 * i, Hex(rows[i].entry));
        SetAt(kClockTransmitterOffset + 32 * i + 3, {rows[i].scenario});
        WriteDeviceText(form->image(), TextFieldOffset(1000 + i),
                        EncodeDeviceText(QString::fromUtf8(rows[i].name)));
    }
    Click("Button9");
    const MemoryImage before = form->image();
    form->ShowClockEvents();
    EXPECT_TRUE(form->image() == before);
    EXPECT_EQ(DumpStart(), 31744);
    for (int i = 0; i < 4; ++i) {
        const Row& r = rows[i];
        EXPECT_EQ(Edit(fields[i][0])->displayText(), r.pattern) << i;
        EXPECT_EQ(Box(fields[i][1])->isChecked(), r.on) << i;
        EXPECT_EQ(Find<QComboBox>(fields[i][2])->currentIndex(), r.button) << i;
        EXPECT_EQ(Find<QComboBox>(fields[i][3])->currentIndex(), r.scenarioShown) << i;
        EXPECT_EQ(Edit(fields[i][4])->text(), QString::fromUtf8(r.name)) << i;
    }
    EXPECT_EQ(Find<QComboBox>("ComboBox7")->currentText(), "6");
    // The letters stay in the image until their own row is edited; then
    // they go through the encoder, with no button selected as 0xFF.
    Tick("CheckBox4");
    EXPECT_EQ(Entry(2), Hex(rows[2].entry));
    Tick("CheckBox3");
    EXPECT_EQ(Entry(2), Hex("00FFEF0101000000"));
}

TEST_F(SettingsPageTest, RowEditsWriteTheirFields) {
    EncodeClockEvent(form->image(), 2, "2026-12-24 16:00:00", true, 11);
    form->ShowClockEvents();
    form->image().at(kClockEventOffset + 2 * 8 + 5) = 0x99;  // behind the controls' back
    SetAt(kClockTransmitterOffset + 3, {0xFE});
    const QString name26 = QString::fromUtf8("ZAŻÓŁĆ GĘŚLĄ JAŹŃ 12345678");
    struct Row {
        const char* what;
        std::function<void()> act;
        std::size_t offset;
        const char* bytes;
        int dumpStart;
    };
    const Row rows[] = {
        {"untick row 2", [&] { Tick("CheckBox3"); }, kClockEventOffset + 16, "FF0B261224160000",
         32000},
        {"scenario 2", [&] { Choose("ComboBox11", 2); }, kClockTransmitterOffset + 3, "02", 31744},
        {"button 14", [&] { Choose("ComboBox10", 13); }, kClockEventOffset + 24, "000D000000000000",
         32000},
        {"26 characters", [&] { Edit("Edit3")->setText(name26); }, TextFieldOffset(1001),
         "5A41AFD3A3C62047CA8C4CA5204A418FD1203132333435363738", 32000},
        {"25", [&] { QTest::keyClick(Edit("Edit3"), Qt::Key_Backspace); },
         TextFieldOffset(1001) + 24, "3700", 32000},
    };
    for (const Row& r : rows) {
        Click("Button9");  // from 32000 to 31744
        r.act();
        EXPECT_EQ(At(r.offset, std::strlen(r.bytes) / 2), Hex(r.bytes)) << r.what;
        EXPECT_EQ(DumpStart(), r.dumpStart) << r.what;
    }
    // Byte 3 of record 1000 at 32003: the view was redrawn in place.
    Choose("ComboBox11", 1);
    EXPECT_EQ(Grid("StringGrid4").Cell(4, 1), "01");
    form->ShowClockEvents();
    EXPECT_EQ(Edit("Edit3")->text(), name26.left(25));
}

}  // namespace
}  // namespace tav::ui::testing

namespace tav::ui::testing {
namespace {

TEST_F(SettingsPageTest, DatesTypedOrPastedAsPeopleWriteThem) {
    enum How { kOverAll, kPaste, kFromHome };
    const struct {
        How how;
        const char* typed;
        const char* entry;    // bytes 2..7 stored
        const char* problem;  // beside the rows, "" for none
    } rows[] = {
        {kOverAll, "2026-05-01 06:45:00", "260501064500", ""},
        {kOverAll, "2026-05-01 06:45", "260501064500", ""},
        {kOverAll, "01.05.2026 06:45", "260501064500", ""},
        {kPaste, "2026-05-01 06:45", "260501064500", ""},
        {kPaste, "01.05.2026 06:45", "260501064500", ""},
        {kPaste, "no date", "250601073000", ""},
        {kFromHome, "2027-", "270601073000", ""},
        {kFromHome, "****-**-** 12:00:00", "FFFFFF120000", ""},
        {kOverAll, "2026-13-99 25:61:61", "261399256161",
         "NADAJNIK 1001: miesiąc „13” poza zakresem 01–12"},
        {kFromHome, "2506320730", "250632073000", "NADAJNIK 1001: dzień „32” poza zakresem 01–31"},
    };
    auto* field = Find<TMaskEdit>("MaskEdit1");
    for (const auto& r : rows) {
        EncodeClockEvent(form->image(), 0, "2025-06-01 07:30:00", true, 0);
        form->ShowClockEvents();
        field->setFocus();
        if (r.how == kPaste) {
            QApplication::clipboard()->setText(QString::fromUtf8(r.typed));
            QTest::keyClick(field, Qt::Key_V, Qt::ControlModifier);
        } else {
            QTest::keyClick(field, r.how == kOverAll ? Qt::Key_A : Qt::Key_Home,
                            r.how == kOverAll ? Qt::ControlModifier : Qt::NoModifier);
            QTest::keyClicks(field, QString::fromUtf8(r.typed));
        }
        Find<QLineEdit>("Edit2")->setFocus();  // the entry ends
        EXPECT_EQ(Entry(0), Hex(std::string("0000") + r.entry)) << r.typed;
        EXPECT_EQ(Find<QLabel>("PatternProblem")->text(), QString::fromUtf8(r.problem)) << r.typed;
    }
}

TEST_F(SettingsPageTest, ImpossibleTypedDatesAreNotSent) {
    const struct {
        const char* button;
        const char* typed;  // over the second row's whole field
        const char* message;
    } rows[] = {
        {"Button15", "2026-05-01 24:00",
         "NADAJNIK 1002: godzina „24” poza zakresem 00–23. Nic nie wysłano."},
        {"Button4", "2026-05-3", "NADAJNIK 1002: niepełna data (dzień „3_”). Nic nie wysłano."},
    };
    auto* field = Find<TMaskEdit>("MaskEdit2");
    for (const auto& r : rows) {
        messages.clear();
        field->setFocus();
        QTest::keyClick(field, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(field, QString::fromUtf8(r.typed));
        Click(r.button);
        ASSERT_EQ(messages.size(), 1u) << r.typed;
        EXPECT_EQ(messages[0].text, QString::fromUtf8(r.message));
        EXPECT_EQ(messages[0].caption, "Błąd");
    }
}

}  // namespace
}  // namespace tav::ui::testing
