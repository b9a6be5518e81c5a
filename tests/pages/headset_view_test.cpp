// The headset's page over its device object, the in-process simulator and a recording audio back end: real sockets,
// real threads, real skin.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QComboBox>
#include <QLineEdit>
#include <QLabel>
#include <QSlider>
#include <QTabWidget>

#include <algorithm>
#include <vector>

#include "devices/hs6533_device.h"
#include "pages/page_fixture.h"
#include "devices/recording_audio_effects.h"
#include "devsim/simulator.h"
#include "pages/headset_view.h"
#include "platform/paths.h"
#include "profiles/profile_list_store.h"
#include "profiles/program_folders.h"
#include "support/temp_dir.h"
#include "ui/device_profile.h"
#include "ui/light_control.h"
#include "ui/qt_app.h"

namespace kestrion {
namespace {

using test::waitFor;
using testing_support::RecordingAudioEffects;
using Write = RecordingAudioEffects::Write;

constexpr int kHeadsetKind = 7;

class HeadsetDevicePage : public testing::Test {
protected:
    void build(std::unique_ptr<audio::AudioEffects> effects)
    {
        setProgramDataDir(KESTRION_SOURCE_ROOT "/DefaultData");
        device.setPageSetup(test::pageSetupOf(kHeadsetKind, dataFolder.path() + "/"));
        device.setHost(&mainWindow);
        device.setSelectorEntry(&selector);
        device.setAudioEffects(std::move(effects));
        device.prepare();
        view = std::make_unique<HeadsetView>(device);
        view->setLanguage(language);
        ASSERT_TRUE(view->build(real.skin, real.factory));
        ASSERT_TRUE(settle());
    }

    void plug()
    {
        ASSERT_TRUE(sim.plug(devsim::Port::Headset));
        ASSERT_TRUE(device.attachCommandLink(sim.commandPath(devsim::Port::Headset), kHeadsetKind));
        // The headset's one interface carries its notices as well as the command replies; the
        // main window opens it twice, as here.
        ASSERT_TRUE(device.attachNotificationLink(sim.notificationPath(devsim::Port::Headset), kHeadsetKind));
        device.readAll();
        ASSERT_TRUE(settle());
    }

    bool settle() { return waitFor([&] { return !device.hasDeviceWork(); }, 15000); }

    template <typename T>
    T* find(const QString& name) const
    {
        return view->content()->findChild<T*>(name);
    }

    test::QtApp app;
    test::RealSkin real;
    test::TempDir dataFolder;
    devsim::Simulator sim{virtualHidDir()};
    test::RecordingMainWindow mainWindow;
    CQuellonHS6533Device device;
    test::TestSelector selector{device};
    const ui::LanguageManager* language = nullptr;
    // Goes before the device it shows.
    std::unique_ptr<HeadsetView> view;
};

TEST_F(HeadsetDevicePage, WithoutAudioTheHidSideStandsAloneAndThePageSaysSo)
{
    build(nullptr);
    plug();
    EXPECT_EQ(view->lightButtons().size(), 13);
    ASSERT_NE(view->lightEditor(), nullptr);
    ASSERT_NE(view->profileSelector(), nullptr);
    EXPECT_EQ(device.modeCodes(), (std::vector<int>{0, 1, 2, 3}));
    EXPECT_FALSE(device.audioAvailable());
    EXPECT_FALSE(find<QLabel>("audio_unavailable_label")->isHidden());
    EXPECT_FALSE(find<QWidget>("hs_eq_panel")->isEnabled());
    EXPECT_FALSE(find<QWidget>("hs_magic_panel")->isEnabled());
}

TEST_F(HeadsetDevicePage, NoticeOfAChangeRereadsTheSettingsHalfASecondLater)
{
    build(nullptr);
    plug();
    ASSERT_TRUE(sim.writeMemory(devsim::Product::Headset, devsim::Area::Settings, 0, {1}));
    ASSERT_TRUE(sim.writeMemory(devsim::Product::Headset, devsim::Area::Settings, 25 + pad_page::kRed, {0x42}));
    mainWindow.messages.clear();

    sim.sendNotification(devsim::Port::Headset, CQuellonMousePadDevice::kSynchroniseCode);
    ASSERT_TRUE(waitFor([&] { return !mainWindow.messages.empty(); }, 3000));
    EXPECT_NE(std::find(selector.armed.begin(), selector.armed.end(),
                        std::pair<int, int>{kTimerReread, CQuellonMousePadDevice::kRereadDelayMs}),
              selector.armed.end());
    EXPECT_EQ(mainWindow.messages, (std::vector<test::Message>{{ui::WM_USB_MAINMESS_PROFILE_INDEX, 1, 0}}));
    EXPECT_EQ(device.pageImage()[pad_page::kRed], 0x42);
}

TEST_F(HeadsetDevicePage, TabTitlesFollowALanguageSwitch)
{
    language = &real.language;
    build(nullptr);
    real.language.apply(view.get());  // as the main window does with a page it built
    auto* tabs = find<QTabWidget>("hs_function_tabs");
    ASSERT_EQ(tabs->count(), 3);
    const auto titles = [&] { return QStringList{tabs->tabText(0), tabs->tabText(1), tabs->tabText(2)}; };
    EXPECT_EQ(titles(), (QStringList{"Lighting", "Equaliser", "Voice effects"}));

    // What the settings window does when the user picks another language.
    ASSERT_TRUE(real.language.load("lan_cn.xml"));
    EXPECT_EQ(titles(), (QStringList{"灯光", "均衡器", "变声"}));
    ASSERT_TRUE(real.language.load("lan_en.xml"));
    EXPECT_EQ(tabs->tabText(1), QStringLiteral("Equaliser"));
}

// The twelve reports of one frame, most recent last, from what the simulator logged.
std::vector<std::vector<std::uint8_t>> lastFrame(const devsim::Simulator& sim)
{
    const std::vector<devsim::HostReport> reports = sim.headsetLightReports();
    std::vector<std::vector<std::uint8_t>> frame;
    for (std::size_t i = reports.size() >= 12 ? reports.size() - 12 : 0; i < reports.size(); ++i)
        frame.push_back(reports[i].bytes);
    return frame;
}

TEST_F(HeadsetDevicePage, LightingChangedOnThePageReachesTheHeadsetAsTwelveReports)
{
    build(nullptr);
    plug();
    LightInfo light = device.profile().GetLightInfo();
    light.mode = 0;  // static
    light.red = 200;
    light.green = 0;
    light.blue = 90;
    view->lightEditor()->showLight(light);
    device.applyLight(light);

    // The frame the preview paints once the lighting thread took the change: every LED the same.
    const auto frameIsTheNewColour = [&] {
        device.pushLightFrame();
        settle();
        const auto frame = lastFrame(sim);
        if (frame.size() != 12)
            return false;
        const std::uint8_t red = frame[0][3];
        return red > 0 && frame[0][4] == 0 && frame[0][5] > 0 && frame[0][5] < red;
    };
    ASSERT_TRUE(waitFor(frameIsTheNewColour, 5000));

    const auto frame = lastFrame(sim);
    const std::vector<std::pair<int, int>> order = {{0x22, 0xAA}, {0x22, 0xAD}, {0x44, 0xAA}, {0x44, 0xAD},
                                                    {0x22, 0xAB}, {0x22, 0xAE}, {0x44, 0xAB}, {0x44, 0xAE},
                                                    {0x22, 0xAC}, {0x22, 0xAF}, {0x44, 0xAC}, {0x44, 0xAF}};
    const std::uint8_t red = frame[0][3], blue = frame[0][5];
    const std::vector<std::uint8_t> pattern = {red, 0, blue};
    for (std::size_t i = 0; i < order.size(); ++i) {
        ASSERT_EQ(frame[i].size(), 11u);
        EXPECT_EQ(frame[i][0], 0xFF);
        EXPECT_EQ(frame[i][1], order[i].first) << i;
        EXPECT_EQ(frame[i][2], order[i].second) << i;
        // Each zone's bytes run red, green, blue from the zone's first byte: part 0xAB starts at
        // zone byte 7 (green), 0xAC at 14 (blue), 0xAD at 21, 0xAE at 27, 0xAF at 33 (red).
        const std::size_t first = std::vector<std::size_t>{0, 7, 14, 21, 27, 33}[frame[i][2] - 0xAA];
        const std::size_t count = frame[i][2] <= 0xAC ? 7 : 6;
        for (std::size_t b = 0; b < 8; ++b)
            EXPECT_EQ(frame[i][3 + b], b < count ? pattern[(first + b) % 3] : 0) << "report " << i << " byte " << b;
    }
}

class HeadsetAudioPage : public HeadsetDevicePage {
protected:
    void SetUp() override
    {
        auto effects = std::make_unique<RecordingAudioEffects>();
        effects->unsupported = {"MagicVoice_Selection"};
        fake = effects.get();
        build(std::move(effects));
        plug();
    }

    RecordingAudioEffects* fake = nullptr;
};

TEST_F(HeadsetAudioPage, PresetChosenOnThePageIsWrittenBandByBandAndKeptInTheProfile)
{
    ASSERT_TRUE(device.audioAvailable());
    EXPECT_TRUE(find<QLabel>("audio_unavailable_label")->isHidden());
    fake->writes.clear();
    find<QAbstractButton>("6533_eq_option_3")->click();
    ASSERT_TRUE(settle());

    const std::vector<int> gains = {10, 4, 0, -3, -4, -3, -2, -1, 0, 0};
    std::vector<Write> expected = {{"Enable_EQ_GFX", {1, -1}}};
    for (std::size_t band = 0; band < gains.size(); ++band) {
        expected.push_back({"EQ_Slider" + std::to_string(band + 1), {double(gains[band]), -1}});
        EXPECT_EQ(find<QSlider>(QString("6533_eq_hz_slider_%1").arg(band))->value(), gains[band]);
    }
    EXPECT_EQ(fake->writes, expected);
    EXPECT_TRUE(find<QAbstractButton>("6533_eq_option_3")->isChecked());

    CHs6533Profiledata saved;
    saved.LoadProfile(device.headsetProfile().GetProfilePath());
    EXPECT_EQ(saved.GetSystemSetStages().eqType, 3);
}

TEST_F(HeadsetAudioPage, ControlsTheBackEndLacksAreDisabledAndAFailedWriteIsToldAndNotKept)
{
    QWidget* options = find<QWidget>("hs_magic_options");
    EXPECT_FALSE(options->isEnabled());
    EXPECT_FALSE(options->toolTip().isEmpty());
    EXPECT_TRUE(find<QWidget>("magic_enable_option")->isEnabled());

    const int before = device.headsetProfile().GetSystemSetStages().micInSelect;
    fake->failing = {"MuteControl"};
    find<QAbstractButton>("6533_MicIn_option")->click();
    ASSERT_TRUE(settle());
    EXPECT_EQ(mainWindow.notices, QStringList{QStringLiteral("audio_write_failed_text")});
    EXPECT_EQ(device.headsetProfile().GetSystemSetStages().micInSelect, before);
    EXPECT_EQ(find<QAbstractButton>("6533_MicIn_option")->isChecked(), before != 0) << "the switch goes back";
}

TEST_F(HeadsetAudioPage, CustomPresetsAreSavedUnderTheirNameAndDeletingOneKeepsTheOthersBands)
{
    find<QAbstractButton>("6533_eq_option_13")->click();
    ASSERT_TRUE(settle());
    auto* name = find<QLineEdit>("custom_eq_name_edit");
    auto* list = find<QComboBox>("custom_eq_name_combo");
    const auto saveAs = [&](const char* text, int firstBand) {
        find<QSlider>("6533_eq_hz_slider_0")->setValue(firstBand);
        ASSERT_TRUE(settle());
        name->setText(QString::fromUtf8(text));
        find<QAbstractButton>("hs_EQ_btn_save")->click();
    };
    saveAs("", 1);
    EXPECT_EQ(mainWindow.notices, QStringList{QStringLiteral("message_text_5_1")}) << "a preset needs a name";
    saveAs("Bass", 4);
    saveAs("Voice", 6);
    saveAs("Bass", 5);  // the same name: overwritten, not added
    ASSERT_EQ(list->count(), 2);
    EXPECT_EQ(device.headsetProfile().GetCustomEqValues(0)[0], 5);
    EXPECT_EQ(device.headsetProfile().GetCustomEqValues(1)[0], 6);

    list->setCurrentIndex(0);
    find<QAbstractButton>("hs_EQ_btn_delete")->click();
    ASSERT_TRUE(settle());
    CHs6533Profiledata saved;
    saved.LoadProfile(device.headsetProfile().GetProfilePath());
    EXPECT_EQ(saved.GetCustomEqNames(), std::vector<std::string>{"Voice"});
    EXPECT_EQ(saved.GetCustomEqValues(0)[0], 6) << "the later preset moved up with its bands";

    fake->writes.clear();
    list->setCurrentIndex(0);
    emit list->activated(0);
    ASSERT_TRUE(settle());
    ASSERT_EQ(fake->writes.size(), 11u);
    EXPECT_EQ(fake->writes[1], (Write{"EQ_Slider1", {6, -1}}));
    EXPECT_EQ(device.headsetProfile().GetSystemSetStages().customEqSelectIndex, 0);
}

TEST_F(HeadsetAudioPage, MicrophoneLevelShowsTheVolumeTheBackEndReadsBack)
{
    fake->readable = {"VolumeControl", {-12.345, -1}};
    fake->writes.clear();
    find<QSlider>("6533_MicIn_slider")->setValue(42);
    ASSERT_TRUE(settle());
    EXPECT_EQ(fake->writes, (std::vector<Write>{{"VolumeScalarControl", {0.42, -1}}}));
    EXPECT_EQ(find<QLabel>("6533_MicIn_value")->text(), QStringLiteral("-12.35"));
    EXPECT_EQ(device.headsetProfile().GetSystemSetStages().micInValue, 42);
}

// What a profile's sound settings send: the equaliser bands, then the microphone and monitoring
// levels and mutes, then the voice effect (the fixture's back end has no voice selection).
std::vector<Write> profileWrites(const std::vector<int>& bands, std::vector<Write> mic)
{
    std::vector<Write> writes = {{"Enable_EQ_GFX", {1, -1}}};
    for (std::size_t band = 0; band < bands.size(); ++band)
        writes.push_back({"EQ_Slider" + std::to_string(band + 1), {double(bands[band]), -1}});
    writes.insert(writes.end(), mic.begin(), mic.end());
    writes.push_back({"Enable_MAGICVOICE", {0, -1}});
    return writes;
}

TEST_F(HeadsetAudioPage, FirstReadAndEveryProfileChoiceSendTheProfilesSoundSettings)
{
    // The factory profile: preset 1, the microphone on at 80, the monitoring muted at 50.
    EXPECT_EQ(fake->writes, profileWrites({7, 11, 2, -3, -1, 4, 9, 12, 9, 5},
                                          {{"VolumeScalarControl", {0.8, -1}}, {"MuteControl", {0, -1}},
                                           {"AAVolumeScalarControl", {0.5, -1}}, {"AAMuteControl", {1, -1}}}));

    ProfileListStore& store = *device.profileList();
    ASSERT_EQ(store.add(), ProfileAddResult::Added);
    CHs6533Profiledata other;
    other.SetProfilePath(store.documentPath(1));
    other.LoadProfile(store.documentPath(1));
    other.SetCustomEqNames({"Mine"});
    other.SetCustomEqValues(0, EqBands{-6, 0, 1, 2, 3, 4, 5, 6, 7, 8});
    HeadsetSystemSetStages stages{};
    stages.eqType = 13;
    stages.customEqSelectIndex = 0;
    stages.micInSelect = 0;
    stages.micInValue = 30;
    stages.micMonitorSelect = 1;
    stages.micMonitorValue = 70;
    other.SetSystemSetStages(stages);
    other.SaveProfile();

    fake->writes.clear();
    view->profileSelector()->selectProfile(1);
    ASSERT_TRUE(settle());
    EXPECT_EQ(fake->writes, profileWrites({-6, 0, 1, 2, 3, 4, 5, 6, 7, 8},
                                          {{"VolumeScalarControl", {0.3, -1}}, {"MuteControl", {1, -1}},
                                           {"AAVolumeScalarControl", {0.7, -1}}, {"AAMuteControl", {0, -1}}}));
    EXPECT_TRUE(find<QAbstractButton>("6533_eq_option_13")->isChecked());
    EXPECT_TRUE(mainWindow.notices.isEmpty());

    fake->failing = {"AAMuteControl"};
    fake->writes.clear();
    view->profileSelector()->selectProfile(0);
    ASSERT_TRUE(settle());
    EXPECT_EQ(mainWindow.notices, QStringList{QStringLiteral("audio_write_failed_text")});
    EXPECT_EQ(fake->writes.size(), 15u) << "the rest of the profile still went";
    EXPECT_EQ(device.headsetProfile().GetSystemSetStages().eqType, 1);
}

TEST_F(HeadsetAudioPage, ResetAsksFirstThenBringsTheHeadsetThePageAndTheProfileBack)
{
    find<QAbstractButton>("6533_eq_option_3")->click();
    find<QAbstractButton>("6533_MicMoniter_option")->click();
    find<QSlider>("6533_MicIn_slider")->setValue(30);
    find<QAbstractButton>("magic_enable_option")->click();
    ASSERT_TRUE(settle());
    ASSERT_TRUE(find<QAbstractButton>("magic_enable_option")->isChecked());
    fake->writes.clear();

    auto* reset = find<QAbstractButton>("hs_audio_btn_reset");
    ASSERT_TRUE(reset->isEnabled());
    mainWindow.answer = false;
    reset->click();
    ASSERT_TRUE(settle());
    EXPECT_EQ(mainWindow.questions, QStringList{QStringLiteral("hs_audio_reset_ask_text")});
    EXPECT_TRUE(fake->writes.empty()) << "declined: nothing happens";
    EXPECT_TRUE(find<QAbstractButton>("6533_eq_option_3")->isChecked());

    mainWindow.answer = true;
    fake->readable = {"VolumeControl", {0, -1}};
    reset->click();
    ASSERT_TRUE(settle());
    ASSERT_FALSE(fake->writes.empty());
    EXPECT_EQ(fake->writes.front().property, "XearSurrHP_Enable");
    EXPECT_EQ(fake->writes.back().property, "Enable_MAGICVOICE") << "the fixture's back end has no voice selection";

    for (int preset = 1; preset <= 13; ++preset)
        EXPECT_FALSE(find<QAbstractButton>(QString("6533_eq_option_%1").arg(preset))->isChecked()) << preset;
    for (int band = 0; band < 10; ++band)
        EXPECT_EQ(find<QSlider>(QString("6533_eq_hz_slider_%1").arg(band))->value(), 0) << band;
    EXPECT_EQ(find<QSlider>("6533_MicIn_slider")->value(), 100);
    EXPECT_TRUE(find<QAbstractButton>("6533_MicIn_option")->isChecked());
    EXPECT_TRUE(find<QAbstractButton>("6533_MicMoniter_option")->isChecked());
    EXPECT_FALSE(find<QAbstractButton>("magic_enable_option")->isChecked());
    EXPECT_EQ(find<QLabel>("6533_MicIn_value")->text(), QStringLiteral("0.00"));

    CHs6533Profiledata saved;
    saved.LoadProfile(device.headsetProfile().GetProfilePath());
    const HeadsetSystemSetStages stages = saved.GetSystemSetStages();
    EXPECT_EQ(stages.eqType, 0);
    EXPECT_EQ(stages.micInValue, 100);
    EXPECT_EQ(stages.micMonitorSelect, 1);
    EXPECT_TRUE(mainWindow.notices.isEmpty());

    fake->failing = {"MuteControl"};
    find<QAbstractButton>("6533_eq_option_2")->click();
    ASSERT_TRUE(settle());
    reset->click();
    ASSERT_TRUE(settle());
    EXPECT_EQ(mainWindow.notices, QStringList{QStringLiteral("audio_write_failed_text")});
    EXPECT_TRUE(find<QAbstractButton>("6533_eq_option_2")->isChecked()) << "a failed reset is not kept";
}

}  // namespace
}  // namespace kestrion
