// tavctl's file commands on made-up files: show, diff, import, remote lists as
// spreadsheets, remote set and clear, the report.
#include "tests/cli/tavctl_fixture.h"

namespace tav::tavctl_test {
namespace {

TEST_F(TavctlFiles, ShowJsonDecodesTheImage) {
    MemoryImage m;
    m.at(40 * 32 + 0) = 0x12;
    m.at(40 * 32 + 3) = 0x7A;
    WriteDeviceText(m, TextFieldOffset(40), "Gara\xbf");  // "Garaż"
    EncodeClockEvent(m, 2, "20**-**-** 12:00:00", false, 5);
    SetClockTransmitterScenario(m, 2, 3);
    WriteDisplayText(m, "Witaj");
    m.at(ScenarioCellOffset(1, 13, 2)) = ComposeActionByte(1, 2, 3);
    m.at(TimerFieldOffset(1, 5, 2)) = 42;
    Save(m, "a.tv2");

    const Result r = Tavctl({"show", File("a.tv2"), "--json"});
    ASSERT_EQ(r.status, 0) << r.err;
    const QJsonObject o = QJsonDocument::fromJson(QByteArray::fromStdString(r.out)).object();
    const QJsonArray remotes = o["remotes"].toArray();
    ASSERT_EQ(remotes.size(), 1000);
    EXPECT_EQ(remotes[40].toObject(), (QJsonObject{{"number", 41},
                                                   {"used", true},
                                                   {"serial", "12:00:00:7a"},
                                                   {"scenario", 2},
                                                   {"name", QString::fromUtf8("Garaż")}}));
    EXPECT_EQ(o["clock_events"].toArray()[2].toObject(),
              (QJsonObject{{"transmitter", 1003},
                           {"enabled", false},
                           {"button_index", 5},
                           {"pattern", "20**-**-** 12:00:00"},
                           {"scenario", 3},
                           {"name", ""}}));
    EXPECT_EQ(o["display"].toObject()["text"].toString(), "Witaj");
    const QJsonObject scenario = o["scenarios"].toArray()[1].toObject();
    EXPECT_EQ(scenario["cells"].toArray()[13].toArray()[2].toObject(),
              (QJsonObject{{"mode", 1},
                           {"mode_name", "monostab. opozniony"},
                           {"timer", 2},
                           {"delay", 3},
                           {"text", QString::fromStdString(ScenarioCellText(0x1B))}}));
    EXPECT_EQ(scenario["delays"].toArray()[1].toObject()["seconds"].toInt(), 42);

    const Result text = Tavctl({"show", File("a.tv2")});
    EXPECT_EQ(text.status, 0);
    EXPECT_THAT(text.out, HasSubstr("  41  12:00:00:7a  scenario 2  \"Garaż\"\n"));
}

TEST_F(TavctlFiles, DiffNamesEachChangedField) {
    MemoryImage a;
    MemoryImage b;
    WriteDeviceText(b, TextFieldOffset(0), "Brama");
    b.at(ScenarioCellOffset(0, 0, 0)) = 0xB0;
    b.at(kClockEventOffset + 8) = 0x01;  // still "off" after 0xFF: bytes shown
    a.at(kClockEventOffset + 8) = 0xFF;
    b.at(1021 * 32 + 4) = 0x99;
    Save(a, "a.tv2");
    Save(b, "b.tv2");
    const Result r = Tavctl({"diff", File("a.tv2"), File("b.tv2")});
    EXPECT_EQ(r.status, 1) << r.err;
    EXPECT_EQ(r.out,
              "remote 1 name: \"\" -> \"Brama\"\n"
              "clock event 1002 enabled: off [ff] -> off [01]\n"
              "scenario 0 button 1 relay 1: \"" +
                  ScenarioCellText(0x00) + "\" -> \"" + ScenarioCellText(0xB0) +
                  "\"\n"
                  "record 1021: 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 "
                  "00 00 00 00 00 00 00 00 00 00 -> 00 00 00 00 99 00 00 00 00 00 00 00 00 00 00 "
                  "00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00\n");
    EXPECT_EQ(Tavctl({"diff", File("a.tv2"), File("a.tv2")}).out, "");
}

TEST_F(TavctlFiles, ImportIntoANewOrAnExistingFile) {
    std::vector<char> tvs(2048, 0);
    const char entry[] = {0x12, 0x34, 0x56, 0x78};
    std::copy(entry, entry + 4, tvs.begin() + 4);
    std::ofstream(File("old.tvs"), std::ios::binary).write(tvs.data(), 2048);

    Result r = Tavctl({"import-tav500", File("old.tvs"), "--image", File("new.tv2")});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(FormatSerialNumber(LoadFile(File("new.tv2")), 1), "7b:3d:59:10");

    MemoryImage named;
    WriteDeviceText(named, TextFieldOffset(1), "Brama");
    Save(named, "named.tv2");
    r = Tavctl({"import-tav500", File("old.tvs"), "--image", File("named.tv2")});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(ReadDeviceText(LoadFile(File("named.tv2")), TextFieldOffset(1)), "Brama");

    r = Tavctl({"import-tav500", File("none.tvs"), "--image", File("named.tv2")});
    EXPECT_EQ(r.status, 1);
    std::ofstream(File("bad.tv2")) << "$*$11";
    r = Tavctl({"show", File("bad.tv2")});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "Błąd: Nieobslugiwana wersja pliku!\ntavctl: " + File("bad.tv2") +
                         " is a settings file of a version other than 10\n");
}

TEST_F(TavctlFiles, DiffJsonOfTwoFiles) {
    MemoryImage a;
    MemoryImage b;
    b.at(kClockEventOffset + 8) = 0x01;
    a.at(kClockEventOffset + 8) = 0xFF;
    Save(a, "a.tv2");
    Save(b, "b.tv2");
    const Result r = Tavctl({"diff", File("a.tv2"), File("b.tv2"), "--json"});
    EXPECT_EQ(r.status, 1) << r.err;
    const QJsonArray list = QJsonDocument::fromJson(QByteArray::fromStdString(r.out)).array();
    ASSERT_EQ(list.size(), 1);
    EXPECT_EQ(list[0].toObject(), (QJsonObject{{"field", "clock event 1002 enabled"},
                                               {"offset", int(kClockEventOffset + 8)},
                                               {"length", 1},
                                               {"a", "off"},
                                               {"b", "off"},
                                               {"a_bytes", "ff"},
                                               {"b_bytes", "01"}}));
    EXPECT_EQ(Tavctl({"diff", File("a.tv2"), File("a.tv2"), "--json"}).out, "[\n]\n");
}

TEST_F(TavctlFiles, RemotesRoundTripThroughASpreadsheet) {
    MemoryImage m;
    const std::uint8_t serial[] = {0x12, 0x34, 0x56, 0x7A};
    std::copy(serial, serial + 4, m.RecordAt(0).begin());
    m.at(4) = 0x44;                                      // bytes 4..5 are not the list's business
    WriteDeviceText(m, TextFieldOffset(0), "Gara\xbf");  // "Garaż"
    std::copy(serial, serial + 4, m.RecordAt(41).begin());
    WriteDeviceText(m, TextFieldOffset(41), "Brama, \"wjazd\"");
    m.at(999 * 32 + 3) = 0x01;  // in use: 00:00:00:01
    m.at(1005 * 32 + 7) = 0x99;
    Save(m, "a.tv2");

    Result r = Tavctl({"remotes", "export", File("a.tv2"), "--csv", File("list.csv")});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(FileText(File("list.csv")),
              "number,serial,scenario,name\r\n"
              "1,12:34:56:7a,2,Garaż\r\n"
              "42,12:34:56:7a,2,\"Brama, \"\"wjazd\"\"\"\r\n"
              "1000,00:00:00:01,1,\r\n");

    // As a spreadsheet saves it: a byte-order mark, rows edited, moved and
    // added, bare line ends, a cell quoted that needs no quotes.
    std::ofstream(File("list.csv"), std::ios::binary)
        << "\xEF\xBB\xBFnumber,serial,scenario,name\n"
           "42,12:34:56:7A,0,\"Brama, lewa\"\n"
           "1,12:34:56:7a,3,\"Łódź\"\n"
           "7,aa:bb:cc:dc,1,Nowy pilot z nazwą 26 znak\n"
           "1000,00:00:00:01,1,\n"
           "\n";
    r = Tavctl({"remotes", "import", File("list.csv"), "--image", File("a.tv2")});
    ASSERT_EQ(r.status, 0) << r.err;
    // The serials' last two bits disagree with the scenario column in rows 2..4.
    const std::string list = "tavctl: " + File("list.csv");
    EXPECT_EQ(r.err, list +
                         " row 2: the serial 12:34:56:7A ends in scenario 2, the scenario column "
                         "says 0; scenario 0 is stored\n" +
                         list +
                         " row 3: the serial 12:34:56:7a ends in scenario 2, the scenario column "
                         "says 3; scenario 3 is stored\n" +
                         list +
                         " row 4: the serial aa:bb:cc:dc ends in scenario 0, the scenario column "
                         "says 1; scenario 1 is stored\n"
                         "tavctl: 4 remotes imported into " +
                         File("a.tv2") + "\n");

    MemoryImage expected = m;
    expected.at(41 * 32 + 3) = 0x78;  // scenario 0 clears the serial's last two bits
    WriteDeviceText(expected, TextFieldOffset(41), "Brama, lewa");
    expected.at(3) = 0x7B;
    WriteDeviceText(expected, TextFieldOffset(0), "\xa3\xf3\x64\x9f");  // "Łódź"
    const std::uint8_t other[] = {0xAA, 0xBB, 0xCC, 0xDD};
    std::copy(other, other + 4, expected.RecordAt(6).begin());
    WriteDeviceText(expected, TextFieldOffset(6), "Nowy pilot z nazw\xb9 26 znak");
    EXPECT_EQ(LoadFile(File("a.tv2")), expected);
}

// Every bad row is named with its reason, and nothing is imported.
TEST_F(TavctlFiles, RemotesImportRefusesAFileWithBadRows) {
    struct BadRow {
        const char* line;
        const char* reason;
    };
    const BadRow rows[] = {
        {"0,12:34:56:78,0,a", "number \"0\" is not in 1..1000"},
        {"1001,12:34:56:78,0,a", "number \"1001\" is not in 1..1000"},
        {"x,12:34:56:78,0,a", "number \"x\" is not in 1..1000"},
        {"5,12:34:56,0,a", "serial \"12:34:56\" is not four hex pairs"},
        {"6,12-34-56-78,0,a", "serial \"12-34-56-78\" is not four hex pairs"},
        {"7,12:34:56:7g,0,a", "serial \"12:34:56:7g\" is not four hex pairs"},
        {"8,12:34:56:78,4,a", "scenario \"4\" is not in 0..3"},
        {"9,12:34:56:78,0,abcdefghijklmnopqrstuvwxyz0", "the name has 27 characters"},
        {"10,12:34:56:78,0,Ærø", "a character that the receiver cannot store"},
        {"11,12:34:56:78,0,\"a\x1b[2J\"", "a control character"},
        {"12,12:34:56:78,0", "3 fields, not 4"},
        {"2,12:34:56:78,0,again", "remote 2 is already in row 2"},
        {"13,12:34:56:78,0,\"a\"b", "text after a closing quote"},
    };
    std::string csv = "number,serial,scenario,name\r\n2,12:34:56:78,1,good\r\n";
    for (const BadRow& b : rows) {
        csv += std::string(b.line) + "\r\n";
    }
    csv += "14,12:34:56:78,0,\"never closed\r\n";
    std::ofstream(File("bad.csv"), std::ios::binary) << csv;
    MemoryImage m = PatternImage(3);
    Save(m, "a.tv2");
    const auto before = FileBytes(File("a.tv2"));

    const Result r = Tavctl({"remotes", "import", File("bad.csv"), "--image", File("a.tv2")});
    EXPECT_EQ(r.status, 1);
    const std::vector<std::string> lines = DiffLines(r.err);
    ASSERT_EQ(lines.size(), std::size(rows) + 2) << r.err;
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        EXPECT_THAT(lines[i], StartsWith("tavctl: " + File("bad.csv") + " row " +
                                         std::to_string(i + 3) + ": "));
        EXPECT_THAT(lines[i], HasSubstr(rows[i].reason));
    }
    EXPECT_THAT(lines[std::size(rows)], HasSubstr("row 16: a quoted field is not closed"));
    EXPECT_EQ(lines.back(),
              "tavctl: 14 bad rows (the file read as UTF-8, cells split by ','); nothing was "
              "imported");
    EXPECT_EQ(FileBytes(File("a.tv2")), before);

    // Nothing made when the file did not exist.
    EXPECT_EQ(Tavctl({"remotes", "import", File("bad.csv"), "--image", File("new.tv2")}).status, 1);
    EXPECT_FALSE(fs::exists(File("new.tv2")));
}

// As diff(1): 0 the same, 1 different, 2 trouble.
TEST_F(TavctlFiles, DiffExitsAsDiffDoes) {
    MemoryImage b;
    b.at(kClockEventOffset + 8) = 0x01;
    Save(MemoryImage{}, "a.tv2");
    Save(b, "b.tv2");
    std::ofstream(File("short.tv2"), std::ios::binary) << "$*$10";
    struct Row {
        std::vector<std::string> args;
        int status;
    };
    const Row rows[] = {
        {{"diff", File("a.tv2"), File("a.tv2")}, 0},
        {{"diff", File("a.tv2"), File("a.tv2"), "--json"}, 0},
        {{"diff", File("a.tv2"), File("b.tv2")}, 1},
        {{"diff", File("b.tv2"), File("a.tv2"), "--json"}, 1},
        {{"diff", File("a.tv2"), File("missing.tv2")}, 2},
        {{"diff", File("short.tv2"), File("a.tv2")}, 2},
        {{"diff", File("a.tv2")}, 2},
    };
    for (const Row& row : rows) {
        const Result r = Tavctl(row.args);
        EXPECT_EQ(r.status, row.status) << row.args.back() << "\n" << r.err;
    }
}

// One remote from the command line, with the import's checks: a refused
// value leaves the file as it was.
TEST_F(TavctlFiles, RemoteSetAndClear) {
    MemoryImage m;
    const std::uint8_t serial[] = {0x12, 0x34, 0x56, 0x78};
    std::copy(serial, serial + 4, m.RecordAt(4).begin());
    m.at(4 * 32 + 4) = 0x44;  // bytes 4..5 are not the remote's business
    WriteDeviceText(m, TextFieldOffset(4), "Brama");
    Save(m, "a.tv2");
    const auto before = FileBytes(File("a.tv2"));
    struct Bad {
        std::vector<std::string> args;
        int status;
        const char* says;
    };
    const std::string a = File("a.tv2");
    const Bad bad[] = {
        {{"remote", "set", "0", "--image", a, "--scenario", "1"}, 1, "is not in 1..1000"},
        {{"remote", "set", "5", "--image", a, "--serial", "12:34:56"}, 1, "four hex pairs"},
        {{"remote", "set", "5", "--image", a, "--scenario", "4"}, 1, "is not in 0..3"},
        {{"remote", "set", "5", "--image", a, "--name", "abcdefghijklmnopqrstuvwxyz0"},
         1,
         "the name has 27 characters"},
        {{"remote", "set", "5", "--image", a, "--name", "Ærø"}, 1, "cannot store"},
        {{"remote", "set", "6", "--image", a, "--name", "x"}, 1, "remote 6 is empty"},
        {{"remote", "set", "5", "--image", a}, 2, "needs --name, --serial or --scenario"},
        {{"remote", "clear", "5", "--image", a, "--name", "x"}, 2, "takes no"},
        {{"remote", "set", "5", "--name", "x"}, 2, "needs --image"},
        {{"remote", "move", "5", "--image", a}, 2, "set N or clear N"},
        {{"remote", "set", "5", "--image", a, "--csv", "x.csv"}, 2, "takes no --csv"},
    };
    for (const Bad& b : bad) {
        const Result r = Tavctl(b.args);
        EXPECT_EQ(r.status, b.status) << b.says << "\n" << r.err;
        EXPECT_THAT(r.err, HasSubstr(b.says));
        EXPECT_EQ(FileBytes(a), before) << b.says;
    }

    Result r = Tavctl({"remote", "set", "5", "--image", a, "--name", "Łódź", "--scenario", "3"});
    ASSERT_EQ(r.status, 0) << r.err;
    MemoryImage expected = m;
    expected.at(4 * 32 + 3) = 0x7B;
    WriteDeviceText(expected, TextFieldOffset(4), "\xa3\xf3\x64\x9f");
    EXPECT_EQ(LoadFile(a), expected);

    r = Tavctl({"remote", "set", "9", "--image", a, "--serial", "aa:bb:cc:dd", "--scenario", "1"});
    ASSERT_EQ(r.status, 0) << r.err;
    const std::uint8_t other[] = {0xAA, 0xBB, 0xCC, 0xDD};
    std::copy(other, other + 4, expected.RecordAt(8).begin());
    EXPECT_EQ(LoadFile(a), expected);

    r = Tavctl({"remote", "clear", "5", "--image", a});
    ASSERT_EQ(r.status, 0) << r.err;
    std::fill_n(expected.RecordAt(4).begin(), 4, 0);
    WriteDeviceText(expected, TextFieldOffset(4), "");
    EXPECT_EQ(LoadFile(a), expected);
}

// A bad row of a Polish spreadsheet's file: the message says how it was read.
TEST_F(TavctlFiles, RemotesImportSaysHowItReadTheFile) {
    std::ofstream(File("pl.csv"), std::ios::binary)
        << "number;serial;scenario;name\r\n1;12:34:56;0;\xa3\xf3\x64\x9f\r\n";
    const Result r = Tavctl({"remotes", "import", File("pl.csv"), "--image", File("a.tv2")});
    EXPECT_EQ(r.status, 1);
    EXPECT_THAT(r.err, HasSubstr("(the file read as Windows-1250, cells split by ';')"));
    EXPECT_FALSE(fs::exists(File("a.tv2")));
}

// Output that cannot be written is a failure, not a success.
TEST_F(TavctlFiles, OutputToAFullDiskExitsWithOne) {
    Save(PatternImage(3), "a.tv2");
    Save(PatternImage(4), "b.tv2");
    const std::vector<std::vector<std::string>> rows = {
        {"show", File("a.tv2")},
        {"show", File("a.tv2"), "--json"},
        {"diff", File("a.tv2"), File("b.tv2")},
    };
    for (const auto& args : rows) {
        SCOPED_TRACE(args[0]);
        const Result r = Child(args, false, nullptr, "/dev/full").Finish();
        // diff says trouble as diff(1) does, with 2.
        EXPECT_EQ(r.status, args[0] == "diff" ? 2 : 1);
        EXPECT_THAT(r.err,
                    HasSubstr("tavctl: standard output could not be written (the disk is full)"));
    }
}

// The report from a settings file and from the receiver (with its version),
// in English and in Polish.
TEST_F(TavctlTest, ReportFromAFileAndFromTheReceiver) {
    MemoryImage m = PatternImage(1);
    Save(m, "site.tv2");
    const struct {
        const char* lang;
        std::vector<std::string> args;
        std::vector<std::string> shown;
    } rows[] = {
        {"C.UTF-8",
         {"report", File("site.tv2"), "--pdf", File("a.pdf")},
         {"Settings file: " + File("site.tv2"), "TAV-1000R configuration report", "strona 1 z "}},
        {"pl_PL.UTF-8",
         {"--port", sim_.DevicePath(), "report", "--pdf", File("b.pdf")},
         {"Odczytano z odbiornika na porcie: " + sim_.DevicePath(),
          "Wersja odbiornika: hardw.ver:", "Raport konfiguracji TAV-1000R", "strona 1 z "}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.lang);
        const Result r = Child(row.args, false, Language("LANG", row.lang)).Finish();
        ASSERT_EQ(r.status, 0) << r.err;
        const std::string pdf = row.args.back();
        EXPECT_THAT(r.err, HasSubstr(pdf));
        const std::string text = PdfText(pdf);
        for (const std::string& shown : row.shown) {
            EXPECT_THAT(text, HasSubstr(shown));
        }
    }
    const Result bad = Tavctl({"report", File("site.tv2")});
    EXPECT_EQ(bad.status, 2);
    EXPECT_THAT(bad.err, HasSubstr("report needs a settings file or --port PORT"));
}

// A second file of the wrong type or version is named.
TEST_F(TavctlFiles, ASecondFileThatIsNoSettingsFileIsNamed) {
    Save(PatternImage(3), "a.tv2");
    std::ofstream(File("text.tv2")) << "notes, not settings";
    std::ofstream(File("v11.tv2")) << "$*$11";
    const std::vector<std::vector<std::string>> rows = {
        {"diff", File("a.tv2"), File("text.tv2")},
        {"diff", File("a.tv2"), File("v11.tv2")},
        {"write-all", "--image", File("a.tv2"), "--only-changed", File("v11.tv2")},
    };
    for (const auto& args : rows) {
        SCOPED_TRACE(args.back());
        const Result r = Tavctl(args);
        EXPECT_EQ(r.status, args[0] == "diff" ? 2 : 1);
        EXPECT_THAT(r.err, HasSubstr("tavctl: " + args.back() + " is "));
    }
}

}  // namespace
}  // namespace tav::tavctl_test
