#include <gtest/gtest.h>

#include <QAction>
#include <QSignalSpy>

#include "ui/product_names.h"
#include "ui/qt_app.h"
#include "shell/tray.h"

namespace kestrion::test {
namespace {

class TrayTest : public ::testing::Test {
protected:
    QAction* item(const char* name) { return tray.menu().findChild<QAction*>(name); }

    RealSkin real;
    ui::Tray tray{real.language, QIcon(QStringLiteral(KESTRION_SOURCE_ROOT "/skin/images/logo.png"))};
};

TEST_F(TrayTest, MenuItemsAskForAboutAndExit)
{
    ASSERT_NE(item("about_menu"), nullptr);
    ASSERT_NE(item("exit"), nullptr);
    QSignalSpy about(&tray, &ui::Tray::aboutRequested);
    QSignalSpy exit(&tray, &ui::Tray::exitRequested);
    QSignalSpy command(&tray, &ui::Tray::menuCommand);

    item("about_menu")->trigger();
    EXPECT_EQ(about.count(), 1);
    EXPECT_EQ(exit.count(), 0);
    item("exit")->trigger();
    EXPECT_EQ(exit.count(), 1);
    EXPECT_EQ(about.count(), 1);
    ASSERT_EQ(command.count(), 2);
    EXPECT_EQ(command.at(0).at(0).toString(), "about_menu");
    EXPECT_EQ(command.at(1).at(0).toString(), "exit");
}

TEST_F(TrayTest, LeftClickTogglesTheWindowAndTheToolTipIsTheTitle)
{
    EXPECT_EQ(tray.icon().toolTip(), ui::kWindowTitle);
    QSignalSpy toggle(&tray, &ui::Tray::toggleWindowRequested);
    emit tray.icon().activated(QSystemTrayIcon::Trigger);
    emit tray.icon().activated(QSystemTrayIcon::Context);
    EXPECT_EQ(toggle.count(), 1);
}

TEST_F(TrayTest, ProfilesSitBetweenShowWindowAndAboutAndReplaceTheOldOnes)
{
    QSignalSpy chosen(&tray, &ui::Tray::profileChosen);
    QSignalSpy show(&tray, &ui::Tray::showWindowRequested);
    tray.setProfiles({"Old1", "Old2", "Old3"}, 0);
    tray.setProfiles({"Work", "Games"}, 1);
    QStringList texts;
    for (QAction* action : tray.menu().actions()) {
        if (!action->isSeparator())
            texts << action->objectName() + "=" + action->text() + (action->isChecked() ? "*" : "");
    }
    EXPECT_EQ(texts, (QStringList{"show_window=" + real.language.text("tray_show_window_text"), "profile_0=Work",
                                  "profile_1=Games*", "about_menu=" + real.language.text("about_menu_text"),
                                  "exit=" + real.language.text("exit_menu_text")}));
    item("profile_0")->trigger();
    item("show_window")->trigger();
    ASSERT_EQ(chosen.count(), 1);
    EXPECT_EQ(chosen.at(0).at(0).toInt(), 0);
    EXPECT_EQ(show.count(), 1);

    tray.setProfiles({}, -1);
    EXPECT_EQ(item("profile_0"), nullptr);
}

TEST_F(TrayTest, ToolTipGivesTheBatteryInTheCurrentLanguage)
{
    tray.showBattery(35);
    EXPECT_EQ(tray.icon().toolTip(), QString(ui::kWindowTitle) + "\n" + real.language.textWithNumber("tray_battery_text", 35));
    ASSERT_TRUE(real.language.load("lan_cn.xml"));
    EXPECT_TRUE(tray.icon().toolTip().endsWith(real.language.textWithNumber("tray_battery_text", 35)));
    tray.showBattery(-1);
    EXPECT_EQ(tray.icon().toolTip(), ui::kWindowTitle);
}

TEST_F(TrayTest, MenuFollowsTheLanguage)
{
    EXPECT_EQ(item("exit")->text(), real.language.text("exit_menu_text"));
    EXPECT_NE(item("exit")->text(), "exit_menu_text");
    const QString english = item("exit")->text();
    ASSERT_TRUE(real.language.load("lan_cn.xml"));
    EXPECT_NE(item("exit")->text(), english);
    EXPECT_EQ(item("exit")->text(), real.language.text("exit_menu_text"));
    EXPECT_EQ(item("about_menu")->text(), real.language.text("about_menu_text"));
}

}  // namespace
}  // namespace kestrion::test
