// The window on screens smaller and larger than the form.
#include "ui/screen_fit.h"

#include <QApplication>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QTabWidget>

#include "window_fixture.h"

namespace tav::ui::testing {
namespace {

TEST(ScreenFitTest, WindowOpensInsideTheFreeArea) {
    // The form's client area with its menu bar, and a usual frame.
    const QSize form(736, 736);
    const QSize frame(16, 40);
    struct Case {
        const char* screen;
        QRect available;
        QRect expected;  // frame's top-left, client size
    } cases[] = {
        {"1920 x 1080, task bar below", {0, 0, 1920, 1040}, {90, 167, 736, 736}},
        {"1366 x 768, task bar below", {0, 0, 1366, 728}, {90, 0, 736, 688}},
        {"1920 x 1080 at 150 %", {0, 0, 1280, 680}, {90, 0, 736, 640}},
        {"task bar on the left", {100, 0, 1820, 1080}, {100, 167, 736, 736}},
        {"narrow: 640 x 480", {0, 0, 640, 480}, {0, 0, 624, 440}},
        {"second screen to the right", {1920, 0, 1366, 728}, {1920, 0, 736, 688}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ClientGeometryOnScreen(form, QPoint(90, 167), c.available, frame), c.expected)
            << c.screen;
    }
}

class SmallScreenTest : public WindowTest {
  protected:
    void SetUp() override { MakeForm(); }
};

TEST_F(SmallScreenTest, PagesScrollAndTheDeviceStripStaysInView) {
    EXPECT_TRUE(form->screen()->availableGeometry().contains(form->frameGeometry()));
    // As placed on a laptop's screen: lower than the form.
    form->resize(736, 600);
    QApplication::processEvents();

    const QRect window = form->rect();
    for (const char* name : {"Button3", "Button4", "ProgressBar1", "StaticText1"}) {
        auto* w = Find<QWidget>(name);
        const QRect inWindow(w->mapTo(form.get(), QPoint(0, 0)), w->size());
        EXPECT_TRUE(window.contains(inWindow)) << name;
    }
    // The lowest control of the pages comes into view when scrolled down.
    auto* scroll = Find<QScrollArea>("FormScrollArea");
    scroll->verticalScrollBar()->setValue(scroll->verticalScrollBar()->maximum());
    Find<QTabWidget>("PageControl1")->setCurrentIndex(2);  // POZOSTALE
    auto* lowest = Find<QPushButton>("Button12");
    const QRect inViewport(lowest->mapTo(scroll->viewport(), QPoint(0, 0)), lowest->size());
    EXPECT_TRUE(scroll->viewport()->rect().contains(inViewport));
}

}  // namespace
}  // namespace tav::ui::testing
