#include <QMenuBar>
#include <QPushButton>

#include "ui/about_box.h"
#include "ui_fixture.h"

namespace espa::test {
namespace {

class AboutBoxTest : public UiTest {
  protected:
    ui::AboutBox* OpenAbout() {
        QAction* about = window->menuBar()->findChild<QAction*>("About");
        EXPECT_NE(about, nullptr);
        about->trigger();
        return window->AboutWindow();
    }
};

TEST_F(AboutBoxTest, ShowsLogoFixedLineAndVersion) {
    Start();
    ui::AboutBox* box = OpenAbout();
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->windowTitle(), "About");
    EXPECT_EQ(Find<QLabel>("Label4")->text(), "Software version: 3.4");
    auto* line = Find<QLabel>("Label3");
    EXPECT_FALSE(line->text().isEmpty());
    EXPECT_EQ(line->palette().color(QPalette::WindowText), QColor(0, 0, 255));
    const QPixmap logo = Find<QLabel>("Image1")->pixmap();
    EXPECT_EQ(logo.size(), QSize(591, 260));
    EXPECT_EQ(Find<QPushButton>("CmdSluit")->text(), "Close");
}

TEST_F(AboutBoxTest, TwoDigitMinorVersionIsShownAsIs) {
    EXPECT_EQ(ui::VersionLine(3, 12), "Software version: 3.12");
    EXPECT_EQ(ui::VersionLine(3, 4), "Software version: 3.4");
}

TEST_F(AboutBoxTest, AboutTwiceGivesOneBox) {
    Start();
    ui::AboutBox* first = OpenAbout();
    ui::AboutBox* second = OpenAbout();
    EXPECT_EQ(first, second);
    EXPECT_EQ(window->findChildren<ui::AboutBox*>().size(), 1);
}

TEST_F(AboutBoxTest, CloseUnloadsTheBox) {
    Start();
    ui::AboutBox* box = OpenAbout();
    QTest::mouseClick(Find<QPushButton>("CmdSluit"), Qt::LeftButton);
    EXPECT_FALSE(box->isVisible());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(window->AboutWindow(), nullptr);

    ui::AboutBox* again = OpenAbout();
    EXPECT_NE(again, nullptr);
    EXPECT_TRUE(again->isVisible());
}

TEST_F(AboutBoxTest, ActivatingTheMainWindowWhileOpenBeeps) {
    Start();
    ui::AboutBox* box = OpenAbout();
    ASSERT_TRUE(WaitUntilActive(box));
    window->activateWindow();
    ASSERT_TRUE(WaitUntilActive(window.get()));
    EXPECT_EQ(beeps, 1);
    EXPECT_TRUE(box->isVisible());
}

}  // namespace
}  // namespace espa::test
