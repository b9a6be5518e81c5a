// The music light part of the lighting editor, as the real skin builds it.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QComboBox>
#include <QLineEdit>
#include <QSignalSpy>
#include <QVBoxLayout>

#include "ui/colour_palette.h"
#include "ui/light_control.h"
#include "ui/qt_app.h"

namespace kestrion::test {
namespace {

AudioLightInfo record(std::uint8_t mode, std::uint8_t colorType)
{
    AudioLightInfo light{};
    light.audioMode = mode;
    light.backRed = 10;
    light.backGreen = 20;
    light.backBlue = 30;
    light.foreRed = 200;
    light.foreGreen = 100;
    light.foreBlue = 50;
    light.sevenColor = 1;
    light.colorType = colorType;
    return light;
}

class LightAudioTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        editor.reset(qobject_cast<ui::CLightControlUI*>(real.factory.createWidget("LightControl", nullptr, "LightControlItem")));
        ASSERT_NE(editor, nullptr);
    }

    template <typename T>
    T* control(const char* name) const
    {
        T* found = editor->findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(found, nullptr) << name;
        return found;
    }

    bool enabled(const char* name) const { return control<QWidget>(name)->isEnabledTo(editor.get()); }
    QString edits() const
    {
        return control<QLineEdit>("deng_audioedit_R")->text() + ',' + control<QLineEdit>("deng_audioedit_G")->text()
               + ',' + control<QLineEdit>("deng_audioedit_B")->text();
    }

    void chooseMode(int mode)
    {
        auto* modes = control<QComboBox>("light_combo_audiomodeSelect");
        modes->setCurrentIndex(mode);
        emit modes->activated(mode);
    }

    RealSkin real;
    std::unique_ptr<ui::CLightControlUI> editor;
};

TEST_F(LightAudioTest, HiddenUntilTheDeviceOffersIt)
{
    EXPECT_FALSE(control<QWidget>("light_audio_group")->isVisibleTo(editor.get()));
    editor->offerAudioLight(true);
    EXPECT_TRUE(control<QWidget>("light_audio_group")->isVisibleTo(editor.get()));
}

TEST_F(LightAudioTest, ShowsTheEditedColourAndItsOptions)
{
    ASSERT_TRUE(editor->showAudioLight(record(2, 1)));
    EXPECT_EQ(control<QComboBox>("light_combo_audiomodeSelect")->currentIndex(), 2);
    EXPECT_TRUE(control<QAbstractButton>("audio_FgColor_check")->isChecked());
    EXPECT_TRUE(control<QAbstractButton>("deng_7audiocolor_check")->isChecked());
    EXPECT_EQ(edits(), "200,100,50");
    EXPECT_EQ(control<ui::CColourPaletteUI>("deng_audioColor_Pallet")->selectedColour(), QColor(200, 100, 50));

    ASSERT_TRUE(editor->showAudioLight(record(1, 0)));
    EXPECT_TRUE(control<QAbstractButton>("audio_BkColor_check")->isChecked());
    EXPECT_EQ(edits(), "10,20,30");
}

TEST_F(LightAudioTest, TheCompanionColourModeDisablesBothColourGroups)
{
    for (int mode = 0; mode < 4; ++mode) {
        editor->showAudioLight(record(static_cast<std::uint8_t>(mode), 1));
        EXPECT_EQ(enabled("light_audiocolor_layout"), mode != 3) << mode;
        EXPECT_EQ(enabled("audiocolorpallet_layout"), mode != 3) << mode;
    }
    chooseMode(0);
    chooseMode(3);
    EXPECT_FALSE(enabled("light_audiocolor_layout"));
    chooseMode(1);
    EXPECT_TRUE(enabled("audiocolorpallet_layout"));
}

TEST_F(LightAudioTest, WhichColourIsEditedFollowsTheOptions)
{
    struct Case {
        std::uint8_t shownType;
        const char* click;
        std::uint8_t expected;
    };
    const Case cases[] = {
        {1, "audio_BkColor_check", 0},
        {0, "audio_FgColor_check", 1},
        {1, "audio_FgColor_check", 1},
        {0, "audio_BkColor_check", 0},
    };
    for (const Case& c : cases) {
        editor->showAudioLight(record(1, c.shownType));
        QSignalSpy changed(editor.get(), &ui::CLightControlUI::audioLightChanged);
        control<QAbstractButton>(c.click)->click();
        ASSERT_EQ(changed.count(), 1) << c.click;
        const auto light = changed.at(0).at(0).value<AudioLightInfo>();
        EXPECT_EQ(light.colorType, c.expected) << c.click;
        // The colours stay; the edits show the one now edited.
        EXPECT_EQ(light.foreRed, 200);
        EXPECT_EQ(light.backRed, 10);
        EXPECT_EQ(edits(), c.expected ? "200,100,50" : "10,20,30");
    }
}

TEST_F(LightAudioTest, PickedAndTypedColoursGoIntoTheEditedColour)
{
    editor->showAudioLight(record(1, 0));
    QSignalSpy changed(editor.get(), &ui::CLightControlUI::audioLightChanged);
    emit control<ui::CColourPaletteUI>("deng_audioColor_Pallet")->colourChanged(QColor(1, 2, 3));
    ASSERT_EQ(changed.count(), 1);
    EXPECT_EQ(editor->audioLight().backBlue, 3);
    EXPECT_EQ(editor->audioLight().foreBlue, 50);
    EXPECT_EQ(edits(), "1,2,3");

    control<QAbstractButton>("audiocolor_option_5")->click();  // blue
    EXPECT_EQ(editor->audioLight().backBlue, 255);
    EXPECT_EQ(editor->audioLight().backRed, 0);

    editor->showAudioLight(record(1, 1));
    auto* green = control<QLineEdit>("deng_audioedit_G");
    green->setText("300");
    emit green->editingFinished();
    EXPECT_EQ(editor->audioLight().foreGreen, 255);
    EXPECT_EQ(green->text(), "255");
    green->setText("");
    emit green->editingFinished();
    EXPECT_EQ(editor->audioLight().foreGreen, 0);
}

TEST_F(LightAudioTest, ModeAndSevenColoursTakeTheButtonColour)
{
    editor->showAudioLight(record(0, 1));
    control<QAbstractButton>("audiocolor_option_3")->click();  // green into the foreground
    QSignalSpy changed(editor.get(), &ui::CLightControlUI::audioLightChanged);
    control<QAbstractButton>("deng_7audiocolor_check")->click();
    ASSERT_EQ(changed.count(), 1);
    auto light = changed.at(0).at(0).value<AudioLightInfo>();
    EXPECT_EQ(light.sevenColor, 0);
    EXPECT_EQ(light.foreGreen, 255);
    chooseMode(2);
    light = changed.at(1).at(0).value<AudioLightInfo>();
    EXPECT_EQ(light.audioMode, 2);
    EXPECT_EQ(light.foreRed, 0);
}

TEST_F(LightAudioTest, ShowingRaisesNothing)
{
    QSignalSpy changed(editor.get(), &ui::CLightControlUI::audioLightChanged);
    editor->showAudioLight(record(3, 0));
    editor->showAudioLight(record(1, 1));
    EXPECT_EQ(changed.count(), 0);
}

// A layout without the music light's controls: both operations fail and change nothing.
TEST(LightAudioMissingControls, FailAndChangeNothing)
{
    ensureQtApp();
    ui::CLightControlUI editor;
    auto* content = new QWidget;
    auto* layout = new QVBoxLayout(content);
    auto* modes = new QComboBox;
    modes->setObjectName("light_combo_audiomodeSelect");
    modes->addItems({"0", "1", "2", "3"});
    layout->addWidget(modes);
    editor.setContent(content);
    EXPECT_FALSE(editor.showAudioLight(record(2, 1)));
    EXPECT_EQ(modes->currentIndex(), 0);
    EXPECT_EQ(editor.audioLight().audioMode, 0);
    EXPECT_FALSE(editor.readAudioLight(true));
}

}  // namespace
}  // namespace kestrion::test
