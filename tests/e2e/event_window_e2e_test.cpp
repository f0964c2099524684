// On-line reception in the window against the simulated receiver on a pty,
// with the window's own 250 ms timer doing the polls.
#include <QFile>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <chrono>

#include "link/event_lines.h"
#include "link/serial_port.h"
#include "sim/receiver.h"
#include "tests/support/pty_receivers.h"
#include "tests/ui/window_fixture.h"
#include "ui/device_text.h"
#include "ui/form_text.h"

namespace tav::ui::testing {
namespace {

using namespace std::chrono_literals;

class EventWindowE2eTest : public WindowTest {
  protected:
    void SetUp() override {
        receiver = testsupport::ReceiverBehindPort(*resolver, 0);
        ASSERT_TRUE(receiver);
        WindowServices s = DeviceServices();
        s.saveFileName = [this](QWidget*, const FileDialogRequest&) { return savePath; };
        MakeForm(std::move(s));
        view = Find<QPlainTextEdit>("RichEdit1");
    }

    QStringList ViewLines() const { return view->toPlainText().split(QLatin1Char('\n')); }
    bool WaitForLine(const QString& line) {
        return QTest::qWaitFor([&] { return ViewLines().contains(line); }, 5000);
    }

    std::unique_ptr<sim::PtyReceiver> receiver;
    QPlainTextEdit* view = nullptr;
    QString savePath;
};

TEST_F(EventWindowE2eTest, EventsInOrderTheHistoryBetweenTheMarkersAndTheLogSaved) {
    QTemporaryDir dir;
    receiver->SetHistory({"2026-12-01 08:00:00 pilot 1", "2026-12-01 08:05:12 pilot 7"});
    Click("Button10");
    ASSERT_TRUE(form->OnlineReceptionActive());
    for (int i = 1; i <= 5; ++i) {
        receiver->SendEventLine("zdarzenie " + std::to_string(i));
    }
    ASSERT_TRUE(WaitForLine("zdarzenie 5"));
    Click("Button14");
    const QString end = FromUtf8(kHistoryEndMarker).chopped(1);
    ASSERT_TRUE(WaitForLine(end));
    receiver->SendEventLine("po historii");
    receiver->SendEventLine(
        "Zamkni\xea"
        "cie bramy");
    ASSERT_TRUE(WaitForLine(QString::fromUtf8("Zamknięcie bramy")));
    savePath = dir.filePath("zdarzenia.txt");
    Click("Button19");  // during reception
    Click("Button11");

    EXPECT_EQ(ViewLines(),
              (QStringList{"zdarzenie 1", "zdarzenie 2", "zdarzenie 3", "zdarzenie 4",
                           "zdarzenie 5", FromUtf8(kHistoryStartMarker), "TAV-1000 v1.26",
                           "2026-12-01 08:00:00 pilot 1", "2026-12-01 08:05:12 pilot 7", end, "",
                           "po historii", QString::fromUtf8("Zamknięcie bramy")}));
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].text, "Plik ze zdarzeniami zostal zapisany!");
    QFile f(savePath);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray shown = QByteArray::fromStdString(EncodeDeviceText(view->toPlainText()));
    EXPECT_EQ(f.readAll(), QByteArray(shown).replace("\n", "\r\n") + "\r\n");
    EXPECT_TRUE(shown.contains("Zamkni\xea"));
    messages.clear();
    const std::vector<std::uint8_t> sent = receiver->ReceivedBytes();
    EXPECT_EQ(sent, (std::vector<std::uint8_t>{'?', 'h', 'i'}));
    // The port is free again for the device buttons.
    Click("Button17");
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].text, "Stan wyswietlacza odebrano z TAV-1000R");
}

TEST_F(EventWindowE2eTest, HangUpOfTheReceiverStopsReceptionWithOneMessage) {
    Click("Button10");
    receiver->SendEventLine("przed awaria");
    ASSERT_TRUE(WaitForLine("przed awaria"));
    receiver->InjectFault({sim::FaultKind::HangUpAfterBytes, 16, 0});
    receiver->SendEventLine("ostatnie zdarz");  // 14 bytes and CR LF
    ASSERT_TRUE(QTest::qWaitFor([&] { return !messages.empty(); }, 5000));
    QTest::qWait(600);  // more ticks: still the one message
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].caption, QString::fromUtf8("Błąd"));
    EXPECT_FALSE(form->OnlineReceptionActive());
    EXPECT_TRUE(Find<QPushButton>("Button10")->isEnabled());
    EXPECT_FALSE(Find<QPushButton>("Button11")->isEnabled());
    EXPECT_EQ(ViewLines(), (QStringList{"przed awaria", "ostatnie zdarz"}));
    EXPECT_TRUE(receiver->HungUp());
}

}  // namespace
}  // namespace tav::ui::testing
