// The menu "Plik" through the window: settings files and older-model files
// with the dialogs answered through the services, the firmware update and a
// full round trip against the simulated receiver on a pty.
#include <sys/stat.h>
#include <unistd.h>

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>

#include "image/settings_file.h"
#include "link/firmware.h"
#include "link/serial_port.h"
#include "sample_configuration.h"
#include "sim/receiver.h"
#include "tests/support/pty_receivers.h"
#include "tests/support/temp_folder.h"
#include "ui/device_text.h"
#include "window_fixture.h"

namespace tav::ui::testing {
namespace {

namespace fs = std::filesystem;

const Message kLoaded{"Plik wczytano poprawnie", "OK"};
const Message kSaveFailed{"Zapis do pliku nieudany!", QString::fromUtf8("Błąd")};
const QString kFirmwareWarning = QString::fromUtf8(
    "Aby zaktualizować TAV-1001U do wersji 1.26 należy wyłączyć go, a następnie włączyć "
    "przytrzymując przyciski YES i NO.");

std::vector<std::uint8_t> ReadAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

void WriteAll(const fs::path& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
}

std::vector<std::uint8_t> SettingsBytes(const MemoryImage& image) {
    std::vector<std::uint8_t> bytes(kSettingsFileSize);
    std::copy_n(kSettingsHeader, kSettingsHeaderSize, bytes.begin());
    std::ranges::copy(image.Bytes(), bytes.begin() + kSettingsHeaderSize);
    return bytes;
}

// The demo's configuration, and random bytes in the records no page shows.
MemoryImage FullImage(unsigned seed) {
    MemoryImage image = SampleConfiguration();
    std::mt19937 random(seed);
    for (int record : {1006, 1007, 1020, 1021, 1022, 1023}) {
        for (auto& b : image.RecordAt(record)) {
            b = static_cast<std::uint8_t>(random());
        }
    }
    return image;
}

// The patterns of a Qt filter "Description (*.a *.b)".
QString FilterPatterns(const QString& filter) {
    const qsizetype open = filter.lastIndexOf(QLatin1Char('('));
    return filter.mid(open + 1, filter.lastIndexOf(QLatin1Char(')')) - open - 1);
}

class FileMenuTest : public WindowTest {
  protected:
    void TearDown() override { form.reset(); }  // before the folder goes

    void Trigger(const char* item) { Find<QAction>(item)->trigger(); }
    void Save(const fs::path& path) {
        saveAnswer = QString::fromStdString(path.string());
        Trigger("N3");
    }
    void Load(const fs::path& path) {
        openAnswer = QString::fromStdString(path.string());
        Trigger("N2");
    }
    QString DumpLabel() { return Grid("StringGrid4").Cell(0, 1); }

    testsupport::TempFolder folder{"tav-file-menu"};
    const fs::path dir = folder.path();
};

// Saved with a name typed without an extension, loaded back by the menu's
// load: every byte, every page redrawn, the selected remote's details not.
TEST_F(FileMenuTest, SaveAndLoadBack) {
    MakeDialogForm();
    PressCell("StringGrid2", 1, 0);  // remote 2, empty in the empty image
    const QString serialBefore = Find<QLabel>("Label5")->text();
    const MemoryImage saved = FullImage(1);  // remote 2: "Garaż - Kowalski"
    image = saved;
    Save(dir / "konfiguracja");
    EXPECT_TRUE(messages.empty());
    EXPECT_EQ(saveRequests.at(0).title, "Zapisywanie danych TAV-1000R");
    EXPECT_EQ(saveRequests[0].filter, "Pliki TAV-1000R *.tv2 (*.tv2)");
    // A name typed without extension takes the filter's.
    EXPECT_EQ(saveRequests[0].defaultSuffix, "tv2");
    const auto bytes = ReadAll(dir / "konfiguracja.tv2");
    ASSERT_EQ(bytes.size(), 32773u);
    EXPECT_EQ(std::vector<std::uint8_t>(bytes.begin(), bytes.begin() + 5),
              (std::vector<std::uint8_t>{0x24, 0x2A, 0x24, 0x31, 0x30}));
    EXPECT_TRUE(bytes == SettingsBytes(saved));

    image = MemoryImage();
    Click("Button9");            // the dump view elsewhere: 31744
    Load(dir / "konfiguracja");  // typed again without the extension
    EXPECT_EQ(openRequests.at(0).title, "Otwieranie pliku danych");
    EXPECT_EQ(openRequests[0].defaultSuffix, "tv2");
    const QString patterns = FilterPatterns(openRequests[0].filter);
    EXPECT_TRUE(QDir::match(patterns, "konfiguracja.tv1") && QDir::match(patterns, "a.tv2"))
        << patterns.toStdString();
    EXPECT_EQ(messages, std::vector<Message>{kLoaded});
    // The old details were not written back over the loaded remote.
    EXPECT_TRUE(form->image() == saved);
    EXPECT_EQ(DumpLabel(), "7d00-32000");
    EXPECT_EQ(Grid("StringGrid2").Cell(1, 0), "#");
    EXPECT_EQ(Grid("StringGrid2").Cell(6, 0), "_");
    EXPECT_EQ(Grid("StringGrid1").Cell(1, 1),
              QString::fromStdString(ScenarioCellText(saved.at(ScenarioCellOffset(0, 0, 0)))));
    EXPECT_EQ(Find<QLineEdit>("Edit1")->text(), "Witamy! TAV-1000R demo");
    EXPECT_EQ(Find<QLineEdit>("Edit3")->text(), QString::fromUtf8("Zamknięcie na noc"));
    EXPECT_EQ(Find<QLabel>("Label1")->text(), "PILOT NR:2");
    EXPECT_EQ(Find<QLabel>("Label5")->text(), serialBefore);
    EXPECT_EQ(Find<QLineEdit>("Edit4")->text(), "");
}

TEST_F(FileMenuTest, RefusedLoadsLeaveTheImageAndThePages) {
    const auto withHeader = [](const char* header, std::size_t imageBytes) {
        std::vector<std::uint8_t> bytes(header, header + 5);
        bytes.resize(5 + imageBytes, 0x33);
        return bytes;
    };
    const QString incomplete = QString::fromUtf8("Plik jest niekompletny - ustawień nie wczytano!");
    const struct {
        const char* name;
        std::vector<std::uint8_t> content;  // empty: no file at all
        QString message;                    // empty: nothing shown
        bool cancelled = false;
    } rows[] = {
        {"version 11", withHeader("$*$11", kImageSize), "Nieobslugiwana wersja pliku!"},
        {"foreign signature", withHeader("$*#10", kImageSize), "Niewlasciwy typ pliku!"},
        {"header only", withHeader("$*$10", 0), incomplete},
        {"100 image bytes", withHeader("$*$10", 100), incomplete},
        {"missing file", {}, ""},
        {"cancelled", withHeader("$*$10", kImageSize), "", true},
    };
    MakeDialogForm();
    const MemoryImage before = FullImage(3);
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        image = before;
        messages.clear();
        const fs::path path = dir / (row.content.empty() ? "brak.tv2" : "plik.tv2");
        if (!row.content.empty()) {
            WriteAll(path, row.content);
        }
        openAnswer = row.cancelled ? QString() : QString::fromStdString(path.string());
        Trigger("N2");
        std::vector<Message> expected;
        if (!row.message.isEmpty()) {
            expected.push_back({row.message, QString::fromUtf8("Błąd")});
        }
        EXPECT_EQ(messages, expected);
        EXPECT_TRUE(form->image() == before);
        // Nothing was redrawn: the map is still empty, the dump view where
        // creation left it.
        EXPECT_EQ(Grid("StringGrid2").Cell(0, 0), "");
        EXPECT_EQ(DumpLabel(), "7d00-32000");
    }
}

// A save over a 0444 file as an ordinary user: refused as a plain write would
// be, also where the folder would let a new file take the old one's place.
TEST_F(FileMenuTest, FailedSaveSaysSoAndLeavesTheOldFile) {
    const struct {
        const char* name;
        unsigned folderMode;
    } rows[] = {
        {"folder without create permission", 0555},
        {"writable folder", 0777},
    };
    MakeDialogForm();
    image = FullImage(4);
    const fs::path path = dir / "stary.tv2";
    const std::vector<std::uint8_t> old = SettingsBytes(FullImage(5));
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        fs::permissions(dir, fs::perms(0755));
        fs::remove(path);
        WriteAll(path, old);
        fs::permissions(path, fs::perms(0444));
        fs::permissions(dir, fs::perms(row.folderMode));
        messages.clear();
        AsOrdinaryUser([&] { Save(path); });
        EXPECT_EQ(messages, std::vector<Message>{kSaveFailed});
        EXPECT_TRUE(ReadAll(path) == old);
        EXPECT_EQ(fs::status(path).permissions(), fs::perms(0444));
        EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1);
    }
    fs::permissions(dir, fs::perms(0755));
}

TEST_F(FileMenuTest, ImportOverANamedSlotKeepsItsNameAndGivesScenario0) {
    MakeDialogForm();
    image = FullImage(7);
    auto slot0 = image.RecordAt(0);
    slot0[3] = static_cast<std::uint8_t>((slot0[3] & 0xFC) | 2);  // scenario 2
    const MemoryImage before = image;
    std::vector<std::uint8_t> file(2048, 0x00);
    for (std::size_t i = 0; i < 4; ++i) {
        file[i] = static_cast<std::uint8_t>(0x12 + 0x22 * i);  // 12 34 56 78
        file[4 + i] = 0xFF;                                    // an empty slot
    }
    WriteAll(dir / "stare.tvs", file);
    openAnswer = QString::fromStdString((dir / "stare.tvs").string());
    Trigger("ImportujplikzTAV5001");

    EXPECT_TRUE(messages.empty());
    EXPECT_EQ(openRequests.at(0).title, "Otwieranie pliku danych");
    EXPECT_EQ(openRequests[0].filter, "Pliki TAV-500 *.tvs (*.tvs)");
    EXPECT_EQ(openRequests[0].defaultSuffix, "tvs");
    const auto r0 = form->image().RecordAt(0);
    EXPECT_EQ(std::vector<std::uint8_t>(r0.begin(), r0.begin() + 4),
              (std::vector<std::uint8_t>{0x7B, 0x3D, 0x59, 0x10}));
    EXPECT_EQ(ReadDeviceText(form->image(), TextFieldOffset(0)),
              ReadDeviceText(before, TextFieldOffset(0)));
    for (int r = 500; r < kRemoteCount; ++r) {
        ASSERT_TRUE(std::ranges::equal(form->image().RecordAt(r), before.RecordAt(r))) << r;
    }
    EXPECT_EQ(DumpLabel(), "0000-00000");
    EXPECT_EQ(Grid("StringGrid2").Cell(0, 0), "#");
    EXPECT_EQ(Grid("StringGrid2").Cell(1, 0), "_");

    // A file that cannot be opened changes nothing and says nothing.
    const MemoryImage imported = form->image();
    openAnswer = QString::fromStdString((dir / "brak.tvs").string());
    Trigger("ImportujplikzTAV5001");
    EXPECT_TRUE(messages.empty());
    EXPECT_TRUE(form->image() == imported);
}

TEST_F(FileMenuTest, FileGivenAtStartIsLoaded) {
    const QString name = QString::fromStdString((dir / "start.tv2").string());
    EXPECT_EQ(SettingsFileArgument({"tav1000r", name}), name);
    EXPECT_EQ(SettingsFileArgument({"tav1000r-demo", "--screenshots", "/tmp/s"}, {"--screenshots"}),
              "");
    const MemoryImage file = FullImage(8);
    WriteAll(dir / "start.tv2", SettingsBytes(file));
    MakeDialogForm();
    EXPECT_TRUE(form->LoadSettingsFile(name));
    EXPECT_EQ(messages, std::vector<Message>{kLoaded});
    for (int n = 0; n < kRemoteCount; ++n) {
        ASSERT_EQ(Grid("StringGrid2").Cell(n % 50, n / 50), IsRemoteSlotUsed(file, n) ? "#" : "_");
    }
}

// ---- Against the simulated receiver ------------------------------------------

class FileMenuDeviceTest : public FileMenuTest {
  protected:
    void SetUp() override {
        FileMenuTest::SetUp();
        sim::ReceiverOptions app;
        app.memory = FullImage(9);
        application = testsupport::ReceiverBehindPort(*resolver, 0, app);
        sim::ReceiverOptions boot;
        boot.mode = sim::ReceiverMode::BootLoader;
        bootLoader = testsupport::ReceiverBehindPort(*resolver, 1, boot);
        ASSERT_TRUE(application && bootLoader);
    }
    WindowServices DeviceServices(std::span<const std::uint8_t> firmware) {
        WindowServices s = DialogServices();
        s.makePort = [] { return MakePlatformSerialPort(); };
        s.firmware = firmware;
        return s;
    }
    void SelectPort(int index) { Find<QComboBox>("ComboBox1")->setCurrentIndex(index); }

    std::unique_ptr<sim::PtyReceiver> application;
    std::unique_ptr<sim::PtyReceiver> bootLoader;
};

TEST_F(FileMenuDeviceTest, FirmwareUpdateFromTheMenu) {
    // A firmware image of the test's own: every block's bytes differ.
    std::vector<std::uint8_t> firmware(kFirmwareSize);
    for (std::size_t i = 0; i < firmware.size(); ++i) {
        firmware[i] = static_cast<std::uint8_t>(i * 7 + i / kFirmwareBlockSize);
    }
    struct Row {
        const char* name;
        bool withImage;  // as tav1000r-demo; without, as a build with none
        int port;        // 0: application, 1: boot loader
        std::vector<Message> messages;
        std::vector<std::uint8_t> sent;           // to the receiver on `port`
        std::vector<std::uint8_t> bootLoaderHas;  // FirmwareReceived afterwards
    };
    std::vector<std::uint8_t> update{'?', 'F'};
    for (int block = 0; block < kFirmwareBlocks; ++block) {
        const auto first = firmware.begin() + block * static_cast<int>(kFirmwareBlockSize);
        update.insert(update.end(), first, first + kFirmwareBlockSize);
        update.push_back(FrameChecksum({&*first, kFirmwareBlockSize}));
    }
    const Row rows[] = {
        {"application", true, 0, {{kFirmwareWarning, "UWAGA!"}}, {'?'}, {}},
        {"no image in the build", false, 1, {}, {}, {}},
        // Last: the boot loader keeps what it took.
        {"boot loader", true, 1, {{kFirmwareWarning, "UWAGA!"}, {"OK", "OK"}}, update, firmware},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        form.reset();
        messages.clear();
        application->ClearTraffic();
        bootLoader->ClearTraffic();
        MakeForm(DeviceServices(row.withImage ? std::span<const std::uint8_t>(firmware)
                                              : std::span<const std::uint8_t>()));
        SelectPort(row.port);
        QAction* item = Find<QAction>("AktualizujOpr");
        EXPECT_EQ(item->isEnabled(), row.withImage);
        EXPECT_EQ(item->statusTip().isEmpty(), row.withImage) << item->statusTip().toStdString();
        item->trigger();
        EXPECT_EQ(messages, row.messages);
        sim::PtyReceiver& peer = row.port == 0 ? *application : *bootLoader;
        if (!row.sent.empty()) {
            ASSERT_TRUE(peer.WaitForReceived(row.sent.size(), std::chrono::seconds(2)));
        }
        EXPECT_TRUE(peer.ReceivedBytes() == row.sent) << peer.ReceivedBytes().size() << " bytes";
        EXPECT_TRUE(bootLoader->FirmwareReceived() == row.bootLoaderHas);
    }
}

// As a user keeps a receiver's configuration and puts it back.
TEST_F(FileMenuDeviceTest, RoundTripThroughASettingsFile) {
    MakeForm(DeviceServices({}));
    const MemoryImage held = application->Memory();
    Click("Button3");  // read all
    EXPECT_TRUE(messages.empty());
    Save(dir / "kopia.tv2");
    application->ClearTraffic();
    answer = QMessageBox::Yes;
    Click("Button12");  // erase the receiver
    // Nothing answers "c": wait until the receiver has taken it.
    ASSERT_TRUE(application->WaitForReceived(2, std::chrono::seconds(2)));
    ASSERT_TRUE(
        application->WaitUntilSettled(std::chrono::milliseconds(50), std::chrono::seconds(2)));
    ASSERT_FALSE(application->Memory() == held);
    image = MemoryImage();
    Load(dir / "kopia.tv2");
    Click("Button4");  // write all
    EXPECT_EQ(messages, (std::vector<Message>{
                            {"TAV-1000R Kasuje cala pamiec", "OK"}, kLoaded, {"OK", "OK"}}));
    EXPECT_TRUE(application->Memory() == held);
}

}  // namespace
}  // namespace tav::ui::testing
