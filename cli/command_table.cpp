#include "command_table.h"

#include <algorithm>

#include "commands.h"
#include "console.h"
#include "link/dispatcher.h"
#include "link/protocol.h"
#include "translation.h"

namespace tav::cli {

namespace {

int Transfer(const Args& a, unsigned operation, bool read) {
    ExpectPositional(a, 0);
    return read ? RunRead(a, operation, 1) : RunWrite(a, operation, 1);
}

bool Takes(const Command& c, std::string_view option) {
    return std::find(c.options.begin(), c.options.end(), option) != c.options.end();
}

}  // namespace

const std::vector<Command>& Commands() {
    static const std::vector<std::string_view> kWrite = {"--image", "--backup", "--backup-full",
                                                         "--verify"};
    static const std::vector<Command> commands = {
        {"version",
         "version",
         QT_TRANSLATE_NOOP("Tavctl", "Asks the receiver for its version and prints the answer."),
         {},
         true,
         [](const Args& a) { return RunVersion(a); }},
        {"read-all",
         "read-all --image FILE",
         QT_TRANSLATE_NOOP(
             "Tavctl",
             "Reads the receiver's whole memory (1024 records) into the settings file FILE."),
         {"--image"},
         true,
         [](const Args& a) { return Transfer(a, kReadAllMemory, true); }},
        {"write-all",
         "write-all --image FILE [--only-changed BASE] [--backup DIR [--backup-full]] [--verify]",
         QT_TRANSLATE_NOOP(
             "Tavctl", "Writes the whole memory image of the settings file FILE to the receiver."),
         {"--image", "--backup", "--backup-full", "--verify", "--only-changed"},
         true,
         [](const Args& a) { return Transfer(a, kWriteAllMemory, false); }},
        {"read-remote",
         "read-remote N --image FILE",
         QT_TRANSLATE_NOOP(
             "Tavctl",
             "Reads remote N (1..1000) from the receiver into FILE; the rest of FILE stays."),
         {"--image"},
         true,
         [](const Args& a) { return RunRead(a, kReadSelectedRemote, RemoteArgument(a)); }},
        {"write-remote", "write-remote N --image FILE [--backup DIR [--backup-full]] [--verify]",
         QT_TRANSLATE_NOOP("Tavctl", "Writes remote N (1..1000) of FILE to the receiver."), kWrite,
         true, [](const Args& a) { return RunWrite(a, kWriteSelectedRemote, RemoteArgument(a)); }},
        {"read-scenarios",
         "read-scenarios --image FILE",
         QT_TRANSLATE_NOOP("Tavctl",
                           "Reads the four scenarios with their timers and delays into FILE."),
         {"--image"},
         true,
         [](const Args& a) { return Transfer(a, kReadScenarios, true); }},
        {"write-scenarios",
         "write-scenarios --image FILE [--backup DIR [--backup-full]] [--verify]",
         QT_TRANSLATE_NOOP(
             "Tavctl",
             "Writes the four scenarios with their timers and delays of FILE to the receiver."),
         kWrite, true, [](const Args& a) { return Transfer(a, kWriteScenarios, false); }},
        {"read-clock-events",
         "read-clock-events --image FILE",
         QT_TRANSLATE_NOOP("Tavctl",
                           "Reads the four clock events and their transmitters into FILE."),
         {"--image"},
         true,
         [](const Args& a) { return Transfer(a, kReadClockEvents, true); }},
        {"write-clock-events",
         "write-clock-events --image FILE [--backup DIR [--backup-full]] [--verify]",
         QT_TRANSLATE_NOOP(
             "Tavctl",
             "Writes the four clock events and their transmitters of FILE to the receiver."),
         kWrite, true, [](const Args& a) { return Transfer(a, kWriteClockEvents, false); }},
        {"read-display",
         "read-display --image FILE",
         QT_TRANSLATE_NOOP("Tavctl", "Reads the display settings into FILE."),
         {"--image"},
         true,
         [](const Args& a) { return Transfer(a, kReadDisplaySettings, true); }},
        {"write-display", "write-display --image FILE [--backup DIR [--backup-full]] [--verify]",
         QT_TRANSLATE_NOOP("Tavctl", "Writes the display settings of FILE to the receiver."),
         kWrite, true, [](const Args& a) { return Transfer(a, kWriteDisplaySettings, false); }},
        {"set-clock",
         "set-clock",
         QT_TRANSLATE_NOOP("Tavctl", "Sets the receiver's clock from this computer's local time."),
         {},
         true,
         [](const Args& a) { return RunPlain(a, kSetClock); }},
        {"restore",
         "restore BACKUP [--verify]",
         QT_TRANSLATE_NOOP(
             "Tavctl",
             "Writes a backup made by --backup back to the receiver, exactly as it was\n"
             "taken: a partial backup (backup-*.tvr) writes back only the records it holds,\n"
             "one at a time, and leaves every other record as it is; a whole backup\n"
             "(backup-*.tv2, or any settings file) is written whole, as write-all writes it.\n"
             "--verify reads the restored records back and compares them."),
         {"--verify"},
         true,
         [](const Args& a) { return RunRestore(a); }},
        {"erase",
         "erase [--yes] [--backup DIR]",
         QT_TRANSLATE_NOOP(
             "Tavctl",
             "Erases the receiver's whole memory: every remote, scenario, clock event and\n"
             "display setting in it is lost. On a terminal it asks first (No unless the\n"
             "answer is y or yes); elsewhere it needs --yes. --backup DIR first saves the\n"
             "whole memory as DIR/backup-YYYYMMDD-HHMMSS.tv2 (restore writes it back; DIR\n"
             "is made when missing); if that fails, nothing is erased."),
         {"--yes", "--backup"},
         true,
         [](const Args& a) { return RunErase(a); }},
        {"update-firmware",
         "update-firmware [--firmware FILE]",
         QT_TRANSLATE_NOOP(
             "Tavctl",
             "Loads firmware into a receiver whose boot loader runs (switch it off, then on\n"
             "again while holding YES and NO). FILE must hold exactly 30,720 bytes; without\n"
             "it the image built into tavctl is sent. A build without a built-in image (the\n"
             "default: one is built in only with the CMake option TAV_FIRMWARE_IMAGE=FILE)\n"
             "needs --firmware FILE: without it, it sends nothing, says so and exits 1."),
         {"--firmware"},
         true,
         [](const Args& a) { return RunUpdateFirmware(a); }},
        {"monitor",
         "monitor [--history] [--duration SECONDS]",
         QT_TRANSLATE_NOOP(
             "Tavctl",
             "Prints the receiver's event lines as they arrive, in UTF-8, history markers\n"
             "included. --history asks for the stored event history after the start.\n"
             "Without --duration it runs until interrupted (Ctrl+C)."),
         {"--history", "--duration"},
         true,
         [](const Args& a) { return RunMonitor(a); }},
        {"ports",
         "ports [--json] | ports --find [DEVICE...]",
         QT_TRANSLATE_NOOP(
             "Tavctl",
             "Lists COM1..COM15 with the device each opens now and what the system knows of\n"
             "it: for a USB adapter its vendor:product ids, manufacturer, product name,\n"
             "serial number and stable links (/dev/serial/by-id/...), which --port also\n"
             "takes; for a built-in UART only its path. Links to a device in /dev itself\n"
             "(a udev rule's or one made by hand, /dev/tav) are listed with it. With --port\n"
             "PATH, a last line says what PATH is: the serial device it names and its COM\n"
             "name, or that it is not a serial device. --json prints one JSON array.\n"
             "--find asks each present port (or each DEVICE given) for the receiver's\n"
             "version, one at a time, and prints the first that answers."),
         {"--json", "--find"},
         false,
         [](const Args& a) { return RunPorts(a); }},
        {"show",
         "show FILE [--json]",
         QT_TRANSLATE_NOOP("Tavctl", "Prints the configuration in the settings file FILE."),
         {"--json"},
         false,
         [](const Args& a) { return RunShow(a); }},
        {"diff",
         "diff FILE_A (FILE_B | --port PORT) [--json]",
         QT_TRANSLATE_NOOP(
             "Tavctl",
             "Prints the fields in which two settings files differ, one a line:\n"
             "NAME: VALUE_A -> VALUE_B. With one FILE and --port, compares FILE (A) with\n"
             "the receiver's whole memory (B), read without changing anything. --json\n"
             "prints one JSON array of {field, offset, length, a, b, a_bytes, b_bytes}.\n"
             "Exit status as diff(1): 0 the same, 1 different, 2 trouble (a file or the\n"
             "receiver could not be read, or a usage error)."),
         {"--json"},
         false,
         [](const Args& a) { return RunDiff(a); }},
        {"report",
         "report (FILE | --port PORT) --pdf OUT.pdf",
         QT_TRANSLATE_NOOP(
             "Tavctl",
             "Writes the configuration in the settings file FILE, or read from the receiver\n"
             "on PORT (its whole memory, and its version), as a report for the customer's\n"
             "records to OUT.pdf: A4, margins of 15 mm, the page number at each page's foot.\n"
             "It holds the file's name or the port, the date and the receiver's version; the\n"
             "remotes in use (number, name, serial, scenario); per scenario each button's\n"
             "relays in words (mode, timer or delay with its time); the clock events that\n"
             "are on; the display settings; lines for the installer's and the customer's\n"
             "signatures. A section with nothing in it says so. In Polish where the user's\n"
             "language is Polish, in English otherwise. The window's \"Plik\" menu prints\n"
             "the same report."),
         {"--pdf"},
         false,
         [](const Args& a) { return RunReport(a); }},
        {"import-tav500",
         "import-tav500 FILE.tvs --image FILE",
         QT_TRANSLATE_NOOP(
             "Tavctl",
             "Imports the remote serial numbers of a TAV-500 file into the settings file\n"
             "FILE (a zero-filled image when FILE does not exist)."),
         {"--image"},
         false,
         [](const Args& a) { return RunImport(a); }},
        {"remotes",
         "remotes export FILE --csv OUT.csv [--excel] [--separator SEP] [--encoding ENC] | "
         "remotes import IN.csv --image FILE [--replace [--yes]] [--strict] [--backup DIR]",
         QT_TRANSLATE_NOOP(
             "Tavctl",
             "export writes the remotes in use of the settings file FILE to OUT.csv, for a\n"
             "spreadsheet: a header row, then number,serial,scenario,name with the serial as\n"
             "the window shows it (12:34:56:7a), the scenario 0..3 and the name (RFC 4180\n"
             "quoting, CR LF line ends). SEP is ',' (the default) or ';'; ENC is utf-8 (the\n"
             "default), utf-8-bom or windows-1250. --excel writes what a spreadsheet on a\n"
             "Polish computer opens right on a double click: ';', UTF-8 with a byte-order\n"
             "mark and the header numer;numer seryjny;scenariusz;nazwa (--separator and\n"
             "--encoding given too take precedence). Excel on a Polish Windows opens --excel\n"
             "and --separator ';' --encoding windows-1250 cleanly; LibreOffice Calc and\n"
             "Google Sheets open the default (LibreOffice asks, and takes every form). A name\n"
             "starting with =, +, - or @ is written after an apostrophe so that no\n"
             "spreadsheet takes it for a formula; import takes the apostrophe off.\n"
             "import takes ',' or ';' (as the header row, or the first row, has them) and\n"
             "UTF-8 (with or without a byte-order mark) or Windows-1250 (a file that is not\n"
             "UTF-8), a header in English or Polish (first cell number or numer), and checks\n"
             "every row (number 1..1000, serial of four hex pairs, scenario 0..3, a name of\n"
             "at most 26 characters that the receiver can store, no number twice); rows\n"
             "whose cells are all empty are skipped. One bad row refuses the whole file:\n"
             "each bad row is named with its reason, the separator and encoding found are\n"
             "said, and FILE is not changed. Otherwise each row's remote gets its serial,\n"
             "then its scenario (the last two bits of the serial's last byte) and its name;\n"
             "nothing else in FILE changes (a zero-filled image when FILE does not exist).\n"
             "A serial whose last two bits name another scenario than the row's is a warning\n"
             "naming the row (the scenario column wins); --strict makes it a bad row. A\n"
             "remote in use that IN.csv leaves out stays as it is, and the summary says how\n"
             "many; with --replace it is emptied (serial 00:00:00:00, no name) and the\n"
             "summary names it: on a terminal tavctl asks first, elsewhere it needs --yes.\n"
             "--backup DIR first saves FILE as it was as DIR/backup-YYYYMMDD-HHMMSS.tv2\n"
             "(DIR is made when missing). The serial 00:00:00:00 empties a slot."),
         {"--image", "--csv", "--separator", "--encoding", "--excel", "--replace", "--yes",
          "--strict", "--backup"},
         false,
         [](const Args& a) { return RunRemotes(a); }},
        {"remote",
         "remote set N --image FILE [--name TEXT] [--serial XX:XX:XX:XX] [--scenario S] | remote "
         "clear N --image FILE",
         QT_TRANSLATE_NOOP(
             "Tavctl",
             "set changes remote N (1..1000) of the settings file FILE: its serial, then its\n"
             "scenario 0..3 (the last two bits of the serial's last byte), then its name,\n"
             "each where given, with the checks of remotes import; an empty slot needs\n"
             "--serial (a zero-filled image when FILE does not exist). clear empties the\n"
             "slot: serial 00:00:00:00 and no name. A value that does not pass is named and\n"
             "FILE is not changed (exit status 1)."),
         {"--image", "--name", "--serial", "--scenario"},
         false,
         [](const Args& a) { return RunRemote(a); }},
    };
    return commands;
}

const Command* FindCommand(std::string_view name) {
    for (const Command& c : Commands()) {
        if (name == c.name) {
            return &c;
        }
    }
    return nullptr;
}

void PrintToolHelp(std::FILE* out) {
    WriteText(out, Tr(Tavctl::tr("Usage: tavctl [--port PORT] COMMAND [ARGS]\n"
                                 "The TAV-1000R configuration tool for scripts.\n\n")));
    WriteText(out, PortOptionHelp());
    WriteText(out, Tr(Tavctl::tr("\nDevice commands:\n")));
    bool device = true;
    for (const Command& c : Commands()) {
        if (device && !c.device) {
            device = false;
            WriteText(out, Tr(Tavctl::tr("\nOther commands:\n")));
        }
        WriteText(out, "  " + std::string(c.synopsis) + "\n");
    }
    WriteText(out,
              Tr(Tavctl::tr(
                  "\nMessages go to standard error as \"CAPTION: TEXT\". Exit status: 0 done,\n"
                  "1 refused or failed, 2 usage error (diff as diff(1): 0 the same, 1 different,\n"
                  "2 trouble). 'tavctl COMMAND --help' tells more; 'tavctl --version' prints\n"
                  "the version.\n")));
}

void PrintCommandHelp(const Command& c, std::FILE* out) {
    const std::string usage =
        Tr(Tavctl::tr("Usage: tavctl %1%2"), std::string(c.device ? "[--port PORT] " : ""),
           std::string(c.synopsis));
    // The texts are in the table as they are written; the translation is
    // looked up by them.
    const std::string text = Tr(Tavctl::tr(std::string(c.text).c_str()));
    WriteText(out, usage + "\n" + text + "\n");
    if (Takes(c, "--only-changed")) {
        // The times in the C locale's digits, as the rest of tavctl prints them.
        char single[32];
        char bulk[32];
        std::snprintf(single, sizeof single, "%.1f", kSingleWriteMicros / 1000);
        std::snprintf(bulk, sizeof bulk, "%.1f", kBulkTransferMicros / 1e6);
        WriteText(
            out,
            Tr(Tavctl::tr(
                   "\n--only-changed BASE writes only the records in which FILE differs from BASE\n"
                   "(typically the file the receiver was last read into), one record at a time\n"
                   "over one open port after one version query. On the 9600-baud line one\n"
                   "record costs %1 ms (37 bytes and the pauses of 50 and 10 ms), the bulk\n"
                   "write %2 s (34 bytes a record for 1024 records and a pause of 50 ms), so\n"
                   "up to %3 changed records go one at a time and more go by the bulk write.\n"
                   "Nothing is written when FILE and BASE hold the same records.\n"),
               std::string(single), std::string(bulk),
               std::to_string(SingleRecordLimit(kSingleWriteMicros))));
    }
    if (Takes(c, "--backup-full")) {
        WriteText(
            out,
            Tr(Tavctl::tr(
                "\n--backup DIR first reads from the receiver the records this write will "
                "change\n"
                "into a new partial backup DIR/backup-YYYYMMDD-HHMMSS.tvr, which holds those\n"
                "records with their numbers and nothing else (the whole memory as a settings\n"
                "file DIR/backup-YYYYMMDD-HHMMSS.tv2 with --backup-full, or when the bulk read\n"
                "is quicker). 'tavctl restore BACKUP' writes either back. DIR is made, with "
                "its\n"
                "parents, when missing. An existing file is never replaced (the same second\n"
                "gets -2 .. -9); if the backup cannot be read or saved, nothing is written.\n"
                "--verify reads the written records back afterwards and compares them byte for\n"
                "byte; the first record that differs is reported (record, byte, offset, both\n"
                "values) and the exit status is 1.\n")));
    }
}

}  // namespace tav::cli
