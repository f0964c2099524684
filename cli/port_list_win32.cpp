// tavctl ports on Windows: the COM ports Windows knows and what the device
// manager knows of each (PlatformPortResolver::PresentPorts).
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonValue>
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
    std::string vendorId;
    std::string productId;
};

QString Q(const std::string& s) {
    return QString::fromStdString(PrintableText(s));
}

}  // namespace

std::string FormatPortList(const PlatformPortResolver& resolver, bool json) {
    std::vector<std::string> known;
    std::map<std::string, KnownPort> details;
    for (const PresentPort& p : resolver.PresentPorts()) {
        known.push_back(PortName(p.index));
        details[known.back()] = {p.device, p.description, p.manufacturer, p.vendorId, p.productId};
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

    std::string text;
    QJsonArray list;
    for (std::size_t index = 0; index < names.size(); ++index) {
        const std::string& name = names[index];
        const bool present = std::find(known.begin(), known.end(), name) != known.end();
        KnownPort port = details.count(name) != 0 ? details[name] : KnownPort{};
        port.device = index < PortNames.size()
                          ? resolver.DevicePath(static_cast<int>(index)).value_or("")
                          : "\\\\.\\" + name;
        if (json) {
            QJsonValue usb = QJsonValue::Null;
            if (!port.vendorId.empty()) {
                usb = QJsonObject{{"vendor_id", Q(port.vendorId)},
                                  {"product_id", Q(port.productId)},
                                  {"manufacturer", Q(port.manufacturer)},
                                  {"product", Q(port.friendlyName)},
                                  {"serial_number", ""}};
            }
            list.append(QJsonObject{
                {"name", Q(name)},
                {"device", present ? QJsonValue(Q(port.device)) : QJsonValue()},
                {"friendly_name", present ? QJsonValue(Q(port.friendlyName)) : QJsonValue()},
                {"usb", usb},
                {"stable_links", QJsonArray{}}});
            continue;
        }
        std::string line = name + std::string(name.size() < 7 ? 7 - name.size() : 1, ' ') +
                           (present ? port.device : "-");
        if (present && !port.friendlyName.empty()) {
            line += "  " + port.friendlyName;
        }
        if (present && !port.vendorId.empty()) {
            line += "  USB " + port.vendorId + ":" + port.productId;
        }
        if (present && !port.manufacturer.empty()) {
            line += "  " + port.manufacturer;
        }
        text += PrintableText(line) + "\n";
    }
    return json ? QJsonDocument(list).toJson(QJsonDocument::Indented).toStdString() : text;
}

}  // namespace tav::cli
