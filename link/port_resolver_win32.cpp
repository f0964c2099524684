// COMn on Windows. The plain name opens only COM1..COM9; the device namespace
// form \\.\COMn opens every port. The ports there are: the registry's serial
// device map (HARDWARE\DEVICEMAP\SERIALCOMM) and the device manager's ports
// class, which also knows each one's friendly name, maker and USB ids.
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
// After windows.h:
#include <setupapi.h>

#include <algorithm>
#include <cctype>
#include <map>
#include <string>

#include "link/port_resolver.h"

namespace tav {

namespace {

std::string Utf8(const wchar_t* text) {
    const int n = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (n <= 1) {
        return {};
    }
    std::string s(static_cast<std::size_t>(n - 1), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, -1, s.data(), n, nullptr, nullptr);
    const auto notSpace = [](unsigned char c) { return !std::isspace(c); };
    s.erase(s.begin(), std::find_if(s.begin(), s.end(), notSpace));
    s.erase(std::find_if(s.rbegin(), s.rend(), notSpace).base(), s.end());
    return s;
}

std::string Upper(std::string s) {
    for (char& c : s) {
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    return s;
}

// The port indexes of the COM names in the serial device map.
std::vector<int> SerialDeviceMap() {
    std::vector<int> indexes;
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"HARDWARE\\DEVICEMAP\\SERIALCOMM", 0, KEY_READ, &key) !=
        ERROR_SUCCESS) {
        return indexes;
    }
    for (DWORD i = 0;; ++i) {
        wchar_t valueName[256];
        DWORD valueNameSize = 256;
        wchar_t data[64] = {};
        DWORD dataSize = sizeof data - sizeof(wchar_t);
        DWORD type = 0;
        const LONG rc = RegEnumValueW(key, i, valueName, &valueNameSize, nullptr, &type,
                                      reinterpret_cast<BYTE*>(data), &dataSize);
        if (rc == ERROR_NO_MORE_ITEMS) {
            break;
        }
        if (rc == ERROR_SUCCESS && type == REG_SZ) {
            if (const std::optional<int> index = PortIndexOfName(Utf8(data))) {
                indexes.push_back(*index);
            }
        }
    }
    RegCloseKey(key);
    return indexes;
}

std::string DeviceProperty(HDEVINFO set, SP_DEVINFO_DATA& device, DWORD property) {
    wchar_t buffer[512] = {};
    if (!SetupDiGetDeviceRegistryPropertyW(set, &device, property, nullptr,
                                           reinterpret_cast<BYTE*>(buffer),
                                           sizeof buffer - sizeof(wchar_t), nullptr)) {
        return {};
    }
    return Utf8(buffer);  // a multi-string's first string
}

// The four hex digits after `tag` ("VID_") in a hardware id, lower case.
std::string HardwareIdField(const std::string& hardwareId, const std::string& tag) {
    const std::size_t at = Upper(hardwareId).find(tag);
    if (at == std::string::npos || at + tag.size() + 4 > hardwareId.size()) {
        return {};
    }
    std::string hex = hardwareId.substr(at + tag.size(), 4);
    for (char& c : hex) {
        if (!std::isxdigit(static_cast<unsigned char>(c))) {
            return {};
        }
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return hex;
}

// What the device manager knows of the ports class, by port index.
std::map<int, PresentPort> DeviceManagerPorts() {
    // GUID_DEVCLASS_PORTS
    static const GUID kPortsClass = {
        0x4d36e978, 0xe325, 0x11ce, {0xbf, 0xc1, 0x08, 0x00, 0x2b, 0xe1, 0x03, 0x18}};
    std::map<int, PresentPort> ports;
    const HDEVINFO set = SetupDiGetClassDevsW(&kPortsClass, nullptr, nullptr, DIGCF_PRESENT);
    if (set == INVALID_HANDLE_VALUE) {
        return ports;
    }
    SP_DEVINFO_DATA device{};
    device.cbSize = sizeof device;
    for (DWORD i = 0; SetupDiEnumDeviceInfo(set, i, &device); ++i) {
        const HKEY key =
            SetupDiOpenDevRegKey(set, &device, DICS_FLAG_GLOBAL, 0, DIREG_DEV, KEY_READ);
        if (key == INVALID_HANDLE_VALUE) {
            continue;
        }
        wchar_t name[64] = {};
        DWORD size = sizeof name - sizeof(wchar_t);
        DWORD type = 0;
        const bool named =
            RegQueryValueExW(key, L"PortName", nullptr, &type, reinterpret_cast<BYTE*>(name),
                             &size) == ERROR_SUCCESS &&
            type == REG_SZ;
        RegCloseKey(key);
        const std::optional<int> index = named ? PortIndexOfName(Utf8(name)) : std::nullopt;
        if (!index) {
            continue;
        }
        PresentPort port;
        port.description = DeviceProperty(set, device, SPDRP_FRIENDLYNAME);
        port.manufacturer = DeviceProperty(set, device, SPDRP_MFG);
        const std::string hardwareId = DeviceProperty(set, device, SPDRP_HARDWAREID);
        port.vendorId = HardwareIdField(hardwareId, "VID_");
        port.productId = port.vendorId.empty() ? "" : HardwareIdField(hardwareId, "PID_");
        ports[*index] = port;
    }
    SetupDiDestroyDeviceInfoList(set);
    return ports;
}

}  // namespace

std::optional<std::string> PlatformPortResolver::DevicePath(int index) const {
    if (index < 0 || index >= kHighestPortNumber) {
        return std::nullopt;
    }
    return "\\\\.\\" + PortName(index);
}

std::vector<PresentPort> PlatformPortResolver::PresentPorts() const {
    std::map<int, PresentPort> ports = DeviceManagerPorts();
    for (int index : SerialDeviceMap()) {
        ports[index];
    }
    std::vector<PresentPort> present;
    for (auto& [index, port] : ports) {
        port.index = index;
        port.device = *DevicePath(index);
        present.push_back(std::move(port));
    }
    return present;
}

SerialDeviceInfo PlatformPortResolver::DescribeDevice(const std::string&) const {
    return {};
}

bool PlatformPortResolver::IsSerialDevice(const std::string& path) const {
    return path.size() > 4 && path.compare(0, 4, "\\\\.\\") == 0 && PortIndexOfName(path);
}

}  // namespace tav
