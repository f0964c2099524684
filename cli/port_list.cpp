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

std::string Canonical(const std::string& path) {
    std::error_code ec;
    const fs::path p = fs::weakly_canonical(path, ec);
    return ec ? path : p.string();
}

QString Q(const std::string& s) {
    return QString::fromStdString(PrintableText(s));
}

}  // namespace

std::string PrintableText(const std::string& s) {
    std::string out;
    for (char c : s) {
        const auto b = static_cast<unsigned char>(c);
        out += b < 0x20 || b == 0x7F ? '?' : c;
    }
    return out;
}

std::string FormatPortEntries(const std::vector<PortEntry>& entries, bool json) {
    std::string text;
    QJsonArray list;
    for (const PortEntry& e : entries) {
        const SerialDeviceInfo& info = e.info;
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
            list.append(QJsonObject{
                {"name", Q(e.name)},
                {"device", e.device ? QJsonValue(Q(*e.device)) : QJsonValue()},
                {"friendly_name", e.friendlyName ? QJsonValue(Q(*e.friendlyName)) : QJsonValue()},
                {"usb", usb},
                {"stable_links", links}});
            continue;
        }
        std::string line = e.name + std::string(e.name.size() < 7 ? 7 - e.name.size() : 1, ' ') +
                           e.device.value_or("-");
        if (e.friendlyName && !e.friendlyName->empty()) {
            line += "  " + *e.friendlyName;
        }
        if (info.IsUsb()) {
            line += "  USB " + info.vendorId + ":" + info.productId;
        }
        if (!info.manufacturer.empty()) {
            line += "  " + info.manufacturer;
        }
        // Windows names the product by the friendly name already.
        if (!info.product.empty() && info.product != e.friendlyName) {
            line += "  " + info.product;
        }
        if (!info.serialNumber.empty()) {
            line += "  serial " + info.serialNumber;
        }
        text += PrintableText(line) + "\n";
        for (const std::string& l : info.stableLinks) {
            text += "       " + PrintableText(l) + "\n";
        }
    }
    return json ? QJsonDocument(list).toJson(QJsonDocument::Indented).toStdString() : text;
}

std::string FormatPortList(const PlatformPortResolver& resolver, bool json) {
    return FormatPortEntries(ListPorts(resolver), json);
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
    return PrintableText(path) + " is " + PrintableText(target) + " (" + com + ")";
}

std::string DescribeGivenPort(const std::string& path, const PlatformPortResolver& resolver) {
    if (!resolver.IsSerialDevice(path)) {
        return PrintableText(path) + " is not a serial device";
    }
    return DescribePortLink(path, resolver);
}

}  // namespace tav::cli
