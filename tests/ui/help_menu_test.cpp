// The menu "Pomoc": the guide with F1 and the program's version and licences.
#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QTextBrowser>

#include "ui/qt_linking.h"
#include "window_fixture.h"

namespace tav::ui::testing {
namespace {

class HelpMenuTest : public WindowTest {
  protected:
    void SetUp() override { MakeForm(); }
};

TEST_F(HelpMenuTest, F1OpensTheGuideAndTheMenuSaysWhatTheProgramIs) {
    form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    QTest::keyClick(form.get(), Qt::Key_F1);
    auto* guide = form->findChild<QDialog*>("HelpWindow");
    ASSERT_NE(guide, nullptr);
    EXPECT_TRUE(guide->isVisible());
    const QString text = guide->findChild<QTextBrowser*>("HelpText")->toPlainText();
    EXPECT_TRUE(text.contains(QString::fromUtf8("TAV-1000R — krótki przewodnik")));
    EXPECT_TRUE(text.contains(QString::fromUtf8("Zdarzenia zegarowe")));
    EXPECT_TRUE(messages.empty());

    Find<QAction>("Oprogramie")->trigger();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].caption, "O programie");
    // How this platform's build keeps Qt's licence: the system's Qt, or the
    // relink kit beside the static programs.
    for (const QString& part : {QString("TAV-1000R Duzedevezivi 1.26"), QString("LGPL"),
                                QString::fromLatin1(qVersion()), QtLinkingNote()}) {
        EXPECT_TRUE(messages[0].text.contains(part)) << part.toStdString();
    }
}

}  // namespace
}  // namespace tav::ui::testing
