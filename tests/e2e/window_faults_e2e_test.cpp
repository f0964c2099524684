// Every device button of the window and on-line reception against a simulated
// receiver on a pty that misbehaves in each way a line or an adapter can: one
// message, the port closed afterwards, the records before the failure kept and
// nothing else changed, and the next press on a working receiver succeeds.
#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>

#include <QAction>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <thread>

#include "image/settings_file.h"
#include "link/firmware.h"
#include "sim/receiver.h"
#include "tests/e2e/e2e_support.h"
#include "tests/support/file_size_limit.h"
#include "tests/support/temp_folder.h"
#include "tests/ui/window_fixture.h"
#include "ui/form_text.h"

namespace tav::ui::testing {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using e2etest::WithRecords;
using sim::Fault;
using sim::FaultKind;
using testsupport::PatternImage;

std::vector<std::uint8_t> FileBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

// How many of this process's descriptors are open on `device`.
int DescriptorsOn(const std::string& device) {
    int n = 0;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator("/proc/self/fd", ec)) {
        n += fs::read_symlink(entry.path(), ec) == device ? 1 : 0;
    }
    return n;
}

// The port message, with the reason the open ran into.
Message PortRefused(const char* reason) {
    return {QString::fromUtf8("Niewłaściwa nazwa portu lub port jest aktywny.\n\nPrzyczyna: ") +
                QString::fromUtf8(reason),
            QString::fromUtf8("Błąd")};
}
const Message kPortBusy = PortRefused("port zajęty przez inny program.");
const Message kNoPermission = PortRefused("brak uprawnień do tego portu.");
const Message kNoDevice = PortRefused("brak urządzenia – nic nie jest podłączone do tego portu.");
const Message kNoAnswerAtStart{"TAV-1000R nie odpowiada!", QString::fromUtf8("Błąd")};
const QString kFirmwareWarning = QString::fromUtf8(
    "Aby zaktualizować TAV-1001U do wersji 1.26 należy wyłączyć go, a następnie włączyć "
    "przytrzymując przyciski YES i NO.");

enum class Kind { Read, Write, Firmware, NoAnswer };  // NoAnswer: nothing follows the version

struct Operation {
    const char* control;  // button, or the firmware menu item
    Kind kind;
    int first;   // first record (block) moved
    int count;   // records (blocks) moved
    int failAt;  // where a fault part-way strikes
    const char* noAnswer;
    std::vector<Message> success;
    bool erases = false;  // a press that arrives leaves the receiver erased
};

const Operation kOperations[] = {
    {"Button1",
     Kind::Read,
     7,
     1,
     7,
     "TAV-1000R nie odpowiada!",
     {{"Pilot odczytano z TAV-1000/1000R", "OK"}}},
    {"Button2",
     Kind::Write,
     7,
     1,
     7,
     "TAV-1000R nie odpowiada!",
     {{"Pilot zapisano w TAV-2000", "OK"}}},
    {"Button3", Kind::Read, 0, kRecordCount, 100, "1000R nie odpowiada!", {}},
    {"Button4", Kind::Write, 0, kRecordCount, 40, "TAV-2000 nie odpowiada!", {{"OK", "OK"}}},
    {"Button7",
     Kind::Write,
     1008,
     12,
     1010,
     "TAV-1000R nie odpowiada!",
     {{"Scenariusz zostal wyslany", "OK"}}},
    {"Button8",
     Kind::Read,
     1008,
     12,
     1013,
     "TAV-1000R nie odpowiada!",
     {{"Scenariusz zostal odebrany", "OK"}}},
    {"Button15",
     Kind::Write,
     1000,
     5,
     1002,
     "TAV-1000R nie odpowiada!",
     {{"Zd zegarowe zostaly wyslane", "OK"}}},
    {"Button16",
     Kind::Read,
     1000,
     5,
     1003,
     "TAV-1000R nie odpowiada!",
     {{"Zd zeg zostaly odebrane", "OK"}}},
    {"Button17",
     Kind::Read,
     1005,
     1,
     1005,
     "TAV-1000R nie odpowiada!",
     {{"Stan wyswietlacza odebrano z TAV-1000R", "OK"}}},
    {"Button18",
     Kind::Write,
     1005,
     1,
     1005,
     "TAV-1000R nie odpowiada!",
     {{"Stan wyswietlacza zapisano TAV-1000R", "OK"}}},
    {"Button13", Kind::NoAnswer, 0, 0, 0, nullptr, {{"Ustawiono zegar w TAV-1000R", "OK"}}},
    {"Button12", Kind::NoAnswer, 0, 0, 0, nullptr, {{"TAV-1000R Kasuje cala pamiec", "OK"}}, true},
    {"AktualizujOpr",
     Kind::Firmware,
     0,
     kFirmwareBlocks,
     17,
     "TAV-1000R nie odpowiada!",
     {{kFirmwareWarning, "UWAGA!"}, {"OK", "OK"}}},
};

enum class Column {
    SilenceFromTheStart,
    SilenceInTheMiddle,
    WrongChecksum,
    WrongEcho,
    GarbageBeforeTheAnswer,
    AnswerCutShort,
    PortHeldByAnotherProcess,
    DeviceWithoutPermission,
    DeviceVanishes,
};

const char* ColumnName(Column column) {
    static const char* const names[] = {"SilenceFromTheStart",
                                        "SilenceInTheMiddle",
                                        "WrongChecksum",
                                        "WrongEcho",
                                        "GarbageBeforeTheAnswer",
                                        "AnswerCutShort",
                                        "PortHeldByAnotherProcess",
                                        "DeviceWithoutPermission",
                                        "DeviceVanishes"};
    return names[static_cast<int>(column)];
}
void PrintTo(Column column, std::ostream* os) {
    *os << ColumnName(column);
}

struct Expected {
    std::optional<Fault> fault;
    Message message;
    int moved;               // records (blocks) that reached their destination
    bool inFlightMayLand{};  // the next one may have too: it was on the line
};

// What each fault does to each operation; nullopt where it cannot happen.
std::optional<Expected> Expect(Column column, const Operation& op) {
    const bool reads = op.kind == Kind::Read;
    const bool writes = op.kind == Kind::Write || op.kind == Kind::Firmware;
    const int before = op.failAt - op.first;
    const int answer = 1 + before;  // the version is answer 0
    const Message noAnswer{op.noAnswer == nullptr ? "" : op.noAnswer, QString::fromUtf8("Błąd")};
    const Message transmission{"Blad transmisji",
                               QString::fromUtf8(op.kind == Kind::Firmware ? "BŁĄD" : "Błąd")};
    // A write is stored once its checksum matched, whatever happens to the echo.
    const int stored = writes ? before + 1 : before;
    switch (column) {
        case Column::SilenceFromTheStart:
            return Expected{Fault{FaultKind::ShortAnswer, 0, 0}, kNoAnswerAtStart, 0};
        case Column::SilenceInTheMiddle:
            if (op.kind == Kind::NoAnswer) {
                return std::nullopt;
            }
            return Expected{Fault{op.kind == Kind::Firmware ? FaultKind::SilenceFromBlock
                                                            : FaultKind::SilenceFromRecord,
                                  op.failAt},
                            noAnswer, before};
        case Column::WrongChecksum:
            if (!reads) {
                return std::nullopt;
            }
            return Expected{Fault{FaultKind::BadChecksumAtRecord, op.failAt}, transmission, before};
        case Column::WrongEcho:
            if (!writes) {
                return std::nullopt;
            }
            return Expected{Fault{op.kind == Kind::Firmware ? FaultKind::WrongEchoAtBlock
                                                            : FaultKind::WrongEchoAtRecord,
                                  op.failAt},
                            transmission, stored};
        case Column::GarbageBeforeTheAnswer:
            if (op.kind == Kind::NoAnswer) {
                return Expected{Fault{FaultKind::GarbageBeforeAnswer, 0, 3}, kNoAnswerAtStart, 0};
            }
            return Expected{Fault{FaultKind::GarbageBeforeAnswer, answer, 3}, transmission, stored};
        case Column::AnswerCutShort:
            if (op.kind == Kind::NoAnswer) {
                return Expected{Fault{FaultKind::ShortAnswer, 0, 3}, kNoAnswerAtStart, 0};
            }
            return Expected{Fault{FaultKind::ShortAnswer, answer, reads ? 10 : 0}, noAnswer,
                            stored};
        case Column::PortHeldByAnotherProcess:
            return Expected{std::nullopt, kPortBusy, 0};
        case Column::DeviceWithoutPermission:
            return Expected{std::nullopt, kNoPermission, 0};
        case Column::DeviceVanishes:
            if (op.kind == Kind::NoAnswer) {
                return std::nullopt;
            }
            // The version, the answers before, and a third of a record.
            return Expected{Fault{FaultKind::HangUpAfterBytes,
                                  6 + before * (reads ? 33 : 1) + (reads ? 10 : 0)},
                            noAnswer, before, writes};
    }
    return std::nullopt;
}

class WindowOnAFaultyLine : public WindowTest {
  protected:
    void SetUp() override {
        fs::permissions(dir, fs::perms(0755));  // an ordinary user may look up the device
        device = (dir / "ttyUSB0").string();
        sim::ReceiverOptions options;
        options.frameTimeout = 200ms;
        receiver = std::make_unique<sim::PtyReceiver>(options);
        std::string error;
        ASSERT_TRUE(receiver->Start(&error)) << error;
        ASSERT_TRUE(receiver->MakeSymlink(device, &error)) << error;
        resolver->Set(0, device);
        for (std::size_t i = 0; i < firmware.size(); ++i) {
            firmware[i] = static_cast<std::uint8_t>((i * 13) ^ (i >> 7));
        }
        // The settings file the user works from; no device fault may touch it.
        settingsFile = dir / "ustawienia.tv2";
        ASSERT_EQ(WriteSettingsFile(PatternImage(2), settingsFile), SettingsSaveResult::Saved);
        settingsBytes = FileBytes(settingsFile);

        answer = QMessageBox::Yes;  // the erase asks first
        MakeForm(Services());
        Find<QAction>("N2")->trigger();
        messages.clear();
        PressCell("StringGrid2", 7, 0);  // remote 7
    }
    void TearDown() override {
        EXPECT_EQ(FileBytes(settingsFile), settingsBytes);
        WindowTest::TearDown();
        receiver.reset();
        std::error_code ec;
        if (fs::exists(dir / "pelny", ec)) {  // a tmpfs a failed test left mounted
            [[maybe_unused]] const int rc =
                std::system(("umount " + (dir / "pelny").string() + " 2>/dev/null").c_str());
        }
    }

    WindowServices Services() {
        WindowServices s = RecordingServices();
        s.makePort = [] { return MakePlatformSerialPort(); };
        s.firmware = firmware;
        s.openFileName = [this](QWidget*, const FileDialogRequest&) {
            return QString::fromStdString(settingsFile.string());
        };
        return s;
    }

    void Press(const Operation& op) {
        if (op.kind == Kind::Firmware) {
            Find<QAction>(op.control)->trigger();
        } else {
            Click(op.control);
        }
    }

    // The receiver's own descriptor of the pty's slave counts while it runs.
    int WindowDescriptors() {
        const int own = receiver->IsRunning() && !receiver->HungUp() ? 1 : 0;
        return DescriptorsOn(receiver->DevicePath()) - own;
    }

    // Runs `op` against a receiver holding `deviceMemory` from a window
    // holding `toolImage`, and checks where the records are afterwards.
    void RunAndCheck(const Operation& op, const std::vector<Message>& shown, int moved,
                     bool inFlightMayLand, const std::function<void()>& press) {
        const MemoryImage deviceMemory = PatternImage(7), toolImage = PatternImage(3);
        receiver->SetMemory(deviceMemory);
        receiver->SetMode(op.kind == Kind::Firmware ? sim::ReceiverMode::BootLoader
                                                    : sim::ReceiverMode::Application);
        image = toolImage;
        messages.clear();
        press();
        // The last bytes may still be on their way through the pty.
        EXPECT_TRUE(receiver->HungUp() || receiver->WaitUntilSettled(50ms, 2s));
        EXPECT_EQ(messages, shown);
        EXPECT_EQ(WindowDescriptors(), 0) << "the port is still open";
        const bool erased = op.erases && moved > 0;
        switch (op.kind) {
            case Kind::Read:
                EXPECT_TRUE(image == WithRecords(toolImage, deviceMemory, op.first, moved));
                EXPECT_TRUE(receiver->Memory() == deviceMemory);
                break;
            case Kind::Write: {
                EXPECT_TRUE(image == toolImage);
                const MemoryImage got = receiver->Memory();
                const bool exact = got == WithRecords(deviceMemory, toolImage, op.first, moved);
                const bool oneMore = inFlightMayLand && got == WithRecords(deviceMemory, toolImage,
                                                                           op.first, moved + 1);
                EXPECT_TRUE(exact || oneMore);
                break;
            }
            case Kind::Firmware: {
                EXPECT_TRUE(image == toolImage);
                const std::vector<std::uint8_t> got = receiver->FirmwareReceived();
                const auto blocks = [&](int n) {
                    return std::vector<std::uint8_t>(
                        firmware.begin(),
                        firmware.begin() + n * static_cast<int>(kFirmwareBlockSize));
                };
                EXPECT_TRUE(got == blocks(moved) || (inFlightMayLand && got == blocks(moved + 1)))
                    << got.size() << " bytes";
                break;
            }
            case Kind::NoAnswer:
                EXPECT_TRUE(image == toolImage);
                EXPECT_TRUE(receiver->Memory() == (erased ? sim::ErasedMemory() : deviceMemory));
                break;
        }
    }

    // The fault is gone (or the adapter back, under the same name): the
    // receiver leaves a broken transfer after its frame time-out.
    void Recover() {
        receiver->ClearFaults();
        if (receiver->HungUp() || !receiver->IsRunning()) {
            receiver->Stop();
            std::string error;
            ASSERT_TRUE(receiver->Start(&error)) << error;
        }
        // The last bytes may still be on their way through the pty.
        ASSERT_TRUE(receiver->WaitUntilSettled(50ms, 2s));
    }

    testsupport::TempFolder folder{"tav-window-faults"};
    fs::path dir = folder.path();
    std::string device;
    std::unique_ptr<sim::PtyReceiver> receiver;
    std::vector<std::uint8_t> firmware = std::vector<std::uint8_t>(kFirmwareSize);
    fs::path settingsFile;
    std::vector<std::uint8_t> settingsBytes;
};

class WindowFaults : public WindowOnAFaultyLine, public ::testing::WithParamInterface<Column> {};

// Holds the device the way another program does, until destroyed.
class OtherProcessHolding {
  public:
    explicit OtherProcessHolding(const std::string& device) {
        process_.start("flock", {"--no-fork", "-n", QString::fromStdString(device), "sh", "-c",
                                 "echo held; exec sleep 60"});
        EXPECT_TRUE(process_.waitForReadyRead(5000)) << "flock did not take the device";
    }
    ~OtherProcessHolding() {
        process_.kill();
        process_.waitForFinished(5000);
    }

  private:
    QProcess process_;
};

TEST_P(WindowFaults, EveryDeviceOperation) {
    for (const Operation& op : kOperations) {
        const std::optional<Expected> expected = Expect(GetParam(), op);
        if (!expected) {
            continue;
        }
        SCOPED_TRACE(op.control);
        std::vector<Message> shown{expected->message};
        if (op.kind == Kind::Firmware) {
            shown.insert(shown.begin(), op.success.front());  // the warning comes first
        }
        RunAndCheck(op, shown, expected->moved, expected->inFlightMayLand, [&] {
            if (expected->fault) {
                receiver->InjectFault(*expected->fault);
            }
            if (GetParam() == Column::PortHeldByAnotherProcess) {
                const OtherProcessHolding other(device);
                Press(op);
            } else if (GetParam() == Column::DeviceWithoutPermission) {
                ::chmod(receiver->DevicePath().c_str(), 0600);
                AsOrdinaryUser([&] { Press(op); });
            } else {
                Press(op);
            }
        });
        Recover();
        RunAndCheck(op, op.success, op.kind == Kind::NoAnswer ? 1 : op.count, false,
                    [&] { Press(op); });
        Recover();
    }
}

// On-line reception: a start that fails says so once and leaves reception
// off; a receiver that goes quiet or sends noise is only waited for; one that
// vanishes ends reception with one message. The lines shown stay, the port
// ends closed, and the next start on a working receiver shows what it sends.
TEST_F(WindowOnAFaultyLine, OnlineReception) {
    const Message hangUp{QString::fromUtf8("Połączenie z TAV-1000R zostało przerwane. Odbieranie "
                                           "zdarzeń zakończone."),
                         QString::fromUtf8("Błąd")};
    struct Row {
        Column column;
        std::optional<Fault> fault;
        std::vector<Message> shown;
        bool starts;  // the version answer arrives
    };
    const Row rows[] = {
        {Column::SilenceFromTheStart,
         Fault{FaultKind::ShortAnswer, 0, 0},
         {kNoAnswerAtStart},
         false},
        {Column::GarbageBeforeTheAnswer,
         Fault{FaultKind::GarbageBeforeAnswer, 0, 3},
         {kNoAnswerAtStart},
         false},
        {Column::AnswerCutShort, Fault{FaultKind::ShortAnswer, 0, 3}, {kNoAnswerAtStart}, false},
        {Column::PortHeldByAnotherProcess, std::nullopt, {kPortBusy}, false},
        {Column::DeviceWithoutPermission, std::nullopt, {kNoPermission}, false},
        {Column::SilenceInTheMiddle, std::nullopt, {}, true},
        // The version (6 bytes) and "zdarzenie 1" with its CR LF.
        {Column::DeviceVanishes, Fault{FaultKind::HangUpAfterBytes, 6 + 13}, {hangUp}, true},
    };
    auto* view = Find<QPlainTextEdit>("RichEdit1");
    const auto waitForLine = [&](const QString& line) {
        return QTest::qWaitFor(
            [&] { return view->toPlainText().split(QLatin1Char('\n')).contains(line); }, 5000);
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(ColumnName(row.column));
        const qsizetype shownBefore = view->toPlainText().size();
        messages.clear();
        if (row.fault) {
            receiver->InjectFault(*row.fault);
        }
        if (row.column == Column::PortHeldByAnotherProcess) {
            const OtherProcessHolding other(device);
            Click("Button10");
        } else if (row.column == Column::DeviceWithoutPermission) {
            ::chmod(receiver->DevicePath().c_str(), 0600);
            AsOrdinaryUser([&] { Click("Button10"); });
        } else {
            Click("Button10");
        }
        EXPECT_EQ(form->OnlineReceptionActive(), row.starts);
        if (row.starts) {
            receiver->SendEventLine("zdarzenie 1");
            EXPECT_TRUE(waitForLine("zdarzenie 1"));
            QTest::qWait(600);  // quiet, or gone: more polls than one
            receiver->SendEventLine(std::string("\xA5\x00\x5A\xFF\x13\x76\x11", 7));  // noise
            receiver->SendEventLine("zdarzenie 3");
            QTest::qWait(600);
        }
        EXPECT_EQ(messages, row.shown);
        if (form->OnlineReceptionActive()) {
            EXPECT_TRUE(waitForLine("zdarzenie 3"));
            Click("Button11");
        }
        EXPECT_EQ(WindowDescriptors(), 0) << "the port is still open";
        if (row.starts) {  // every line arrived, once and in order
            const QString arrived = view->toPlainText().mid(shownBefore);
            const bool vanished = row.column == Column::DeviceVanishes;
            EXPECT_EQ(arrived.count("zdarzenie"), vanished ? 1 : 2) << arrived.toStdString();
            EXPECT_TRUE(arrived.endsWith(vanished ? "zdarzenie 1" : "zdarzenie 3"));
        }
        Recover();
        messages.clear();
        const qsizetype shownAfter = view->toPlainText().size();
        Click("Button10");
        receiver->SendEventLine("po awarii");
        EXPECT_TRUE(QTest::qWaitFor(
            [&] { return view->toPlainText().mid(shownAfter).contains("po awarii"); }, 5000));
        Click("Button11");
        Recover();
        EXPECT_EQ(WindowDescriptors(), 0);
        EXPECT_TRUE(messages.empty());
    }
}

// A USB adapter pulled out in the middle of a full read and plugged in again:
// under the same name or another, COM1 is the first adapter present, and the
// window opens it without a restart.
TEST_F(WindowOnAFaultyLine, AdapterComesBackUnderTheSameOrAnotherName) {
    const fs::path dev = dir / "dev";
    fs::create_directories(dev);
    fs::create_directories(dir / "sys");
    WindowServices s = Services();
    s.portResolver = std::make_shared<PlatformPortResolver>(dev.string(), (dir / "sys").string());
    form.reset();
    MakeForm(std::move(s));
    std::string error;
    const auto plugIn = [&](const char* name) {
        if (!receiver->IsRunning() || receiver->HungUp()) {
            receiver->Stop();
            ASSERT_TRUE(receiver->Start(&error)) << error;
        }
        ASSERT_TRUE(receiver->MakeSymlink((dev / name).string(), &error)) << error;
    };
    const auto unplug = [&] {
        receiver->Stop();
        receiver->RemoveSymlink();  // as the system removes the device node
    };
    const Message readDisplay{"Stan wyswietlacza odebrano z TAV-1000R", "OK"};
    receiver->RemoveSymlink();
    plugIn("ttyUSB0");
    receiver->SetMemory(PatternImage(7));
    Click("Button17");
    EXPECT_EQ(messages, std::vector<Message>{readDisplay});

    messages.clear();
    receiver->InjectFault({FaultKind::HangUpAfterBytes, 6 + 33 * 20 + 10});
    Click("Button3");
    EXPECT_EQ(messages,
              (std::vector<Message>{{"1000R nie odpowiada!", QString::fromUtf8("Błąd")}}));
    EXPECT_TRUE(receiver->HungUp());
    EXPECT_EQ(WindowDescriptors(), 0);
    unplug();
    messages.clear();
    Click("Button17");
    EXPECT_EQ(messages, std::vector<Message>{kNoDevice});

    for (const char* name : {"ttyUSB0", "ttyUSB1", "ttyACM0"}) {
        SCOPED_TRACE(name);
        plugIn(name);
        messages.clear();
        image = PatternImage(3);
        Click("Button3");
        EXPECT_TRUE(messages.empty());
        EXPECT_TRUE(image == receiver->Memory());
        unplug();
    }
}

// Saves under file faults, from the window: a settings file over an old one
// and an event log beside one, onto a full file system (a size limit on this
// process; a small tmpfs too where mounting is allowed) and into a folder the
// user may not write. The old files stay whole, the message says the save
// failed, nothing is reported as saved, and no partial file is left.
enum class FileFault { kSizeLimit, kFullTmpfs, kReadOnlyFolder };
struct FileFaultRow {
    const char* name;
    FileFault fault;
    bool events;  // the event log (Button19), else the settings file (N3)
};

class WindowSavesUnderFileFaults : public WindowOnAFaultyLine,
                                   public ::testing::WithParamInterface<FileFaultRow> {};

TEST_P(WindowSavesUnderFileFaults, LeaveTheOldFileWholeAndSaySo) {
    const FileFaultRow& row = GetParam();
    const fs::path readOnly = dir / "tylko-odczyt", tmpfs = dir / "pelny";
    fs::create_directories(readOnly);
    fs::create_directories(tmpfs);
    if (row.fault == FileFault::kFullTmpfs &&
        (::geteuid() != 0 ||
         std::system(
             ("mount -t tmpfs -o size=64k tmpfs " + tmpfs.string() + " 2>/dev/null").c_str()) !=
             0)) {
        GTEST_SKIP() << "no tmpfs can be mounted here (it takes root and a system that allows "
                        "mounting); the size-limit rows cover a full disk";
    }
    const Message saveFailed{"Zapis do pliku nieudany!", QString::fromUtf8("Błąd")};
    QString savePath;
    WindowServices s = Services();
    s.saveFileName = [&](QWidget*, const FileDialogRequest&) { return savePath; };
    form.reset();
    MakeForm(std::move(s));
    Click("Button10");  // some lines in the event view
    for (int i = 0; i < 200; ++i) {
        receiver->SendEventLine("2026-12-08 10:00:00 zdarzenie " + std::to_string(i));
    }
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return Find<QPlainTextEdit>("RichEdit1")->toPlainText().endsWith("zdarzenie 199"); },
        5000));
    Click("Button11");

    const fs::path folder = row.fault == FileFault::kFullTmpfs        ? tmpfs
                            : row.fault == FileFault::kReadOnlyFolder ? readOnly
                                                                      : dir;
    // The old file: the settings file to be overwritten, or a log beside.
    const fs::path old = folder / (row.events ? "stary.txt" : "stary.tv2");
    fs::permissions(folder, fs::perms(0755));
    fs::copy_file(settingsFile, old, fs::copy_options::overwrite_existing);
    if (row.fault == FileFault::kFullTmpfs) {  // what is left of the 64 KiB: less than a file
        std::ofstream(folder / "wypelnienie", std::ios::binary)
            << std::string(16 * 1024 + (row.events ? 12 * 1024 : 0), 'x');
    }
    const auto before = [&] {
        std::vector<fs::path> names;
        for (const auto& e : fs::directory_iterator(folder)) {
            names.push_back(e.path());
        }
        std::ranges::sort(names);
        return names;
    };
    const std::vector<fs::path> namesBefore = before();
    const fs::path target = row.events ? folder / "zdarzenia.txt" : old;
    savePath = QString::fromStdString(target.string());
    messages.clear();
    const auto save = [&] {
        if (row.events) {
            Click("Button19");
        } else {
            Find<QAction>("N3")->trigger();
        }
    };
    if (row.fault == FileFault::kSizeLimit) {
        const testsupport::FileSizeLimit limit(4096);
        save();
    } else if (row.fault == FileFault::kReadOnlyFolder) {
        fs::permissions(old, fs::perms(0444));
        fs::permissions(folder, fs::perms(0555));
        AsOrdinaryUser(save);
        fs::permissions(folder, fs::perms(0755));
    } else {
        save();
    }
    ASSERT_EQ(messages.size(), 1u);
    if (row.events) {
        EXPECT_EQ(messages[0].caption, QString::fromUtf8("Błąd"));
        EXPECT_TRUE(
            messages[0].text.startsWith(QString::fromUtf8("Nie można zapisać pliku ") + savePath))
            << messages[0].text.toStdString();
    } else {
        EXPECT_EQ(messages[0], saveFailed);
    }
    EXPECT_EQ(FileBytes(old), settingsBytes);
    EXPECT_EQ(before(), namesBefore) << "a partial file was left";
}

INSTANTIATE_TEST_SUITE_P(
    Rows, WindowSavesUnderFileFaults,
    ::testing::Values(FileFaultRow{"settings_size_limit", FileFault::kSizeLimit, false},
                      FileFaultRow{"events_size_limit", FileFault::kSizeLimit, true},
                      FileFaultRow{"settings_full_tmpfs", FileFault::kFullTmpfs, false},
                      FileFaultRow{"events_full_tmpfs", FileFault::kFullTmpfs, true},
                      FileFaultRow{"settings_read_only", FileFault::kReadOnlyFolder, false},
                      FileFaultRow{"events_read_only", FileFault::kReadOnlyFolder, true}),
    [](const ::testing::TestParamInfo<FileFaultRow>& info) { return info.param.name; });

INSTANTIATE_TEST_SUITE_P(Matrix, WindowFaults,
                         ::testing::Values(Column::SilenceFromTheStart, Column::SilenceInTheMiddle,
                                           Column::WrongChecksum, Column::WrongEcho,
                                           Column::GarbageBeforeTheAnswer, Column::AnswerCutShort,
                                           Column::PortHeldByAnotherProcess,
                                           Column::DeviceWithoutPermission, Column::DeviceVanishes),
                         [](const ::testing::TestParamInfo<Column>& info) {
                             return std::string(ColumnName(info.param));
                         });

}  // namespace
}  // namespace tav::ui::testing
