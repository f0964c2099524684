#include "port_list.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonValue>
#include <QString>

#include <filesystem>

namespace tav::cli {

namespace {

namespace fs = std::filesystem;

// Texts from sysfs come from the device itself: nothing in them may drive
// the terminal.
std::string Printable(const std::string& s) {
    std::string out;
    for (char c : s) {
        const auto b = static_cast<unsigned char>(c);
        out += b < 0x20 || b == 0x7F ? '?' : c;
    }
    return out;
}

QString Q(const std::string& s) {
    return QString::fromStdString(Printable(s));
}

std::string Canonical(const std::string& path) {
    std::error_code ec;
    const fs::path p = fs::weakly_canonical(path, ec);
    return ec ? path : p.string();
}

}  // namespace

std::string FormatPortList(const PlatformPortResolver& resolver, bool json) {
    std::string text;
    QJsonArray list;
    for (int i = 0; i < kPortCount; ++i) {
        const std::string name(PortNames[static_cast<std::size_t>(i)]);
        const std::optional<std::string> device = resolver.DevicePath(i);
        const SerialDeviceInfo info =
            device ? resolver.DescribeDevice(*device) : SerialDeviceInfo{};
        if (json) {
            QJsonArray links;
            for (const std::string& l : info.stableLinks) {
                links.append(Q(l));
            }
            QJsonValue usb = QJsonValue::Null;
            if (info.IsUsb()) {
                usb = QJsonObject{{"vendor_id", Q(info.vendorId)},
                                  {"product_id", Q(info.productId)},
                                  {"manufacturer", Q(info.manufacturer)},
                                  {"product", Q(info.product)},
                                  {"serial_number", Q(info.serialNumber)}};
            }
            list.append(QJsonObject{{"name", Q(name)},
                                    {"device", device ? QJsonValue(Q(*device)) : QJsonValue()},
                                    {"usb", usb},
                                    {"stable_links", links}});
            continue;
        }
        std::string line = name + std::string(7 - name.size(), ' ') + (device ? *device : "-");
        if (info.IsUsb()) {
            line += "  USB " + info.vendorId + ":" + info.productId;
            for (const std::string* field : {&info.manufacturer, &info.product}) {
                if (!field->empty()) {
                    line += "  " + *field;
                }
            }
            if (!info.serialNumber.empty()) {
                line += "  serial " + info.serialNumber;
            }
        }
        text += Printable(line) + "\n";
        for (const std::string& l : info.stableLinks) {
            text += "       " + Printable(l) + "\n";
        }
    }
    return json ? QJsonDocument(list).toJson(QJsonDocument::Indented).toStdString() : text;
}

std::string DescribePortLink(const std::string& path, const PlatformPortResolver& resolver) {
    const std::string target = Canonical(path);
    std::string com = "no COM name";
    for (int i = 0; i < kPortCount; ++i) {
        const std::optional<std::string> device = resolver.DevicePath(i);
        if (device && Canonical(*device) == target) {
            com = std::string(PortNames[static_cast<std::size_t>(i)]);
            break;
        }
    }
    return Printable(path) + " is " + Printable(target) + " (" + com + ")";
}

std::string DescribeGivenPort(const std::string& path, const PlatformPortResolver& resolver) {
    if (!resolver.IsSerialDevice(path)) {
        return Printable(path) + " is not a serial device";
    }
    return DescribePortLink(path, resolver);
}

}  // namespace tav::cli
