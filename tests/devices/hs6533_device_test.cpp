// The headset's device object with no widget at all: the simulator on its real socket
// transport, a recording audio back end, real threads.
#include <gtest/gtest.h>

#include <vector>

#include "devices/hs6533_device.h"
#include "devices/recording_audio_effects.h"
#include "devsim/simulator.h"
#include "platform/paths.h"
#include "profiles/program_folders.h"
#include "support/device_doubles.h"
#include "support/temp_dir.h"

namespace kestrion {
namespace {

using test::waitFor;
using testing_support::RecordingAudioEffects;

constexpr int kHeadsetKind = 7;

class HeadsetDriver : public testing::Test {
protected:
    void SetUp() override
    {
        test::ensureCoreApp();
        setProgramDataDir(KESTRION_SOURCE_ROOT "/DefaultData");
        device.setPageSetup(test::pageSetupOf(kHeadsetKind, dataFolder.path() + "/"));
        device.setHost(&host);
        device.setSelectorEntry(&selector);
        auto effects = std::make_unique<RecordingAudioEffects>();
        fake = effects.get();
        device.setAudioEffects(std::move(effects));
        QObject::connect(&device, &CQuellonHS6533Device::eqTypeShown, [this](int type) { shownTypes.push_back(type); });
        device.prepare();
        ASSERT_TRUE(sim.plug(devsim::Port::Headset));
        ASSERT_TRUE(device.attachCommandLink(sim.commandPath(devsim::Port::Headset), kHeadsetKind));
        device.readAll();
        ASSERT_TRUE(settle());
    }

    bool settle() { return waitFor([&] { return !device.hasDeviceWork(); }, 15000); }

    test::TempDir dataFolder;
    devsim::Simulator sim{virtualHidDir()};
    test::RecordingHost<> host;
    CQuellonHS6533Device device;
    test::TestSelector selector{device};
    RecordingAudioEffects* fake = nullptr;
    std::vector<int> shownTypes;
};

TEST_F(HeadsetDriver, APresetIsWrittenKeptAndAnnouncedWithoutAPage)
{
    ASSERT_TRUE(device.audioAvailable());
    fake->writes.clear();
    device.applyEqPreset(3);
    ASSERT_TRUE(settle());
    ASSERT_EQ(fake->writes.size(), 11u) << "the equaliser switched on, then its ten bands";
    EXPECT_EQ(shownTypes, std::vector<int>{3});
    CHs6533Profiledata saved;
    saved.LoadProfile(device.headsetProfile().GetProfilePath());
    EXPECT_EQ(saved.GetSystemSetStages().eqType, 3);
}

TEST_F(HeadsetDriver, ItsLightsRunOnWithNoWindowShown)
{
    device.setLightControl(true);
    device.setWindowHidden(true);
    LightInfo light = *device.lightRecord();
    light.mode = 1;  // breathing: every frame differs
    device.applyLight(light);
    ASSERT_TRUE(waitFor([&] { return sim.headsetLightReports().size() > 24; }, 5000));
    const std::size_t first = sim.headsetLightReports().size();
    EXPECT_TRUE(waitFor([&] { return sim.headsetLightReports().size() > first + 24; }, 5000))
        << "frames keep reaching the ear cups while hidden";
}

TEST_F(HeadsetDriver, ACustomPresetNeedsANameAndDeletingOneMovesTheLaterOnesUp)
{
    device.saveCustomPreset(QStringLiteral("  "), EqBands{1});
    EXPECT_EQ(host.notices, QStringList{QStringLiteral("message_text_5_1")});
    device.saveCustomPreset(QStringLiteral("Bass"), EqBands{4});
    device.saveCustomPreset(QStringLiteral(" Voice "), EqBands{6});
    EXPECT_EQ(device.headsetProfile().GetCustomEqNames(), (std::vector<std::string>{"Bass", "Voice"}));
    device.deleteCustomPreset(0);
    ASSERT_TRUE(settle());
    EXPECT_EQ(device.headsetProfile().GetCustomEqNames(), std::vector<std::string>{"Voice"});
    EXPECT_EQ(device.customPresetBands(0)[0], 6);
    device.deleteCustomPreset(5);
    EXPECT_EQ(device.headsetProfile().GetCustomEqNames().size(), 1u) << "an index past the list changes nothing";
}

}  // namespace
}  // namespace kestrion
