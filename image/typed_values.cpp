#include "typed_values.h"

#include <algorithm>
#include <vector>

#include "image/memory_image.h"

namespace tav {

namespace {

bool PatternChar(char c) {
    return (c >= '0' && c <= '9') || c == '*';
}

bool Separator(char c) {
    return c == '-' || c == '.' || c == '/' || c == ' ' || c == ':' || c == 'T' || c == ',';
}

// The typed text in runs of pattern characters; `closed` when a separator
// follows the run.
struct Run {
    std::string chars;
    bool closed = false;
};

std::optional<std::vector<Run>> RunsOf(std::string_view text, char* firstSeparator) {
    std::vector<Run> runs;
    *firstSeparator = 0;
    bool inRun = false;
    for (const char c : text) {
        if (PatternChar(c)) {
            if (!inRun) {
                runs.push_back({});
                inRun = true;
            }
            runs.back().chars += c;
        } else if (Separator(c)) {
            if (inRun) {
                runs.back().closed = true;
                if (*firstSeparator == 0) {
                    *firstSeparator = c;
                }
            }
            inRun = false;
        } else {
            return std::nullopt;
        }
    }
    return runs;
}

// Fills the parts from the runs; parts not reached stay blank.
std::optional<ClockDigits> Fill(std::string_view text) {
    ClockDigits digits;
    digits.fill(' ');
    char first = 0;
    const auto runs = RunsOf(text, &first);
    if (!runs) {
        return std::nullopt;
    }
    // Day first ("01.05.2026") when the first separator is a dot or a slash.
    const bool dayFirst = runs->size() > 1 && (first == '.' || first == '/');
    static constexpr int kYearFirst[kClockParts] = {0, 1, 2, 3, 4, 5};
    static constexpr int kDayFirst[kClockParts] = {2, 1, 0, 3, 4, 5};
    const int* order = dayFirst ? kDayFirst : kYearFirst;
    int slot = 0;  // the next part in typing order
    for (const Run& run : *runs) {
        std::string chars = run.chars;
        if (slot >= kClockParts) {
            return std::nullopt;
        }
        // The year's "20" is the pattern's own: typed in front of two more
        // characters it is skipped, and so is "**" there ("****" any year).
        if (order[slot] == 0 &&
            ((chars.size() >= 3 && chars.compare(0, 2, "20") == 0) ||
             ((chars.size() == 3 || chars.size() == 4) && chars.compare(0, 2, "**") == 0))) {
            chars.erase(0, 2);
        }
        if (run.closed && chars.size() == 1) {
            chars.insert(chars.begin(), '0');  // "5." is "05"
        }
        if (runs->size() > 1 && chars.size() > 2) {
            return std::nullopt;  // parts separated, but this one too long
        }
        for (std::size_t i = 0; i < chars.size(); i += 2) {
            if (slot >= kClockParts) {
                return std::nullopt;
            }
            const int part = order[slot];
            digits[static_cast<std::size_t>(part * 2)] = chars[i];
            if (i + 1 < chars.size()) {
                digits[static_cast<std::size_t>(part * 2 + 1)] = chars[i + 1];
                ++slot;
            } else if (run.closed) {
                ++slot;
            }
        }
    }
    return digits;
}

struct PartRange {
    int low;
    int high;
};
constexpr PartRange kRanges[kClockParts] = {{0, 99}, {1, 12}, {1, 31}, {0, 23}, {0, 59}, {0, 59}};

// True when some value of the part's range matches its two characters.
bool Possible(char a, char b, const PartRange& range) {
    for (int v = range.low; v <= range.high; ++v) {
        const bool tens = a == '*' || a - '0' == v / 10;
        const bool ones = b == '*' || b - '0' == v % 10;
        if (tens && ones) {
            return true;
        }
    }
    return false;
}

}  // namespace

std::optional<ClockDigits> ReadPartialClockText(std::string_view text) {
    return Fill(text);
}

std::optional<ClockDigits> ReadWholeClockText(std::string_view text) {
    while (!text.empty() && text.front() == ' ') {
        text.remove_prefix(1);
    }
    while (!text.empty() && text.back() == ' ') {
        text.remove_suffix(1);
    }
    std::string whole(text);
    // Twelve characters in one run are the twelve positions, whatever the
    // year (fourteen carry the "20" in front, which Fill skips).
    if (whole.size() == 12 && std::all_of(whole.begin(), whole.end(), PatternChar)) {
        ClockDigits digits;
        std::copy(whole.begin(), whole.end(), digits.begin());
        return digits;
    }
    if (!whole.empty() && Separator(whole.back())) {
        return std::nullopt;
    }
    whole += ' ';  // the last part ends here
    auto digits = Fill(whole);
    if (!digits) {
        return std::nullopt;
    }
    const bool noSeconds = (*digits)[10] == ' ' && (*digits)[11] == ' ';
    if (noSeconds) {
        (*digits)[10] = (*digits)[11] = '0';
    }
    if (std::find(digits->begin(), digits->end(), ' ') != digits->end()) {
        return std::nullopt;
    }
    return digits;
}

std::optional<ClockProblem> FirstClockProblem(const ClockDigits& digits, bool blanksMissing) {
    for (int p = 0; p < kClockParts; ++p) {
        const char a = digits[static_cast<std::size_t>(p * 2)];
        const char b = digits[static_cast<std::size_t>(p * 2 + 1)];
        std::string shown{a == ' ' ? '_' : a, b == ' ' ? '_' : b};
        const bool blank = a == ' ' || b == ' ';
        if (blank ? blanksMissing
                  : !PatternChar(a) || !PatternChar(b) || !Possible(a, b, kRanges[p])) {
            return ClockProblem{static_cast<ClockPart>(p), shown};
        }
    }
    return std::nullopt;
}

ClockDigits ClockDigitsOf(std::string_view pattern) {
    static constexpr int kPositions[12] = {2, 3, 5, 6, 8, 9, 11, 12, 14, 15, 17, 18};
    ClockDigits digits;
    for (std::size_t i = 0; i < digits.size(); ++i) {
        const auto at = static_cast<std::size_t>(kPositions[i]);
        digits[i] = at < pattern.size() ? pattern[at] : ' ';
    }
    return digits;
}

std::string PatternOf(const ClockDigits& d) {
    return std::string("20") + d[0] + d[1] + '-' + d[2] + d[3] + '-' + d[4] + d[5] + ' ' + d[6] +
           d[7] + ':' + d[8] + d[9] + ':' + d[10] + d[11];
}

bool TimerFieldTextFits(std::string_view text, int field) {
    while (!text.empty() && text.front() == ' ') {
        text.remove_prefix(1);
    }
    while (!text.empty() && text.back() == ' ') {
        text.remove_suffix(1);
    }
    if (text.empty()) {
        return true;  // a cleared cell is 0
    }
    if (text.size() > 3 ||
        !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        return false;
    }
    return std::stoi(std::string(text)) <= TimerFieldMaximum(field);
}

}  // namespace tav
