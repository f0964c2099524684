#include "image_report.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonValue>
#include <QString>

#include <array>
#include <cstdio>
#include <string_view>

#include "device_text.h"

namespace tav::cli {

namespace {

std::string Hex(const MemoryImage& image, std::size_t offset, std::size_t length) {
    std::string s;
    char buf[4];
    for (std::size_t i = 0; i < length; ++i) {
        std::snprintf(buf, sizeof buf, i == 0 ? "%02x" : " %02x", image.at(offset + i));
        s += buf;
    }
    return s;
}

// A name between quotes, with control characters (C0, DEL and the C1 range)
// written as escapes: a name stored in a receiver must not be able to drive
// the terminal it is shown on.
std::string Quoted(const std::string& utf8) {
    std::string out = "\"";
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        const auto c = static_cast<unsigned char>(utf8[i]);
        const auto next = i + 1 < utf8.size() ? static_cast<unsigned char>(utf8[i + 1]) : 0u;
        char escape[8];
        if (c < 0x20 || c == 0x7F) {
            std::snprintf(escape, sizeof escape, "\\x%02x", c);
            out += escape;
        } else if (c == 0xC2 && next >= 0x80 && next <= 0x9F) {
            std::snprintf(escape, sizeof escape, "\\u%04x", next);
            out += escape;
            ++i;
        } else {
            if (c == '"' || c == '\\') {
                out += '\\';
            }
            out += static_cast<char>(c);
        }
    }
    return out + "\"";
}

std::string Text(const MemoryImage& image, std::size_t offset) {
    return Windows1250ToUtf8(ReadDeviceText(image, offset));
}

std::string OnOff(bool on) {
    return on ? "on" : "off";
}

std::string DisplayModeText(std::uint8_t mode) {
    std::string s = std::to_string(mode);
    if (mode < DisplayModeNames.size()) {
        s += " ";
        s += DisplayModeNames[mode];
    }
    return s;
}

std::size_t RecordOffset(int record) {
    return static_cast<std::size_t>(record) * kRecordSize;
}

QString Q(const std::string& utf8) {
    return QString::fromStdString(utf8);
}

QJsonValue ModeName(int mode) {
    if (mode < kRelayModeCount) {
        return Q(std::string(RelayModeNames[static_cast<std::size_t>(mode)]));
    }
    return QJsonValue::Null;
}

QJsonObject TimerJson(const MemoryImage& image, int scenario, int row) {
    return QJsonObject{{"hours", image.at(TimerFieldOffset(scenario, row, 0))},
                       {"minutes", image.at(TimerFieldOffset(scenario, row, 1))},
                       {"seconds", image.at(TimerFieldOffset(scenario, row, 2))},
                       {"tenths", image.at(TimerFieldOffset(scenario, row, 3))}};
}

}  // namespace

std::vector<ImageField> ImageFields(const MemoryImage& image) {
    std::vector<ImageField> f;
    f.reserve(6400);
    auto add = [&f](std::string name, std::string value, std::size_t offset, std::size_t length) {
        f.push_back({std::move(name), std::move(value), offset, length, false});
    };
    auto raw = [&f, &image](std::string name, std::size_t offset, std::size_t length) {
        f.push_back({std::move(name), Hex(image, offset, length), offset, length, true});
    };

    for (int r = 0; r < kRemoteCount; ++r) {
        const std::size_t o = RecordOffset(r);
        const std::string p = "remote " + std::to_string(r + 1) + " ";
        add(p + "serial", FormatSerialNumber(image, r), o, 4);
        add(p + "scenario", std::to_string(RemoteScenario(image, r)), o + 3, 1);
        raw(p + "bytes 4-5", o + 4, 2);
        add(p + "name", Quoted(Text(image, o + kTextFieldStart)), o + kTextFieldStart,
            kDeviceTextLength);
    }
    for (int i = 0; i < 4; ++i) {
        const std::size_t o = RecordOffset(kFirstClockTransmitterRecord + i);
        const std::string p = "clock event " + std::to_string(1001 + i) + " ";
        raw(p + "bytes 0-2", o, 3);
        add(p + "scenario", std::to_string(ClockTransmitterScenario(image, i)), o + 3, 1);
        raw(p + "bytes 4-5", o + 4, 2);
        add(p + "name", Quoted(Text(image, o + kTextFieldStart)), o + kTextFieldStart,
            kDeviceTextLength);
    }
    for (int i = 0; i < 4; ++i) {
        const std::size_t o = kClockEventOffset + static_cast<std::size_t>(i) * 8;
        const std::string p = "clock event " + std::to_string(1001 + i) + " ";
        const ClockEvent e = DecodeClockEvent(image, i);
        add(p + "enabled", OnOff(e.switchedOn), o, 1);
        add(p + "button", std::to_string(e.button + 1), o + 1, 1);
        add(p + "pattern", e.pattern, o + 2, 6);
    }
    add("display mode", DisplayModeText(DisplayMode(image)), kDisplayModeOffset, 1);
    add("display confirmation", OnOff(IsEventConfirmationOn(image)), kDisplayConfirmationOffset, 1);
    raw("display bytes 2-3", kDisplayOffset + 2, 2);
    add("display button as remote", OnOff(IsButtonAsRemoteOn(image)), kDisplayButtonAsRemoteOffset,
        1);
    raw("display byte 5", kDisplayOffset + 5, 1);
    add("display text", Quoted(Text(image, kDisplayTextOffset)), kDisplayTextOffset,
        kDeviceTextLength);
    raw("record 1006", RecordOffset(1006), kRecordSize);
    raw("record 1007", RecordOffset(1007), kRecordSize);
    for (int s = 0; s < kScenarioCount; ++s) {
        const std::string p = "scenario " + std::to_string(s) + " ";
        for (int row = 0; row < kShownButtonRows; ++row) {
            for (int relay = 0; relay < kRelayCount; ++relay) {
                const std::size_t o = ScenarioCellOffset(s, row, relay);
                add(p + "button " + std::to_string(row + 1) + " relay " + std::to_string(relay + 1),
                    Quoted(ScenarioCellText(image.at(o))), o, 1);
            }
        }
        raw(p + "buttons 15-16", ScenarioCellOffset(s, kShownButtonRows, 0), 8);
    }
    for (int s = 0; s < kScenarioCount; ++s) {
        const std::string p = "scenario " + std::to_string(s) + " ";
        for (int row = 0; row < kTimerRows; ++row) {
            add(p + (row < 4 ? "timer " : "delay ") + std::to_string(row % 4),
                FormatTimerValue(image, s, row), TimerFieldOffset(s, row, 0), kTimerFields);
        }
    }
    for (int r = 1020; r < kRecordCount; ++r) {
        raw("record " + std::to_string(r), RecordOffset(r), kRecordSize);
    }
    return f;
}

std::vector<FieldDifference> DifferingFields(const MemoryImage& a, const MemoryImage& b) {
    const std::vector<ImageField> fa = ImageFields(a);
    const std::vector<ImageField> fb = ImageFields(b);
    std::vector<FieldDifference> out;
    for (std::size_t i = 0; i < fa.size(); ++i) {
        const ImageField& x = fa[i];
        bool same = true;
        for (std::size_t k = 0; k < x.length; ++k) {
            same = same && a.at(x.offset + k) == b.at(x.offset + k);
        }
        if (!same) {
            out.push_back({x.name, x.offset, x.length, x.value, fb[i].value,
                           Hex(a, x.offset, x.length), Hex(b, x.offset, x.length)});
        }
    }
    return out;
}

std::vector<std::string> DiffImages(const MemoryImage& a, const MemoryImage& b) {
    std::vector<std::string> out;
    for (const FieldDifference& d : DifferingFields(a, b)) {
        if (d.a == d.b) {
            out.push_back(d.name + ": " + d.a + " [" + d.aBytes + "] -> " + d.b + " [" + d.bBytes +
                          "]");
        } else {
            out.push_back(d.name + ": " + d.a + " -> " + d.b);
        }
    }
    return out;
}

std::string FormatDiffJson(const std::vector<FieldDifference>& differences) {
    QJsonArray list;
    for (const FieldDifference& d : differences) {
        list.append(QJsonObject{{"field", Q(d.name)},
                                {"offset", static_cast<qint64>(d.offset)},
                                {"length", static_cast<qint64>(d.length)},
                                {"a", Q(d.a)},
                                {"b", Q(d.b)},
                                {"a_bytes", Q(d.aBytes)},
                                {"b_bytes", Q(d.bBytes)}});
    }
    return QJsonDocument(list).toJson(QJsonDocument::Indented).toStdString();
}

std::string FormatImageText(const MemoryImage& image) {
    std::string s;
    char buf[160];
    int used = 0;
    for (int r = 0; r < kRemoteCount; ++r) {
        used += IsRemoteSlotUsed(image, r) ? 1 : 0;
    }
    s += "Remotes in use: " + std::to_string(used) + " of " + std::to_string(kRemoteCount) + "\n";
    for (int r = 0; r < kRemoteCount; ++r) {
        if (!IsRemoteSlotUsed(image, r)) {
            continue;
        }
        std::snprintf(buf, sizeof buf, "  %4d  %s  scenario %d  ", r + 1,
                      FormatSerialNumber(image, r).c_str(), RemoteScenario(image, r));
        s += buf + Quoted(Text(image, TextFieldOffset(r))) + "\n";
    }

    s += "\nClock events:\n";
    for (int i = 0; i < 4; ++i) {
        const ClockEvent e = DecodeClockEvent(image, i);
        std::snprintf(buf, sizeof buf, "  NADAJNIK %d  %-3s  button %-3d  %s  scenario %u  ",
                      1001 + i, OnOff(e.switchedOn).c_str(), e.button + 1, e.pattern.c_str(),
                      ClockTransmitterScenario(image, i));
        s += buf + Quoted(Text(image, TextFieldOffset(kFirstClockTransmitterRecord + i))) + "\n";
    }

    s += "\nDisplay:\n";
    s += "  mode: " + DisplayModeText(DisplayMode(image)) + "\n";
    s += "  event confirmation: " + OnOff(IsEventConfirmationOn(image)) + "\n";
    s += "  button as remote 1000: " + OnOff(IsButtonAsRemoteOn(image)) + "\n";
    s += "  text: " + Quoted(Text(image, kDisplayTextOffset)) + "\n";

    for (int sc = 0; sc < kScenarioCount; ++sc) {
        s += "\nSCENARIUSZ " + std::to_string(sc) + ":\n";
        std::snprintf(buf, sizeof buf, "  %-18s %-18s %-18s %-18s %s\n", "", "relay 1", "relay 2",
                      "relay 3", "relay 4");
        s += buf;
        for (int row = 0; row < kShownButtonRows; ++row) {
            std::snprintf(
                buf, sizeof buf, "  %-18s",
                row == 13 ? "PRZYCISK 14/ALARM" : ("PRZYCISK " + std::to_string(row + 1)).c_str());
            s += buf;
            for (int relay = 0; relay < kRelayCount; ++relay) {
                std::snprintf(
                    buf, sizeof buf, " %-18s",
                    ScenarioCellText(image.at(ScenarioCellOffset(sc, row, relay))).c_str());
                s += buf;
            }
            while (!s.empty() && s.back() == ' ') {
                s.pop_back();
            }
            s += "\n";
        }
        for (int row = 0; row < kTimerRows; ++row) {
            s += row < 4 ? "  TIMER " : "  OPOZNIENIE ";
            s += std::to_string(row % 4) + ": " + FormatTimerValue(image, sc, row) + "\n";
        }
    }
    return s;
}

std::string FormatImageJson(const MemoryImage& image) {
    QJsonArray remotes;
    for (int r = 0; r < kRemoteCount; ++r) {
        remotes.append(QJsonObject{{"number", r + 1},
                                   {"used", IsRemoteSlotUsed(image, r)},
                                   {"serial", Q(FormatSerialNumber(image, r))},
                                   {"scenario", RemoteScenario(image, r)},
                                   {"name", Q(Text(image, TextFieldOffset(r)))}});
    }
    QJsonArray clockEvents;
    for (int i = 0; i < 4; ++i) {
        const ClockEvent e = DecodeClockEvent(image, i);
        clockEvents.append(QJsonObject{
            {"transmitter", 1001 + i},
            {"enabled", e.switchedOn},
            {"button_index", e.button},
            {"pattern", Q(e.pattern)},
            {"scenario", ClockTransmitterScenario(image, i)},
            {"name", Q(Text(image, TextFieldOffset(kFirstClockTransmitterRecord + i)))}});
    }
    const std::uint8_t mode = DisplayMode(image);
    const QJsonObject display{{"mode", mode},
                              {"mode_name", mode < DisplayModeNames.size()
                                                ? QJsonValue(Q(std::string(DisplayModeNames[mode])))
                                                : QJsonValue(QJsonValue::Null)},
                              {"confirmation", IsEventConfirmationOn(image)},
                              {"button_as_remote", IsButtonAsRemoteOn(image)},
                              {"text", Q(Text(image, kDisplayTextOffset))}};
    QJsonArray scenarios;
    for (int s = 0; s < kScenarioCount; ++s) {
        QJsonArray cells;
        for (int row = 0; row < kShownButtonRows; ++row) {
            QJsonArray relays;
            for (int relay = 0; relay < kRelayCount; ++relay) {
                const std::uint8_t a = image.at(ScenarioCellOffset(s, row, relay));
                relays.append(QJsonObject{{"mode", ActionMode(a)},
                                          {"mode_name", ModeName(ActionMode(a))},
                                          {"timer", ActionTimer(a)},
                                          {"delay", ActionDelay(a)},
                                          {"text", Q(ScenarioCellText(a))}});
            }
            cells.append(relays);
        }
        QJsonArray timers;
        QJsonArray delays;
        for (int row = 0; row < 4; ++row) {
            timers.append(TimerJson(image, s, row));
            delays.append(TimerJson(image, s, row + 4));
        }
        scenarios.append(
            QJsonObject{{"number", s}, {"cells", cells}, {"timers", timers}, {"delays", delays}});
    }
    const QJsonObject root{{"remotes", remotes},
                           {"clock_events", clockEvents},
                           {"display", display},
                           {"scenarios", scenarios}};
    return QJsonDocument(root).toJson(QJsonDocument::Indented).toStdString();
}

}  // namespace tav::cli
