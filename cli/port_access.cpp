#include "port_access.h"

#include <regex>

namespace tav::cli {

namespace {

class RecordingPort final : public SerialPort {
  public:
    RecordingPort(std::unique_ptr<SerialPort> port, std::shared_ptr<OpenAttempt> attempt)
        : port_(std::move(port)), attempt_(std::move(attempt)) {}

    bool Open(const std::string& devicePath, PortOpenError* error) override {
        PortOpenError local;
        PortOpenError* e = error != nullptr ? error : &local;
        const bool ok = port_->Open(devicePath, e);
        *attempt_ = OpenAttempt{true, devicePath, ok ? std::string() : e->reason, e->kind};
        return ok;
    }
    void Close() override { port_->Close(); }
    bool IsOpen() const override { return port_->IsOpen(); }
    bool SetRts(bool on) override { return port_->SetRts(on); }
    bool Write(std::span<const std::uint8_t> bytes) override { return port_->Write(bytes); }
    bool WaitTransmitted() override { return port_->WaitTransmitted(); }
    void Flush() override { port_->Flush(); }
    int BytesQueued() override { return port_->BytesQueued(); }
    int ReadQueued(std::span<std::uint8_t> buffer) override { return port_->ReadQueued(buffer); }
    bool WaitReadable(int ms) override { return port_->WaitReadable(ms); }
    bool HungUp() override { return port_->HungUp(); }

  private:
    std::unique_ptr<SerialPort> port_;
    std::shared_ptr<OpenAttempt> attempt_;
};

}  // namespace

SerialLink::PortFactory MakeRecordingPortFactory(std::shared_ptr<OpenAttempt> attempt) {
    return [attempt]() -> std::unique_ptr<SerialPort> {
        return std::make_unique<RecordingPort>(MakePlatformSerialPort(), attempt);
    };
}

std::optional<PortChoice> ChoosePort(const std::string& port) {
    static const std::regex kComName("COM([1-9]|1[0-5])");
    std::smatch m;
    if (std::regex_match(port, m, kComName)) {
        return PortChoice{std::stoi(m[1].str()) - 1, std::make_unique<PlatformPortResolver>()};
    }
    if (port.find('/') != std::string::npos || port.find('\\') != std::string::npos) {
        auto fixed = std::make_unique<FixedPortResolver>();
        fixed->Set(0, port);
        return PortChoice{0, std::move(fixed)};
    }
    return std::nullopt;
}

std::string DescribeOpenFailure(const std::string& portName, const OpenAttempt& attempt) {
    if (!attempt.tried) {
        return "tavctl: " + portName + " names no serial device on this computer";
    }
    std::string s = "tavctl: cannot open " + attempt.devicePath;
    if (attempt.devicePath != portName) {
        s += " (" + portName + ")";
    }
    s += ": " + (attempt.reason.empty() ? std::string("unknown reason") : attempt.reason);
    switch (attempt.kind) {
        case PortErrorKind::kNoPermission:
            s += "; join the group that owns the device (usually dialout: "
                 "sudo usermod -aG dialout $USER) and log in again";
            break;
        case PortErrorKind::kBusy:
            s += "; another program holds the port";
            break;
        default:
            break;
    }
    return s;
}

}  // namespace tav::cli
