// The window's event loop through a full read and a full write at the line's
// real speed, against the simulated receiver on a pty: its timers keep
// firing, and a click on another button meanwhile runs nothing.
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <chrono>

#include "sim/receiver.h"
#include "tests/support/image_pattern.h"
#include "tests/support/pty_receivers.h"
#include "tests/ui/window_fixture.h"

namespace tav::ui::testing {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

class WindowEventLoopE2e : public WindowTest {
  protected:
    void SetUp() override {
        sim::ReceiverOptions app;
        app.memory = testsupport::PatternImage(3);
        app.pacing.paced = true;
        receiver = testsupport::ReceiverBehindPort(*resolver, 0, app);
        ASSERT_TRUE(receiver);
        MakeForm(DeviceServices());
    }

    std::unique_ptr<sim::PtyReceiver> receiver;
};

TEST_F(WindowEventLoopE2e, TimersFireThroughoutAPacedFullReadAndWrite) {
    struct Row {
        const char* name;
        const char* button;
        const char* clickedMeanwhile;  // another button, clicked halfway
        std::size_t sent;              // what the receiver gets from the tool
    };
    const Row rows[] = {
        {"full read", "Button3", "Button4", 2 + 1024},
        {"full write", "Button4", "Button13", 2 + 1024 * 33},
    };
    answer = QMessageBox::Yes;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        image = testsupport::PatternImage(5);
        messages.clear();
        ASSERT_TRUE(receiver->WaitUntilSettled(50ms, 2s));
        receiver->ClearTraffic();
        std::vector<Clock::time_point> ticks;
        QTimer timer(form.get());
        timer.setInterval(20);
        QObject::connect(&timer, &QTimer::timeout, [&] { ticks.push_back(Clock::now()); });
        bool clicked = false;
        const auto connection = QObject::connect(
            Find<QProgressBar>("ProgressBar1"), &QProgressBar::valueChanged, [&](int value) {
                if (value >= 512 && !clicked) {
                    clicked = true;
                    QTest::mouseClick(Find<QPushButton>(row.clickedMeanwhile), Qt::LeftButton);
                }
            });
        timer.start();
        ticks.push_back(Clock::now());
        Click(row.button);
        ticks.push_back(Clock::now());
        timer.stop();
        QObject::disconnect(connection);
        EXPECT_TRUE(clicked);
        auto longest = Clock::duration::zero();
        std::size_t where = 0;
        for (std::size_t i = 1; i < ticks.size(); ++i) {
            if (ticks[i] - ticks[i - 1] > longest) {
                longest = ticks[i] - ticks[i - 1];
                where = i;
            }
        }
        // A paced full transfer takes over half a minute.
        EXPECT_GT(ticks.back() - ticks.front(), 30s);
        EXPECT_LE(longest, 100ms)
            << std::chrono::duration_cast<std::chrono::milliseconds>(longest).count()
            << " ms, after tick " << where - 1 << " of " << ticks.size();
        ASSERT_TRUE(receiver->WaitUntilSettled(50ms, 2s));
        EXPECT_EQ(receiver->ReceivedBytes().size(), row.sent);
        EXPECT_EQ(messages.size(), std::string_view(row.name) == "full write" ? 1u : 0u);
    }
}

}  // namespace
}  // namespace tav::ui::testing
