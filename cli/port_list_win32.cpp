// tavctl ports on Windows: the COM ports Windows knows (the registry's serial
// device map, HARDWARE\DEVICEMAP\SERIALCOMM) and what the device manager
// knows of each (friendly name, manufacturer, USB ids from the hardware id).
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
// After windows.h:
#include <setupapi.h>

#include <QRegularExpression>
#include <QString>
#include <algorithm>
#include <map>
#include <vector>

#include "port_list.h"

namespace tav::cli {

namespace {

struct KnownPort {
    std::string device;  // \\.\COMn
    std::string friendlyName;
    std::string manufacturer;
    std::string vendorId;  // from USB\VID_xxxx&PID_yyyy
    std::string productId;
};

std::string Utf8(const wchar_t* text) {
    return QString::fromWCharArray(text).trimmed().toStdString();
}

// The COM names in the serial device map ("COM3"), upper case.
std::vector<std::string> SerialDeviceMap() {
    std::vector<std::string> names;
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"HARDWARE\\DEVICEMAP\\SERIALCOMM", 0, KEY_READ, &key) !=
        ERROR_SUCCESS) {
        return names;
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
            names.push_back(QString::fromStdString(Utf8(data)).toUpper().toStdString());
        }
    }
    RegCloseKey(key);
    return names;
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

// What the device manager knows of the ports class, by COM name.
std::map<std::string, KnownPort> DeviceManagerPorts() {
    // GUID_DEVCLASS_PORTS
    static const GUID kPortsClass = {
        0x4d36e978, 0xe325, 0x11ce, {0xbf, 0xc1, 0x08, 0x00, 0x2b, 0xe1, 0x03, 0x18}};
    std::map<std::string, KnownPort> ports;
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
        if (!named) {
            continue;
        }
        KnownPort port;
        port.friendlyName = DeviceProperty(set, device, SPDRP_FRIENDLYNAME);
        port.manufacturer = DeviceProperty(set, device, SPDRP_MFG);
        static const QRegularExpression usbIds(
            QStringLiteral("VID_([0-9A-F]{4})&PID_([0-9A-F]{4})"),
            QRegularExpression::CaseInsensitiveOption);
        const QRegularExpressionMatch ids =
            usbIds.match(QString::fromStdString(DeviceProperty(set, device, SPDRP_HARDWAREID)));
        if (ids.hasMatch()) {
            port.vendorId = ids.captured(1).toLower().toStdString();
            port.productId = ids.captured(2).toLower().toStdString();
        }
        ports[QString::fromStdString(Utf8(name)).toUpper().toStdString()] = port;
    }
    SetupDiDestroyDeviceInfoList(set);
    return ports;
}

}  // namespace

std::vector<PortEntry> ListPorts(const PlatformPortResolver& resolver) {
    std::vector<std::string> known = SerialDeviceMap();
    std::map<std::string, KnownPort> details = DeviceManagerPorts();
    for (const auto& [name, port] : details) {
        known.push_back(name);
    }
    // COM1..COM15 first, each whether Windows knows it or not; then the
    // ports Windows knows beyond them, in number order.
    std::vector<std::string> names(PortNames.begin(), PortNames.end());
    std::map<int, std::string> beyond;
    for (const std::string& name : known) {
        bool ok = false;
        const int n = QString::fromStdString(name).mid(3).toInt(&ok);
        if (name.rfind("COM", 0) == 0 && ok && n > kPortCount) {
            beyond[n] = name;
        }
    }
    for (const auto& [n, name] : beyond) {
        names.push_back(name);
    }

    std::vector<PortEntry> entries;
    for (std::size_t index = 0; index < names.size(); ++index) {
        const std::string& name = names[index];
        const bool present = std::find(known.begin(), known.end(), name) != known.end();
        KnownPort port = details.count(name) != 0 ? details[name] : KnownPort{};
        port.device = index < PortNames.size()
                          ? resolver.DevicePath(static_cast<int>(index)).value_or("")
                          : "\\\\.\\" + name;
        PortEntry e;
        e.name = name;
        if (present) {
            e.device = port.device;
            e.friendlyName = port.friendlyName;
            e.info.manufacturer = port.manufacturer;
            e.info.vendorId = port.vendorId;
            e.info.productId = port.productId;
            if (e.info.IsUsb()) {
                e.info.product = port.friendlyName;
            }
        }
        entries.push_back(std::move(e));
    }
    return entries;
}

}  // namespace tav::cli
