// On-line event reception: the receiver's text stream cut into the lines the
// event view shows, with the history markers around a downloaded history.
//
// Nothing here knows about windows or terminals: whoever runs reception feeds
// the assembler one chunk per clock tick and gets each finished line through a
// callback, as single-byte Windows-1250 text.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>

#include "protocol.h"

namespace tav {

// One poll reads at most this many bytes.
inline constexpr std::size_t kEventChunkSize = 1024;
// Longest line handed on; longer text is handed on in several lines.
inline constexpr std::size_t kMaxEventLineLength = 1023;
// Most text kept while waiting for a line feed.
inline constexpr std::size_t kLineAccumulatorCapacity = 65535;

// Texts the receiver sends when it starts its history, looked for anywhere.
inline constexpr std::string_view kReceiverBanners[] = {"TAV-1000 v1.", "TAV-2000 v1."};
inline constexpr std::string_view kHistoryStartMarker = "--- poczatek historii zdarzen ---";
// The one added line that carries its own line feed.
inline constexpr std::string_view kHistoryEndMarker = "--- koniec historii zdarzen ---\n";
// Shown (empty caption) instead of a history request below software 1.12.
inline constexpr std::string_view kHistoryVersionNotice =
    "Dla TAV-1000/1000R w wersji oprogramowania niższej niż 1.12 należy recznie wybrac z menu: "
    "Pozostale->Wysylanie zdarzen z wyborem";

enum class HistoryState {
    kNoBanner = 0,        // no receiver banner since the last history request
    kBannerSeen = 1,      // a banner arrived; the end marker follows at a silent tick
    kEndMarkerShown = 2,  // the end marker has been handed on
};

// LineAccumulator and HistoryState of on-line reception.
class EventLineAssembler {
  public:
    // Receives each finished line, without its line ending (the end marker
    // excepted, which ends in "\n").
    using LineSink = std::function<void(std::string_view line)>;

    explicit EventLineAssembler(LineSink sink);

    // Reception starts: the text still waiting for its line feed is dropped.
    // The history state is kept.
    void StartReception();

    // An allowed history request: history state back to 0 and the start marker
    // handed on.
    void BeginHistory();

    // One clock tick with the bytes read in it; an empty chunk is a silent tick.
    // Hands on every line completed so far, in order. A line ends at a line
    // feed, and a carriage return just before it is dropped; zero bytes are
    // dropped. Text beyond kMaxEventLineLength (in one line) or beyond
    // kLineAccumulatorCapacity (without a line feed) goes on in several lines.
    // Each banner counts once: it moves the history state to 1 in the tick it
    // arrives; at the first silent tick in state 1 the end marker follows.
    void Poll(std::span<const std::uint8_t> chunk);

    HistoryState history() const { return history_; }
    // The text still waiting for its line feed.
    std::string_view pending() const { return accumulator_; }

  private:
    void Append(std::span<const std::uint8_t> bytes);
    void CountNewBanners();
    void HandOnLine(std::string_view text);
    void HandOnFront(std::size_t count);
    void DrainCompleteLines();

    LineSink sink_;
    std::string accumulator_;
    // Bytes of the accumulator already searched for banners: a banner that
    // ends at or before this point has been counted.
    std::size_t bannerSearched_ = 0;
    HistoryState history_ = HistoryState::kNoBanner;
};

enum class HistoryRequestOutcome { kSent, kVersionTooLow };

// The history button while reception holds the port: from software 1.12 on,
// the start marker and "hi"; below it, the notice with an empty caption and
// nothing sent.
HistoryRequestOutcome RequestEventHistory(DeviceContext& ctx, EventLineAssembler& lines);

// The start button's work after the flag is on: empties the accumulator,
// opens the selected port (its message on failure) and asks the version (an
// answer from the application or the boot loader will do), then flushes the
// output. False when reception cannot run; the port is then closed.
bool StartOnlineReception(DeviceContext& ctx, EventLineAssembler& lines);

// One poll of the open port: a read of at most kEventChunkSize bytes without
// waiting, handed to the assembler (nothing read: a silent tick).
void PollEventStream(DeviceContext& ctx, EventLineAssembler& lines);

}  // namespace tav
