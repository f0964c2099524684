// A TForm1 on the offscreen platform with every outside service replaced by
// a recorder: no real dialog, printer or serial port is ever touched unless a
// test wires one in.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <QApplication>
#include <QComboBox>
#include <QMessageBox>
#include <QPushButton>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "link/port_resolver.h"
#include "link/serial_port.h"
#include "tests/support/ordinary_user.h"
#include "ui/Unit1.h"
#include "ui/application.h"
#include "ui/string_grid.h"

namespace tav::ui::testing {

// One QApplication for the whole test program, on the offscreen platform.
class QtEnvironment : public ::testing::Environment {
  public:
    void SetUp() override {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        // Whatever reaches the standard folders goes to test folders, never
        // the user's own.
        QStandardPaths::setTestModeEnabled(true);
        static int argc = 1;
        static char name[] = "ui_tests";
        static char* argv[] = {name, nullptr};
        app_ = std::make_unique<Application>(argc, argv);
    }
    void TearDown() override { app_.reset(); }

  private:
    std::unique_ptr<Application> app_;
};

struct Message {
    QString text;
    QString caption;
    bool operator==(const Message&) const = default;
};

// A question the window asked, with its buttons and the preselected one.
struct Question {
    QString text;
    QString caption;
    QMessageBox::StandardButtons buttons;
    QMessageBox::StandardButton preselected = QMessageBox::NoButton;
};

inline void PrintTo(const Message& m, std::ostream* os) {
    *os << '"' << m.text.toStdString() << "\" | \"" << m.caption.toStdString() << '"';
}

class FixedClock final : public LocalClock {
  public:
    LocalDateTime Now() override { return {2026, 12, 8, 10, 30, 0}; }
};

// A port that never opens: device buttons get the link's refusal, nothing else.
class ClosedPort final : public SerialPort {
  public:
    bool Open(const std::string&, PortOpenError* error) override {
        if (error != nullptr) {
            error->reason = "no device in tests";
        }
        return false;
    }
    void Close() override {}
    bool IsOpen() const override { return false; }
    bool SetRts(bool) override { return false; }
    bool Write(std::span<const std::uint8_t>) override { return false; }
    bool WaitTransmitted() override { return false; }
    void Flush() override {}
    int BytesQueued() override { return 0; }
    int ReadQueued(std::span<std::uint8_t>) override { return 0; }
    bool WaitReadable(int) override { return false; }
    bool HungUp() override { return false; }
};

using testsupport::AsOrdinaryUser;

class WindowTest : public ::testing::Test {
  protected:
    // The window goes first: closing it closes its port, on a device or a
    // receiver that a derived fixture owns and destroys before these members.
    void TearDown() override { form.reset(); }

    // Services that record every message and never open a dialog.
    WindowServices RecordingServices() {
        WindowServices s;
        s.showMessage = [this](QWidget*, const QString& text, const QString& caption) {
            messages.push_back({text, caption});
        };
        s.askQuestion = [this](QWidget*, const QString& text, const QString& caption,
                               QMessageBox::StandardButtons buttons,
                               QMessageBox::StandardButton preselected) {
            questions.push_back({text, caption, buttons, preselected});
            return buttons.testFlag(QMessageBox::Discard) ? replaceAnswer : answer;
        };
        s.openFileName = [](QWidget*, const FileDialogRequest&) { return QString(); };
        s.saveFileName = [](QWidget*, const FileDialogRequest&) { return QString(); };
        s.previewAndPrint = [this](QWidget*, const QString& title, const QString& text,
                                   const QFont&) {
            previews.push_back({title, text});
            return printerPresent;
        };
        s.settings = [this] {
            return std::make_unique<QSettings>(settingsFolder.filePath("tav1000r.ini"),
                                               QSettings::IniFormat);
        };
        s.localClock = std::make_shared<FixedClock>();
        s.portResolver = resolver;
        s.timing = std::make_shared<SystemTiming>();
        s.makePort = [] { return std::make_unique<ClosedPort>(); };
        return s;
    }

    // Services whose file dialogs answer with `saveAnswer` / `openAnswer`
    // and keep what they were asked.
    WindowServices DialogServices() {
        WindowServices s = RecordingServices();
        s.saveFileName = [this](QWidget*, const FileDialogRequest& r) {
            saveRequests.push_back(r);
            return saveAnswer;
        };
        s.openFileName = [this](QWidget*, const FileDialogRequest& r) {
            openRequests.push_back(r);
            return openAnswer;
        };
        return s;
    }
    void MakeDialogForm() { MakeForm(DialogServices()); }

    // Recording services whose ports are the platform's serial ports.
    WindowServices DeviceServices() {
        WindowServices s = RecordingServices();
        s.makePort = [] { return MakePlatformSerialPort(); };
        return s;
    }

    // A click on the button named `button`, as the user's.
    void Click(const char* button) { Find<QPushButton>(button)->click(); }
    // The user's choice of item `index` in a list, by the keyboard.
    void Choose(const char* list, int index) {
        auto* c = Find<QComboBox>(list);
        ASSERT_TRUE(c->isEnabled()) << list;
        c->setCurrentIndex(index > 0 ? index - 1 : 1);
        QTest::keyClick(c, index > 0 ? Qt::Key_Down : Qt::Key_Up);
        ASSERT_EQ(c->currentIndex(), index) << list;
    }

    void MakeForm() { MakeForm(RecordingServices()); }
    void MakeForm(WindowServices services) {
        form = std::make_unique<TForm1>(image, std::move(services));
        form->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
    }

    template <typename T>
    T* Find(const char* name) const {
        T* w = form->findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    TStringGrid& Grid(const char* name) const { return *Find<TStringGrid>(name); }

    // A left press on a cell, through the grid's own mouse handling, where
    // the user sees it: the grids never scroll.
    void PressCell(const char* grid, int col, int row) {
        TStringGrid& g = Grid(grid);
        QTest::mousePress(g.viewport(), Qt::LeftButton, {}, g.CellCentre(col, row));
        QTest::mouseRelease(g.viewport(), Qt::LeftButton, {}, g.CellCentre(col, row));
    }

    // The print previews shown (title, text), and whether a printer is there
    // to print them on.
    std::vector<std::pair<QString, QString>> previews;
    bool printerPresent = false;

    // What the window remembers between runs, for this test only.
    QTemporaryDir settingsFolder;
    std::shared_ptr<FixedPortResolver> resolver = std::make_shared<FixedPortResolver>();
    std::vector<Message> messages;
    std::vector<Question> questions;
    QMessageBox::StandardButton answer = QMessageBox::No;  // to every question but:
    // the one before unsaved edits are replaced (save / discard / cancel).
    QMessageBox::StandardButton replaceAnswer = QMessageBox::Discard;
    // What the dialogs of DialogServices answer, and what they were asked.
    QString saveAnswer;
    QString openAnswer;
    std::vector<FileDialogRequest> saveRequests;
    std::vector<FileDialogRequest> openRequests;
    MemoryImage image;  // declared before the form, which works on it
    std::unique_ptr<TForm1> form;
};

}  // namespace tav::ui::testing
