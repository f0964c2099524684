// A serial port for the benchmarks, shared by transfer_bench and read_all_bench.
#pragma once

#include <memory>
#include <span>
#include <string>

#include "link/serial_port.h"

namespace tav::bench {

// The platform's port on the pty as a serial port with modem lines behaves:
// the tool then holds RTS (and so waits) for the line time of what it sends,
// as it does on a real adapter, where the pty alone would let it run ahead of
// the paced receiver.
class UartLikePort : public SerialPort {
  public:
    UartLikePort() : port_(MakePlatformSerialPort()) {}
    bool Open(const std::string& path, PortOpenError* error) override {
        return port_->Open(path, error);
    }
    void Close() override { port_->Close(); }
    bool IsOpen() const override { return port_->IsOpen(); }
    bool SetRts(bool on) override {
        port_->SetRts(on);
        return true;
    }
    bool Write(std::span<const std::uint8_t> bytes) override { return port_->Write(bytes); }
    bool WaitTransmitted() override { return port_->WaitTransmitted(); }
    void Flush() override { port_->Flush(); }
    int BytesQueued() override { return port_->BytesQueued(); }
    int ReadQueued(std::span<std::uint8_t> buffer) override { return port_->ReadQueued(buffer); }
    bool WaitReadable(int ms) override { return port_->WaitReadable(ms); }
    bool HungUp() override { return port_->HungUp(); }

  private:
    std::unique_ptr<SerialPort> port_;
};

}  // namespace tav::bench
