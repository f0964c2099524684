// What the window remembers between runs (in a settings file of the test's
// own), its file dialogs' folders and names, and the file you work on: the
// title, "Zapisz", the recent files.
#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>
#include <QStatusBar>
#include <QWindow>

#include "edit_fixture.h"
#include "sample_configuration.h"
#include "ui/window_settings.h"

namespace tav::ui::testing {
namespace {

class WindowSettingsTest : public EditsTest {
  protected:
    void Restart() {
        replaceAnswer = QMessageBox::Discard;  // to the unsaved edits' question
        ASSERT_TRUE(form->close());
        form.reset();
        MakeDialogForm();
    }
    QSettings Settings() {
        return QSettings(settingsFolder.filePath("tav1000r.ini"), QSettings::IniFormat);
    }
};

TEST_F(WindowSettingsTest, PortFoldersPlaceAndRecentFilesComeBackAfterARestart) {
    MakeDialogForm();
    Find<QComboBox>("ComboBox1")->setCurrentIndex(3);
    std::filesystem::create_directory(File("ustawienia"));
    std::filesystem::create_directory(File("tav500"));
    saveAnswer = Q(File("ustawienia") / "dom.tv2");
    Trigger("N3");
    WriteBytes(File("tav500") / "lista.tvs", OlderModelList(3));
    Import(File("tav500") / "lista.tvs");
    form->move(40, 50);
    form->resize(700, 600);
    const QRect place(form->pos(), form->size());
    Restart();
    openRequests.clear();

    EXPECT_EQ(Find<QComboBox>("ComboBox1")->currentText(), "COM4");
    EXPECT_EQ(QRect(form->pos(), form->size()), place);
    Trigger("N2");
    Trigger("ImportujplikzTAV5001");
    ASSERT_EQ(openRequests.size(), 2u);
    EXPECT_EQ(QDir(openRequests[0].directory), QDir(Q(File("ustawienia"))));
    EXPECT_EQ(QDir(openRequests[1].directory), QDir(Q(File("tav500"))));
    EXPECT_TRUE(Find<QAction>("OstatniPlik1")->isVisible());
    EXPECT_EQ(ActionText("OstatniPlik1"), "&1 dom.tv2");
    EXPECT_FALSE(Find<QAction>("OstatniPlik2")->isVisible());
    Trigger("OstatniPlik1");
    EXPECT_EQ(form->windowHandle()->title(),
              QString::fromUtf8("dom.tv2 — TAV-1000R Duzedevezivi v1.26"));
}

TEST_F(WindowSettingsTest, APlaceOnAMonitorThatIsGoneComesBackOnScreen) {
    {
        QSettings s = Settings();
        s.setValue("window/place", QRect(3000, 2400, 736, 700));
    }
    MakeDialogForm();
    const QRect screen = form->screen()->availableGeometry();
    EXPECT_TRUE(screen.intersects(QRect(form->pos(), form->size())));
    EXPECT_TRUE(screen.contains(form->pos()));

    // A second monitor to the right: kept there while it is there.
    const QRect left(0, 0, 1366, 768);
    const QRect right(1366, 0, 1920, 1080);
    const QSize frame(16, 40);
    const QRect onRight(1500, 100, 736, 700);
    EXPECT_EQ(RememberedPlaceOnScreens(onRight, {left, right}, frame, QPoint(90, 167)), onRight);
    const QRect back = RememberedPlaceOnScreens(onRight, {left}, frame, QPoint(90, 167));
    EXPECT_TRUE(left.contains(QRect(back.topLeft(), back.size() + frame))) << back.x();
}

TEST_F(WindowSettingsTest, TheFirstDialogOpensInTheDocumentsFolder) {
    MakeDialogForm();
    Trigger("N2");
    ASSERT_EQ(openRequests.size(), 1u);
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    EXPECT_EQ(openRequests[0].directory, documents);
    EXPECT_NE(QDir(openRequests[0].directory), QDir(QCoreApplication::applicationDirPath()));
}

// Saving the event log does not leave its name or folder to the settings
// file's dialog; a name typed without extension takes the filter's.
TEST_F(WindowSettingsTest, EachDialogKeepsItsOwnFolderAndKindOfName) {
    MakeDialogForm();
    std::filesystem::create_directory(File("logi"));
    saveAnswer = Q(File("logi") / "zdarzenia-2026-12-08.txt");
    Click("Button19");
    ASSERT_EQ(saveRequests.size(), 1u);
    saveAnswer = Q(File("konfiguracja"));
    Trigger("N3");
    ASSERT_EQ(saveRequests.size(), 2u);
    EXPECT_TRUE(saveRequests[1].fileName.isEmpty()) << saveRequests[1].fileName.toStdString();
    EXPECT_NE(QDir(saveRequests[1].directory), QDir(Q(File("logi"))));
    EXPECT_TRUE(std::filesystem::exists(File("konfiguracja.tv2")));
    EXPECT_FALSE(std::filesystem::exists(File("logi") / "zdarzenia-2026-12-08.txt.tv2"));
    // The log's dialog comes back to the log's folder.
    saveAnswer.clear();
    Click("Button19");
    EXPECT_EQ(QDir(saveRequests[2].directory), QDir(Q(File("logi"))));
}

TEST_F(WindowSettingsTest, CtrlSSavesToTheOpenFileAndTheTitleFollows) {
    image = SampleConfiguration();
    MakeDialogForm();
    EXPECT_EQ(form->windowHandle()->title(), "TAV-1000R Duzedevezivi v1.26");
    saveAnswer = Q(File("dom.tv2"));
    Trigger("Zapisz1");  // nothing open yet: asks for a name
    ASSERT_EQ(saveRequests.size(), 1u);
    SelectRemote(3);
    Type("Edit4", "X");
    EXPECT_EQ(form->windowHandle()->title(),
              QString::fromUtf8("dom.tv2* — TAV-1000R Duzedevezivi v1.26"));
    Trigger("Zapisz1");
    EXPECT_EQ(saveRequests.size(), 1u);  // to the open file without asking
    EXPECT_FALSE(form->isWindowModified());
    EXPECT_TRUE(form->statusBar()->currentMessage().startsWith("Zapisano"));
    MemoryImage saved;
    ASSERT_EQ(ReadSettingsFile(saved, File("dom.tv2")), SettingsLoadResult::Loaded);
    EXPECT_TRUE(saved == form->image());
}

TEST_F(WindowSettingsTest, AMissingRecentFileSaysSoAndLeavesTheList) {
    MakeDialogForm();
    WriteSettings(File("stary.tv2"), SampleConfiguration());
    Load(File("stary.tv2"));
    std::filesystem::remove(File("stary.tv2"));
    messages.clear();
    Trigger("OstatniPlik1");
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_TRUE(messages[0].text.contains("stary.tv2"));
    EXPECT_FALSE(Find<QAction>("OstatniPlik1")->isVisible());
}

}  // namespace
}  // namespace tav::ui::testing
