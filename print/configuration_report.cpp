#include "configuration_report.h"

#include <QCoreApplication>
#include <QLocale>
#include <QStringList>

#include "image/windows1250.h"
#include "page_print.h"

namespace tav::print {

namespace {

// The translation context of the report's words.
class ConfigurationReport {
    Q_DECLARE_TR_FUNCTIONS(ConfigurationReport)
};

QString Name(const MemoryImage& image, std::size_t offset) {
    return QString::fromStdU16String(DecodeWindows1250(ReadDeviceText(image, offset)));
}

QString Latin(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QString OnOff(bool on) {
    return on ? ConfigurationReport::tr("on") : ConfigurationReport::tr("off");
}

// A section's heading, underlined.
void Heading(QStringList& lines, const QString& title) {
    lines << QString() << title << QString(title.size(), QLatin1Char('-'));
}

void Remotes(QStringList& lines, const MemoryImage& image) {
    int used = 0;
    for (int r = 0; r < kRemoteCount; ++r) {
        used += IsRemoteSlotUsed(image, r) ? 1 : 0;
    }
    Heading(lines, ConfigurationReport::tr("Remotes in use: %1 of %2").arg(used).arg(kRemoteCount));
    if (used == 0) {
        lines << ConfigurationReport::tr("none");
        return;
    }
    lines << QStringLiteral("%1  %2  %3  %4")
                 .arg(ConfigurationReport::tr("No."), -5)
                 .arg(ConfigurationReport::tr("Name"), -26)
                 .arg(ConfigurationReport::tr("Serial"), -11)
                 .arg(ConfigurationReport::tr("Scenario"));
    for (int r = 0; r < kRemoteCount; ++r) {
        if (IsRemoteSlotUsed(image, r)) {
            // One pass: a name holding "%2" stays as it is.
            lines << QStringLiteral("%1  %2  %3  %4")
                         .arg(QString::number(r + 1).leftJustified(5),
                              Name(image, TextFieldOffset(r)).leftJustified(26),
                              Latin(FormatSerialNumber(image, r)).leftJustified(11),
                              QString::number(RemoteScenario(image, r)));
        }
    }
}

// One relay's action in words: its mode, and the timer or delay it uses with
// that timer's time.
QString RelayWords(const MemoryImage& image, int scenario, std::uint8_t action) {
    const int mode = ActionMode(action);
    QString words = mode < kRelayModeCount ? Latin(RelayModeNames[static_cast<std::size_t>(mode)])
                                           : ConfigurationReport::tr("unknown mode %1").arg(mode);
    if (ModeUsesTimer(mode)) {
        const int timer = ActionTimer(action);
        words += QStringLiteral(", ") + ConfigurationReport::tr("timer %1: %2")
                                            .arg(timer)
                                            .arg(Latin(FormatTimerValue(image, scenario, timer)));
    }
    if (ModeUsesDelay(mode)) {
        const int delay = ActionDelay(action);
        words +=
            QStringLiteral(", ") + ConfigurationReport::tr("delay %1: %2")
                                       .arg(delay)
                                       .arg(Latin(FormatTimerValue(image, scenario, 4 + delay)));
    }
    return words;
}

// The mode that does nothing: a relay with it is left out of the report.
constexpr int kNoActionMode = 11;

void Scenarios(QStringList& lines, const MemoryImage& image) {
    for (int s = 0; s < kScenarioCount; ++s) {
        int remotes = 0;
        for (int r = 0; r < kRemoteCount; ++r) {
            remotes += IsRemoteSlotUsed(image, r) && RemoteScenario(image, r) == s ? 1 : 0;
        }
        Heading(lines, ConfigurationReport::tr("Scenario %1 (remotes: %2)").arg(s).arg(remotes));
        int buttons = 0;  // with an action
        for (int row = 0; row < kShownButtonRows; ++row) {
            QString button = row == kShownButtonRows - 1
                                 ? ConfigurationReport::tr("button 14/alarm")
                                 : ConfigurationReport::tr("button %1").arg(row + 1);
            for (int relay = 0; relay < kRelayCount; ++relay) {
                const std::uint8_t action = image.at(ScenarioCellOffset(s, row, relay));
                if (ActionMode(action) == kNoActionMode) {
                    continue;
                }
                lines << QStringLiteral("%1  %2: %3")
                             .arg(button, -17)
                             .arg(ConfigurationReport::tr("relay %1").arg(relay + 1))
                             .arg(RelayWords(image, s, action));
                button.clear();  // named on its first line only
            }
            buttons += button.isEmpty() ? 1 : 0;
        }
        if (buttons == 0) {
            lines << ConfigurationReport::tr("none");
        } else if (buttons < kShownButtonRows) {
            lines << ConfigurationReport::tr("other buttons: %1")
                         .arg(Latin(RelayModeNames[static_cast<std::size_t>(kNoActionMode)]));
        }
    }
}

void ClockEvents(QStringList& lines, const MemoryImage& image) {
    Heading(lines, ConfigurationReport::tr("Clock events"));
    bool any = false;
    for (int i = 0; i < 4; ++i) {
        const ClockEvent e = DecodeClockEvent(image, i);
        if (!e.switchedOn) {
            continue;
        }
        lines << ConfigurationReport::tr("transmitter %1: %2, button %3, scenario %4, \"%5\"")
                     .arg(1001 + i)
                     .arg(Latin(e.pattern))
                     .arg(e.button + 1)
                     .arg(ClockTransmitterScenario(image, i))
                     .arg(Name(image, TextFieldOffset(kFirstClockTransmitterRecord + i)));
        any = true;
    }
    if (!any) {
        lines << ConfigurationReport::tr("none");
    }
}

void Display(QStringList& lines, const MemoryImage& image) {
    Heading(lines, ConfigurationReport::tr("Display"));
    const std::uint8_t mode = DisplayMode(image);
    lines << ConfigurationReport::tr("mode: %1")
                 .arg(mode < DisplayModeNames.size()
                          ? Latin(DisplayModeNames[mode])
                          : ConfigurationReport::tr("unknown mode %1").arg(mode));
    lines << ConfigurationReport::tr("event confirmation: %1")
                 .arg(OnOff(IsEventConfirmationOn(image)));
    lines << ConfigurationReport::tr("button as remote 1000: %1")
                 .arg(OnOff(IsButtonAsRemoteOn(image)));
    const QString text = Name(image, kDisplayTextOffset);
    lines << ConfigurationReport::tr("user text: %1")
                 .arg(text.isEmpty() ? ConfigurationReport::tr("none")
                                     : QLatin1Char('"') + text + QLatin1Char('"'));
}

}  // namespace

QString ConfigurationReportTitle() {
    return ConfigurationReport::tr("TAV-1000R configuration report");
}

QString ConfigurationReportText(const MemoryImage& image, const ReportSource& source) {
    QStringList lines;
    if (!source.file.isEmpty()) {
        lines << ConfigurationReport::tr("Settings file: %1").arg(source.file);
    }
    if (!source.port.isEmpty()) {
        lines << ConfigurationReport::tr("Read from the receiver on: %1").arg(source.port);
    }
    lines << ConfigurationReport::tr("Date: %1")
                 .arg(QLocale(QLocale::Polish)
                          .toString(source.at, QStringLiteral("dd.MM.yyyy HH:mm")));
    if (!source.version.isEmpty()) {
        lines << ConfigurationReport::tr("Receiver version: %1").arg(source.version);
    }
    Remotes(lines, image);
    Scenarios(lines, image);
    ClockEvents(lines, image);
    Display(lines, image);
    lines << QString() << QString() << QString();
    const QString line(30, QLatin1Char('.'));
    lines << QStringLiteral("%1    %2").arg(line, line);
    lines << QStringLiteral("%1    %2")
                 .arg(ConfigurationReport::tr("installer's signature"), -30)
                 .arg(ConfigurationReport::tr("customer's signature"));
    return lines.join(QLatin1Char('\n'));
}

bool SaveConfigurationReportPdf(const QString& path, const MemoryImage& image,
                                const ReportSource& source) {
    return PrintPlainTextToPdf(path, ConfigurationReportTitle(),
                               ConfigurationReportText(image, source), ReportFont(), source.at);
}

}  // namespace tav::print
