// Dates and times as people type or paste them into a clock-event pattern,
// and timer cells as typed.
#include "image/typed_values.h"

#include <gtest/gtest.h>

namespace tav {
namespace {

std::string Shown(const std::optional<ClockDigits>& d) {
    return d ? PatternOf(*d) : std::string("(none)");
}

TEST(TypedValuesTest, WholeDatesTypedOrPasted) {
    const struct {
        const char* typed;
        const char* pattern;
    } cases[] = {
        {"2026-05-01 06:45:00", "2026-05-01 06:45:00"},
        {"2026-05-01 06:45", "2026-05-01 06:45:00"},
        {"01.05.2026 06:45", "2026-05-01 06:45:00"},
        {"1.5.2026 6:45", "2026-05-01 06:45:00"},
        {"  26-05-01 06:45:30 ", "2026-05-01 06:45:30"},
        {"250601073000", "2025-06-01 07:30:00"},
        {"200601073000", "2020-06-01 07:30:00"},  // twelve digits: the year is 20
        {"20260501064500", "2026-05-01 06:45:00"},
        {"****-**-** 12:00:00", "20**-**-** 12:00:00"},
        {"2026-05-01T06:45:00", "2026-05-01 06:45:00"},
        {"2026-05-01", "(none)"},
        {"2026-05-01 06", "(none)"},
        {"2026-05-01 06:45:00:00", "(none)"},
        {"2026-05-0x 06:45", "(none)"},
        {"2026-123-01 06:45", "(none)"},
        {"", "(none)"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Shown(ReadWholeClockText(c.typed)), c.pattern) << c.typed;
    }
}

TEST(TypedValuesTest, DatesWhileTyped) {
    const struct {
        const char* typed;
        const char* pattern;
    } cases[] = {
        {"2", "202 -  -     :  :  "},
        {"20", "2020-  -     :  :  "},   // could still be the year 20
        {"202", "202 -  -     :  :  "},  // no: the "20" was the fixed one
        {"2026-", "2026-  -     :  :  "},
        {"2026-5-", "2026-05-     :  :  "},
        {"2026-05-01 06:4", "2026-05-01 06:4 :  "},
        {"01.05.", "20  -05-01   :  :  "},
        {"2506", "2025-06-     :  :  "},
        {"2026-05-01 06:45:00 7", "(none)"},
        {"2026-x", "(none)"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Shown(ReadPartialClockText(c.typed)), c.pattern) << c.typed;
    }
}

TEST(TypedValuesTest, ImpossibleParts) {
    const struct {
        const char* pattern;
        bool blanksMissing;
        const char* problem;  // part index and what it shows, or "" for none
    } cases[] = {
        {"2026-05-01 06:45:00", true, ""},     {"20**-**-** **:**:**", true, ""},
        {"2026-13-01 06:45:00", true, "1 13"}, {"2026-00-01 06:45:00", true, "1 00"},
        {"2026-1*-01 06:45:00", true, ""},  // 10, 11, 12
        {"2026-2*-01 06:45:00", true, "1 2*"}, {"2026-05-32 06:45:00", true, "2 32"},
        {"2026-05-3* 06:45:00", true, ""},  // 30, 31
        {"2026-05-4* 06:45:00", true, "2 4*"}, {"2026-05-01 24:45:00", true, "3 24"},
        {"2026-05-01 *9:45:00", true, ""},     {"2026-05-01 06:60:00", true, "4 60"},
        {"2026-05-01 06:45:61", true, "5 61"}, {"2026-05-01 06:4 :00", true, "4 4_"},
        {"2026-05-01 06:4 :00", false, ""},    {"2026-13-99 25:61:61", true, "1 13"},
    };
    for (const auto& c : cases) {
        const auto problem = FirstClockProblem(ClockDigitsOf(c.pattern), c.blanksMissing);
        const std::string got =
            problem ? std::to_string(static_cast<int>(problem->part)) + " " + problem->shown : "";
        EXPECT_EQ(got, c.problem) << c.pattern;
    }
}

TEST(TypedValuesTest, TimerCellsWithinTheirRange) {
    const struct {
        const char* text;
        int field;
        bool fits;
    } cases[] = {
        {"23", 0, true},  {"24", 0, false}, {"59", 1, true},  {"99", 1, false},
        {"60", 2, false}, {"9", 3, true},   {"10", 3, false}, {" 07 ", 1, true},
        {"", 1, true},    {"-1", 1, false}, {"5x", 1, false}, {"0", 0, true},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(TimerFieldTextFits(c.text, c.field), c.fits) << c.text << " field " << c.field;
    }
}

}  // namespace
}  // namespace tav
