// The mouse pad's page over its device object: the real skin, the simulator in process.
#include <gtest/gtest.h>

#include <QComboBox>

#include <memory>
#include <vector>

#include "devices/mouse_pad_device.h"
#include "pages/page_fixture.h"
#include "devsim/simulator.h"
#include "pages/pad_view.h"
#include "platform/paths.h"
#include "profiles/program_folders.h"
#include "support/temp_dir.h"
#include "ui/device_profile.h"
#include "ui/light_control.h"
#include "ui/qt_app.h"

namespace kestrion {
namespace {

using test::waitFor;

constexpr int kPadKind = 3;

class PadPage : public testing::Test {
protected:
    void SetUp() override
    {
        setProgramDataDir(KESTRION_SOURCE_ROOT "/DefaultData");
        device.setPageSetup(test::pageSetupOf(kPadKind, dataFolder.path() + "/"));
        device.setHost(&mainWindow);
        device.setSelectorEntry(&selector);
        device.prepare();
        ASSERT_TRUE(sim.plug(devsim::Port::Pad));
        ASSERT_TRUE(device.attachCommandLink(sim.commandPath(devsim::Port::Pad), kPadKind));
    }

    std::unique_ptr<PadView> buildView()
    {
        auto view = std::make_unique<PadView>(device);
        view->setLanguage(&real.language);
        return view->build(real.skin, real.factory) ? std::move(view) : nullptr;
    }

    bool settle() { return waitFor([&] { return !device.hasDeviceWork(); }, 15000); }

    test::QtApp app;
    test::RealSkin real;
    test::TempDir dataFolder;
    devsim::Simulator sim{virtualHidDir()};
    test::RecordingMainWindow mainWindow;
    CQuellonMousePadDevice device;
    test::TestSelector selector{device};
};

TEST_F(PadPage, ShowsTheZonesTheModesOfThePadAndItsProfiles)
{
    const std::unique_ptr<PadView> view = buildView();
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(view->lightButtons().size(), 15);
    ASSERT_NE(view->lightEditor(), nullptr);
    ui::CDeviceProfileUI* profiles = view->profileSelector();
    ASSERT_NE(profiles, nullptr);
    EXPECT_EQ(profiles->selector()->count(), device.profileList()->count());
    auto* modes = view->lightEditor()->findChild<QComboBox*>(QStringLiteral("light_combo_modeSelect"));
    ASSERT_NE(modes, nullptr);
    ASSERT_GE(modes->count(), static_cast<int>(device.lightModes().size()));
    for (std::size_t i = 0; i < device.lightModes().size(); ++i)
        EXPECT_EQ(modes->itemData(static_cast<int>(i)).toString(), device.lightModes()[i].name) << i;
}

TEST_F(PadPage, ShowsTheProfileWhenTheReadEndsAndWhenBuiltLater)
{
    const std::unique_ptr<PadView> early = buildView();
    ASSERT_NE(early, nullptr);
    device.readAll();
    ASSERT_TRUE(settle());
    EXPECT_EQ(early->lightEditor()->light().mode, 3) << "the factory profile's spectrum";

    const std::unique_ptr<PadView> late = buildView();
    ASSERT_NE(late, nullptr);
    EXPECT_EQ(late->lightEditor()->light().mode, 3) << "a page built after the read shows the same";
}

TEST_F(PadPage, AnEditReachesThePadAndTheDeviceWorksOnWithoutItsPage)
{
    std::unique_ptr<PadView> view = buildView();
    ASSERT_NE(view, nullptr);
    device.readAll();
    ASSERT_TRUE(settle());

    LightInfo light = device.profile().GetLightInfo();
    light.mode = 0;
    light.red = 0x21;
    emit view->lightEditor()->lightChanged(light);
    ASSERT_TRUE(settle());
    std::vector<std::uint8_t> written;
    ASSERT_TRUE(sim.readMemory(devsim::Product::Pad, devsim::Area::Settings, 0, pad_page::kSize, written));
    EXPECT_EQ(written[pad_page::kRed], 0x21);

    view.reset();
    light.red = 0x22;
    device.applyLight(light);
    ASSERT_TRUE(settle());
    ASSERT_TRUE(sim.readMemory(devsim::Product::Pad, devsim::Area::Settings, 0, pad_page::kSize, written));
    EXPECT_EQ(written[pad_page::kRed], 0x22);
    EXPECT_TRUE(mainWindow.notices.isEmpty());
}

}  // namespace
}  // namespace kestrion
