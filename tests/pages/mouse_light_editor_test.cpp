// The lighting editor on the mouse page over the in-process simulator: every change reaches the
// profile, the preview and the settings page in the simulated mouse's memory.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QSlider>
#include <QSpinBox>

#include "devices/mouse_device.h"
#include "pages/page_fixture.h"
#include "devsim/simulator.h"
#include "editors/custom_light_lists.h"
#include "platform/paths.h"
#include "profiles/json_file.h"
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
        device.setHost(&mainWindow);
        device.setDeviceIndex(0);
        view = test::mouseViewOf(device, real);
        ASSERT_NE(view, nullptr);
        editor = view->lightEditor();
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

    void click(const char* name) { control<QAbstractButton>(name)->click(); }

    void createList(const char* name)
    {
        control<QLineEdit>("light_custom_name_edit")->setText(QString::fromLatin1(name));
        click("light_custom_new_btn");
    }

    // A frame of the chosen list, with the effect and the preset colour given.
    void addFrame(int effectRow, const char* preset)
    {
        auto* effect = control<QComboBox>("light_custom_frame_effect");
        effect->setCurrentIndex(effectRow);
        click(preset);
        click("light_custom_frame_add_btn");
    }

    bool previewShows(const KeyColour& colour)
    {
        return test::waitFor([&] {
            const KeyColour led = device.lighting().snapshot()[0];
            return led.red == colour.red && led.green == colour.green && led.blue == colour.blue && led.brightness > 0;
        }, 3000);
    }

    std::string configPath() const { return dataFolder.file("brylo_light.config"); }

    test::QtApp app;
    test::RealSkin real;
    test::TempDir dataFolder;
    devsim::Simulator sim{virtualHidDir()};
    test::RecordingMainWindow mainWindow;
    CQuellonMouseDevice device;
    std::unique_ptr<MouseView> view;
    ui::CLightControlUI* editor = nullptr;
};

TEST_F(LightEditorPage, ModesEnableTheirGroupsAndReachProfileAndPreview)
{
    // The mouse's eleven modes and the custom list after them.
    EXPECT_EQ(control<QComboBox>("light_combo_modeSelect")->count(), 12);
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

// The music light chosen on the page lands in the profile; the companion's levels then light
// the preview instead of the effect, and choosing it off gives the effect back.
TEST_F(LightEditorPage, MusicLightIsStoredAndPlaysTheLevels)
{
    chooseMode(1);
    EXPECT_TRUE(control<QWidget>("light_audio_group")->isVisibleTo(editor));
    auto* audioModes = control<QComboBox>("light_combo_audiomodeSelect");
    audioModes->setCurrentIndex(3);
    emit audioModes->activated(3);
    CMouseProfiledata stored;
    stored.SetDeviceIndex(0);
    stored.LoadProfile(device.profile().GetProfilePath());
    EXPECT_EQ(stored.GetAudioLightInfo().audioMode, 3);
    EXPECT_FALSE(enabled("light_audiocolor_layout"));

    audio::Bands bands{};
    bands[0] = 200;
    device.showAudioLevels(bands, {1000, 2000, {10, 250, 40}});
    EXPECT_TRUE(test::waitFor([&] { return device.lighting().snapshot()[0] == KeyColour{10, 250, 40, 200}; }, 3000));

    audioModes->setCurrentIndex(0);
    emit audioModes->activated(0);
    EXPECT_TRUE(test::waitFor([&] { return !(device.lighting().snapshot()[0] == KeyColour{10, 250, 40, 200}); }, 3000));
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

// Lists made on the page are kept in the light configuration, chosen as the profile's
// "CustomGroup" and played by the preview; deleting one keeps the profile on the list it played.
TEST_F(LightEditorPage, CustomListsAreKeptChosenAndPlayed)
{
    const int mouseRow = 1;
    createList("Warm");
    addFrame(0, "color_option_0");
    createList("Cool");
    addFrame(0, "color_option_5");
    ASSERT_EQ(control<QListWidget>("light_custom_frame_list")->count(), 1);

    LightInfo light = device.profile().GetLightInfo();
    EXPECT_EQ(light.mode, 11);
    EXPECT_EQ(light.customGroup, 1);
    EXPECT_TRUE(previewShows({0, 0, 255, 0}));
    CustomLightLists stored(configPath(), mouseRow);
    ASSERT_EQ(stored.load(), CustomLightLists::State::Loaded);
    EXPECT_EQ(stored.names(), (std::vector<std::string>{"Warm", "Cool"}));
    ASSERT_EQ(stored.effects(0).size(), 1u);
    EXPECT_EQ(stored.effects(0)[0].red, 255);
    EXPECT_EQ(stored.effects(0)[0].time, 1000);

    auto* lists = control<QComboBox>("light_combo_custommodeSelect");
    lists->setCurrentIndex(0);
    emit lists->activated(0);
    EXPECT_EQ(device.profile().GetLightInfo().customGroup, 0);
    EXPECT_TRUE(previewShows({255, 0, 0, 0}));

    // A frame's effect and time are edited in place; the frame takes the colour shown above.
    auto* time = control<QSpinBox>("light_custom_frame_time");
    time->setValue(2500);
    emit time->editingFinished();
    click("color_option_3");
    click("light_custom_frame_take_btn");
    stored.load();
    EXPECT_EQ(stored.effects(0)[0].time, 2500);
    EXPECT_EQ(stored.effects(0)[0].green, 255);
    EXPECT_EQ(stored.effects(0)[0].red, 0);
    EXPECT_TRUE(previewShows({0, 255, 0, 0}));

    control<QLineEdit>("light_custom_name_edit")->setText("Meadow");
    click("light_custom_rename_btn");
    lists->setCurrentIndex(1);
    emit lists->activated(1);
    click("light_custom_delete_btn");
    EXPECT_EQ(mainWindow.questions.back(), "light_custom_delete_ask_text");
    stored.load();
    EXPECT_EQ(stored.names(), (std::vector<std::string>{"Meadow"}));
    EXPECT_EQ(device.profile().GetLightInfo().customGroup, 0);
    EXPECT_TRUE(previewShows({0, 255, 0, 0}));
    EXPECT_TRUE(mainWindow.notices.isEmpty());
}

// A damaged light configuration is told and kept until the user agrees to replace it.
TEST_F(LightEditorPage, ADamagedLightConfigurationIsReplacedOnlyWhenTheUserAgrees)
{
    const std::string damaged = "{\"LightInfo\": [[], [{\"LightName\": \"a\"";
    test::writeFile(configPath(), damaged);
    CQuellonMouseDevice second;
    second.setPageSetup(test::mousePageSetup(dataFolder.path() + "/"));
    second.setHost(&mainWindow);
    const std::unique_ptr<MouseView> secondView = test::mouseViewOf(second, real);
    ASSERT_NE(secondView, nullptr);
    EXPECT_TRUE(mainWindow.notices.contains("light_custom_damaged_text"));
    auto* name = secondView->lightEditor()->findChild<QLineEdit*>("light_custom_name_edit");
    auto* create = secondView->lightEditor()->findChild<QAbstractButton*>("light_custom_new_btn");
    ASSERT_TRUE(name && create);

    mainWindow.answer = false;
    name->setText("Kept");
    create->click();
    EXPECT_EQ(mainWindow.questions.back(), "light_custom_start_over_text");
    EXPECT_EQ(test::readFile(configPath()), damaged);

    mainWindow.answer = true;
    create->click();
    CustomLightLists stored(configPath(), 1);
    ASSERT_EQ(stored.load(), CustomLightLists::State::Loaded);
    EXPECT_EQ(stored.names(), (std::vector<std::string>{"Kept"}));
}

TEST_F(LightEditorPage, StageColourReachesTheMouseAndTheSwatch)
{
    device.setStageColour(2, 0x12, 0x34, 0x56);
    ASSERT_TRUE(settle());
    const std::size_t red = kFirstStageByte + 2 * kStageSize + kStageRedOffset;
    const auto page = devicePage();
    EXPECT_EQ((std::vector<std::uint8_t>(page.begin() + red, page.begin() + red + 3)),
              (std::vector<std::uint8_t>{0x12, 0x34, 0x56}));
    EXPECT_TRUE(view->content()->findChild<QWidget*>("DPI_color_option_2")->styleSheet().contains("#123456"));
    // A stage the mouse does not have changes nothing.
    device.setStageColour(40, 1, 2, 3);
    EXPECT_TRUE(settle());
}

}  // namespace
}  // namespace kestrion
