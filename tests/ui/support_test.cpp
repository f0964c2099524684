// Text conversion at the window's boundary and the program entry's guard.
#include <QTimer>
#include <QTranslator>
#include <stdexcept>

#include "ui/device_text.h"
#include "ui/services.h"
#include "window_fixture.h"

namespace tav::ui::testing {
namespace {

TEST(DeviceTextTest, EncodesWindows1250AndMarksMissingCharacters) {
    struct Row {
        const char* utf8;
        std::string bytes;
    };
    const Row rows[] = {
        {"Brama 1", "Brama 1"},
        {"ĄĆĘŁŃÓŚŹŻąćęłńóśźż",
         "\xA5\xC6\xCA\xA3\xD1\xD3\x8C\x8F\xAF\xB9\xE6\xEA\xB3\xF1\xF3\x9C\x9F\xBF"},
        {"€ ˙", "\x80 \xFF"},
        {"日本", "??"},
        {"a😀b", "a?b"},  // one character outside the BMP, one "?"
        {"x\x1Ay", "x\x1Ay"},
    };
    for (const Row& r : rows) {
        EXPECT_EQ(EncodeDeviceText(QString::fromUtf8(r.utf8)), r.bytes) << r.utf8;
    }
}

TEST(DeviceTextTest, EveryByteDecodesToOneCharacterAndBack) {
    for (int b = 1; b < 256; ++b) {
        const std::string one(1, static_cast<char>(b));
        const QString text = DecodeDeviceText(one);
        ASSERT_EQ(text.size(), 1) << b;
        EXPECT_EQ(EncodeDeviceText(text), one) << b;
    }
}

TEST(ProgramEntryTest, EscapingExceptionIsReportedAndExitCodeIsZero) {
    std::vector<QString> reported;
    const auto report = [&](const QString& text) { reported.push_back(text); };
    EXPECT_EQ(RunGuarded([] { throw std::runtime_error("zepsute"); }, report), 0);
    EXPECT_EQ(RunGuarded([] { throw 42; }, report), 0);
    EXPECT_EQ(RunGuarded([] {}, report), 0);
    EXPECT_EQ(reported, (std::vector<QString>{"zepsute", ""}));
}

TEST(ProgramEntryTest, ExceptionInAnEventHandlerIsShownAndTheLoopGoesOn) {
    auto* app = dynamic_cast<Application*>(QCoreApplication::instance());
    ASSERT_NE(app, nullptr);
    std::vector<QString> reported;
    const auto saved = app->reportException;
    app->reportException = [&](const QString& text) { reported.push_back(text); };
    bool later = false;
    QTimer::singleShot(0, [] { throw std::logic_error("w handlerze"); });
    QTimer::singleShot(0, [&] { later = true; });
    EXPECT_TRUE(QTest::qWaitFor([&] { return later; }));  // the loop went on past the throw
    app->reportException = saved;
    EXPECT_EQ(reported, (std::vector<QString>{"w handlerze"}));
}

TEST(ProgramEntryTest, RunProgramSetsTheTitleAndReportsWhatEscapes) {
    auto* app = dynamic_cast<Application*>(QCoreApplication::instance());
    ASSERT_NE(app, nullptr);
    std::vector<QString> reported;
    const auto saved = app->reportException;
    app->reportException = [&](const QString& text) { reported.push_back(text); };
    int argc = 1;
    char name[] = "tav1000r";
    char* argv[] = {name, nullptr};
    QString title;
    const QList<QTranslator*> before = app->findChildren<QTranslator*>();
    const int code = RunProgram(argc, argv, [&](Application&) {
        title = QCoreApplication::applicationName();
        throw std::runtime_error("okno");
    });
    app->reportException = saved;
    // The translations the program installed go with it: the tests after
    // this one in the same process speak as they did before.
    for (QTranslator* t : app->findChildren<QTranslator*>()) {
        if (!before.contains(t)) {
            QCoreApplication::removeTranslator(t);
            delete t;
        }
    }
    EXPECT_EQ(code, 0);
    EXPECT_EQ(title, "TAV-1000R Duzedevezivi 1.26");
    EXPECT_EQ(reported, (std::vector<QString>{"okno"}));
}

TEST_F(WindowTest, FileDialogsGoThroughTheServices) {
    std::vector<FileDialogRequest> asked;
    WindowServices s = RecordingServices();
    s.saveFileName = [&](QWidget*, const FileDialogRequest& r) {
        asked.push_back(r);
        return QString("/tmp/x.tv2");
    };
    TFileDialog dialog(TFileDialog::Kind::Save, s, nullptr);
    dialog.Title = "Zapisz";
    dialog.Filter = "Ustawienia (*.tv2)";
    dialog.DefaultExt = "tv1";
    ASSERT_TRUE(dialog.Execute());
    EXPECT_EQ(dialog.FileName, "/tmp/x.tv2");
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].defaultSuffix, "tv1");
    TFileDialog open(TFileDialog::Kind::Open, s, nullptr);
    EXPECT_FALSE(open.Execute());  // cancelled
}

}  // namespace
}  // namespace tav::ui::testing
