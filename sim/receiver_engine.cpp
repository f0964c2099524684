#include "sim/receiver_engine.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>

#include "image/settings_file.h"

namespace tav::sim {
namespace {

using wire::kBulkRead;
using wire::kBulkReadNext;
using wire::kBulkWrite;
using wire::kReadRecord;
using wire::kSetClock;
using wire::kVersionQuery;
using wire::kWriteRecord;
constexpr std::uint8_t kHistoryH = wire::kHistoryRequest[0];
constexpr std::uint8_t kHistoryI = wire::kHistoryRequest[1];

constexpr int kClockBytes = static_cast<int>(wire::kClockFrameSize);
constexpr int kRecordBytes = static_cast<int>(kRecordSize);

// The 8-bit sum of the data bytes (the tool's FrameChecksum; sim/ does not
// depend on link/).
std::uint8_t Checksum(std::span<const std::uint8_t> bytes) {
    unsigned sum = 0;
    for (std::uint8_t b : bytes) {
        sum += b;
    }
    return static_cast<std::uint8_t>(sum & 0xFF);
}

bool IsOnce(FaultKind kind) {
    return kind == FaultKind::GarbageBeforeAnswer || kind == FaultKind::ShortAnswer;
}

}  // namespace

ReceiverEngine::ReceiverEngine(ReceiverOptions options) : options_(std::move(options)) {}

void ReceiverEngine::SetMode(ReceiverMode mode) {
    options_.mode = mode;
    state_ = ParseState::Idle;
}

const VersionBytes& ReceiverEngine::Version() const {
    return options_.mode == ReceiverMode::Application ? options_.applicationVersion
                                                      : options_.bootLoaderVersion;
}

void ReceiverEngine::SetVersion(const VersionBytes& version) {
    if (options_.mode == ReceiverMode::Application) {
        options_.applicationVersion = version;
    } else {
        options_.bootLoaderVersion = version;
    }
}

void ReceiverEngine::AppendHistory(std::string line) {
    options_.history.push_back(std::move(line));
    if (options_.historyLimit > 0 && options_.history.size() > options_.historyLimit) {
        const auto excess = options_.history.size() - options_.historyLimit;
        options_.history.erase(options_.history.begin(),
                               options_.history.begin() + static_cast<std::ptrdiff_t>(excess));
    }
}

void ReceiverEngine::InjectFault(const Fault& fault) {
    if (IsOnce(fault.kind)) {
        once_.push_back({fault, std::max(0, fault.at)});
    }
    faults_.push_back(fault);
}

void ReceiverEngine::ClearFaults() {
    faults_.clear();
    once_.clear();
}

bool ReceiverEngine::HasFault(FaultKind kind, int index) const {
    return std::any_of(faults_.begin(), faults_.end(),
                       [&](const Fault& f) { return f.kind == kind && f.at == index; });
}

void ReceiverEngine::StoreRecord(int record, std::span<const std::uint8_t> data) {
    auto target = options_.memory.RecordAt(record);
    std::copy(data.begin(), data.end(), target.begin());
    for (const Fault& f : faults_) {
        if (f.kind == FaultKind::StoresOtherAtRecord && f.at == record && f.count >= 0 &&
            f.count < static_cast<int>(kRecordSize)) {
            target[static_cast<std::size_t>(f.count)] ^= 0xFF;
        }
    }
    ++recordsWritten_;
}

bool ReceiverEngine::SilentFrom(FaultKind kind, int index) const {
    return std::any_of(faults_.begin(), faults_.end(),
                       [&](const Fault& f) { return f.kind == kind && index >= f.at; });
}

void ReceiverEngine::AbortFrame() {
    state_ = ParseState::Idle;
    count_ = 0;
}

std::vector<std::uint8_t> ReceiverEngine::RecordFrame(int record) const {
    std::vector<std::uint8_t> frame(kRecordSize + 1);
    const ConstRecord data = options_.memory.RecordAt(record);
    std::copy(data.begin(), data.end(), frame.begin());
    std::uint8_t sum = Checksum(data);
    if (HasFault(FaultKind::BadChecksumAtRecord, record)) {
        sum = static_cast<std::uint8_t>(sum + 1);
    }
    frame[kRecordSize] = sum;
    return frame;
}

std::optional<Reply> ReceiverEngine::Answer(std::vector<std::uint8_t> bytes, int delayMs) {
    // One-shot faults count answers down; the ones due now shape this answer.
    std::vector<std::uint8_t> garbage;
    for (auto it = once_.begin(); it != once_.end();) {
        if (it->answersLeft > 0) {
            --it->answersLeft;
            ++it;
            continue;
        }
        if (it->fault.kind == FaultKind::ShortAnswer) {
            bytes.resize(
                std::min(bytes.size(), static_cast<std::size_t>(std::max(0, it->fault.count))));
        } else {
            for (int i = 0; i < it->fault.count; ++i) {
                garbage.push_back(
                    kGarbagePattern[static_cast<std::size_t>(i) % kGarbagePattern.size()]);
            }
        }
        it = once_.erase(it);
    }
    bytes.insert(bytes.begin(), garbage.begin(), garbage.end());
    if (bytes.empty()) {
        return std::nullopt;
    }
    return Reply{std::chrono::milliseconds(std::max(0, delayMs)), std::move(bytes)};
}

std::vector<std::uint8_t> ReceiverEngine::EventLineBytes(const std::string& line) {
    std::vector<std::uint8_t> bytes(line.begin(), line.end());
    bytes.push_back('\r');
    bytes.push_back('\n');
    return bytes;
}

std::string ReceiverEngine::DemoEventLine(int counter, const std::array<std::uint8_t, 6>& bcd) {
    static constexpr const char* kActions[] = {"zalaczony", "wylaczony", "impuls", "zmiana stanu"};
    const unsigned n = static_cast<unsigned>(counter);
    const unsigned transmitter = 1 + (n * 37u + 11u) % 1000u;
    const unsigned button = 1 + (n * 5u + 2u) % 14u;
    const unsigned relay = 1 + (n * 3u + 1u) % 4u;
    char text[128];
    std::snprintf(text, sizeof text,
                  "20%02x-%02x-%02x %02x:%02x:%02x nadajnik %04u przycisk %u przekaznik %u %s",
                  bcd[5], bcd[4], bcd[3], bcd[2], bcd[1], bcd[0], transmitter, button, relay,
                  kActions[n % 4u]);
    return text;
}

std::vector<std::uint8_t> ReceiverEngine::ReceiveAll(std::span<const std::uint8_t> bytes) {
    std::vector<std::uint8_t> out;
    for (std::uint8_t b : bytes) {
        if (auto reply = Receive(b)) {
            out.insert(out.end(), reply->bytes.begin(), reply->bytes.end());
        }
    }
    return out;
}

std::optional<Reply> ReceiverEngine::Command(std::uint8_t byte) {
    state_ = ParseState::Idle;
    count_ = 0;
    if (options_.mode == ReceiverMode::BootLoader) {
        // The boot loader knows only "?" and "F".
        if (byte == kVersionQuery) {
            return Answer(std::vector<std::uint8_t>(Version().begin(), Version().end()),
                          options_.pacing.afterHeaderMs);
        }
        if (byte == wire::kFirmwareTransfer) {
            state_ = ParseState::Firmware;
            record_ = 0;
            firmware_.clear();
        }
        return std::nullopt;
    }
    switch (byte) {
        case kVersionQuery:
            return Answer(std::vector<std::uint8_t>(Version().begin(), Version().end()),
                          options_.pacing.afterHeaderMs);
        case kReadRecord:
            state_ = ParseState::ReadRecordNumber;
            record_ = 0;
            return std::nullopt;
        case kWriteRecord:
            state_ = ParseState::WriteRecordNumber;
            record_ = 0;
            return std::nullopt;
        case kSetClock:
            state_ = ParseState::ClockData;
            return std::nullopt;
        case wire::kEraseMemory: {
            auto all = options_.memory.Bytes();
            std::fill(all.begin(), all.end(), std::uint8_t{0xFF});
            return std::nullopt;
        }
        case kBulkRead:
            record_ = 0;
            if (SilentFrom(FaultKind::SilenceFromRecord, 0)) {
                state_ = ParseState::Muted;
                return std::nullopt;
            }
            state_ = ParseState::BulkRead;
            return Answer(RecordFrame(0), options_.pacing.afterHeaderMs);
        case kBulkWrite:
            state_ = ParseState::BulkWrite;
            record_ = 0;
            return std::nullopt;
        case kHistoryH:
            state_ = ParseState::HistoryI;
            return std::nullopt;
        default:
            // "x" outside a bulk read, "F" in the application, anything else:
            // not a command; ignored.
            return std::nullopt;
    }
}

std::optional<Reply> ReceiverEngine::StoreAndEcho(int record, std::uint8_t checksum) {
    const std::span<const std::uint8_t> data(buffer_.data(), kRecordSize);
    const std::uint8_t sum = Checksum(data);
    if (checksum == sum) {
        StoreRecord(record, data);
    }
    const bool wrong = HasFault(FaultKind::WrongEchoAtRecord, record);
    return Answer({static_cast<std::uint8_t>(wrong ? sum ^ 0xFF : sum)},
                  options_.pacing.recordWriteMs);
}

std::optional<Reply> ReceiverEngine::Receive(std::uint8_t byte) {
    switch (state_) {
        case ParseState::Idle:
            return Command(byte);

        case ParseState::ReadRecordNumber:
            record_ = record_ * 256 + byte;
            if (++count_ < 2) {
                return std::nullopt;
            }
            state_ = ParseState::Idle;
            count_ = 0;
            // A record number beyond 1023 names no record: no answer.
            if (record_ >= kRecordCount || SilentFrom(FaultKind::SilenceFromRecord, record_)) {
                return std::nullopt;
            }
            return Answer(RecordFrame(record_), options_.pacing.afterHeaderMs);

        case ParseState::WriteRecordNumber:
            record_ = record_ * 256 + byte;
            if (++count_ < 2) {
                return std::nullopt;
            }
            state_ = ParseState::WriteRecordData;
            count_ = 0;
            return std::nullopt;

        case ParseState::WriteRecordData: {
            if (count_ < kRecordBytes) {
                buffer_[static_cast<std::size_t>(count_++)] = byte;
                return std::nullopt;
            }
            state_ = ParseState::Idle;
            count_ = 0;
            if (record_ >= kRecordCount || SilentFrom(FaultKind::SilenceFromRecord, record_)) {
                return std::nullopt;
            }
            return StoreAndEcho(record_, byte);
        }

        case ParseState::ClockData: {
            if (count_ < kClockBytes) {
                buffer_[static_cast<std::size_t>(count_++)] = byte;
                return std::nullopt;
            }
            state_ = ParseState::Idle;
            count_ = 0;
            const std::span<const std::uint8_t> data(buffer_.data(), kClockBytes);
            const std::uint8_t sum = Checksum(data);
            if (byte == sum) {
                std::copy(data.begin(), data.end(), clock_.bytes.begin());
                clock_.set = true;
            }
            return Answer({sum}, options_.pacing.recordWriteMs);
        }

        case ParseState::HistoryI: {
            state_ = ParseState::Idle;
            if (byte != kHistoryI) {
                return Command(byte);
            }
            std::vector<std::uint8_t> text = EventLineBytes(options_.historyBanner);
            for (const std::string& line : options_.history) {
                const auto bytes = EventLineBytes(line);
                text.insert(text.end(), bytes.begin(), bytes.end());
            }
            return Answer(std::move(text), options_.pacing.afterHeaderMs);
        }

        case ParseState::BulkRead:
            if (byte != kBulkReadNext) {
                // Anything but "x" ends the bulk read and counts as a command.
                return Command(byte);
            }
            if (++record_ >= kRecordCount) {
                state_ = ParseState::Idle;
                return std::nullopt;
            }
            if (SilentFrom(FaultKind::SilenceFromRecord, record_)) {
                state_ = ParseState::Muted;
                return std::nullopt;
            }
            return Answer(RecordFrame(record_), 0);

        case ParseState::BulkWrite: {
            if (count_ < kRecordBytes) {
                buffer_[static_cast<std::size_t>(count_++)] = byte;
                return std::nullopt;
            }
            count_ = 0;
            const int record = record_++;
            if (record_ >= kRecordCount) {
                state_ = ParseState::Idle;
            }
            if (SilentFrom(FaultKind::SilenceFromRecord, record)) {
                state_ = ParseState::Muted;
                return std::nullopt;
            }
            return StoreAndEcho(record, byte);
        }

        case ParseState::Firmware: {
            if (count_ < kFirmwareBlockSize) {
                buffer_[static_cast<std::size_t>(count_++)] = byte;
                return std::nullopt;
            }
            count_ = 0;
            const int block = record_++;
            if (SilentFrom(FaultKind::SilenceFromBlock, block)) {
                state_ = ParseState::Muted;
                return std::nullopt;
            }
            const std::uint8_t sum = Checksum(buffer_);
            if (byte == sum) {
                firmware_.insert(firmware_.end(), buffer_.begin(), buffer_.end());
            }
            if (record_ >= kFirmwareBlockCount) {
                state_ = ParseState::Idle;
                if (options_.restartAfterFirmware) {
                    options_.mode = ReceiverMode::Application;
                }
            }
            const bool wrong = HasFault(FaultKind::WrongEchoAtBlock, block);
            return Answer({static_cast<std::uint8_t>(wrong ? sum ^ 0xFF : sum)},
                          options_.pacing.firmwareBlockMs);
        }

        case ParseState::Muted:
            return std::nullopt;
    }
    return std::nullopt;
}

MemoryImage ErasedMemory() {
    MemoryImage image;
    auto all = image.Bytes();
    std::fill(all.begin(), all.end(), std::uint8_t{0xFF});
    return image;
}

bool LoadMemoryFromSettingsFile(const std::string& path, MemoryImage* memory, std::string* error) {
    MemoryImage image;
    const SettingsLoadResult result = ReadSettingsFile(image, std::filesystem::path(path));
    if (result == SettingsLoadResult::Loaded) {
        *memory = image;
        return true;
    }
    if (error != nullptr) {
        *error = path + ": " + std::string(LoadMessage(result).reason);
    }
    return false;
}

}  // namespace tav::sim
