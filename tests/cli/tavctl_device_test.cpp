// tavctl's device commands against the simulated receiver on a pty: version,
// the reads and writes of each part, clock, erase, firmware, monitor, ports.
#include "tests/cli/tavctl_fixture.h"

namespace tav::tavctl_test {
namespace {

TEST_F(TavctlTest, VersionPrintsTheVersionLine) {
    const Result r = Tavctl(Dev({"version"}));
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "hardw.ver:1.00 soft.ver:1.26\n");
    EXPECT_EQ(r.err, "");
}

TEST_F(TavctlTest, ReadAllThenWriteAllMovesTheWholeMemory) {
    Result r = Tavctl(Dev({"read-all", "--image", File("backup.tv2")}));
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");  // standard error is no terminal: no progress bar
    EXPECT_EQ(FileBytes(File("backup.tv2")).size(), kSettingsFileSize);
    EXPECT_EQ(LoadFile(File("backup.tv2")), PatternImage(1));

    Save(PatternImage(2), "other.tv2");
    r = Tavctl(Dev({"write-all", "--image", File("other.tv2")}));
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "OK: OK\n");
    EXPECT_EQ(sim_.Memory(), PatternImage(2));
}

TEST_F(TavctlTest, ProgressBarOnlyOnATerminal) {
    const Result r = Child(Dev({"read-all", "--image", File("a.tv2")}), true).Finish();
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_THAT(r.err, HasSubstr("\r[" + std::string(40, '#') + "] 100%"));
    EXPECT_THAT(r.err, ::testing::EndsWith("\r"));  // the bar is wiped at the end
}

// The single-record and record-range operations, each read into an existing
// file (only its records change) and written back from one.
struct Transfer {
    const char* read;
    const char* write;
    int first;
    int last;
    const char* readMessage;
    const char* writeMessage;
    const char* remote = nullptr;
    friend void PrintTo(const Transfer& t, std::ostream* os) { *os << t.read << '/' << t.write; }
};

class TavctlTransfers : public TavctlTest, public ::testing::WithParamInterface<Transfer> {};

TEST_P(TavctlTransfers, ReadUpdatesOnlyItsRecordsAndWriteSendsThem) {
    const Transfer& t = GetParam();
    auto args = [&](const char* command, const std::string& file) {
        std::vector<std::string> a = {command};
        if (t.remote != nullptr) {
            a.push_back(t.remote);
        }
        a.insert(a.end(), {"--image", file});
        return Dev(a);
    };
    Save(PatternImage(5), "image.tv2");
    Result r = Tavctl(args(t.read, File("image.tv2")));
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, std::string(t.readMessage) + "\n");
    const MemoryImage after = LoadFile(File("image.tv2"));
    EXPECT_TRUE(SameRecords(after, PatternImage(1), t.first, t.last));
    MemoryImage expected = PatternImage(5);
    for (int rec = t.first; rec <= t.last; ++rec) {
        std::copy(after.RecordAt(rec).begin(), after.RecordAt(rec).end(),
                  expected.RecordAt(rec).begin());
    }
    EXPECT_EQ(after, expected);  // nothing else changed

    Save(PatternImage(9), "send.tv2");
    r = Tavctl(args(t.write, File("send.tv2")));
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, std::string(t.writeMessage) + "\n");
    EXPECT_TRUE(SameRecords(sim_.Memory(), PatternImage(9), t.first, t.last));
    EXPECT_TRUE(SameRecords(sim_.Memory(), PatternImage(1), 0, t.first - 1));
}

INSTANTIATE_TEST_SUITE_P(
    Operations, TavctlTransfers,
    ::testing::Values(Transfer{"read-remote", "write-remote", 41, 41,
                               "OK: Pilot odczytano z TAV-1000/1000R",
                               "OK: Pilot zapisano w TAV-2000", "42"},
                      Transfer{"read-scenarios", "write-scenarios", 1008, 1019,
                               "OK: Scenariusz zostal odebrany", "OK: Scenariusz zostal wyslany"},
                      Transfer{"read-clock-events", "write-clock-events", 1000, 1004,
                               "OK: Zd zeg zostaly odebrane", "OK: Zd zegarowe zostaly wyslane"},
                      Transfer{"read-display", "write-display", 1005, 1005,
                               "OK: Stan wyswietlacza odebrano z TAV-1000R",
                               "OK: Stan wyswietlacza zapisano TAV-1000R"}),
    [](const auto& info) {
        std::string n = info.param.read;
        n.erase(std::remove(n.begin(), n.end(), '-'), n.end());
        return n;
    });

TEST_F(TavctlTest, ClockAndErase) {
    Result r = Tavctl(Dev({"set-clock"}));
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "OK: Ustawiono zegar w TAV-1000R\n");
    EXPECT_TRUE(sim_.Clock().set);
    r = Tavctl(Dev({"erase", "--yes"}));
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "OK: TAV-1000R Kasuje cala pamiec\n");
}

TEST_F(TavctlTest, AFailedReadLeavesTheFileAsItWas) {
    Save(PatternImage(5), "image.tv2");
    const auto before = FileBytes(File("image.tv2"));
    sim_.InjectFault({sim::FaultKind::BadChecksumAtRecord, 100});
    Result r = Tavctl(Dev({"read-all", "--image", File("image.tv2")}));
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "Błąd: Blad transmisji\n");
    EXPECT_EQ(FileBytes(File("image.tv2")), before);

    sim_.ClearFaults();
    sim_.InjectFault({sim::FaultKind::SilenceFromRecord, 1010});
    r = Tavctl(Dev({"read-scenarios", "--image", File("new.tv2")}));
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "Błąd: TAV-1000R nie odpowiada!\n");
    EXPECT_FALSE(fs::exists(File("new.tv2")));
}

TEST_F(TavctlTest, RefusalsExitWithOne) {
    // A write needs its file; nothing goes to the receiver without it.
    Result r = Tavctl(Dev({"write-all", "--image", File("missing.tv2")}));
    EXPECT_EQ(r.status, 1);
    EXPECT_THAT(r.err, HasSubstr("missing.tv2"));
    EXPECT_TRUE(sim_.ReceivedBytes().empty());

    sim_.SetApplicationVersion({0x76, 0x33, 0x01, 0x00, 0x01, 0x26});
    r = Tavctl(Dev({"set-clock"}));
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "tavctl: the receiver's answer is no version answer (76 33 01 00 01 26)\n");

    sim_.SetApplicationVersion({0x76, 0x07, 0x01, 0x00, 0x01, 0x30});
    r = Tavctl(Dev({"erase", "--yes"}));
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "BŁĄD: Niewłaściwa wersja programu!\n");

    sim_.SetMode(sim::ReceiverMode::BootLoader);
    r = Tavctl(Dev({"read-all", "--image", File("x.tv2")}));
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err,
              "BŁĄD: TAV-1000R znajduje się w trybie bootloadera.  Zresetuj urządzenie albo "
              "przeprowadź aktualizację oprogramowania!\n");
    EXPECT_FALSE(fs::exists(File("x.tv2")));
}

TEST_F(TavctlTest, PortThatCannotBeOpenedIsNamedWithTheReason) {
    const Result r = Tavctl({"--port", File("no-such-tty"), "version"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "Błąd: Niewłaściwa nazwa portu lub port jest aktywny.\ntavctl: cannot open " +
                         File("no-such-tty") + ": No such file or directory\n");
}

TEST_F(TavctlTest, FirmwareUpdate) {
    std::vector<char> firmware(30720);
    for (std::size_t i = 0; i < firmware.size(); ++i) {
        firmware[i] = static_cast<char>(i * 13 % 256);
    }
    std::ofstream(File("fw.bin"), std::ios::binary).write(firmware.data(), 30720);
    std::ofstream(File("short.bin"), std::ios::binary).write(firmware.data(), 30719);
    const std::string warning =
        "UWAGA!: Aby zaktualizować TAV-1001U do wersji 1.26 należy wyłączyć go, a następnie "
        "włączyć przytrzymując przyciski YES i NO.\n";

    Result r = Tavctl(Dev({"update-firmware", "--firmware", File("fw.bin")}));
    EXPECT_EQ(r.status, 1);
    EXPECT_THAT(r.err, StartsWith(warning));
    EXPECT_THAT(r.err, HasSubstr("not in boot-loader mode"));

    r = Tavctl(Dev({"update-firmware", "--firmware", File("short.bin")}));
    EXPECT_EQ(r.status, 1);
    EXPECT_THAT(r.err, HasSubstr("30719"));

    sim_.SetMode(sim::ReceiverMode::BootLoader);
    r = Tavctl(Dev({"update-firmware", "--firmware", File("fw.bin")}));
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, warning + "OK: OK\n");
    const auto got = sim_.FirmwareReceived();
    EXPECT_TRUE(
        std::equal(got.begin(), got.end(), firmware.begin(), firmware.end(),
                   [](std::uint8_t a, char b) { return a == static_cast<std::uint8_t>(b); }));
}

// Starts `monitor`, waits until it has asked the version, then lets `act` talk.
Result Monitor(sim::PtyReceiver& sim, std::vector<std::string> args,
               const std::function<void(Child&)>& act) {
    args.insert(args.begin(), {"--port", sim.DevicePath(), "monitor"});
    sim.ClearTraffic();
    Child child(args);
    EXPECT_TRUE(sim.WaitForReceived(1, 5s));
    std::this_thread::sleep_for(200ms);  // past the pause after the version answer
    act(child);
    return child.Finish(20s);
}

TEST_F(TavctlTest, MonitorPrintsEventLinesInUtf8) {
    const Result r = Monitor(sim_, {"--duration", "1.5"}, [&](Child&) {
        sim_.SendEventLine("nadajnik 0012 przycisk 3");
        sim_.SendEventLine("\xa3\xf3\x64\x9f");  // "Łódź" in Windows-1250
    });
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "nadajnik 0012 przycisk 3\nŁódź\n");
}

TEST_F(TavctlTest, MonitorStopsWhenTheDeviceGoesAway) {
    const Result r = Monitor(sim_, {}, [&](Child&) {
        sim_.InjectFault({sim::FaultKind::HangUpAfterBytes, 5});
        sim_.SendEventLine("abc");
    });
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "abc\n");
    EXPECT_THAT(r.err, HasSubstr("the device has gone away"));
}

TEST_F(TavctlTest, MonitorWithHistoryFramesTheStoredEvents) {
    sim_.SetHistory({"zd 1", "zd 2"});
    const Result r = Monitor(sim_, {"--history", "--duration", "1.5"}, [](Child&) {});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out,
              "--- poczatek historii zdarzen ---\nTAV-1000 v1.26\nzd 1\nzd 2\n"
              "--- koniec historii zdarzen ---\n\n");
}

TEST_F(TavctlTest, MonitorHistoryBelow112GivesTheNoticeAndStopsOnCtrlC) {
    sim_.SetApplicationVersion({0x76, 0x07, 0x01, 0x00, 0x01, 0x11});
    const Result r = Monitor(sim_, {"--history"}, [](Child& c) { c.Signal(SIGINT); });
    EXPECT_EQ(r.status, 1);
    EXPECT_THAT(r.err, StartsWith("Dla TAV-1000/1000R w wersji oprogramowania niższej niż 1.12"));
    EXPECT_EQ(r.out, "");
    // The port was closed: the next command opens it.
    EXPECT_EQ(Tavctl(Dev({"version"})).status, 0);
}

TEST_F(TavctlTest, APortGivenAsALinkIsNamed) {
    std::string error;
    ASSERT_TRUE(sim_.MakeSymlink(File("by-id-link"), &error)) << error;
    const Result r = Tavctl({"--port", File("by-id-link"), "version"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "hardw.ver:1.00 soft.ver:1.26\n");
    EXPECT_EQ(r.err,
              "tavctl: " + File("by-id-link") + " is " + sim_.DevicePath() + " (no COM name)\n");
}

// Erase asks first: without a terminal it needs --yes; with --backup the
// whole memory is saved before it goes.
TEST_F(TavctlTest, EraseNeedsYesAndBacksUpWhole) {
    fs::create_directories(dir_ / "b");
    Result r = Tavctl(Dev({"erase", "--backup", File("b")}));
    EXPECT_EQ(r.status, 2);
    EXPECT_THAT(r.err, HasSubstr("give --yes"));
    EXPECT_TRUE(sim_.ReceivedBytes().empty());
    EXPECT_TRUE(fs::is_empty(dir_ / "b"));

    r = Tavctl(Dev({"erase", "--yes", "--backup", File("b")}));
    EXPECT_EQ(r.status, 0) << r.err;
    const std::vector<std::string> backups = FilesIn(dir_ / "b");
    ASSERT_EQ(backups.size(), 1u);
    EXPECT_EQ(fs::path(backups[0]).extension(), ".tv2");
    EXPECT_EQ(LoadFile(dir_ / "b" / backups[0]), PatternImage(1));
    ASSERT_TRUE(sim_.WaitUntilSettled(50ms, 5s));  // the erase has landed
    EXPECT_NE(sim_.Memory(), PatternImage(1));
}

// On a terminal erase asks, and only yes erases.
TEST_F(TavctlTest, EraseAsksOnATerminal) {
    const struct {
        const char* answer;
        int status;
        bool erased;
    } rows[] = {{"\n", 1, false}, {"n\n", 1, false}, {"tak\n", 1, false}, {"y\n", 0, true}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.answer);
        sim_.SetMemory(PatternImage(1));
        sim_.ClearTraffic();
        Child child(Dev({"erase"}), true);
        child.Type(row.answer);
        const Result r = child.Finish();
        EXPECT_EQ(r.status, row.status) << r.err;
        EXPECT_THAT(r.err, HasSubstr("Erase the receiver's whole memory? Every remote"));
        ASSERT_TRUE(sim_.WaitUntilSettled(50ms, 5s));  // the erase has landed
        EXPECT_EQ(sim_.Memory() != PatternImage(1), row.erased);
        EXPECT_EQ(sim_.ReceivedBytes().empty(), !row.erased);
    }
}

// ports --find asks the devices in order and names the first receiver that
// answers; a port with nothing behind it or no device at all is passed over.
TEST_F(TavctlTest, FindNamesTheFirstPortTheReceiverAnswersOn) {
    int master = -1;
    int slave = -1;
    char silentName[64] = {};
    ASSERT_EQ(openpty(&master, &slave, silentName, nullptr, nullptr), 0);
    sim::ReceiverOptions boot;
    boot.mode = sim::ReceiverMode::BootLoader;
    sim::PtyReceiver second(boot);
    std::string error;
    ASSERT_TRUE(second.Start(&error)) << error;
    const std::string silent = silentName;
    const std::string missing = File("no-such-device");
    const struct Row {
        std::vector<std::string> devices;
        int status;
        std::string out;
    } rows[] = {
        {{silent, missing, sim_.DevicePath(), second.DevicePath()}, 0, sim_.DevicePath() + "\n"},
        {{silent, second.DevicePath(), sim_.DevicePath()}, 0, second.DevicePath() + "\n"},
        {{silent, missing}, 1, ""},
    };
    for (const Row& row : rows) {
        std::vector<std::string> args = {"ports", "--find"};
        args.insert(args.end(), row.devices.begin(), row.devices.end());
        const Result r = Tavctl(args);
        EXPECT_EQ(r.status, row.status) << r.err;
        EXPECT_EQ(r.out, row.out);
        if (row.status != 0) {
            EXPECT_THAT(r.err, HasSubstr("no TAV-1000R answers on any port present (2 asked)"));
        }
    }
    second.Stop();
    ::close(slave);
    ::close(master);
}

}  // namespace
}  // namespace tav::tavctl_test
