#include "link/event_lines.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "link_test_support.h"

namespace tav {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

constexpr std::string_view kEnd = kHistoryEndMarker;

std::span<const std::uint8_t> Bytes(std::string_view s) {
    return {reinterpret_cast<const std::uint8_t*>(s.data()), s.size()};
}

struct Recorder {
    std::vector<std::string> lines;
    EventLineAssembler assembler{[this](std::string_view l) { lines.emplace_back(l); }};

    // One tick; returns the lines it handed on.
    std::vector<std::string> Tick(std::string_view chunk) {
        lines.clear();
        assembler.Poll(Bytes(chunk));
        return lines;
    }
};

// One step of a scenario: a tick with the chunk read ("" = nothing arrived),
// or the history button ("<hi>") or the start button ("<start>"), and the
// lines it must hand on.
struct Tick {
    std::string chunk;
    std::vector<std::string> lines;
};

struct Scenario {
    const char* name;
    std::vector<Tick> ticks;
};

void PrintTo(const Scenario& s, std::ostream* os) {
    *os << s.name;
}

class EventLineScenarios : public ::testing::TestWithParam<Scenario> {};

TEST_P(EventLineScenarios, HandsOnTheLinesOfEachTick) {
    Recorder r;
    int n = 0;
    for (const Tick& t : GetParam().ticks) {
        r.lines.clear();
        if (t.chunk == "<hi>") {
            r.assembler.BeginHistory();
        } else if (t.chunk == "<start>") {
            r.assembler.StartReception();
        } else {
            r.assembler.Poll(Bytes(t.chunk));
        }
        EXPECT_EQ(r.lines, t.lines) << "step " << n;
        ++n;
    }
}

using namespace std::string_literals;

INSTANTIATE_TEST_SUITE_P(
    Lines, EventLineScenarios,
    ::testing::Values(
        Scenario{"CrLf", {{"abc\r\n", {"abc"}}}},
        Scenario{"BareLineFeedKeepsTheLastCharacter", {{"abc\n", {"abc"}}}},
        Scenario{"CrLfAlone", {{"\r\n", {""}}}},
        Scenario{"LineFeedFirstIsAnEmptyLine", {{"ab\r\n\n", {"ab", ""}}, {"\n", {""}}}},
        Scenario{"CarriageReturnInsideALineStays", {{"a\rb\r\n", {"a\rb"}}}},
        Scenario{"OneLineInSeveralChunks",
                 {{"ab", {}}, {"c\r", {}}, {"", {}}, {"\nd", {"abc"}}, {"\r\n", {"d"}}}},
        Scenario{"SeveralLinesInOneChunk", {{"a\r\nb\r\nc\r\nd", {"a", "b", "c"}}}},
        Scenario{"ZeroByteAloneIsDropped",
                 {{"ab\0c\r\nd\0\r\n\0"s, {"abc", "d"}}, {"\0\0"s, {}}, {"e\r\n", {"e"}}}},
        Scenario{"BannerWithoutARequestEndsAtTheFirstSilentTick",
                 {{"TAV-1000 v1.26\r\n", {"TAV-1000 v1.26"}},
                  {"e1\r\n", {"e1"}},
                  {"e2", {}},
                  {"\r\n", {"e2"}},
                  {"", {std::string(kEnd)}},
                  {"", {}},
                  {"e3\r\n", {"e3"}},
                  {"", {}}}},
        Scenario{"BannerInAnIncompleteLineCountsOnce",
                 {{"TAV-2000 v1.1", {}},
                  {"", {std::string(kEnd)}},
                  {"4 historia\r\n", {"TAV-2000 v1.14 historia"}},
                  {"", {}}}},
        Scenario{"BannerSplitBetweenChunks",
                 {{"x TAV-10", {}},
                  {"", {}},
                  {"00 v1.26\r\n", {"x TAV-1000 v1.26"}},
                  {"", {std::string(kEnd)}}}},
        Scenario{"TwoBannersTwoEndMarkers",
                 {{"TAV-1000 v1.2\r\n", {"TAV-1000 v1.2"}},
                  {"", {std::string(kEnd)}},
                  {"TAV-1000 v1.2\r\n", {"TAV-1000 v1.2"}},
                  {"", {std::string(kEnd)}}}},
        // A banner still waiting when the history is requested was counted before.
        Scenario{"HistoryRequestStartsOver",
                 {{"TAV-1000 v1.26 ", {}},
                  {"<hi>", {std::string(kHistoryStartMarker)}},
                  {"rest\r\n", {"TAV-1000 v1.26 rest"}},
                  {"", {}},
                  {"TAV-1000 v1.26\r\nz1\r\n", {"TAV-1000 v1.26", "z1"}},
                  {"", {std::string(kEnd)}}}},
        Scenario{"RestartDropsWaitingTextKeepsTheHistoryState",
                 {{"TAV-1000 v1.26 half a li", {}},
                  {"<start>", {}},
                  {"", {std::string(kEnd)}},
                  {"ne\r\n", {"ne"}},
                  {"", {}}}}),
    [](const auto& info) { return std::string(info.param.name); });

struct LongLine {
    std::size_t length;
    std::size_t chunkSize;
    std::vector<std::size_t> pieces;
    friend void PrintTo(const LongLine& l, std::ostream* os) {
        *os << l.length << " characters in chunks of " << l.chunkSize;
    }
};

class EventLineLongLines : public ::testing::TestWithParam<LongLine> {};

TEST_P(EventLineLongLines, GoOnInPiecesWithNothingLost) {
    const LongLine& p = GetParam();
    std::string text;
    for (std::size_t i = 0; i < p.length; ++i) {
        text.push_back(static_cast<char>('A' + i % 26));
    }
    const std::string stream = text + "\r\n";
    Recorder r;
    std::vector<std::string> all;
    for (std::size_t at = 0; at < stream.size(); at += p.chunkSize) {
        for (auto& l : r.Tick(std::string_view(stream).substr(at, p.chunkSize))) {
            all.push_back(std::move(l));
        }
        ASSERT_LE(r.assembler.pending().size(), kLineAccumulatorCapacity);
    }
    std::string joined;
    std::vector<std::size_t> sizes;
    for (const auto& l : all) {
        joined += l;
        sizes.push_back(l.size());
    }
    EXPECT_EQ(joined, text);
    EXPECT_TRUE(r.assembler.pending().empty());
    if (!p.pieces.empty()) {
        EXPECT_EQ(sizes, p.pieces);
    }
    for (std::size_t s : sizes) {
        EXPECT_LE(s, kMaxEventLineLength);
    }
}

INSTANTIATE_TEST_SUITE_P(Lengths, EventLineLongLines,
                         ::testing::Values(LongLine{1023, 1024, {1023}},
                                           LongLine{1024, 100, {1023, 1}},
                                           LongLine{2500, 1000, {1023, 1023, 454}},
                                           // Past the accumulator's capacity without a
                                           // line feed; pieces leave early, in order.
                                           LongLine{70000, 1024, {}}, LongLine{200000, 5000, {}}));

// The history button's version rule, over the fake port.
struct HistoryVersion {
    std::uint8_t major;
    std::uint8_t minor;
    bool sent;
    friend void PrintTo(const HistoryVersion& v, std::ostream* os) {
        *os << std::hex << int{v.major} << '.' << int{v.minor};
    }
};

class EventHistoryRequest : public ::testing::TestWithParam<HistoryVersion> {};

TEST_P(EventHistoryRequest, SendsHiFromVersion112On) {
    linktest::Rig rig;
    sim::VersionBytes version = sim::kDefaultApplicationVersion;
    version[4] = GetParam().major;
    version[5] = GetParam().minor;
    rig.receiver->SetApplicationVersion(version);
    Recorder r;
    rig.ctx.onlineReception = true;
    ASSERT_TRUE(StartOnlineReception(rig.ctx, r.assembler));
    rig.host.log.clear();
    const std::size_t writtenBefore = rig.device.Written().size();

    const HistoryRequestOutcome outcome = RequestEventHistory(rig.ctx, r.assembler);

    const std::vector<std::uint8_t> written = rig.device.Written();
    const std::vector<std::uint8_t> after(written.begin() + static_cast<long>(writtenBefore),
                                          written.end());
    if (GetParam().sent) {
        EXPECT_EQ(outcome, HistoryRequestOutcome::kSent);
        EXPECT_EQ(after, (std::vector<std::uint8_t>{'h', 'i'}));
        EXPECT_THAT(r.lines, ElementsAre(std::string(kHistoryStartMarker)));
        EXPECT_THAT(rig.host.Messages(), IsEmpty());
    } else {
        EXPECT_EQ(outcome, HistoryRequestOutcome::kVersionTooLow);
        EXPECT_THAT(after, IsEmpty());
        EXPECT_THAT(r.lines, IsEmpty());
        EXPECT_THAT(rig.host.Messages(), ElementsAre(std::string(kHistoryVersionNotice) + " | "));
    }
    EXPECT_TRUE(rig.link.IsOpen());
}

INSTANTIATE_TEST_SUITE_P(Versions, EventHistoryRequest,
                         ::testing::Values(HistoryVersion{0x01, 0x11, false},
                                           HistoryVersion{0x00, 0x99, false},
                                           HistoryVersion{0x01, 0x12, true},
                                           HistoryVersion{0x01, 0x29, true},
                                           HistoryVersion{0x02, 0x00, true}));

}  // namespace
}  // namespace tav
