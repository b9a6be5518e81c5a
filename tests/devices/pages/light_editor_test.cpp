// The lighting editor on the mouse page over the in-process simulator: every change reaches the
// profile, the preview and the settings page in the simulated mouse's memory.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QComboBox>
#include <QLineEdit>
#include <QSlider>

#include "devices/pages/mouse_device.h"
#include "devices/pages/page_fixture.h"
#include "devsim/simulator.h"
#include "platform/paths.h"
#include "profiles/program_folders.h"
#include "ui/colour_palette.h"
#include "ui/light_control.h"
#include "ui/qt_app.h"
#include "support/temp_dir.h"

namespace kestrion {
namespace {

constexpr std::size_t kBrightnessByte = 2;
constexpr std::size_t kSpeedByte = 3;
constexpr std::size_t kMultiColourByte = 5;
constexpr std::size_t kRedByte = 6;
constexpr std::size_t kFirstStageByte = 14;
constexpr std::size_t kStageSize = 9;
constexpr std::size_t kStageRedOffset = 6;

class LightEditorPage : public testing::Test {
protected:
    void SetUp() override
    {
        setProgramDataDir(KESTRION_SOURCE_ROOT "/DefaultData");
        device.setPageSetup(test::mousePageSetup(dataFolder.path() + "/"));
        device.setMainWindow(&mainWindow);
        device.setDeviceIndex(0);
        ASSERT_TRUE(device.buildPage(real.skin, real.factory));
        editor = device.lightEditor();
        ASSERT_NE(editor, nullptr);
        ASSERT_TRUE(sim.plug(devsim::Port::Cable));
        ASSERT_TRUE(device.attachCommandLink(sim.commandPath(devsim::Port::Cable), 2));
        device.readAll();
        ASSERT_TRUE(settle());
    }

    bool settle()
    {
        return test::waitFor([&] { return !device.hasDeviceWork(); }, 15000) && !device.settingsPending();
    }

    template <typename T>
    T* control(const char* name)
    {
        T* found = editor->findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(found, nullptr) << name;
        return found;
    }

    bool enabled(const char* name) { return control<QWidget>(name)->isEnabled(); }

    void chooseMode(int mode)
    {
        auto* modes = control<QComboBox>("light_combo_modeSelect");
        modes->setCurrentIndex(mode);
        emit modes->activated(mode);
    }

    std::vector<std::uint8_t> devicePage() { return sim.settingsPage(0); }

    test::QtApp app;
    test::RealSkin real;
    test::TempDir dataFolder;
    devsim::Simulator sim{virtualHidDir()};
    test::RecordingMainWindow mainWindow;
    CQuellonMouseDevice device;
    ui::CLightControlUI* editor = nullptr;
};

TEST_F(LightEditorPage, ModesEnableTheirGroupsAndReachProfileAndPreview)
{
    EXPECT_EQ(control<QComboBox>("light_combo_modeSelect")->count(), 11);
    chooseMode(6);
    EXPECT_EQ(device.profile().GetLightInfo().mode, 6);
    EXPECT_EQ(device.lighting().snapshot()[0], KeyColour{});
    for (const char* group : {"deng_light_layout", "deng_speed_layout", "deng_color_layout", "colorpallet_layout"})
        EXPECT_FALSE(enabled(group)) << group;
    EXPECT_TRUE(enabled("lighteffect_layout"));

    chooseMode(0);
    EXPECT_TRUE(enabled("deng_light_layout"));
    EXPECT_TRUE(enabled("deng_color_layout"));
    EXPECT_FALSE(enabled("deng_speed_layout"));
    // A single online device is offered no same-lighting command.
    EXPECT_FALSE(control<QWidget>("deng_same_mode")->isVisibleTo(editor));
    CMouseProfiledata stored;
    stored.SetDeviceIndex(0);
    stored.LoadProfile(device.profile().GetProfilePath());
    EXPECT_EQ(stored.GetLightInfo().mode, 0);
}

TEST_F(LightEditorPage, BrightnessAndSpeedAreWrittenToTheMouse)
{
    chooseMode(1);
    control<QSlider>("deng_light_slider")->setValue(0);
    control<QSlider>("deng_light_slider")->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    control<QSlider>("deng_speed_slider")->setValue(4);
    // The mouse's effects have no direction to choose.
    EXPECT_FALSE(enabled("deng_fx_layout"));
    ASSERT_TRUE(settle());
    const LightInfo light = device.profile().GetLightInfo();
    EXPECT_EQ(light.brightness, 1);
    EXPECT_EQ(light.speed, 4);
    const auto page = devicePage();
    EXPECT_EQ(page[kBrightnessByte], 1);
    EXPECT_EQ(page[kSpeedByte], 0);  // the mouse counts speed the other way round
}

TEST_F(LightEditorPage, AChosenColourClearsSevenColoursAndReachesTheMouse)
{
    chooseMode(8);
    control<QAbstractButton>("deng_7color_check")->click();
    ASSERT_EQ(device.profile().GetLightInfo().multiColor, 1);
    emit control<ui::CColourPaletteUI>("deng_Color_Pallet")->colourChanged(QColor(10, 20, 30));
    ASSERT_TRUE(settle());
    EXPECT_FALSE(control<QAbstractButton>("deng_7color_check")->isChecked());
    EXPECT_EQ(control<QLineEdit>("deng_edit_G")->text(), "20");
    const auto page = devicePage();
    EXPECT_EQ(page[kMultiColourByte], 0);
    EXPECT_EQ((std::vector<std::uint8_t>(page.begin() + kRedByte, page.begin() + kRedByte + 3)),
              (std::vector<std::uint8_t>{10, 20, 30}));

    // Typed components are capped at 255, an empty one reads 0, and the edits show what counts.
    control<QLineEdit>("deng_edit_G")->setText("300");
    control<QLineEdit>("deng_edit_B")->setText("");
    emit control<QLineEdit>("deng_edit_G")->editingFinished();
    ASSERT_TRUE(settle());
    EXPECT_EQ(control<QLineEdit>("deng_edit_G")->text(), "255");
    EXPECT_EQ(control<QLineEdit>("deng_edit_B")->text(), "0");
    EXPECT_EQ(devicePage()[kRedByte + 1], 255);
    EXPECT_EQ(devicePage()[kRedByte + 2], 0);

    control<QAbstractButton>("color_option_2")->click();
    EXPECT_EQ(control<ui::CColourPaletteUI>("deng_Color_Pallet")->selectedColour(), QColor("#ffff00"));
    ASSERT_TRUE(settle());
    EXPECT_EQ(devicePage()[kRedByte + 2], 0);
    EXPECT_EQ(devicePage()[kRedByte], 255);
}

TEST_F(LightEditorPage, StageColourReachesTheMouseAndTheSwatch)
{
    device.setStageColour(2, 0x12, 0x34, 0x56);
    ASSERT_TRUE(settle());
    const std::size_t red = kFirstStageByte + 2 * kStageSize + kStageRedOffset;
    const auto page = devicePage();
    EXPECT_EQ((std::vector<std::uint8_t>(page.begin() + red, page.begin() + red + 3)),
              (std::vector<std::uint8_t>{0x12, 0x34, 0x56}));
    EXPECT_TRUE(device.page()->findChild<QWidget*>("DPI_color_option_2")->styleSheet().contains("#123456"));
    // A stage the mouse does not have changes nothing.
    device.setStageColour(40, 1, 2, 3);
    EXPECT_TRUE(settle());
}

}  // namespace
}  // namespace kestrion
