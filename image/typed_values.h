// What a person types into the clock-event patterns and the timer cells,
// read and checked before it reaches the image. The image's encodings stay as
// they are; these only decide what a typed text means and whether it can be.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace tav {

// The six parts of a clock-event pattern, two characters each, in the order
// the pattern holds them.
enum class ClockPart { kYear, kMonth, kDay, kHour, kMinute, kSecond };
inline constexpr int kClockParts = 6;

// Twelve pattern characters: year, month, day, hour, minute and second, two
// each. '0'..'9' or '*'; ' ' where nothing is typed yet.
using ClockDigits = std::array<char, 12>;

// A date and time typed or pasted as a whole: "2026-05-01 06:45:00",
// "2026-05-01 06:45" (seconds 00), "01.05.2026 06:45", "26-05-01 06:45:00",
// twelve digits "260501064500" or fourteen "20260501064500". A part may be
// one digit where a separator ends it ("1.5.2026 6:45"), a year four digits
// starting with "20" (the pattern's fixed "20"), any digit '*'. Nothing when
// the text is no whole date and time.
std::optional<ClockDigits> ReadWholeClockText(std::string_view text);

// The same while it is being typed: the positions the text reaches so far,
// the rest ' '. Nothing once the text holds a character no date can (a
// letter, say), or more than a date.
std::optional<ClockDigits> ReadPartialClockText(std::string_view text);

// A part of a pattern that no date can match: a month of 13, an hour of 24,
// "3*" as a day. Blanks count as missing when `blanksMissing`, else as not yet
// typed (no problem).
struct ClockProblem {
    ClockPart part;
    std::string shown;  // the part's two characters as typed, blanks as '_'
};
std::optional<ClockProblem> FirstClockProblem(const ClockDigits& digits, bool blanksMissing);

// The twelve characters of a 19-character pattern "20YY-MM-DD hh:mm:ss", and
// back; a shorter pattern reads as blanks.
ClockDigits ClockDigitsOf(std::string_view pattern);
std::string PatternOf(const ClockDigits& digits);

// A timer-grid cell as typed: true when it is a plain number within the
// field's range (blanks around it allowed) or empty (0), so storing it
// changes nothing the user did not type.
bool TimerFieldTextFits(std::string_view text, int field);

}  // namespace tav
