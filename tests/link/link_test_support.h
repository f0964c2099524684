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
    std::function<void()> onMessage;          // runs inside ShowMessage
    std::function<bool(int)> stopAfter;       // answers StopAfterRecord; unset: never stops
    std::vector<int> askedAfter;              // the records StopAfterRecord was asked about
    std::vector<OperationProgress> progress;  // every report, in order

    void ShowMessage(std::string_view text, std::string_view caption) override {
        Log("msg " + std::string(text) + " | " + std::string(caption));
        if (onMessage) {
            onMessage();
        }
    }
    void ShowVersionText(std::string_view text) override { Log("version " + std::string(text)); }
    void PortOpenFailed(const PortOpenOutcome&) override {}
    // A new range as "range LO..HI", a report within it as "pos POSITION", the
    // end as "reset".
    void ShowProgress(const OperationProgress& p) override {
        progress.push_back(p);
        if (!p.Active()) {
            Log("reset");
            range_ = {};
        } else if (p.minimum != range_.minimum || p.maximum != range_.maximum) {
            Log("range " + std::to_string(p.minimum) + ".." + std::to_string(p.maximum));
            range_ = p;
        } else {
            Log("pos " + std::to_string(p.position));
        }
    }
    void RecordsChanged(int first, int last) override {
        Log("records " + std::to_string(first) + ".." + std::to_string(last));
    }
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
                !line.starts_with("pos") && !line.starts_with("records")) {
                out.push_back(line);
            }
        }
        return out;
    }

  private:
    void Log(std::string line) { log.push_back(std::move(line)); }
    OperationProgress range_;
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
