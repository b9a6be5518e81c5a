#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QLabel>
#include <QLayout>
#include <QProgressBar>
#include <QStackedWidget>
#include <QTest>
#include <QTimer>
#include <QApplication>

#include <functional>

#include "ui/about_window.h"
#include "ui/message_box.h"
#include "ui/control_checks.h"
#include "ui/qt_app.h"

namespace kestrion::test {
namespace {

Check isContainer()
{
    return [](QWidget* w) { return w->layout() != nullptr; };
}

// Every main-window control that the window code, the device manager and the router look up.
const std::vector<Expected>& mainWindowControls()
{
    static const std::vector<Expected> names{
        {"closebtn", is<QAbstractButton>()},
        {"maxbtn", is<QAbstractButton>()},
        {"restorebtn", is<QAbstractButton>()},
        {"minbtn", is<QAbstractButton>()},
        {"skinbtn", is<QAbstractButton>()},
        {"gamemodebtn", is<QAbstractButton>()},
        {"cloudbtn", is<QAbstractButton>()},
        {"smarteyesbtn", is<QAbstractButton>()},
        {"setbtn", is<QAbstractButton>()},
        {"device_select_layout", isContainer()},
        {"device_select_prev", is<QAbstractButton>()},
        {"device_select_next", is<QAbstractButton>()},
        {"device_switch", is<QStackedWidget>()},
        {"device_power_switch", is<QStackedWidget>()},
        {"No_device_Link", is<QWidget>()},
        {"nodevice_access_label", is<QLabel>()},
        {"nodevice_ok_btn", is<QAbstractButton>()},
        {"Error_device_Link", is<QWidget>()},
        {"errordevice_ok_btn", is<QAbstractButton>()},
        {"errordevice_connect_btn", is<QAbstractButton>()},
        {"control_light_status", is<QAbstractButton>()},
        {"music_setting_btn", is<QAbstractButton>()},
    };
    return names;
}

void expectControls(QWidget* root, const std::vector<Expected>& expected)
{
    for (const auto& control : expected) {
        const auto found = root->findChildren<QWidget*>(control.name);
        ASSERT_EQ(found.size(), 1) << qPrintable(control.name) << " missing or not unique";
        EXPECT_TRUE(control.check(found.front())) << qPrintable(control.name) << " has the wrong kind";
    }
}

class ShellLayoutTest : public ::testing::Test {
protected:
    std::unique_ptr<QWidget> build(const char* layout)
    {
        std::unique_ptr<QWidget> root(real.skin.build(layout, real.factory));
        if (root)
            real.language.apply(root.get());
        return root;
    }

    RealSkin real;
};

TEST_F(ShellLayoutTest, MainWindowHasEveryControlTheSystemUses)
{
    auto main = build("XML_MAIN");
    ASSERT_NE(main, nullptr);
    // A background change addresses the window's root control by this name.
    EXPECT_EQ(main->objectName(), "root");
    expectControls(main.get(), mainWindowControls());
}

// With no device the no-device layout shows over the page container and the error layout and
// the rights line wait for their cause.
TEST_F(ShellLayoutTest, MainWindowStartsInTheNoDeviceState)
{
    auto main = build("XML_MAIN");
    ASSERT_NE(main, nullptr);
    main->show();
    QApplication::processEvents();
    EXPECT_EQ(main->size(), QSize(800, 572));
    auto* pages = main->findChild<QWidget*>("device_switch");
    auto* noDevice = main->findChild<QWidget*>("No_device_Link");
    auto* error = main->findChild<QWidget*>("Error_device_Link");
    ASSERT_TRUE(pages && noDevice && error);
    EXPECT_TRUE(noDevice->isVisible());
    EXPECT_FALSE(error->isVisible());
    EXPECT_FALSE(main->findChild<QWidget*>("nodevice_access_label")->isVisible());
    EXPECT_EQ(noDevice->geometry(), pages->geometry());
    error->show();
    QApplication::processEvents();
    EXPECT_EQ(error->geometry(), pages->geometry());
    // Drawn later than the pages, so it covers them.
    const auto siblings = pages->parentWidget()->children();
    EXPECT_GT(siblings.indexOf(noDevice), siblings.indexOf(pages));
    EXPECT_GT(siblings.indexOf(error), siblings.indexOf(pages));
}

TEST_F(ShellLayoutTest, SelectorEntryAndBatteryDisplayHaveTheirParts)
{
    auto entry = build("XML\\CustomControlXML\\DeviceOption.xml");
    ASSERT_NE(entry, nullptr);
    expectControls(entry.get(), {
                                    {"device_select", is<QAbstractButton>()},
                                    {"synchro_device_select", is<QAbstractButton>()},
                                    {"device_select_name", is<QLabel>()},
                                });
    auto power = build("XML\\CustomControlXML\\MpDevicePower.xml");
    ASSERT_NE(power, nullptr);
    expectControls(power.get(), {
                                    {"device_power_value", is<QLabel>()},
                                    {"device_wuxian_logo", is<QLabel>()},
                                    {"device_power_status", is<QLabel>()},
                                    {"device_Power_progress", is<QProgressBar>()},
                                    {"device_phone_type", is<QLabel>()},
                                    {"device_power_Layout", isContainer()},
                                });
}

TEST_F(ShellLayoutTest, AboutWindowShowsVersionAndRevisionAndCloses)
{
    QWidget owner;
    ui::AboutWnd about({real.skin, real.factory, real.language}, &owner);
    ASSERT_TRUE(about.isBuilt());
    EXPECT_EQ(about.size(), QSize(800, 572));
    about.setVersionText("V0101");
    EXPECT_EQ(about.findChild<QLabel*>("software_ver_label")->text(), "V0101");
    EXPECT_EQ(about.findChild<QLabel*>("text_test")->text(), real.language.text("software_rev_text"));
    EXPECT_TRUE(real.language.contains("software_rev_text"));
    QTimer::singleShot(0, &about, [&about] {
        if (auto* close = about.findChild<QAbstractButton*>("closebtn"))
            QTest::mouseClick(close, Qt::LeftButton);
        else
            about.done(-1);
    });
    EXPECT_EQ(about.run(), 0);
    EXPECT_FALSE(about.isVisible());
}

}  // namespace
}  // namespace kestrion::test
