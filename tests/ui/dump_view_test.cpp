// The hidden memory dump view and its "+" and "-" buttons.
#include <QPushButton>

#include "window_fixture.h"

namespace tav::ui::testing {
namespace {

class DumpViewTest : public WindowTest {
  protected:
    void SetUp() override { MakeForm(); }
    TStringGrid& Dump() { return Grid("StringGrid4"); }
    void Press(const char* button, int times = 1) {
        for (int i = 0; i < times; ++i) {
            Click(button);
        }
    }
};

TEST_F(DumpViewTest, AfterStartShowsRecord1000AsZeros) {
    ASSERT_EQ(Dump().columnCount(), 17);
    ASSERT_EQ(Dump().rowCount(), 33);
    EXPECT_EQ(Dump().ColWidth(0), 70);
    for (int j = 0; j < 16; ++j) {
        const int p = 32000 + 16 * j;
        EXPECT_EQ(Dump().Cell(0, 2 * j + 1), QString::asprintf("%04x-%05d", p, p));
        EXPECT_EQ(Dump().Cell(0, 2 * j + 2), "");
        for (int i = 1; i <= 16; ++i) {
            EXPECT_EQ(Dump().Cell(i, 2 * j + 1), "00");
            EXPECT_EQ(Dump().Cell(i, 2 * j + 2), "");
        }
    }
    EXPECT_EQ(Dump().Cell(0, 31), "7df0-32240");
}

TEST_F(DumpViewTest, PlusAndMinusMoveByOneWindowAndStopAtTheEnds) {
    struct Row {
        const char* button;
        int times;
        const char* firstLabel;
        const char* lastLabel;
    };
    const Row rows[] = {
        {"Button5", 1, "7e00-32256", "7ef0-32496"},  // the scenario table
        {"Button5", 1, "7f00-32512", "7ff0-32752"},  // the timer table, the last window
        {"Button5", 3, "7f00-32512", "7ff0-32752"},  // "+" stops there
        {"Button9", 3, "7c00-31744", "7cf0-31984"}, {"Button9", 124, "0000-00000", "00f0-00240"},
        {"Button9", 2, "0000-00000", "00f0-00240"},  // "-" stops at 0
        {"Button5", 1, "0100-00256", "01f0-00496"},
    };
    for (const Row& r : rows) {
        Press(r.button, r.times);
        EXPECT_EQ(Dump().Cell(0, 1), r.firstLabel) << r.button << " x" << r.times;
        EXPECT_EQ(Dump().Cell(0, 31), r.lastLabel) << r.button << " x" << r.times;
    }
}

TEST_F(DumpViewTest, BytesAsHexAndWindows1250Characters) {
    struct Row {
        int offset;
        std::uint8_t byte;
        const char* hex;
        QString character;
    };
    const Row rows[] = {{32000, 0x41, "41", "A"},
                        {32001, 0xFF, "FF", QString(QChar(0x02D9))},
                        {32017, 0xB9, "B9", QString(QChar(0x0105))},
                        {32255, 0x80, "80", QString(QChar(0x20AC))},
                        {32100, 0x00, "00", ""}};
    for (const Row& r : rows) {
        form->image().at(static_cast<std::size_t>(r.offset)) = r.byte;
    }
    form->RefreshDumpView();
    for (const Row& r : rows) {
        const int k = r.offset - 32000;
        const int col = k % 16 + 1;
        const int line = k / 16;
        EXPECT_EQ(Dump().Cell(col, 2 * line + 1), r.hex) << r.offset;
        EXPECT_EQ(Dump().Cell(col, 2 * line + 2), r.character) << r.offset;
    }
}

}  // namespace
}  // namespace tav::ui::testing
