// The Win32 backend: plain blocking (non-overlapped) I/O on a comm handle.
#ifndef NOMINMAX
#define NOMINMAX  // keep std::min usable
#endif
#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <string>

#include "link/serial_port.h"

namespace tav {
namespace {

class Win32SerialPort final : public SerialPort {
  public:
    ~Win32SerialPort() override { Close(); }

    bool Open(const std::string& devicePath, PortOpenError* error) override;
    void Close() override;
    bool IsOpen() const override { return handle_ != INVALID_HANDLE_VALUE; }

    bool SetRts(bool on) override;
    bool Write(std::span<const std::uint8_t> bytes) override;
    bool WaitTransmitted() override;
    void Flush() override;
    int BytesQueued() override;
    int ReadQueued(std::span<std::uint8_t> buffer) override;
    bool HungUp() override;
    bool WaitReadable(int ms) override;

  private:
    bool SetReadWait(DWORD ms);

    HANDLE handle_ = INVALID_HANDLE_VALUE;
    DWORD readWaitMs_ = 0;     // the read timeout the handle has now
    bool hasPeeked_ = false;   // WaitReadable took a byte off the queue ...
    std::uint8_t peeked_ = 0;  // ... and it is read before the queue
};

std::string ErrorText(DWORD code) {
    char* text = nullptr;
    const DWORD n = FormatMessageA(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, code, 0, reinterpret_cast<char*>(&text), 0, nullptr);
    std::string result =
        n > 0 && text != nullptr ? std::string(text, n) : "error " + std::to_string(code);
    LocalFree(text);
    while (!result.empty() && (result.back() == '\n' || result.back() == '\r')) {
        result.pop_back();
    }
    return result;
}

// Windows opens a comm device for one handle at a time: a port that another
// program holds fails with ERROR_ACCESS_DENIED (ERROR_SHARING_VIOLATION from
// some drivers), so both mean busy. Ordinary users may open every COM port,
// so no code of CreateFile on a port stands for missing permission.
PortErrorKind KindOfError(DWORD code) {
    switch (code) {
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
        case ERROR_INVALID_NAME:
        case ERROR_DEV_NOT_EXIST:
            return PortErrorKind::kMissing;
        case ERROR_ACCESS_DENIED:
        case ERROR_SHARING_VIOLATION:
        case ERROR_BUSY:
            return PortErrorKind::kBusy;
        default:
            return PortErrorKind::kOther;
    }
}

bool Win32SerialPort::Open(const std::string& devicePath, PortOpenError* error) {
    Close();
    // Share mode 0: exclusive.
    HANDLE h = CreateFileA(devicePath.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                           OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        const DWORD code = GetLastError();
        if (error != nullptr) {
            error->kind = KindOfError(code);
            error->reason = ErrorText(code);
        }
        return false;
    }
    // Once the handle is open the port counts as open; the results of the
    // settings calls are not examined.
    SetupComm(h, 256, 256);
    DCB dcb{};
    dcb.DCBlength = sizeof(dcb);
    GetCommState(h, &dcb);
    dcb.BaudRate = CBR_9600;
    dcb.ByteSize = 8;
    dcb.Parity = NOPARITY;
    dcb.fParity = FALSE;
    dcb.StopBits = ONESTOPBIT;
    dcb.fOutxCtsFlow = FALSE;
    dcb.fOutxDsrFlow = FALSE;
    dcb.fDsrSensitivity = FALSE;
    dcb.fDtrControl = DTR_CONTROL_ENABLE;
    dcb.fRtsControl = RTS_CONTROL_DISABLE;
    dcb.fOutX = FALSE;
    dcb.fInX = FALSE;
    dcb.fErrorChar = FALSE;
    dcb.fNull = FALSE;
    dcb.fAbortOnError = FALSE;
    SetCommState(h, &dcb);
    DWORD mask = 0;
    GetCommMask(h, &mask);
    SetCommMask(h, EV_TXEMPTY);
    EscapeCommFunction(h, CLRRTS);
    // Whatever arrived before the open belongs to nobody.
    PurgeComm(h, PURGE_RXCLEAR);
    handle_ = h;
    hasPeeked_ = false;
    readWaitMs_ = 0;
    SetReadWait(1);
    return true;
}

void Win32SerialPort::Close() {
    if (handle_ != INVALID_HANDLE_VALUE) {
        CloseHandle(handle_);
        handle_ = INVALID_HANDLE_VALUE;
    }
    hasPeeked_ = false;
}

bool Win32SerialPort::SetRts(bool on) {
    return IsOpen() && EscapeCommFunction(handle_, on ? SETRTS : CLRRTS) != 0;
}

bool Win32SerialPort::Write(std::span<const std::uint8_t> bytes) {
    DWORD written = 0;
    return IsOpen() &&
           WriteFile(handle_, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
           written == bytes.size();
}

bool Win32SerialPort::WaitTransmitted() {
    DWORD event = 0;
    return IsOpen() && WaitCommEvent(handle_, &event, nullptr) != 0;
}

void Win32SerialPort::Flush() {
    if (IsOpen()) {
        FlushFileBuffers(handle_);
    }
}

int Win32SerialPort::BytesQueued() {
    DWORD errors = 0;
    COMSTAT status{};
    if (!IsOpen() || !ClearCommError(handle_, &errors, &status)) {
        return hasPeeked_ ? 1 : 0;
    }
    return static_cast<int>(status.cbInQue) + (hasPeeked_ ? 1 : 0);
}

int Win32SerialPort::ReadQueued(std::span<std::uint8_t> buffer) {
    const int queued = BytesQueued();
    if (queued <= 0 || buffer.empty()) {
        return 0;
    }
    std::size_t taken = 0;
    if (hasPeeked_) {
        buffer[taken++] = peeked_;
        hasPeeked_ = false;
    }
    // Never more than the queue holds, so the read returns at once.
    const DWORD want = static_cast<DWORD>(
        std::min(buffer.size() - taken, static_cast<std::size_t>(queued) - taken));
    DWORD read = 0;
    if (want > 0 && !ReadFile(handle_, buffer.data() + taken, want, &read, nullptr)) {
        read = 0;
    }
    return static_cast<int>(taken + read);
}

// With ReadIntervalTimeout and ReadTotalTimeoutMultiplier both MAXDWORD, a
// read returns at once with what the queue holds, waits for the first byte
// when it holds nothing, and gives up after ReadTotalTimeoutConstant.
bool Win32SerialPort::SetReadWait(DWORD ms) {
    if (ms == readWaitMs_) {
        return true;
    }
    COMMTIMEOUTS timeouts{};
    timeouts.ReadIntervalTimeout = MAXDWORD;
    timeouts.ReadTotalTimeoutMultiplier = MAXDWORD;
    timeouts.ReadTotalTimeoutConstant = ms;
    if (!SetCommTimeouts(handle_, &timeouts)) {
        return false;
    }
    readWaitMs_ = ms;
    return true;
}

bool Win32SerialPort::WaitReadable(int ms) {
    if (!IsOpen()) {
        return false;
    }
    if (BytesQueued() > 0) {
        return true;
    }
    if (ms <= 0) {
        return false;
    }
    // The driver wakes the read when the first byte arrives; a poll would add
    // a timer tick to every answer (up to 15.6 ms on Windows' default timer).
    // The byte is kept for the next ReadQueued.
    DWORD read = 0;
    if (!SetReadWait(static_cast<DWORD>(ms)) || !ReadFile(handle_, &peeked_, 1, &read, nullptr) ||
        read != 1) {
        return false;
    }
    hasPeeked_ = true;
    return true;
}

bool Win32SerialPort::HungUp() {
    // A removed device fails every call on its handle.
    DWORD errors = 0;
    COMSTAT status{};
    return IsOpen() && !ClearCommError(handle_, &errors, &status);
}

}  // namespace

std::unique_ptr<SerialPort> MakePlatformSerialPort() {
    return std::make_unique<Win32SerialPort>();
}

}  // namespace tav
