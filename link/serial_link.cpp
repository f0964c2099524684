#include "link/serial_link.h"

#include <utility>

namespace tav {

SerialLink::SerialLink(PortFactory makePort, const PortResolver& resolver, Timing& timing)
    : makePort_(std::move(makePort)), resolver_(resolver), timing_(timing) {}

SerialLink::~SerialLink() {
    ClosePort();
}

PortOpenOutcome SerialLink::OpenSelectedPort(int index) {
    // A second open while a port is held releases the first one.
    ClosePort();
    PortOpenOutcome outcome;
    if (index < 0 || index >= kHighestPortNumber) {
        outcome.reason = "no port selected";
        return outcome;
    }
    const std::optional<std::string> path = resolver_.DevicePath(index);
    if (!path) {
        outcome.error = PortErrorKind::kMissing;
        outcome.reason = "no device for " + PortName(index);
        return outcome;
    }
    outcome.devicePath = *path;
    std::unique_ptr<SerialPort> port = makePort_();
    PortOpenError error;
    if (!port || !port->Open(*path, &error)) {
        outcome.error = error.kind;
        outcome.reason = port ? error.reason : "no serial port backend";
        return outcome;
    }
    // Opening raises RTS on Linux; the line must be free for the receiver.
    port->SetRts(false);
    port_ = std::move(port);
    outcome.opened = true;
    return outcome;
}

void SerialLink::ClosePort() {
    if (port_) {
        port_->Close();
        port_.reset();
    }
}

bool SerialLink::IsOpen() const {
    return port_ != nullptr;
}

bool SerialLink::SendBytes(std::span<const std::uint8_t> bytes) {
    if (!port_) {
        return false;
    }
    const bool rtsDriven = port_->SetRts(true);
    const auto start = timing_.Now();
    bool ok = port_->Write(bytes);
    if (ok) {
        ok = port_->WaitTransmitted();
        // USB adapters report the transmitter empty while the last bytes are
        // still in their own FIFO: hold RTS for the bytes' line time as well.
        const auto left = LineTime(bytes.size()) - (timing_.Now() - start);
        if (rtsDriven && left.count() > 0) {
            timing_.SleepFor(left);
        }
    }
    port_->SetRts(false);
    return ok;
}

void SerialLink::Flush() {
    if (port_) {
        port_->Flush();
    }
}

int SerialLink::ReadQueued(std::span<std::uint8_t> buffer) {
    if (!port_ || buffer.empty()) {
        return 0;
    }
    const int n = port_->ReadQueued(buffer);
    return n > 0 ? n : 0;
}

int SerialLink::ReceiveBytes(std::span<std::uint8_t> buffer, int idleLimit) {
    const Millis period{kIdlePollMs};
    std::size_t received = 0;
    int idle = 0;
    while (received < buffer.size() && idle < idleLimit) {
        const int n = ReadQueued(buffer.subspan(received));
        if (n > 0) {
            received += static_cast<std::size_t>(n);
            idle = 0;
            continue;
        }
        if (!port_) {
            // Nothing can arrive; the period still passes.
            timing_.Sleep(period);
            ++idle;
            continue;
        }
        const auto start = timing_.Now();
        port_->WaitReadable(kIdlePollMs);
        const int late = ReadQueued(buffer.subspan(received));
        if (late > 0) {
            received += static_cast<std::size_t>(late);
            idle = 0;
            continue;
        }
        // Readable without data (an unplugged adapter, a hang-up) returns at
        // once: wait out the rest of the period, never spin.
        const auto left = period - (timing_.Now() - start);
        if (left.count() > 0) {
            timing_.Sleep(std::chrono::ceil<Millis>(left));
        }
        ++idle;
    }
    return static_cast<int>(received);
}

bool SerialLink::PortHungUp() {
    return port_ && port_->HungUp();
}

}  // namespace tav
