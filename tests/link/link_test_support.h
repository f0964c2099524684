// Shared pieces of the link tests: the simulated receiver's engine behind the
// fake port, a host that records every call, and a rig that wires them up.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "link/protocol.h"
#include "link/testing/fake_serial_port.h"
#include "sim/receiver_engine.h"

namespace tav::linktest {

using fake::FakeClock;
using fake::FakeSerialDevice;
using fake::PortCall;
using Bytes = std::vector<std::uint8_t>;
using namespace std::chrono_literals;

// Records every host call as one line of text, in order.
class RecordingHost final : public OperationHost {
  public:
    std::vector<std::string> log;
    bool online = false;
    int remote = 0;
    std::function<void()> onMessage;     // runs inside ShowMessage
    std::function<bool(int)> stopAfter;  // answers StopAfterRecord; unset: never stops
    std::vector<int> askedAfter;         // the records StopAfterRecord was asked about

    void ShowMessage(std::string_view text, std::string_view caption) override {
        Log("msg " + std::string(text) + " | " + std::string(caption));
        if (onMessage) {
            onMessage();
        }
    }
    void ShowVersionText(std::string_view text) override { Log("version " + std::string(text)); }
    void SetProgressRange(int lo, int hi) override {
        Log("range " + std::to_string(lo) + ".." + std::to_string(hi));
    }
    void SetProgressPosition(int position) override { Log("pos " + std::to_string(position)); }
    void ResetProgress() override { Log("reset"); }
    void RefreshRemoteGrid() override { Log("RefreshRemoteGrid"); }
    void ShowSelectedRemote() override { Log("ShowSelectedRemote"); }
    void RefreshScenarioPage() override { Log("RefreshScenarioPage"); }
    void RefreshScenarioGrid() override { Log("RefreshScenarioGrid"); }
    void ShowDisplaySettings() override { Log("ShowDisplaySettings"); }
    void ShowClockEvents() override { Log("ShowClockEvents"); }
    void RefreshSettingsPage() override { Log("RefreshSettingsPage"); }
    void RepaintWindow() override { Log("RepaintWindow"); }
    bool OnlineReceptionActive() const override { return online; }
    int SelectedPortIndex() const override { return 0; }
    int SelectedRemote() const override { return remote; }
    bool StopAfterRecord(int record) override {
        askedAfter.push_back(record);
        return stopAfter && stopAfter(record);
    }

    // The lines that start with `prefix`, without it.
    std::vector<std::string> Lines(std::string_view prefix) const {
        std::vector<std::string> out;
        for (const std::string& line : log) {
            if (line.starts_with(prefix)) {
                out.push_back(line.substr(prefix.size()));
            }
        }
        return out;
    }
    std::vector<std::string> Messages() const { return Lines("msg "); }
    // The log without the noisy lines.
    std::vector<std::string> Story() const {
        std::vector<std::string> out;
        for (const std::string& line : log) {
            if (!line.starts_with("version") && !line.starts_with("range") &&
                !line.starts_with("pos") && line != "RepaintWindow" &&
                line != "RefreshRemoteGrid") {
                out.push_back(line);
            }
        }
        return out;
    }

  private:
    void Log(std::string line) { log.push_back(std::move(line)); }
};

// A link on the fake port with the receiver engine answering 1 ms after each
// command, and a recording host.
struct Rig {
    FakeClock clock;
    FakeSerialDevice device{clock};
    FixedPortResolver resolver;
    SerialLink link{device.Factory(), resolver, clock};
    MemoryImage image;
    RecordingHost host;
    fake::FakeLocalClock localClock;
    DeviceContext ctx{link, image, host, localClock};
    std::shared_ptr<sim::ReceiverEngine> receiver = std::make_shared<sim::ReceiverEngine>();

    Rig() {
        resolver.Set(0, "/dev/fake0");
        device.SetResponder([r = receiver](FakeSerialDevice& d, std::span<const std::uint8_t> b) {
            for (std::uint8_t byte : b) {
                if (auto reply = r->Receive(byte)) {
                    d.Deliver(reply->bytes, 1ms + reply->delay);
                }
            }
        });
    }
    bool Open() { return link.OpenSelectedPort(0).opened; }
};

}  // namespace tav::linktest
