// The audio light styles in the window: the file taken at start, the styles window opened by the
// title bar's music button, its edits confirmed into the file or dropped, the profile reset.
#include <QAbstractButton>
#include <QLineEdit>
#include <QSlider>
#include <QTest>
#include <QTimer>

#include <filesystem>

#include "profiles/json_file.h"
#include "support/temp_dir.h"
#include "shell/main_window/window_fixture.h"
#include "ui/device_profile.h"
#include "ui/music_window.h"

namespace kestrion::test {
namespace {

class AudioStylesWindow : public Application {
protected:
    void SetUp() override
    {
        Application::SetUp();
        std::filesystem::remove(stylesPath());
    }

    static std::string stylesPath() { return userDataFolder() + "/AudioFile.json"; }

    // Runs `edit` on the open styles window once the music button opened it.
    bool withStylesWindow(const std::function<void(ui::MusicWnd&)>& edit)
    {
        bool seen = false;
        QTimer::singleShot(0, &window, [&] {
            if (!waitFor([&] { return window.audioStyleWindow() != nullptr; }))
                return;
            seen = true;
            edit(*window.audioStyleWindow());
        });
        QTest::mouseClick(find("music_setting_btn"), Qt::LeftButton);
        return waitFor([&] { return seen && !window.audioStyleWindow(); });
    }

    template <typename T>
    static T* in(ui::MusicWnd& styles, const char* name)
    {
        T* found = styles.findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(found, nullptr) << name;
        return found;
    }
};

TEST_F(AudioStylesWindow, StartCopiesTheFactoryFileAndShowsTheButton)
{
    ASSERT_TRUE(start());
    EXPECT_EQ(LoadJsonFile(stylesPath()), LoadJsonFile(KESTRION_SOURCE_ROOT "/DefaultData/AudioFile.json"));
    EXPECT_EQ(window.audioStyles().names[1], "第二组");
    EXPECT_TRUE(window.isControlShown("music_setting_btn"));
}

TEST_F(AudioStylesWindow, ConfirmedEditsAreKeptAndSaved)
{
    ASSERT_TRUE(start());
    ui::MusicWnd* opened = nullptr;
    ASSERT_TRUE(withStylesWindow([&](ui::MusicWnd& styles) {
        opened = &styles;
        EXPECT_EQ(in<QSlider>(styles, "audio_r_slider")->maximum(), 9);
        EXPECT_TRUE(in<QAbstractButton>(styles, "audio_select_tab1")->isChecked());
        EXPECT_EQ(in<QSlider>(styles, "audio_r_slider")->value(), 9);
        EXPECT_EQ(in<QLineEdit>(styles, "audio_edit_name3")->text(), "第三组");
        window.openAudioStyles();  // a second click while it is open does nothing
        EXPECT_EQ(window.audioStyleWindow(), opened);

        QTest::mouseClick(in<QAbstractButton>(styles, "audio_select_tab3"), Qt::LeftButton);
        EXPECT_EQ(in<QSlider>(styles, "audio_b_slider")->value(), 9);
        in<QSlider>(styles, "audio_r_slider")->setValue(3);
        in<QSlider>(styles, "audio_b_slider")->setValue(7);
        auto* name = in<QLineEdit>(styles, "audio_edit_name2");
        name->clear();
        emit name->editingFinished();
        EXPECT_EQ(name->text(), "Style 2");
        QTest::mouseClick(in<QAbstractButton>(styles, "okbtn"), Qt::LeftButton);
    }));
    EXPECT_EQ(window.audioStyles().active, 2);
    EXPECT_EQ(window.audioStyles().activeColour(), (AudioStyles::Colour{3, 0, 7}));
    AudioStyleFile stored(stylesPath(), "");
    EXPECT_EQ(stored.load(), window.audioStyles());
    EXPECT_EQ(stored.load().names[1], "Style 2");
}

TEST_F(AudioStylesWindow, ClosingDropsTheEdits)
{
    ASSERT_TRUE(start());
    const std::string before = readFile(stylesPath());
    ASSERT_TRUE(withStylesWindow([&](ui::MusicWnd& styles) {
        QTest::mouseClick(in<QAbstractButton>(styles, "audio_select_tab4"), Qt::LeftButton);
        in<QSlider>(styles, "audio_g_slider")->setValue(1);
        QTest::mouseClick(in<QAbstractButton>(styles, "closebtn"), Qt::LeftButton);
    }));
    EXPECT_EQ(window.audioStyles().active, 0);
    EXPECT_EQ(readFile(stylesPath()), before);
}

TEST_F(AudioStylesWindow, ResettingTheProfileResetsTheStyles)
{
    ASSERT_TRUE(start());
    ASSERT_TRUE(withStylesWindow([&](ui::MusicWnd& styles) {
        QTest::mouseClick(in<QAbstractButton>(styles, "audio_select_tab2"), Qt::LeftButton);
        QTest::mouseClick(in<QAbstractButton>(styles, "okbtn"), Qt::LeftButton);
    }));
    ASSERT_EQ(window.audioStyles().active, 1);
    sim.command("plug cable");
    ASSERT_TRUE(mouseOnline(true));
    ASSERT_TRUE(waitFor([&] { return !window.mouse()->hasDeviceWork(); }, 5000));
    ui::CDeviceProfileUI* selector = mouseView()->profileSelector();
    ASSERT_NE(selector, nullptr);
    selector->setPrompter([](const QString&, int, const QString&) { return 1; });
    window.notify({"click", "device_reset_btn", selector->button("device_reset_btn")});
    EXPECT_TRUE(waitFor([&] { return window.audioStyles().active == 0; }));
    EXPECT_EQ(LoadJsonFile(stylesPath()), LoadJsonFile(KESTRION_SOURCE_ROOT "/DefaultData/AudioFile.json"));
}

}  // namespace
}  // namespace kestrion::test
