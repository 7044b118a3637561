#include "ui/about_box.h"
#include "ui_fixture.h"

namespace espa::test {
namespace {

using AboutBoxTest = UiTest;

TEST_F(AboutBoxTest, ShowsLogoFixedLineAndVersion) {
    Start();
    TriggerMenu("About");
    ui::AboutBox* box = window->AboutWindow();
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->windowTitle(), "About");
    EXPECT_EQ(Find<QLabel>("Label4")->text(), "Software version: 3.4");
    auto* line = Find<QLabel>("Label3");
    EXPECT_FALSE(line->text().isEmpty());
    EXPECT_EQ(TextColour(line), QColor(0, 0, 255));
    EXPECT_EQ(Find<QLabel>("Image1")->pixmap().size(), QSize(591, 260));
    EXPECT_EQ(Find<QPushButton>("CmdSluit")->text(), "Close");
}

TEST(VersionLine, ShowsBothNumbersAsTheyAre) {
    EXPECT_EQ(ui::VersionLine(3, 12), "Software version: 3.12");
    EXPECT_EQ(ui::VersionLine(3, 4), "Software version: 3.4");
}

TEST_F(AboutBoxTest, AboutWhileOpenGivesOneBoxAndCloseUnloadsIt) {
    Start();
    TriggerMenu("About");
    ui::AboutBox* box = window->AboutWindow();
    TriggerMenu("About");
    EXPECT_EQ(window->AboutWindow(), box);
    EXPECT_EQ(window->findChildren<ui::AboutBox*>().size(), 1);

    Click("CmdSluit");
    EXPECT_FALSE(box->isVisible());
    DeleteClosedWindows();
    EXPECT_EQ(window->AboutWindow(), nullptr);

    TriggerMenu("About");
    ASSERT_NE(window->AboutWindow(), nullptr);
    EXPECT_TRUE(window->AboutWindow()->isVisible());
}

}  // namespace
}  // namespace espa::test
