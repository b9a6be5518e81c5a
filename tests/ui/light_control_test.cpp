#include <gtest/gtest.h>

#include <QAbstractSlider>
#include <QSignalSpy>

#include "ui/light_control.h"
#include "ui/qt_app.h"

namespace kestrion::test {
namespace {

// The lighting editor as the skin builds it, outside any device page.
class LightControlTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        editor.reset(qobject_cast<ui::CLightControlUI*>(real.factory.createWidget("LightControl", nullptr, "LightControlItem")));
        ASSERT_NE(editor, nullptr);
        editor->fillModes({"a", "b", "c", "d", "e", "f", "g", "h", "i", "j", "k"}, std::vector<bool>(11, true), 4, 4);
    }

    bool shown(const char* name) const
    {
        auto* widget = editor->findChild<QWidget*>(name);
        return widget && widget->isVisibleTo(editor.get());
    }

    void showMode(int mode)
    {
        LightInfo light{};
        light.mode = static_cast<std::uint8_t>(mode);
        editor->showLight(light);
    }

    RealSkin real;
    std::unique_ptr<ui::CLightControlUI> editor;
};

TEST_F(LightControlTest, SameLightingShowsOnlyWhenOfferedAndTheModeHasIt)
{
    showMode(6);
    EXPECT_FALSE(shown("deng_same_mode"));
    editor->setSameModeOffered(true);
    EXPECT_TRUE(shown("deng_same_mode"));
    showMode(7);
    EXPECT_FALSE(shown("deng_same_mode"));
}

TEST_F(LightControlTest, KeyboardModesShowTheirLayouts)
{
    editor->setDeviceKind(1);
    showMode(16);
    EXPECT_FALSE(shown("deng_speed_layout"));
    showMode(0);
    EXPECT_TRUE(shown("deng_speed_layout"));
}

// Showing a record raises nothing; a user's change raises the edited record.
TEST_F(LightControlTest, OnlyUserChangesRaiseTheRecord)
{
    QSignalSpy changed(editor.get(), &ui::CLightControlUI::lightChanged);
    LightInfo light{};
    light.mode = 1;
    light.brightness = 2;
    light.zzccLedMode = 9;
    editor->showLight(light);
    EXPECT_EQ(changed.count(), 0);
    auto* slider = editor->findChild<QAbstractSlider*>("deng_speed_slider");
    slider->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    ASSERT_EQ(changed.count(), 1);
    const auto edited = changed.takeFirst().at(0).value<LightInfo>();
    EXPECT_EQ(edited.speed, 1);
    EXPECT_EQ(edited.brightness, 2);
    EXPECT_EQ(edited.zzccLedMode, 9);
}

}  // namespace
}  // namespace kestrion::test
