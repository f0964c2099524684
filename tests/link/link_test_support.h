// Shared pieces of the link tests: a scripted receiver behind the fake port,
// a host that records every call, and a rig that wires them to a link.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "image/memory_image.h"
#include "link/protocol.h"
#include "link/testing/fake_serial_port.h"

namespace tav::linktest {

using fake::FakeClock;
using fake::FakeSerialDevice;
using fake::PortCall;
using Bytes = std::vector<std::uint8_t>;
using namespace std::chrono_literals;

inline std::uint8_t Sum(std::span<const std::uint8_t> b) {
    return FrameChecksum(b);
}

// Answers the receiver's command set from its own memory, after `latency`.
// Faults count records (or firmware blocks); -1 is off.
struct ScriptedReceiver {
    DeviceVersion version{0x76, 0x07, 0x01, 0x00, 0x01, 0x26};
    MemoryImage memory;
    fake::Nanos latency = 1ms;
    int badChecksumAt = -1;  // "p"/"P": that record's checksum is off by one
    int silentFrom = -1;     // records / blocks from here get no answer
    int wrongEchoAt = -1;    // "z"/"Z"/"F": that echo is the checksum XOR 0xFF
    Bytes firmware;          // blocks taken
    Bytes clockFrame;        // the 6 bytes of the last "t"
    int erases = 0;
    int historyRequests = 0;

    void operator()(FakeSerialDevice& device, std::span<const std::uint8_t> bytes) {
        for (std::uint8_t b : bytes) {
            Feed(device, b);
        }
    }

  private:
    enum class State { Idle, Read, Write, Clock, History, BulkRead, BulkWrite, Firmware };
    State state_ = State::Idle;
    Bytes frame_;
    std::size_t want_ = 0;
    int index_ = 0;

    void Answer(FakeSerialDevice& d, Bytes b) { d.Deliver(std::move(b), latency); }
    void SendRecord(FakeSerialDevice& d, int record) {
        if (silentFrom >= 0 && record >= silentFrom) {
            return;
        }
        const auto r = memory.RecordAt(record);
        Bytes out(r.begin(), r.end());
        out.push_back(static_cast<std::uint8_t>(Sum(r) + (record == badChecksumAt ? 1 : 0)));
        Answer(d, std::move(out));
    }
    void Echo(FakeSerialDevice& d, int index, std::span<const std::uint8_t> data) {
        if (silentFrom >= 0 && index >= silentFrom) {
            return;
        }
        const std::uint8_t right = Sum(data);
        Answer(d, {static_cast<std::uint8_t>(index == wrongEchoAt ? right ^ 0xFF : right)});
    }
    void Expect(State s, std::size_t n) {
        state_ = s;
        want_ = n;
        frame_.clear();
    }
    void Feed(FakeSerialDevice& d, std::uint8_t b) {
        if (state_ == State::Idle) {
            switch (b) {
                case '?':
                    Answer(d, Bytes(version.begin(), version.end()));
                    break;
                case 'p':
                    Expect(State::Read, 2);
                    break;
                case 'z':
                    Expect(State::Write, 35);
                    break;
                case 't':
                    Expect(State::Clock, 7);
                    break;
                case 'c':
                    ++erases;
                    break;
                case 'h':
                    Expect(State::History, 1);
                    break;
                case 'P':
                    index_ = 0;
                    state_ = State::BulkRead;
                    SendRecord(d, 0);
                    break;
                case 'Z':
                    index_ = 0;
                    Expect(State::BulkWrite, 33);
                    break;
                case 'F':
                    index_ = 0;
                    firmware.clear();
                    Expect(State::Firmware, 129);
                    break;
                default:
                    break;
            }
            return;
        }
        if (state_ == State::BulkRead) {
            if (b == 'x' && ++index_ < kRecordCount) {
                SendRecord(d, index_);
            } else if (index_ >= kRecordCount) {
                state_ = State::Idle;
            }
            return;
        }
        frame_.push_back(b);
        if (frame_.size() < want_) {
            return;
        }
        const auto data = std::span<const std::uint8_t>(frame_).subspan(0, want_ - 1);
        switch (state_) {
            case State::Read:
                state_ = State::Idle;
                SendRecord(d, frame_[0] * 256 + frame_[1]);
                return;
            case State::Write: {
                const int record = frame_[0] * 256 + frame_[1];
                const auto body = std::span<const std::uint8_t>(frame_).subspan(2, 32);
                if (Sum(body) == frame_[34]) {
                    std::copy(body.begin(), body.end(), memory.RecordAt(record).begin());
                }
                state_ = State::Idle;
                Echo(d, record, body);
                return;
            }
            case State::Clock:
                clockFrame.assign(data.begin(), data.end());
                state_ = State::Idle;
                Echo(d, 0, data);
                return;
            case State::History:
                historyRequests += b == 'i';
                state_ = State::Idle;
                return;
            case State::BulkWrite:
                std::copy(data.begin(), data.end(), memory.RecordAt(index_).begin());
                Echo(d, index_, data);
                frame_.clear();
                if (++index_ == kRecordCount) {
                    state_ = State::Idle;
                }
                return;
            case State::Firmware:
                firmware.insert(firmware.end(), data.begin(), data.end());
                Echo(d, index_, data);
                frame_.clear();
                if (++index_ == kFirmwareBlocksForTest) {
                    state_ = State::Idle;
                }
                return;
            default:
                return;
        }
    }
    static constexpr int kFirmwareBlocksForTest = 240;
};

// Records every host call as one line of text, in order.
class RecordingHost final : public OperationHost {
  public:
    std::vector<std::string> log;
    bool online = false;
    int portIndex = 0;
    int remote = 0;
    // Called from inside ShowMessage, e.g. to try a nested operation.
    std::function<void()> onMessage;

    void ShowMessage(std::string_view text, std::string_view caption) override {
        log.push_back("msg " + std::string(text) + " | " + std::string(caption));
        if (onMessage) {
            onMessage();
        }
    }
    void ShowVersionText(std::string_view text) override {
        log.push_back("version " + std::string(text));
    }
    void SetProgressRange(int minimum, int maximum) override {
        log.push_back("range " + std::to_string(minimum) + ".." + std::to_string(maximum));
    }
    void SetProgressPosition(int position) override {
        log.push_back("pos " + std::to_string(position));
    }
    void ResetProgress() override { log.push_back("reset"); }
    void RefreshRemoteGrid() override { log.push_back("RefreshRemoteGrid"); }
    void ShowSelectedRemote() override { log.push_back("ShowSelectedRemote"); }
    void RefreshScenarioPage() override { log.push_back("RefreshScenarioPage"); }
    void RefreshScenarioGrid() override { log.push_back("RefreshScenarioGrid"); }
    void ShowDisplaySettings() override { log.push_back("ShowDisplaySettings"); }
    void ShowClockEvents() override { log.push_back("ShowClockEvents"); }
    void RefreshSettingsPage() override { log.push_back("RefreshSettingsPage"); }
    void RepaintWindow() override { log.push_back("RepaintWindow"); }
    bool OnlineReceptionActive() const override { return online; }
    int SelectedPortIndex() const override { return portIndex; }
    int SelectedRemote() const override { return remote; }

    // The log without the lines starting with any of `skip`.
    std::vector<std::string> Without(std::initializer_list<std::string_view> skip) const {
        std::vector<std::string> out;
        for (const std::string& line : log) {
            bool drop = false;
            for (std::string_view s : skip) {
                drop = drop || line.starts_with(s);
            }
            if (!drop) {
                out.push_back(line);
            }
        }
        return out;
    }
    std::vector<std::string> Messages() const {
        std::vector<std::string> out;
        for (const std::string& line : log) {
            if (line.starts_with("msg ")) {
                out.push_back(line.substr(4));
            }
        }
        return out;
    }
};

// A link on the fake port, a receiver behind it, a recording host.
struct Rig {
    FakeClock clock;
    FakeSerialDevice device{clock};
    FixedPortResolver resolver;
    SerialLink link{device.Factory(), resolver, clock};
    MemoryImage image;
    RecordingHost host;
    fake::FakeLocalClock localClock;
    DeviceContext ctx{link, image, host, localClock};
    ScriptedReceiver* receiver = nullptr;

    Rig() { resolver.Set(0, "/dev/fake0"); }
    // Puts a scripted receiver behind the port; the rig keeps it.
    ScriptedReceiver& Attach() {
        owned_ = std::make_shared<ScriptedReceiver>();
        receiver = owned_.get();
        device.SetResponder(
            [r = owned_](FakeSerialDevice& d, std::span<const std::uint8_t> b) { (*r)(d, b); });
        return *owned_;
    }
    bool Open() { return link.OpenSelectedPort(0).opened; }

  private:
    std::shared_ptr<ScriptedReceiver> owned_;
};

}  // namespace tav::linktest
