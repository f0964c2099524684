#include "app/in_process_port.h"

#include <chrono>

namespace tav::demo {

namespace {

class InProcessPort final : public SerialPort {
  public:
    explicit InProcessPort(std::shared_ptr<const InProcessReceivers> receivers)
        : receivers_(std::move(receivers)) {}
    ~InProcessPort() override { Close(); }

    bool Open(const std::string& devicePath, PortOpenError* error) override {
        Close();
        const auto it = receivers_->find(devicePath);
        const char* reason = nullptr;
        PortErrorKind kind = PortErrorKind::kOther;
        if (it == receivers_->end()) {
            reason = "No such device";
            kind = PortErrorKind::kMissing;
        } else if (!it->second->Attach()) {
            reason = "Device or resource busy";
            kind = PortErrorKind::kBusy;
        }
        if (reason != nullptr) {
            if (error != nullptr) {
                error->reason = reason;
                error->kind = kind;
            }
            return false;
        }
        receiver_ = it->second;
        return true;
    }
    void Close() override {
        if (receiver_) {
            receiver_->Detach();
            receiver_.reset();
        }
    }
    bool IsOpen() const override { return receiver_ != nullptr; }
    // No modem lines, as on a pty: the link does not hold RTS for line time.
    bool SetRts(bool) override { return false; }
    bool Write(std::span<const std::uint8_t> bytes) override {
        if (!receiver_) {
            return false;
        }
        receiver_->Send(bytes);
        return true;
    }
    bool WaitTransmitted() override { return IsOpen(); }
    void Flush() override {}
    int BytesQueued() override { return receiver_ ? static_cast<int>(receiver_->Available()) : 0; }
    int ReadQueued(std::span<std::uint8_t> buffer) override {
        return receiver_ ? static_cast<int>(receiver_->Take(buffer)) : 0;
    }
    bool WaitReadable(int ms) override {
        return receiver_ && receiver_->WaitAvailable(std::chrono::milliseconds(ms));
    }
    bool HungUp() override { return false; }

  private:
    std::shared_ptr<const InProcessReceivers> receivers_;
    std::shared_ptr<sim::InProcessReceiver> receiver_;
};

}  // namespace

std::unique_ptr<SerialPort> MakeInProcessPort(std::shared_ptr<const InProcessReceivers> receivers) {
    return std::make_unique<InProcessPort>(std::move(receivers));
}

}  // namespace tav::demo
