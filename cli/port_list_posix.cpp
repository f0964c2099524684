// tavctl ports on Linux: the resolver's devices and what sysfs knows of them.
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonValue>
#include <QString>

#include "port_list.h"

namespace tav::cli {

namespace {

QString Q(const std::string& s) {
    return QString::fromStdString(PrintableText(s));
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
        text += PrintableText(line) + "\n";
        for (const std::string& l : info.stableLinks) {
            text += "       " + PrintableText(l) + "\n";
        }
    }
    return json ? QJsonDocument(list).toJson(QJsonDocument::Indented).toStdString() : text;
}

}  // namespace tav::cli
