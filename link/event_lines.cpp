#include "event_lines.h"

#include <algorithm>
#include <array>
#include <utility>

namespace tav {

namespace {

constexpr std::size_t kBannerLength = kReceiverBanners[0].size();
static_assert(kReceiverBanners[1].size() == kBannerLength);

}  // namespace

EventLineAssembler::EventLineAssembler(LineSink sink) : sink_(std::move(sink)) {
    accumulator_.reserve(kLineAccumulatorCapacity);
}

void EventLineAssembler::StartReception() {
    accumulator_.clear();
    bannerSearched_ = 0;
}

void EventLineAssembler::BeginHistory() {
    history_ = HistoryState::kNoBanner;
    sink_(kHistoryStartMarker);
}

void EventLineAssembler::Poll(std::span<const std::uint8_t> chunk) {
    if (chunk.empty()) {
        // Every complete line went out in the tick it arrived, so a silent tick
        // finds none left: the history, if one was coming, is over.
        if (history_ == HistoryState::kBannerSeen) {
            sink_(kHistoryEndMarker);
            history_ = HistoryState::kEndMarkerShown;
        }
        return;
    }
    // Taken in slices no bigger than one read, so that the room made below
    // always keeps the accumulator within its capacity.
    while (!chunk.empty()) {
        const std::size_t take = std::min(chunk.size(), kEventChunkSize);
        Append(chunk.first(take));
        chunk = chunk.subspan(take);
        CountNewBanners();
        DrainCompleteLines();
    }
}

void EventLineAssembler::Append(std::span<const std::uint8_t> bytes) {
    // The accumulator never holds a line feed here, so text that would not fit
    // can only go on as pieces of one overlong line.
    while (accumulator_.size() + bytes.size() > kLineAccumulatorCapacity) {
        HandOnFront(std::min(kMaxEventLineLength, accumulator_.size()));
    }
    for (const std::uint8_t b : bytes) {
        if (b != 0) {
            accumulator_.push_back(static_cast<char>(b));
        }
    }
}

void EventLineAssembler::CountNewBanners() {
    // Only banners that end in the text added since the last search count; one
    // split between two chunks is found once its last byte arrives.
    std::size_t from = bannerSearched_ >= kBannerLength ? bannerSearched_ - kBannerLength + 1 : 0;
    const std::string_view text = accumulator_;
    for (;;) {
        std::size_t hit = std::string_view::npos;
        for (const std::string_view banner : kReceiverBanners) {
            hit = std::min(hit, text.find(banner, from));
        }
        if (hit == std::string_view::npos) {
            break;
        }
        history_ = HistoryState::kBannerSeen;
        from = hit + kBannerLength;
    }
    bannerSearched_ = accumulator_.size();
}

void EventLineAssembler::HandOnLine(std::string_view text) {
    do {
        const std::size_t piece = std::min(text.size(), kMaxEventLineLength);
        sink_(text.substr(0, piece));
        text.remove_prefix(piece);
    } while (!text.empty());
}

void EventLineAssembler::HandOnFront(std::size_t count) {
    HandOnLine(std::string_view(accumulator_).substr(0, count));
    accumulator_.erase(0, count);
    bannerSearched_ -= std::min(bannerSearched_, count);
}

void EventLineAssembler::DrainCompleteLines() {
    std::size_t start = 0;
    const std::string_view text = accumulator_;
    for (std::size_t lf = text.find('\n'); lf != std::string_view::npos;
         lf = text.find('\n', start)) {
        std::string_view line = text.substr(start, lf - start);
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        HandOnLine(line);
        start = lf + 1;
    }
    accumulator_.erase(0, start);
    bannerSearched_ -= std::min(bannerSearched_, start);
}

HistoryRequestOutcome RequestEventHistory(DeviceContext& ctx, EventLineAssembler& lines) {
    if (!HistoryRequestAllowed(ctx.version)) {
        ctx.host.ShowMessage(kHistoryVersionNotice, "");
        return HistoryRequestOutcome::kVersionTooLow;
    }
    lines.BeginHistory();
    HistoryRequest(ctx);
    return HistoryRequestOutcome::kSent;
}

bool StartOnlineReception(DeviceContext& ctx, EventLineAssembler& lines) {
    lines.StartReception();
    if (!OpenSelectedPort(ctx).opened) {
        return false;
    }
    const VersionKind kind = QueryVersion(ctx);
    if (kind != VersionKind::kApplication && kind != VersionKind::kBootLoader) {
        ctx.link.ClosePort();
        return false;
    }
    ctx.link.Flush();
    return true;
}

void PollEventStream(DeviceContext& ctx, EventLineAssembler& lines) {
    std::array<std::uint8_t, kEventChunkSize> chunk{};
    const int n = ctx.link.ReadQueued(chunk);
    lines.Poll(std::span<const std::uint8_t>(chunk).first(n > 0 ? static_cast<std::size_t>(n) : 0));
}

}  // namespace tav
