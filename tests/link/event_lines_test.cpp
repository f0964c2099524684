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

// One tick of a scenario: the chunk read ("" = nothing arrived) and the lines
// that tick must hand on.
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
        EXPECT_EQ(r.Tick(t.chunk), t.lines) << "tick " << n;
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
                  {"", {std::string(kEnd)}}}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(EventLineAssembler, HistoryRequestStartsOverAndKeepsCountedBanners) {
    Recorder r;
    r.Tick("TAV-1000 v1.26 ");
    EXPECT_EQ(r.assembler.history(), HistoryState::kBannerSeen);
    r.lines.clear();
    r.assembler.BeginHistory();
    EXPECT_THAT(r.lines, ElementsAre(std::string(kHistoryStartMarker)));
    EXPECT_EQ(r.assembler.history(), HistoryState::kNoBanner);
    // The banner still waiting in the accumulator was counted before the request.
    EXPECT_THAT(r.Tick("rest\r\n"), ElementsAre("TAV-1000 v1.26 rest"));
    EXPECT_THAT(r.Tick(""), IsEmpty());
    EXPECT_THAT(r.Tick("TAV-1000 v1.26\r\nz1\r\n"), ElementsAre("TAV-1000 v1.26", "z1"));
    EXPECT_THAT(r.Tick(""), ElementsAre(std::string(kEnd)));
    EXPECT_EQ(r.assembler.history(), HistoryState::kEndMarkerShown);
}

TEST(EventLineAssembler, RestartDropsWaitingTextButKeepsTheHistoryState) {
    Recorder r;
    r.Tick("TAV-1000 v1.26 half a li");
    r.assembler.StartReception();
    EXPECT_THAT(r.assembler.pending(), IsEmpty());
    EXPECT_THAT(r.Tick(""), ElementsAre(std::string(kEnd)));
    EXPECT_THAT(r.Tick("ne\r\n"), ElementsAre("ne"));
    EXPECT_THAT(r.Tick(""), IsEmpty());
}

struct LongLine {
    std::size_t length;
    std::size_t chunkSize;
    std::vector<std::size_t> pieces;
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

// The history button's version rule and the reception of one poll, over the
// fake port.
struct HistoryVersion {
    std::uint8_t major;
    std::uint8_t minor;
    bool sent;
};

class EventHistoryRequest : public ::testing::TestWithParam<HistoryVersion> {};

TEST_P(EventHistoryRequest, SendsHiFromVersion112On) {
    linktest::Rig rig;
    linktest::ScriptedReceiver& receiver = rig.Attach();
    receiver.version[4] = GetParam().major;
    receiver.version[5] = GetParam().minor;
    Recorder r;
    rig.host.online = true;
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

TEST(OnlineReception, PollHandsOnWhatArrivedAndStartNeedsAVersionAnswer) {
    linktest::Rig rig;
    rig.Attach();
    Recorder r;
    r.Tick("left from before");
    ASSERT_TRUE(StartOnlineReception(rig.ctx, r.assembler));
    EXPECT_THAT(r.assembler.pending(), IsEmpty());
    rig.device.Deliver({'e', '1', '\r', '\n', 'e', '2'});
    r.lines.clear();
    PollEventStream(rig.ctx, r.assembler);
    EXPECT_THAT(r.lines, ElementsAre("e1"));
    EXPECT_EQ(r.assembler.pending(), "e2");
    rig.link.ClosePort();

    linktest::Rig silent;  // nothing answers the version query
    EXPECT_FALSE(StartOnlineReception(silent.ctx, r.assembler));
    EXPECT_FALSE(silent.link.IsOpen());
}

}  // namespace
}  // namespace tav
