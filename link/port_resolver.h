// Turns the fixed port names "COM1".."COM15" into device paths.
#pragma once

#include <array>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace tav {

inline constexpr int kPortCount = 15;
// "COM1" .. "COM15"; index 0 is "COM1".
extern const std::array<std::string_view, kPortCount> PortNames;

class PortResolver {
  public:
    virtual ~PortResolver() = default;
    // The device that port `index` (0..14) opens now; nullopt when none.
    virtual std::optional<std::string> DevicePath(int index) const = 0;
};

// Linux: COMn is the n-th serial device present, USB adapters (/dev/ttyUSB*)
// first, then CDC-ACM devices (/dev/ttyACM*), then built-in UARTs (/dev/ttyS*)
// that have hardware behind them. Windows: \\.\COMn.
class PlatformPortResolver final : public PortResolver {
  public:
    std::optional<std::string> DevicePath(int index) const override;
};

// A fixed table, for tests and the demo.
class FixedPortResolver final : public PortResolver {
  public:
    void Set(int index, std::string path) {
        paths_.at(static_cast<std::size_t>(index)) = std::move(path);
    }
    std::optional<std::string> DevicePath(int index) const override;

  private:
    std::array<std::string, kPortCount> paths_{};
};

}  // namespace tav
