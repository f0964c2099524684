// tavctl's guarded writes against the simulated receiver: backups before a
// write, verification after it, writing only what changed, restore, and the
// slips (interrupts, full disks, files that cannot be kept).
#include "tests/cli/tavctl_fixture.h"

namespace tav::tavctl_test {
namespace {

// The records each write command changes, written with a backup and verified.
struct GuardedWrite {
    std::vector<std::string> command;
    int first;
    int last;
    bool full = false;  // --backup-full
};

class TavctlGuardedWrites : public TavctlTest,
                            public ::testing::WithParamInterface<GuardedWrite> {};

TEST_P(TavctlGuardedWrites, BackUpThenWriteThenVerify) {
    const GuardedWrite& w = GetParam();
    Save(PatternImage(9), "send.tv2");
    fs::create_directories(dir_ / "backups");
    std::vector<std::string> args = w.command;
    args.insert(args.end(), {"--image", File("send.tv2"), "--backup", File("backups"), "--verify"});
    if (w.full) {
        args.push_back("--backup-full");
    }
    const Result r = Tavctl(Dev(args));
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_THAT(r.err, HasSubstr("tavctl: verified: the receiver holds the "));

    std::vector<fs::path> backups(fs::directory_iterator(dir_ / "backups"), {});
    ASSERT_EQ(backups.size(), 1u);
    EXPECT_THAT(backups[0].filename().string(), StartsWith("backup-"));
    // A whole backup is a settings file; one of the changed records only holds
    // those records, with their numbers, and nothing else.
    const bool whole = w.full || w.last - w.first + 1 == kRecordCount;
    EXPECT_EQ(backups[0].extension(), whole ? ".tv2" : ".tvr");
    if (whole) {
        EXPECT_EQ(LoadFile(backups[0]), PatternImage(1));
    } else {
        MemoryImage held;
        std::vector<int> records;
        ASSERT_EQ(ParseRecordBackup(FileBytes(backups[0]), held, records),
                  RecordBackupLoad::Loaded);
        std::vector<int> expected;
        for (int rec = w.first; rec <= w.last; ++rec) {
            expected.push_back(rec);
        }
        EXPECT_EQ(records, expected);
        EXPECT_TRUE(SameRecords(held, PatternImage(1), w.first, w.last));
    }
    EXPECT_TRUE(SameRecords(sim_.Memory(), PatternImage(9), w.first, w.last));
}

INSTANTIATE_TEST_SUITE_P(Commands, TavctlGuardedWrites,
                         ::testing::Values(GuardedWrite{{"write-remote", "7"}, 6, 6},
                                           GuardedWrite{{"write-scenarios"}, 1008, 1019},
                                           GuardedWrite{{"write-clock-events"}, 1000, 1004, true},
                                           GuardedWrite{{"write-display"}, 1005, 1005},
                                           GuardedWrite{{"write-all"}, 0, 1023}),
                         [](const auto& info) {
                             std::string n =
                                 info.param.command[0] + (info.param.full ? "full" : "");
                             n.erase(std::remove(n.begin(), n.end(), '-'), n.end());
                             return n;
                         });

TEST_F(TavctlTest, BackupNeverReplacesAFile) {
    Save(PatternImage(9), "send.tv2");
    fs::create_directories(dir_ / "b");
    // Every name of the next seconds is taken: the write is refused.
    const std::time_t now = std::time(nullptr);
    for (std::time_t t = now - 1; t <= now + 20; ++t) {
        for (int n = 1; n <= 9; ++n) {
            std::ofstream(dir_ / "b" / BackupName(t, n, ".tvr")) << "mine";
        }
    }
    Result r = Tavctl(Dev({"write-display", "--image", File("send.tv2"), "--backup", File("b")}));
    EXPECT_EQ(r.status, 1);
    EXPECT_THAT(r.err, HasSubstr("is taken; no backup file was replaced"));
    EXPECT_EQ(sim_.Memory(), PatternImage(1));
    for (const auto& entry : fs::directory_iterator(dir_ / "b")) {
        EXPECT_EQ(FileBytes(entry.path()).size(), 4u) << entry.path();
    }
    // One name taken: the backup gets the next.
    fs::remove_all(dir_ / "b");
    fs::create_directories(dir_ / "b");
    for (std::time_t t = now - 1; t <= now + 20; ++t) {
        std::ofstream(dir_ / "b" / BackupName(t, 1, ".tvr")) << "mine";
    }
    r = Tavctl(Dev({"write-display", "--image", File("send.tv2"), "--backup", File("b")}));
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_THAT(r.err, HasSubstr("-2.tvr"));
    EXPECT_TRUE(SameRecords(sim_.Memory(), PatternImage(9), 1005, 1005));
}

// A backup that cannot be read, or has nowhere to go, stops the write before
// anything is sent.
struct BackupFailure {
    const char* name;
    std::vector<std::string> command;
    sim::Fault fault;
    const char* folder;
    const char* says;
};

class TavctlBackupFailures : public TavctlTest,
                             public ::testing::WithParamInterface<BackupFailure> {};

TEST_P(TavctlBackupFailures, WriteNothing) {
    const BackupFailure& f = GetParam();
    Save(PatternImage(9), "send.tv2");
    fs::create_directories(dir_ / "b");
    sim_.InjectFault(f.fault);
    std::vector<std::string> args = f.command;
    args.insert(args.end(), {"--image", File("send.tv2"), "--backup", File(f.folder)});
    const Result r = Tavctl(Dev(args));
    EXPECT_EQ(r.status, 1);
    EXPECT_THAT(r.err, HasSubstr(f.says));
    EXPECT_EQ(sim_.Memory(), PatternImage(1));
    const std::vector<std::uint8_t> sent = sim_.ReceivedBytes();
    EXPECT_EQ(std::count(sent.begin(), sent.end(), 'z'), 0);
    EXPECT_EQ(std::count(sent.begin(), sent.end(), 'Z'), 0);
    EXPECT_TRUE(fs::is_empty(dir_ / "b"));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TavctlBackupFailures,
    ::testing::Values(
        BackupFailure{"RecordSilent",
                      {"write-scenarios"},
                      {sim::FaultKind::SilenceFromRecord, 1012},
                      "b",
                      "Błąd: TAV-1000R nie odpowiada!\ntavctl: the backup could not be read"},
        BackupFailure{"BulkChecksum",
                      {"write-all"},
                      {sim::FaultKind::BadChecksumAtRecord, 700},
                      "b",
                      "Błąd: Blad transmisji\ntavctl: the backup could not be read"},
        BackupFailure{"FolderCannotBeMade",
                      {"write-remote", "3"},
                      {sim::FaultKind::ShortAnswer, 99, 0},
                      "send.tv2/b",
                      "cannot make the folder"}),
    [](const auto& info) { return std::string(info.param.name); });

// A receiver that confirms a record but keeps something else is caught.
struct VerifyCase {
    const char* name;
    std::vector<std::string> command;
    int record;
    int byte;
};

class TavctlVerify : public TavctlTest, public ::testing::WithParamInterface<VerifyCase> {};

TEST_P(TavctlVerify, ReportsTheFirstDifference) {
    const VerifyCase& v = GetParam();
    Save(PatternImage(9), "send.tv2");
    Save(PatternImage(1), "base.tv2");
    sim_.InjectFault({sim::FaultKind::StoresOtherAtRecord, v.record, v.byte});
    std::vector<std::string> args = v.command;
    std::replace(args.begin(), args.end(), std::string("BASE"), File("base.tv2"));
    args.insert(args.end(), {"--image", File("send.tv2"), "--verify"});
    const Result r = Tavctl(Dev(args));
    EXPECT_EQ(r.status, 1);
    const std::size_t offset =
        static_cast<std::size_t>(v.record) * 32 + static_cast<std::size_t>(v.byte);
    const unsigned written = PatternImage(9).at(offset);
    const std::string remote =
        v.record < 1000 ? " (remote " + std::to_string(v.record + 1) + ")" : "";
    char line[200];
    std::snprintf(line, sizeof line,
                  "tavctl: verification failed: record %d%s, byte %d (offset 0x%04zx): written "
                  "0x%02x, the receiver holds 0x%02x\n",
                  v.record, remote.c_str(), v.byte, offset, written, written ^ 0xFF);
    EXPECT_THAT(r.err, ::testing::EndsWith(line));
}

INSTANTIATE_TEST_SUITE_P(
    Commands, TavctlVerify,
    ::testing::Values(VerifyCase{"Range", {"write-scenarios"}, 1010, 5},
                      VerifyCase{"Bulk", {"write-all"}, 3, 31},
                      VerifyCase{"Single", {"write-remote", "1000"}, 999, 0},
                      VerifyCase{"OnlyChanged", {"write-all", "--only-changed", "BASE"}, 1023, 7}),
    [](const auto& info) { return std::string(info.param.name); });

// The records the tool sent, read off the receiver's log: "z" frames one by
// one, or every record of a "Z" bulk write. Checks each frame's checksum.
struct SentRecords {
    std::vector<int> single;
    int bulk = 0;
};

SentRecords ParseWrites(const std::vector<std::uint8_t>& bytes) {
    SentRecords sent;
    std::size_t i = 0;
    while (i < bytes.size()) {
        if (bytes[i] == '?') {
            ++i;
        } else if (bytes[i] == 'z' && i + 36 <= bytes.size()) {
            sent.single.push_back(bytes[i + 1] * 256 + bytes[i + 2]);
            EXPECT_EQ(FrameChecksumOf(&bytes[i + 3]), bytes[i + 35]);
            i += 36;
        } else if (bytes[i] == 'Z') {
            sent.bulk = static_cast<int>((bytes.size() - i - 1) / 33);
            break;
        } else {
            ADD_FAILURE() << "unexpected byte " << int(bytes[i]) << " at " << i;
            break;
        }
    }
    return sent;
}

struct OnlyChanged {
    const char* name;
    std::vector<int> changed;
    bool bulk;
};

class TavctlOnlyChanged : public TavctlTest, public ::testing::WithParamInterface<OnlyChanged> {};

TEST_P(TavctlOnlyChanged, SendsExactlyTheDifferingRecords) {
    const OnlyChanged& c = GetParam();
    MemoryImage image = PatternImage(1);  // what the receiver holds and BASE says
    for (int rec : c.changed) {
        image.RecordAt(rec)[static_cast<std::size_t>(rec) % 32] ^= 0x5A;
    }
    Save(PatternImage(1), "base.tv2");
    Save(image, "new.tv2");
    sim_.ClearTraffic();
    const Result r =
        Tavctl(Dev({"write-all", "--image", File("new.tv2"), "--only-changed", File("base.tv2")}));
    EXPECT_EQ(r.status, 0) << r.err;
    const SentRecords sent = ParseWrites(sim_.ReceivedBytes());
    if (c.bulk) {
        EXPECT_TRUE(sent.single.empty());
        EXPECT_EQ(sent.bulk, kRecordCount);
    } else {
        EXPECT_EQ(sent.single, c.changed);
        EXPECT_EQ(sent.bulk, 0);
    }
    EXPECT_EQ(sim_.Memory(), image);
}

std::vector<int> Spread(int count) {
    std::vector<int> v;
    for (int i = 0; i < count; ++i) {
        v.push_back(i * 1023 / count);
    }
    return v;
}

INSTANTIATE_TEST_SUITE_P(
    Sizes, TavctlOnlyChanged,
    ::testing::Values(OnlyChanged{"None", {}, false}, OnlyChanged{"One", {1005}, false},
                      OnlyChanged{"Scattered", {0, 41, 999, 1000, 1019, 1023}, false},
                      OnlyChanged{"ManyGoBulk", Spread(400), true}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(TavctlTest, DiffWithTheReceiverChangesNothing) {
    MemoryImage file = PatternImage(1);
    WriteDeviceText(file, TextFieldOffset(0), "Brama");
    file.at(1022 * 32 + 1) ^= 0x01;
    Save(file, "a.tv2");
    sim_.ClearTraffic();
    Result r = Tavctl(Dev({"diff", File("a.tv2")}));
    EXPECT_EQ(r.status, 1) << r.err;
    const std::vector<std::string> lines = DiffLines(r.out);
    ASSERT_EQ(lines.size(), 2u) << r.out;
    EXPECT_THAT(lines[0], StartsWith("remote 1 name: \"Brama\" -> \""));
    EXPECT_THAT(lines[1], StartsWith("record 1022: "));
    const std::vector<std::uint8_t> sent = sim_.ReceivedBytes();
    ASSERT_FALSE(sent.empty());
    EXPECT_EQ(std::string(sent.begin(), sent.begin() + 2), "?P");
    EXPECT_TRUE(std::all_of(sent.begin() + 2, sent.end(), [](std::uint8_t b) { return b == 'x'; }));
    EXPECT_EQ(sim_.Memory(), PatternImage(1));

    r = Tavctl(Dev({"diff", File("a.tv2"), "--json"}));
    EXPECT_EQ(r.status, 1) << r.err;
    const QJsonArray list = QJsonDocument::fromJson(QByteArray::fromStdString(r.out)).array();
    ASSERT_EQ(list.size(), 2);
    const QJsonObject name = list[0].toObject();
    EXPECT_EQ(name["field"].toString(), "remote 1 name");
    EXPECT_EQ(name["offset"].toInt(), 6);
    EXPECT_EQ(name["length"].toInt(), 26);
    EXPECT_EQ(name["a"].toString(), "\"Brama\"");
    EXPECT_THAT(name["a_bytes"].toString().toStdString(), StartsWith("42 72 61 6d 61 00"));

    sim_.InjectFault({sim::FaultKind::BadChecksumAtRecord, 10});
    r = Tavctl(Dev({"diff", File("a.tv2")}));
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.out, "");
}

// The --excel list goes out and back unchanged; a row deleted in the
// spreadsheet and imported with --replace leaves an empty record in the
// receiver after the write; asked on a terminal, needs --yes elsewhere, backed
// up into a folder that is made for it.
TEST_F(TavctlTest, RemotesReplaceReachesTheReceiver) {
    MemoryImage m;
    // In Windows-1250: "Garaż", "Brama wjazdowa", "Łazienka".
    const std::vector<std::pair<int, std::string>> remotes = {{1, "Gara\xbf"},
                                                              {2, "Brama wjazdowa"},
                                                              {17,
                                                               "\xa3"
                                                               "azienka"}};
    for (const auto& [remote, name] : remotes) {
        m.RecordAt(remote - 1)[0] = static_cast<std::uint8_t>(remote);
        m.RecordAt(remote - 1)[3] = 0x01;
        WriteDeviceText(m, TextFieldOffset(remote - 1), name);
    }
    Save(m, "a.tv2");
    Result r = Tavctl({"remotes", "export", File("a.tv2"), "--csv", File("excel.csv"), "--excel"});
    ASSERT_EQ(r.status, 0) << r.err;
    const std::string excel = FileText(File("excel.csv"));
    EXPECT_EQ(excel,
              "\xEF\xBB\xBFnumer;numer seryjny;scenariusz;nazwa\r\n"
              "1;01:00:00:01;1;Garaż\r\n2;02:00:00:01;1;Brama wjazdowa\r\n"
              "17;11:00:00:01;1;Łazienka\r\n");
    r = Tavctl({"remotes", "import", File("excel.csv"), "--image", File("a.tv2")});
    EXPECT_EQ(r.err, "tavctl: 3 remotes imported into " + File("a.tv2") + "\n");
    EXPECT_EQ(LoadFile(File("a.tv2")), m);

    // Remote 2 deleted in the spreadsheet.
    std::ofstream(File("excel.csv"), std::ios::binary)
        << "\xEF\xBB\xBFnumer;numer seryjny;scenariusz;nazwa\r\n"
           "1;01:00:00:01;1;Garaż\r\n17;11:00:00:01;1;Łazienka\r\n";
    const struct {
        std::vector<std::string> options;
        const char* answer;  // typed on a terminal, or none
        int status;
        const char* says;
        bool removed;
    } rows[] = {
        {{}, nullptr, 0, "; kept, not in the file: 1 remote in use", false},
        {{"--replace"}, nullptr, 2, "give --yes", false},
        {{"--replace"}, "n\n", 1, "nothing was imported", false},
        {{"--replace", "--yes", "--backup", File("new/backups")},
         nullptr,
         0,
         "made the folder",
         true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.options.empty() ? "plain" : row.options.back());
        std::vector<std::string> args = {"remotes", "import", File("excel.csv"), "--image",
                                         File("a.tv2")};
        args.insert(args.end(), row.options.begin(), row.options.end());
        Child child(args, row.answer != nullptr);
        if (row.answer != nullptr) {
            child.Type(row.answer);
        }
        r = child.Finish();
        EXPECT_EQ(r.status, row.status) << r.err;
        EXPECT_THAT(r.err, HasSubstr(row.says));
        if (row.answer != nullptr) {
            EXPECT_THAT(r.err, HasSubstr("Remove 1 remote that " + File("excel.csv") +
                                         " does not list (2) from " + File("a.tv2") + "?"));
        }
        EXPECT_EQ(IsRemoteSlotUsed(LoadFile(File("a.tv2")), 1), !row.removed);
    }
    EXPECT_THAT(r.err, HasSubstr("2 remotes imported into " + File("a.tv2") +
                                 "; removed, not in the file: 1 remote (2)"));
    const std::vector<std::string> backups = FilesIn(dir_ / "new" / "backups");
    ASSERT_EQ(backups.size(), 1u);
    EXPECT_EQ(LoadFile(dir_ / "new" / "backups" / backups[0]), m);

    ASSERT_EQ(Tavctl(Dev({"write-all", "--image", File("a.tv2")})).status, 0);
    const MemoryImage received = sim_.Memory();
    EXPECT_FALSE(IsRemoteSlotUsed(received, 1));
    EXPECT_EQ(ReadDeviceText(received, TextFieldOffset(1)), "");
    EXPECT_EQ(ReadDeviceText(received, TextFieldOffset(16)), remotes[2].second);
}

// A partial backup holds the records a write changed; restore writes back
// those and nothing else, a whole backup whole, and write-all refuses a
// partial one.
TEST_F(TavctlTest, BackupsGoBackAsTheyWereTaken) {
    struct Row {
        const char* name;
        std::vector<std::string> write;  // the write that takes the backup
        std::vector<std::string> then;   // what is done with the backup (BACKUP stands for it)
        int status;
        const char* says;
        int first, last;  // records that hold the backup afterwards; the rest PatternImage(2)
    };
    const Row rows[] = {
        {"partial backup restored",
         {"write-scenarios"},
         {"restore", "BACKUP"},
         0,
         "restored the 12 records of",
         1008,
         1019},
        {"partial backup of one remote restored",
         {"write-remote", "7"},
         {"restore", "BACKUP", "--verify"},
         0,
         "verified: the receiver holds the 1 record written",
         6,
         6},
        {"whole backup restored whole",
         {"write-display", "--backup-full"},
         {"restore", "BACKUP"},
         0,
         "OK: OK",
         0,
         1023},
        {"partial backup refused by write-all",
         {"write-clock-events"},
         {"write-all", "--image", "BACKUP"},
         1,
         "is a partial backup of 5 records, not a whole settings file; 'tavctl restore ",
         0,
         -1},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        sim_.SetMemory(PatternImage(1));
        fs::remove_all(dir_ / "b");
        fs::create_directories(dir_ / "b");
        Save(PatternImage(9), "send.tv2");
        std::vector<std::string> write = row.write;
        write.insert(write.end(), {"--image", File("send.tv2"), "--backup", File("b")});
        ASSERT_EQ(Tavctl(Dev(write)).status, 0);
        const std::vector<std::string> backups = FilesIn(dir_ / "b");
        ASSERT_EQ(backups.size(), 1u);
        // The receiver changes afterwards; the backup brings back only its records.
        sim_.SetMemory(PatternImage(2));
        sim_.ClearTraffic();
        std::vector<std::string> then = row.then;
        std::replace(then.begin(), then.end(), std::string("BACKUP"),
                     (dir_ / "b" / backups[0]).string());
        const Result r = Tavctl(Dev(then));
        EXPECT_EQ(r.status, row.status) << r.err;
        EXPECT_THAT(r.err, HasSubstr(row.says));
        const MemoryImage held = sim_.Memory();
        for (int rec = 0; rec < kRecordCount; ++rec) {
            const bool restored = rec >= row.first && rec <= row.last;
            EXPECT_TRUE(SameRecords(held, restored ? PatternImage(1) : PatternImage(2), rec, rec))
                << rec;
        }
        if (row.status != 0) {
            EXPECT_TRUE(sim_.ReceivedBytes().empty());
        }
    }
}

// An interrupt: a read stops and leaves the file as it was; a write finishes
// the record on the line, stops, and says what the receiver holds; then
// tavctl ends by that signal.
TEST_F(TavctlTest, InterruptsStopCleanlyAndEndAsTheSignalAsks) {
    struct Row {
        const char* name;
        std::vector<std::string> command;  // FILE, DIR stand for the image and backup folder
        int signal;
        std::size_t after;      // bytes the receiver has sent (read) or received (write) first
        std::vector<int> sent;  // the records a write sends, in order; none for a read
        const char* says;
    };
    std::vector<int> all(kRecordCount);
    std::iota(all.begin(), all.end(), 0);
    const Row rows[] = {
        {"SIGINT during a read",
         {"read-all", "--image", "FILE"},
         SIGINT,
         1000,
         {},
         "tavctl: stopped by SIGINT; the read was not finished and "},
        {"SIGTERM during a bulk write",
         {"write-all", "--image", "FILE"},
         SIGTERM,
         1000,
         all,
         "tavctl: stopped by SIGTERM after record "},
        {"SIGINT during a write with a backup",
         {"write-scenarios", "--image", "FILE", "--backup", "DIR"},
         SIGINT,
         80,
         {1008, 1009, 1010, 1011, 1012, 1013, 1014, 1015, 1016, 1017, 1018, 1019},
         "tavctl: the backup made before the write is "},
        {"SIGHUP during changed records",
         {"write-all", "--image", "FILE", "--only-changed", "BASE"},
         SIGHUP,
         80,
         {2, 3, 4, 10, 11},
         "tavctl: stopped by SIGHUP after record "},
    };
    // A transfer left part-way is dropped after a short quiet.
    sim_.SetFrameTimeout(100ms);
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        sim_.SetPacing({});
        sim_.SetMemory(PatternImage(1));
        fs::remove_all(dir_);
        fs::create_directories(dir_ / "b");
        Save(PatternImage(5), "image.tv2");
        MemoryImage base = PatternImage(5);  // five records differ from image.tv2
        for (int rec : {2, 3, 4, 10, 11}) {
            base.RecordAt(rec)[0] ^= 0xFF;
        }
        Save(base, "base.tv2");
        const std::vector<std::uint8_t> before = FileBytes(File("image.tv2"));
        std::vector<std::string> args = row.command;
        for (std::string& arg : args) {
            arg = arg == "FILE"   ? File("image.tv2")
                  : arg == "DIR"  ? File("b")
                  : arg == "BASE" ? File("base.tv2")
                                  : arg;
        }
        // The transfer the last row stopped has been dropped by the receiver.
        ASSERT_TRUE(sim_.WaitUntilSettled(200ms, 5s));
        sim_.SetPacing({.paced = true, .recordWriteMs = 20});
        sim_.ClearTraffic();
        Child child(Dev(args));
        // Part-way through the transfer (the backup read is short and comes first).
        const bool reached = !row.sent.empty() ? sim_.WaitForReceived(row.after, 20s)
                                               : sim_.WaitForSent(row.after, 20s);
        ASSERT_TRUE(reached);
        child.Signal(row.signal);
        const Result r = child.Finish();
        sim_.SetPacing({});
        EXPECT_EQ(r.signal, row.signal) << r.err;
        EXPECT_THAT(r.err, HasSubstr(row.says));
        EXPECT_EQ(FileBytes(File("image.tv2")), before);
        if (row.sent.empty()) {
            EXPECT_EQ(FilesIn(dir_), (std::vector<std::string>{"b", "base.tv2", "image.tv2"}));
            // The window's words for a stopped read.
            EXPECT_THAT(r.err, HasSubstr(" z 1024 rekordów. Dane w programie pozostały takie, "
                                         "jak przed odczytem."));
            EXPECT_THAT(r.err, HasSubstr("UWAGA!: Odczyt przerwano po "));
            continue;
        }
        // The receiver holds a clean prefix of what was sent: every record up to
        // the one named is new, every other one as it was.
        const std::size_t at = r.err.find("after record ");
        ASSERT_NE(at, std::string::npos) << r.err;
        const int last = std::stoi(r.err.substr(at + 13));
        ASSERT_TRUE(sim_.WaitUntilSettled(50ms, 5s));
        const MemoryImage held = sim_.Memory();
        const std::vector<int>& sent = row.sent;
        bool done = true;
        int written = 0;
        for (int rec : sent) {
            EXPECT_TRUE(SameRecords(held, done ? PatternImage(5) : PatternImage(1), rec, rec))
                << rec;
            written += done ? 1 : 0;
            done = done && rec != last;
        }
        EXPECT_LT(written, static_cast<int>(sent.size()));
        EXPECT_THAT(r.err, HasSubstr("(" + std::to_string(written) + " of " +
                                     std::to_string(sent.size()) + ") from " + File("image.tv2")));
        // The window's words for the same stop.
        EXPECT_THAT(r.err, HasSubstr("UWAGA!: Zapis przerwano po " + std::to_string(written) +
                                     " z " + std::to_string(sent.size()) +
                                     " rekordów. Tylko te rekordy dotarły do TAV-1000R, "
                                     "pozostałe są w nim takie, jak przed zapisem."));
        for (int rec = 0; rec < kRecordCount; ++rec) {
            if (std::find(sent.begin(), sent.end(), rec) == sent.end()) {
                EXPECT_TRUE(SameRecords(held, PatternImage(1), rec, rec)) << rec;
            }
        }
    }
}

// Past the file-size limit a write fails with a message; no temporary, empty
// or partial file is left, and nothing is written after a failed backup.
TEST_F(TavctlTest, AFileSizeLimitFailsTheWriteWithAMessage) {
    struct Row {
        const char* name;
        std::vector<std::string> command;
        const char* says;
        std::vector<std::string> left;  // in the folder afterwards
    };
    const Row rows[] = {
        {"read into a new file",
         {"read-all", "--image", "FILE"},
         "could not be written (the file-size limit is reached); an existing file was left",
         {"b", "send.tv2"}},
        {"whole backup before a write",
         {"write-display", "--image", "SEND", "--backup", "DIR", "--backup-full"},
         "could not be written (the file-size limit is reached); no backup file was left",
         {"b", "send.tv2"}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        fs::remove_all(dir_);
        fs::create_directories(dir_ / "b");
        Save(PatternImage(9), "send.tv2");
        sim_.ClearTraffic();
        std::vector<std::string> args = row.command;
        for (std::string& arg : args) {
            arg = arg == "FILE"   ? File("new.tv2")
                  : arg == "SEND" ? File("send.tv2")
                  : arg == "DIR"  ? File("b")
                                  : arg;
        }
        const Result r = Child(Dev(args), false, FileSizeLimit(10000)).Finish();
        EXPECT_EQ(r.status, 1) << r.err;
        EXPECT_EQ(r.signal, 0);
        EXPECT_THAT(r.err, HasSubstr(row.says));
        EXPECT_EQ(FilesIn(dir_), row.left);
        EXPECT_TRUE(fs::is_empty(dir_ / "b"));
        const std::vector<std::uint8_t> sent = sim_.ReceivedBytes();
        EXPECT_EQ(std::count(sent.begin(), sent.end(), 'z'), 0);
    }
}

// A read whose result could not be kept is refused before a byte is sent,
// naming the file and the reason.
TEST_F(TavctlTest, AReadThatCouldNotBeKeptIsNotBegun) {
    struct Row {
        const char* name;
        std::function<void(const fs::path& dir)> prepare;  // makes dir/image.tv2 (or not)
        const char* says;
    };
    const Row rows[] = {
        {"folder without create permission",
         [](const fs::path& d) { fs::permissions(d, fs::perms(0555)); },
         ": no file can be created in its folder"},
        {"write-protected file",
         [](const fs::path& d) {
             ASSERT_EQ(WriteSettingsFile(PatternImage(7), d / "image.tv2"),
                       SettingsSaveResult::Saved);
             fs::permissions(d / "image.tv2", fs::perms(0444));
         },
         ": it is write-protected"},
        {"not a settings file",
         [](const fs::path& d) { std::ofstream(d / "image.tv2") << "notes"; },
         "image.tv2 is not a settings file"},
        {"a folder of that name", [](const fs::path& d) { fs::create_directory(d / "image.tv2"); },
         "image.tv2"},
    };
    fs::permissions(sim_.DevicePath(), fs::perms(0666));
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const fs::path d = dir_ / "in";
        fs::create_directories(d);
        fs::permissions(d, fs::perms(0777));
        fs::remove_all(d);
        fs::create_directories(d);
        fs::permissions(d, fs::perms(0777));
        row.prepare(d);
        const std::vector<std::string> before = FilesIn(d);
        sim_.ClearTraffic();
        const Result r =
            Child(Dev({"read-all", "--image", (d / "image.tv2").string()}), false, AsNobody)
                .Finish();
        EXPECT_EQ(r.status, 1) << r.err;
        EXPECT_THAT(r.err, HasSubstr((d / "image.tv2").string()));
        EXPECT_THAT(r.err, HasSubstr(row.says));
        EXPECT_TRUE(sim_.Traffic().empty());
        EXPECT_EQ(FilesIn(d), before);
        fs::permissions(d, fs::perms(0777));
    }
}

}  // namespace
}  // namespace tav::tavctl_test
