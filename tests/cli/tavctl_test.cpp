// tavctl run as a program: device commands against the simulated receiver on
// a pty, file commands on made-up files.
#include <fcntl.h>
#include <pty.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QByteArray>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <chrono>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <numeric>
#include <string>
#include <thread>
#include <vector>

#include "image/memory_image.h"
#include "image/record_backup.h"
#include "image/settings_file.h"
#include "sim/receiver.h"
#include "tests/support/image_pattern.h"
#include "tests/support/temp_folder.h"

namespace tav {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using ::testing::HasSubstr;
using ::testing::StartsWith;
using testsupport::PatternImage;

// tavctl speaks the user's language: the tests expect English unless a row
// says otherwise, whatever the language of whoever runs them.
[[maybe_unused]] const bool kEnglish = [] {
    for (const char* name : {"LANGUAGE", "LC_ALL", "LC_MESSAGES"}) {
        unsetenv(name);
    }
    return setenv("LANG", "C.UTF-8", 1) == 0;
}();

struct Result {
    int status = -1;
    int signal = 0;  // the signal that ended tavctl, or 0
    std::string out;
    std::string err;
};

// tavctl as a child process, its standard output and error in files (or its
// standard error on a terminal).
class Child {
  public:
    // `inChild` runs in the child just before tavctl starts (limits, user);
    // `outPath` takes standard output instead of a file of the test's own.
    explicit Child(std::vector<std::string> args, bool errOnTerminal = false,
                   const std::function<void()>& inChild = nullptr,
                   const std::string& outPath = "") {
        static int count = 0;
        base_ = fs::temp_directory_path() /
                ("tavctl-run-" + std::to_string(getpid()) + "-" + std::to_string(++count));
        int slave = -1;
        if (errOnTerminal && openpty(&terminal_, &slave, nullptr, nullptr, nullptr) != 0) {
            ADD_FAILURE() << "openpty";
        }
        pid_ = fork();
        if (pid_ == 0) {
            const int out = outPath.empty() ? open((base_.string() + ".out").c_str(),
                                                   O_WRONLY | O_CREAT | O_TRUNC, 0600)
                                            : open(outPath.c_str(), O_WRONLY);
            const int err =
                open((base_.string() + ".err").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
            dup2(out, STDOUT_FILENO);
            dup2(slave >= 0 ? slave : err, STDERR_FILENO);
            // The terminal answers questions too; otherwise there is none to ask on.
            dup2(slave >= 0 ? slave : open("/dev/null", O_RDONLY), STDIN_FILENO);
            if (inChild) {
                inChild();
            }
            std::string path = TAVCTL_PATH;
            std::vector<char*> argv = {path.data()};
            for (std::string& a : args) {
                argv.push_back(a.data());
            }
            argv.push_back(nullptr);
            execv(path.c_str(), argv.data());
            _exit(127);
        }
        if (slave >= 0) {
            close(slave);
            fcntl(terminal_, F_SETFL, O_NONBLOCK);
        }
    }

    void Signal(int sig) const { kill(pid_, sig); }
    // Types `text` on the terminal (errOnTerminal).
    void Type(const std::string& text) const {
        EXPECT_EQ(write(terminal_, text.data(), text.size()), static_cast<ssize_t>(text.size()));
    }

    // Waits for the end (kills the child after `timeout`) and collects the output.
    Result Finish(std::chrono::milliseconds timeout = 60s) {
        Result r;
        const auto deadline = std::chrono::steady_clock::now() + timeout;
        int status = 0;
        while (waitpid(pid_, &status, WNOHANG) == 0) {
            if (std::chrono::steady_clock::now() > deadline) {
                ADD_FAILURE() << "tavctl did not end in time";
                kill(pid_, SIGKILL);
            }
            ReadTerminal();
            std::this_thread::sleep_for(5ms);
        }
        r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        r.signal = WIFSIGNALED(status) ? WTERMSIG(status) : 0;
        ReadTerminal();
        for (auto [suffix, into] : {std::pair{".out", &r.out}, std::pair{".err", &r.err}}) {
            const fs::path file = base_.string() + suffix;
            std::ifstream in(file, std::ios::binary);
            into->assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
            fs::remove(file);
        }
        if (terminal_ >= 0) {
            r.err = terminalText_;
            close(terminal_);
        }
        return r;
    }

  private:
    void ReadTerminal() {
        char buf[4096];
        ssize_t n = 0;
        while (terminal_ >= 0 && (n = read(terminal_, buf, sizeof buf)) > 0) {
            terminalText_.append(buf, static_cast<std::size_t>(n));
        }
    }

    fs::path base_;
    pid_t pid_ = -1;
    int terminal_ = -1;
    std::string terminalText_;
};

Result Tavctl(const std::vector<std::string>& args) {
    return Child(args).Finish();
}

std::vector<std::uint8_t> FileBytes(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

MemoryImage LoadFile(const fs::path& p) {
    MemoryImage m;
    EXPECT_EQ(ReadSettingsFile(m, p), SettingsLoadResult::Loaded) << p;
    return m;
}

bool SameRecords(const MemoryImage& a, const MemoryImage& b, int first, int last) {
    for (int r = first; r <= last; ++r) {
        if (!std::equal(a.RecordAt(r).begin(), a.RecordAt(r).end(), b.RecordAt(r).begin())) {
            return false;
        }
    }
    return true;
}

std::uint8_t FrameChecksumOf(const std::uint8_t* record) {
    std::uint8_t sum = 0;
    for (int i = 0; i < 32; ++i) {
        sum = static_cast<std::uint8_t>(sum + record[i]);
    }
    return sum;
}

// pdftotext's text of a PDF file.
std::string PdfText(const std::string& pdf) {
    std::string text;
    if (std::FILE* p = popen(("pdftotext -layout '" + pdf + "' -").c_str(), "r")) {
        char buf[4096];
        for (std::size_t n; (n = std::fread(buf, 1, sizeof buf, p)) > 0;) {
            text.append(buf, n);
        }
        pclose(p);
    }
    return text;
}

std::vector<std::string> DiffLines(const std::string& out) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t nl; (nl = out.find('\n', start)) != std::string::npos; start = nl + 1) {
        lines.push_back(out.substr(start, nl - start));
    }
    return lines;
}

class TavctlTest : public ::testing::Test {
  protected:
    void SetUp() override {
        std::string error;
        ASSERT_TRUE(sim_.Start(&error)) << error;
        sim_.SetMemory(PatternImage(1));
    }
    void TearDown() override { sim_.Stop(); }

    std::string File(const std::string& name) const { return (dir_ / name).string(); }
    std::vector<std::string> Dev(std::vector<std::string> args) const {
        args.insert(args.begin(), {"--port", sim_.DevicePath()});
        return args;
    }
    void Save(const MemoryImage& m, const std::string& name) const {
        ASSERT_EQ(WriteSettingsFile(m, File(name)), SettingsSaveResult::Saved);
    }

    testsupport::TempFolder folder_{"tavctl-test"};
    const fs::path dir_ = folder_.path();
    sim::PtyReceiver sim_;
};

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

// ---- Usage ------------------------------------------------------------------

class TavctlUsage : public ::testing::TestWithParam<std::vector<std::string>> {};

TEST_P(TavctlUsage, ExitsWithTwo) {
    const Result r = Tavctl(GetParam());
    EXPECT_EQ(r.status, 2) << r.err;
    EXPECT_THAT(r.err, StartsWith("tavctl: "));
}

INSTANTIATE_TEST_SUITE_P(
    Errors, TavctlUsage,
    ::testing::Values(
        std::vector<std::string>{}, std::vector<std::string>{"frobnicate"},
        std::vector<std::string>{"read-all"},
        std::vector<std::string>{"read-remote", "0", "--image", "x.tv2"},
        std::vector<std::string>{"read-remote", "--image", "x.tv2"},
        std::vector<std::string>{"--port", "LPT1", "version"},
        std::vector<std::string>{"monitor", "--duration", "soon"},
        std::vector<std::string>{"erase", "--image", "x.tv2"},
        std::vector<std::string>{"version", "--port"},
        std::vector<std::string>{"write-display", "--image", "x.tv2", "--backup-full"},
        std::vector<std::string>{"read-all", "--image", "x.tv2", "--verify"},
        std::vector<std::string>{"write-scenarios", "--image", "x.tv2", "--only-changed", "y.tv2"},
        std::vector<std::string>{"diff", "a.tv2"},
        std::vector<std::string>{"remotes", "list", "a.tv2"},
        std::vector<std::string>{"remotes", "export", "a.tv2"},
        std::vector<std::string>{"ports", "extra"}));

TEST(TavctlHelp, ForTheToolAndItsCommands) {
    for (const char* command : {"", "version", "read-remote", "update-firmware", "monitor", "show",
                                "write-all", "diff", "remotes", "ports"}) {
        std::vector<std::string> args = {"--help"};
        if (*command != '\0') {
            args.insert(args.begin(), command);
        }
        const Result r = Tavctl(args);
        EXPECT_EQ(r.status, 0) << command;
        EXPECT_THAT(r.out, StartsWith("Usage: tavctl ")) << command;
    }
}

// ---- File commands ------------------------------------------------------------

using TavctlFiles = TavctlTest;  // file commands need no receiver, but a folder

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

// ---- Backups and verification -------------------------------------------------

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

std::string BackupName(std::time_t t, int n, const char* extension) {
    char buf[32];
    std::tm local{};
    localtime_r(&t, &local);
    std::strftime(buf, sizeof buf, "%Y%m%d-%H%M%S", &local);
    return std::string("backup-") + buf + (n == 1 ? "" : "-" + std::to_string(n)) + extension;
}

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

// ---- Writing only what changed ------------------------------------------------

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

// ---- diff against the receiver ------------------------------------------------

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

// ---- Remote lists as spreadsheets ---------------------------------------------

std::string FileText(const fs::path& p) {
    const auto bytes = FileBytes(p);
    return {bytes.begin(), bytes.end()};
}

// The files in a folder, by name.
std::vector<std::string> FilesIn(const fs::path& dir) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
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

// ---- Conventions of the command line ------------------------------------------

TEST(TavctlVersion, PrintsTheVersion) {
    const Result r = Tavctl({"--version"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_THAT(r.out, StartsWith("tavctl 1."));
    EXPECT_EQ(Tavctl({"show", "--version"}).status, 2);
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

TEST_F(TavctlTest, APortGivenAsALinkIsNamed) {
    std::string error;
    ASSERT_TRUE(sim_.MakeSymlink(File("by-id-link"), &error)) << error;
    const Result r = Tavctl({"--port", File("by-id-link"), "version"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "hardw.ver:1.00 soft.ver:1.26\n");
    EXPECT_EQ(r.err,
              "tavctl: " + File("by-id-link") + " is " + sim_.DevicePath() + " (no COM name)\n");
}

// ---- Slips: partial backups, interrupts, full disks, files that cannot be kept ----

// Runs tavctl with files limited to `bytes`.
std::function<void()> FileSizeLimit(rlim_t bytes) {
    return [bytes] {
        struct rlimit limit {};
        getrlimit(RLIMIT_FSIZE, &limit);
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    };
}

// Runs tavctl as "nobody" when the tests run as root.
void AsNobody() {
    if (geteuid() == 0) {
        (void)setgid(65534);
        (void)setuid(65534);
    }
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

// ---- Language -------------------------------------------------------------------

// Runs in the child: the user's language as `variable`=`value`, the other
// three variables unset.
std::function<void()> Language(const char* variable, const char* value) {
    return [=] {
        for (const char* name : {"LANGUAGE", "LC_ALL", "LC_MESSAGES", "LANG"}) {
            unsetenv(name);
        }
        setenv(variable, value, 1);
    };
}

// tavctl's own words follow the user's language; the receiver's stay as they
// are; the English ones are as they always were.
TEST(TavctlLanguage, MessagesInTheUsersLanguage) {
    const struct {
        const char* variable;
        const char* value;
        std::vector<std::string> args;
        int status;
        std::string says;  // on standard error, or standard output for --help
    } rows[] = {
        {"LANG",
         "C.UTF-8",
         {"frobnicate"},
         2,
         "tavctl: unknown command frobnicate\nTry 'tavctl --help'.\n"},
        {"LANG",
         "pl_PL.UTF-8",
         {"frobnicate"},
         2,
         "tavctl: nieznane polecenie frobnicate\nSpróbuj 'tavctl --help'.\n"},
        {"LANGUAGE",
         "pl",
         {"erase", "extra"},
         2,
         "tavctl: erase: nieoczekiwany argument extra\nSpróbuj 'tavctl erase --help'.\n"},
        {"LC_ALL",
         "en_US.UTF-8",
         {"--port", "/nonexistent/tty", "version"},
         1,
         "Błąd: Niewłaściwa nazwa portu lub port jest aktywny.\n"
         "tavctl: cannot open /nonexistent/tty: No such file or directory\n"},
        {"LC_MESSAGES",
         "pl_PL",
         {"--port", "/nonexistent/tty", "version"},
         1,
         "Błąd: Niewłaściwa nazwa portu lub port jest aktywny.\n"
         "tavctl: nie można otworzyć /nonexistent/tty: No such file or directory\n"},
        {"LANG", "pl_PL.UTF-8", {"--help"}, 0, "Użycie: tavctl [--port PORT] POLECENIE"},
        {"LANG", "pl_PL.UTF-8", {"erase", "--help"}, 0, "Na terminalu najpierw pyta"},
        {"LANG", "de_DE.UTF-8", {"--help"}, 0, "Usage: tavctl [--port PORT] COMMAND"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string(row.variable) + "=" + row.value);
        const Result r = Child(row.args, false, Language(row.variable, row.value)).Finish();
        EXPECT_EQ(r.status, row.status) << r.err;
        if (row.status == 0) {
            EXPECT_THAT(r.out, HasSubstr(row.says));
        } else {
            EXPECT_EQ(r.err, row.says);
        }
    }
}

// The question is asked in the user's language and answered in it: "t" is
// yes in Polish, and no in English.
TEST_F(TavctlTest, EraseAnsweredTak) {
    const struct {
        const char* lang;
        const char* answer;
        const char* question;
        bool erased;
    } rows[] = {
        {"pl_PL.UTF-8", "t\n", "Skasować całą pamięć odbiornika? Wszystkie piloty", true},
        {"pl_PL.UTF-8", "Tak\n", "[t/N]", true},
        {"pl_PL.UTF-8", "n\n", "[t/N]", false},
        {"C.UTF-8", "t\n", "Erase the receiver's whole memory? Every remote", false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string(row.lang) + " " + row.answer);
        sim_.SetMemory(PatternImage(1));
        sim_.ClearTraffic();
        Child child(Dev({"erase"}), true, Language("LANG", row.lang));
        child.Type(row.answer);
        const Result r = child.Finish();
        EXPECT_EQ(r.status, row.erased ? 0 : 1) << r.err;
        EXPECT_THAT(r.err, HasSubstr(row.question));
        if (!row.erased) {
            EXPECT_THAT(r.err, HasSubstr(std::string(row.lang)[0] == 'p' ? "nic nie skasowano"
                                                                         : "nothing was erased"));
        }
        ASSERT_TRUE(sim_.WaitUntilSettled(50ms, 5s));
        EXPECT_EQ(sim_.Memory() != PatternImage(1), row.erased);
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
}  // namespace tav
