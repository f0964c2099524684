// COM names on Windows: every COMn opens \\.\COMn, and the ports the
// registry's serial device map holds are the ports there are, those above
// COM15 included.
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "link/port_resolver.h"

namespace tav {
namespace {

TEST(PortResolverWin32, EveryComNameOpensItsDeviceNamespacePath) {
    const PlatformPortResolver resolver;
    const struct {
        int index;
        const char* path;  // nullptr: none
    } rows[] = {{0, "\\\\.\\COM1"},     {14, "\\\\.\\COM15"}, {16, "\\\\.\\COM17"},
                {254, "\\\\.\\COM255"}, {255, nullptr},       {-1, nullptr}};
    for (const auto& row : rows) {
        const std::optional<std::string> path = resolver.DevicePath(row.index);
        EXPECT_EQ(path.value_or("none"), row.path ? row.path : "none") << row.index;
    }
    EXPECT_TRUE(resolver.IsSerialDevice("\\\\.\\COM17"));
    EXPECT_TRUE(resolver.IsSerialDevice("\\\\.\\com255"));
    EXPECT_FALSE(resolver.IsSerialDevice("\\\\.\\COM256"));
    EXPECT_FALSE(resolver.IsSerialDevice("COM17"));
}

TEST(PortResolverWin32, PortsInTheSerialDeviceMapArePresent) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, L"HARDWARE\\DEVICEMAP\\SERIALCOMM", 0, nullptr,
                              REG_OPTION_VOLATILE, KEY_READ | KEY_WRITE, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    const std::vector<std::pair<std::wstring, std::wstring>> added = {
        {L"\\Device\\TavResolverA", L"COM17"},
        {L"\\Device\\TavResolverB", L"com200"},
        {L"\\Device\\TavResolverC", L"COM256"},  // no such port: left out
    };
    for (const auto& [device, com] : added) {
        RegSetValueExW(key, device.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(com.c_str()),
                       static_cast<DWORD>((com.size() + 1) * sizeof(wchar_t)));
    }
    const std::vector<PresentPort> present = PlatformPortResolver().PresentPorts();
    for (const auto& [device, com] : added) {
        RegDeleteValueW(key, device.c_str());
    }
    RegCloseKey(key);

    const auto find = [&](int index) {
        return std::find_if(present.begin(), present.end(),
                            [index](const PresentPort& p) { return p.index == index; });
    };
    ASSERT_NE(find(16), present.end());
    EXPECT_EQ(find(16)->device, "\\\\.\\COM17");
    ASSERT_NE(find(199), present.end());
    EXPECT_EQ(find(199)->device, "\\\\.\\COM200");
    EXPECT_TRUE(std::is_sorted(
        present.begin(), present.end(),
        [](const PresentPort& a, const PresentPort& b) { return a.index < b.index; }));
    for (const PresentPort& p : present) {
        EXPECT_LT(p.index, kHighestPortNumber);
    }
}

}  // namespace
}  // namespace tav
