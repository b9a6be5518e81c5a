// What a new user meets on the window: every shown control does what it shows, through real key
// presses, clicks, wheel turns and drags on the real skin, over devsim as its own process.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QSettings>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QSignalSpy>
#include <QStackedWidget>
#include <QTest>
#include <QWheelEvent>

#include <cstdlib>
#include <filesystem>

#include "shell/main_window/window_fixture.h"
#include "shell/tray.h"
#include "ui/device_profile.h"
#include "ui/focus_ring.h"
#include "ui/language_switch.h"
#include "ui/message_box.h"
#include "ui/settings_window.h"
#include "ui/update_fakes.h"
#include "ui/update_model.h"
#include "ui/skin_frame.h"
#include "ui/skin_settings.h"
#include "support/temp_dir.h"

namespace kestrion {
namespace {

using test::Application;
using test::pause;
using test::waitFor;

constexpr int kLightingTab = 1;
constexpr int kKeysTab = 2;
constexpr int kPerformanceTab = 4;
constexpr int kReportRateByte = 11;

class WindowControls : public Application {
protected:
    template <typename T = QWidget>
    T* find(const char* name) const
    {
        return window.findChild<T*>(QString::fromLatin1(name));
    }

    // The mouse on its cable, read and shown.
    bool plugCable()
    {
        sim.command("plug cable");
        return mouseOnline(true) && waitFor([&] { return window.mouse()->dpiRange().has_value(); });
    }

    int functionPage() const
    {
        auto* pages = find<QStackedWidget>("mouse_function_switch");
        return pages ? pages->currentWidget()->property("functionPage").toInt() : -1;
    }

    bool checked(const char* name) const
    {
        auto* button = find<QAbstractButton>(name);
        return button && button->isChecked();
    }

    QString textOf(const char* name) const
    {
        auto* label = find<QLabel>(name);
        return label ? label->text() : QString();
    }

    QString text(const char* id) const { return real.language.text(QString::fromLatin1(id)); }

    bool activate()
    {
        window.activate();
        return QTest::qWaitForWindowActive(&window);
    }
};

TEST_F(WindowControls, TabsSwitchThePageAndTheFirstShownTabOpensIt)
{
    ASSERT_TRUE(start());
    ASSERT_TRUE(plugCable());
    // The page opens on the buttons tab; the macros tab is shown too.
    EXPECT_TRUE(window.isControlShown("macro_Op_tab"));
    EXPECT_EQ(functionPage(), kKeysTab);
    EXPECT_TRUE(checked("key_Op_tab"));
    EXPECT_TRUE(find("device_setkeyinfo_list")->isVisible());

    QTest::mouseClick(find("system_Op_tab"), Qt::LeftButton);
    EXPECT_EQ(functionPage(), kPerformanceTab);
    EXPECT_TRUE(checked("system_Op_tab"));
    EXPECT_FALSE(checked("deng_Op_tab"));
    EXPECT_TRUE(find("DPI_slider_0")->isVisible());

    QTest::mouseClick(find("macro_Op_tab"), Qt::LeftButton);
    EXPECT_TRUE(find("MacroControlItem")->isVisible());
    EXPECT_FALSE(find("DPI_slider_0")->isVisible());

    // The logo light is reachable again.
    QTest::mouseClick(find("deng_Op_tab"), Qt::LeftButton);
    EXPECT_EQ(functionPage(), kLightingTab);
    EXPECT_TRUE(find("logo_led_mode_combo")->isVisible());
    EXPECT_FALSE(find("DPI_slider_0")->isVisible());
}

TEST_F(WindowControls, ControlsWhoseFeatureLandedAreShown)
{
    ASSERT_TRUE(start());
    ASSERT_TRUE(plugCable());
    QTest::mouseClick(find("system_Op_tab"), Qt::LeftButton);
    // The music button opens the audio light styles.
    EXPECT_TRUE(window.isControlShown("music_setting_btn"));
    // The stage colours open the colour picker.
    EXPECT_TRUE(window.isControlShown("DPI_head_colour"));
    for (int stage = 0; stage < CQuellonMouseDevice::kStageRows; ++stage)
        EXPECT_TRUE(window.isControlShown("DPI_color_option_" + QString::number(stage))) << stage;
    EXPECT_TRUE(find("DPI_slider_0")->isVisible());
    EXPECT_TRUE(window.isControlShown("minbtn"));
}

TEST_F(WindowControls, ADragAcrossTheLightsLeavesTheWindowWhereItIs)
{
    ASSERT_TRUE(start());
    ASSERT_TRUE(plugCable());
    QWidget* background = find("mouse_page_title");
    QWidget* firstLight = find("light_0");
    QWidget* lastLight = find("light_14");
    ASSERT_TRUE(background && firstLight && lastLight);

    // A drag on the window's own background moves it, and ends with the button.
    const QPoint before = window.pos();
    QTest::mousePress(background, Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
    QTest::mouseMove(background, QPoint(45, 25));
    QTest::mouseRelease(background, Qt::LeftButton, Qt::NoModifier, QPoint(45, 25));
    EXPECT_EQ(window.pos(), before + QPoint(40, 20));

    const QPoint moved = window.pos();
    const QPoint across = firstLight->mapFrom(&window, lastLight->mapTo(&window, QPoint(2, 2)));
    // The pressed light keeps the pointer; the moves it does not take go on to what holds it.
    QTest::mousePress(firstLight, Qt::LeftButton, Qt::NoModifier, QPoint(2, 2));
    for (int step = 1; step <= 4; ++step)
        QTest::mouseMove(firstLight, QPoint(2, 2) + (across - QPoint(2, 2)) * step / 4);
    QTest::mouseRelease(firstLight, Qt::LeftButton, Qt::NoModifier, across);
    EXPECT_EQ(window.pos(), moved);
}

TEST_F(WindowControls, ADpiConfirmedWithEnterIsSavedAndWrittenAtOnce)
{
    ASSERT_TRUE(start());
    ASSERT_TRUE(plugCable());
    ASSERT_TRUE(activate());
    QTest::mouseClick(find("system_Op_tab"), Qt::LeftButton);
    auto* edit = find<QLineEdit>("DPI_edit_1");
    auto* slider = find<QSlider>("DPI_slider_1");
    ASSERT_TRUE(edit && slider);
    ASSERT_TRUE(waitFor([&] { return stageOnDevice(1) >= 0; }));
    const int wanted = window.mouse()->sliderFromDpi(1600);
    ASSERT_NE(stageOnDevice(1), wanted);

    QTest::mouseClick(edit, Qt::LeftButton);
    edit->selectAll();
    QTest::keyClicks(edit, "1600");
    QTest::keyClick(edit, Qt::Key_Return);
    EXPECT_TRUE(edit->hasFocus());
    EXPECT_EQ(slider->value(), wanted);
    EXPECT_TRUE(waitFor([&] { return stageOnDevice(1) == wanted; }));
    CMouseProfiledata stored;
    stored.LoadProfile(window.mouse()->profile().GetProfilePath());
    EXPECT_EQ(stored.GetDpiStages().at(1).dpiX(), wanted);
}

// A notice is shown and whoever told it goes on at once (a nested event loop would hang here);
// the same notice told again while it shows is not stacked, and can show again once closed.
TEST_F(WindowControls, NoticesNeverWaitAndARepeatIsNotStacked)
{
    ASSERT_TRUE(start());
    window.setPromptHandler({});
    window.showNotice("message_text_7", std::nullopt);
    window.showNotice("message_text_7", std::nullopt);
    window.showNotice("message_text_26", 70);
    QList<ui::CMsgWnd*> boxes = window.findChildren<ui::CMsgWnd*>();
    ASSERT_EQ(boxes.size(), 2);
    for (const ui::CMsgWnd* box : boxes)
        EXPECT_TRUE(box->isVisible());

    boxes.front()->reject();
    ASSERT_TRUE(waitFor([&] { return window.findChildren<ui::CMsgWnd*>().size() == 1; }));
    window.showNotice("message_text_7", std::nullopt);
    window.showNotice("message_text_26", 70);
    EXPECT_EQ(window.findChildren<ui::CMsgWnd*>().size(), 2);
}

TEST_F(WindowControls, TheWheelOverAClosedDropDownChangesNothing)
{
    ASSERT_TRUE(start());
    ASSERT_TRUE(plugCable());
    QTest::mouseClick(find("system_Op_tab"), Qt::LeftButton);
    QTest::mouseClick(find("mouse_device_seting_option_1"), Qt::LeftButton);
    const std::vector<int> settings = sim.dump("settings", 0, 87);
    for (const char* name : {"Anti_Shake_combo_timeSelect", "logo_led_mode_combo"}) {
        auto* combo = find<QComboBox>(name);
        ASSERT_NE(combo, nullptr) << name;
        const int index = combo->currentIndex();
        for (const int turn : {-120, 120}) {
            const QPointF at(combo->width() / 2.0, combo->height() / 2.0);
            QWheelEvent wheel(at, combo->mapToGlobal(at), QPoint(), QPoint(0, turn), Qt::NoButton, Qt::NoModifier,
                              Qt::NoScrollPhase, false);
            QApplication::sendEvent(combo, &wheel);
            EXPECT_FALSE(wheel.isAccepted()) << name << ": the page under it gets the wheel";
        }
        EXPECT_EQ(combo->currentIndex(), index) << name;
    }
    pause(300);
    EXPECT_EQ(sim.dump("settings", 0, 87), settings);
}

TEST_F(WindowControls, WithEverythingUnpluggedNoBatteryIsShown)
{
    ui::Tray tray(real.language, QIcon());
    window.attachTray(tray);
    ASSERT_TRUE(start());
    sim.command("battery 40");
    sim.command("plug receiver");
    ASSERT_TRUE(mouseOnline(true, 5000));
    ASSERT_TRUE(waitFor([&] { return textOf("device_power_value") == "40%"; }, 5000));
    EXPECT_TRUE(window.isControlShown("device_power_switch"));
    EXPECT_TRUE(waitFor([&] { return tray.icon().toolTip().contains(real.language.textWithNumber("tray_battery_text", 40)); }));

    sim.command("unplug receiver");
    ASSERT_TRUE(mouseOnline(false));
    EXPECT_FALSE(window.isControlShown("device_power_switch"));
    EXPECT_FALSE(tray.icon().toolTip().contains("40"));
}

TEST_F(WindowControls, AReceiverWhoseMouseIsOffSaysSo)
{
    ASSERT_TRUE(start());
    sim.command("mouse off");
    sim.command("plug receiver");
    ASSERT_TRUE(waitFor([&] { return window.mouse()->commandChannel().isOpen(); }));
    pause(300);
    EXPECT_TRUE(window.isControlShown("No_device_Link"));
    EXPECT_EQ(textOf("nodevice_title_label"), text("receiver_mouse_off_text"));
    EXPECT_EQ(textOf("nodevice_hint_label"), text("receiver_mouse_off_hint_text"));

    sim.command("mouse on");
    ASSERT_TRUE(mouseOnline(true, 7000));
    EXPECT_FALSE(window.isControlShown("No_device_Link"));

    sim.command("unplug receiver");
    ASSERT_TRUE(mouseOnline(false));
    EXPECT_TRUE(window.isControlShown("No_device_Link"));
    EXPECT_EQ(textOf("nodevice_title_label"), text("no_device_link_text"));
    EXPECT_EQ(textOf("nodevice_hint_label"), text("no_device_link_hint_text"));
}

TEST_F(WindowControls, OldFirmwareWithoutTheUpdaterSaysSoAndThePageFollowsTheReceiver)
{
    QSignalSpy exits(&window, &CMainWnd::exitRequested);
    promptAnswer = 1;
    ASSERT_TRUE(start());
    sim.command("firmware 0103");
    sim.command("plug cable");
    ASSERT_TRUE(waitFor([&] { return !prompts.empty(); }, 5000));
    // No updater lies beside the test program: the prompt does not promise to run one.
    EXPECT_EQ(prompts, std::vector<std::string>{"UpdateNeedsUpdaterText"});
    EXPECT_TRUE(window.isControlShown("No_device_Link"));

    sim.command("plug receiver");
    pause(500);
    sim.command("unplug cable");
    ASSERT_TRUE(waitFor([&] { return window.mouse()->commandChannel().receiverMode(); }, 5000));
    EXPECT_TRUE(waitFor([&] { return !window.isControlShown("No_device_Link"); }));
    EXPECT_TRUE(window.entry(0)->isOnline());
    EXPECT_EQ(exits.count(), 0);
}

TEST_F(WindowControls, TheProfileMenuClosesOnAClickElsewhereAndOnEsc)
{
    ASSERT_TRUE(start());
    ASSERT_TRUE(plugCable());
    ASSERT_TRUE(activate());
    ui::CDeviceProfileUI* selector = mouseView()->profileSelector();
    QWidget* spread = find("profile_fun_spread_btn");
    ASSERT_TRUE(selector && spread);

    QTest::mouseClick(spread, Qt::LeftButton);
    ASSERT_TRUE(selector->isProfileMenuVisible());
    QTest::mouseClick(find("system_Op_tab"), Qt::LeftButton);
    EXPECT_FALSE(selector->isProfileMenuVisible());
    EXPECT_EQ(functionPage(), kPerformanceTab);

    // Clicks inside the panel leave it open; the spread button still closes it.
    QTest::mouseClick(spread, Qt::LeftButton);
    ASSERT_TRUE(selector->isProfileMenuVisible());
    QTest::mouseClick(selector->nameEdit(), Qt::LeftButton);
    EXPECT_TRUE(selector->isProfileMenuVisible());
    QTest::mouseClick(spread, Qt::LeftButton);
    EXPECT_FALSE(selector->isProfileMenuVisible());

    // Esc closes the panel and nothing else.
    QTest::mouseClick(spread, Qt::LeftButton);
    ASSERT_TRUE(selector->isProfileMenuVisible());
    QTest::keyClick(selector->nameEdit(), Qt::Key_Escape);
    EXPECT_FALSE(selector->isProfileMenuVisible());
    EXPECT_TRUE(window.isVisible());
    EXPECT_FALSE(window.mouse()->windowHidden());
}

TEST_F(WindowControls, IconButtonsAreNamedForScreenReaders)
{
    ASSERT_TRUE(start());
    ASSERT_TRUE(plugCable());
    int iconButtons = 0;
    for (QAbstractButton* button : window.findChildren<QAbstractButton*>()) {
        if (!button->isVisible() || !button->text().isEmpty())
            continue;
        ++iconButtons;
        EXPECT_FALSE(button->accessibleName().isEmpty()) << button->objectName().toStdString();
    }
    EXPECT_GT(iconButtons, 3);
    EXPECT_EQ(find("closebtn")->accessibleName(), text("close_btn_tip"));
}

TEST_F(WindowControls, TabShowsWhereTheFocusIsOnEveryKindOfControl)
{
    ASSERT_TRUE(start());
    ASSERT_TRUE(plugCable());
    ASSERT_TRUE(activate());
    auto* ring = window.findChild<ui::FocusRing*>("focus_ring");
    ASSERT_NE(ring, nullptr);
    QTest::mouseClick(find("system_Op_tab"), Qt::LeftButton);
    EXPECT_EQ(ring->target(), nullptr) << "a click shows no ring";

    bool button = false;
    bool slider = false;
    for (int i = 0; i < 80 && !(button && slider); ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QWidget* focused = QApplication::focusWidget();
        ASSERT_NE(focused, nullptr);
        ASSERT_EQ(ring->target(), focused) << focused->objectName().toStdString();
        const QRect around(ring->mapTo(&window, QPoint(0, 0)), ring->size());
        EXPECT_TRUE(around.contains(QRect(focused->mapTo(&window, QPoint(0, 0)), focused->size())));
        button = button || qobject_cast<QAbstractButton*>(focused);
        slider = slider || qobject_cast<QSlider*>(focused);
    }
    EXPECT_TRUE(button && slider);
}

TEST_F(WindowControls, EscHidesToTheTrayAndCtrlQEndsTheTool)
{
    QSignalSpy exits(&window, &CMainWnd::exitRequested);
    ASSERT_TRUE(start());
    ASSERT_TRUE(plugCable());
    ASSERT_TRUE(activate());
    QTest::keyClick(find("system_Op_tab"), Qt::Key_Escape);
    EXPECT_TRUE(window.isHidden() || window.isMinimized());
    EXPECT_TRUE(window.mouse()->windowHidden());
    EXPECT_EQ(exits.count(), 0);

    ASSERT_TRUE(activate());
    QTest::keyClick(find("system_Op_tab"), Qt::Key_Q, Qt::ControlModifier);
    EXPECT_EQ(exits.count(), 1);
}

TEST_F(WindowControls, TheTrayMenuShowsTheWindowAndSwitchesProfiles)
{
    ui::Tray tray(real.language, QIcon());
    window.attachTray(tray);
    ASSERT_TRUE(start());
    ASSERT_TRUE(plugCable());
    ui::CDeviceProfileUI* selector = mouseView()->profileSelector();
    selector->setPrompter([](const QString&, int, const QString&) { return 1; });
    selector->addProfile();
    ProfileListStore& store = *window.mouse()->profileList();
    ASSERT_EQ(store.count(), 2);
    ASSERT_EQ(store.selectedIndex(), 1);

    emit tray.menu().aboutToShow();
    auto* first = tray.menu().findChild<QAction*>("profile_0");
    auto* second = tray.menu().findChild<QAction*>("profile_1");
    ASSERT_TRUE(first && second);
    EXPECT_EQ(first->text(), selector->selector()->itemText(0));
    EXPECT_FALSE(first->isChecked());
    EXPECT_TRUE(second->isChecked());

    first->trigger();
    EXPECT_EQ(store.selectedIndex(), 0);
    EXPECT_EQ(selector->selectedIndex(), 0);
    EXPECT_EQ(window.mouse()->profile().GetProfilePath(), store.documentPath(0));

    window.hideToTray();
    tray.menu().findChild<QAction*>("show_window")->trigger();
    EXPECT_TRUE(window.isVisible() && !window.isMinimized());
}

class TitleBarWindows : public WindowControls {
protected:
    void SetUp() override
    {
        WindowControls::SetUp();
        window.setLanguageSwitch(&languages);
        window.setSkinSettings(&skins);
        ASSERT_TRUE(languages.setLanguage(0));
    }

    test::TempDir folder;
    QSettings settings{QString::fromStdString(folder.file("settings.conf")), QSettings::IniFormat};
    ui::LanguageSwitch languages{real.language, settings, KESTRION_SOURCE_ROOT "/DefaultData/Language.config"};
    ui::SkinSettings skins{QString::fromStdString(folder.path())};
};

// The language chosen in the settings window re-texts the main window, its page and the settings
// window itself at once.
TEST_F(TitleBarWindows, SettingsButtonOpensTheWindowWhoseLanguageSwitchesEverything)
{
    ASSERT_TRUE(start());
    ASSERT_TRUE(plugCable());
    ASSERT_TRUE(window.isControlShown("setbtn"));
    QTest::mouseClick(find("setbtn"), Qt::LeftButton);
    auto* settingsWindow = window.findChild<ui::CSetWnd*>();
    ASSERT_NE(settingsWindow, nullptr);
    EXPECT_TRUE(settingsWindow->isVisible());
    ASSERT_TRUE(waitFor([&] { return settingsWindow->model().status() != kStatusChecking; }));
    const std::vector<ui::UpdateRow>& rows = settingsWindow->model().rows();
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_EQ(rows[0].entry.shortName, "MS");
    EXPECT_EQ(rows[0].versionText, "V0104");
    EXPECT_EQ(rows[3].entry.shortName, "AP");
    EXPECT_EQ(rows[3].versionText.toStdString(), applicationVersionText());
    auto* combo = settingsWindow->findChild<QComboBox*>("Language_combox_info");
    ASSERT_NE(combo, nullptr);
    combo->setCurrentIndex(1);
    emit combo->activated(1);

    EXPECT_EQ(find<QAbstractButton>("system_Op_tab")->text(), QString::fromUtf8("性能"));
    EXPECT_EQ(settingsWindow->findChild<QLabel*>("setwnd_title")->text(), QString::fromUtf8("设置"));
    EXPECT_EQ(find("closebtn")->toolTip(), real.language.text("close_btn_tip"));
    EXPECT_EQ(settings.value(ui::LanguageSwitch::kSettingsKey).toInt(), 2052);

    // A second click raises the same window.
    QTest::mouseClick(find("setbtn"), Qt::LeftButton);
    EXPECT_EQ(window.findChildren<ui::CSetWnd*>().size(), 1);
}

// The mouse's update program in the user's runtime folder, as a script the test releases.
class MouseUpdateProgram {
public:
    MouseUpdateProgram() : m_folder(std::string(std::getenv("XDG_RUNTIME_DIR")) + "/UpdateData")
    {
        std::filesystem::create_directories(m_folder);
        const std::string path = m_folder + "/MS";
        test::writeFile(path, test::updateProgram("0105", "MS"));
        std::filesystem::permissions(path, std::filesystem::perms::owner_all);
    }
    ~MouseUpdateProgram() { std::filesystem::remove_all(m_folder); }
    bool running() const { return std::filesystem::exists(m_folder + "/MS.running"); }
    void release(int exitCode) const { test::writeFile(m_folder + "/MS.release", std::to_string(exitCode) + "\n"); }

private:
    std::string m_folder;
};

// While the program writes the firmware the tool keeps off the mouse; afterwards it reads the
// whole mouse again (a setting the update changed shows) and the row follows the new firmware.
TEST_F(TitleBarWindows, UpdatingTheMouseHoldsItsChannelAndRereadsItAfter)
{
    const MouseUpdateProgram program;
    ASSERT_TRUE(start());
    ASSERT_TRUE(plugCable());
    ASSERT_TRUE(waitFor([&] { return !window.mouse()->hasDeviceWork(); }, 5000));
    QTest::mouseClick(find("setbtn"), Qt::LeftButton);
    ui::CSetWnd* settingsWindow = window.settingsWindow();
    ASSERT_NE(settingsWindow, nullptr);
    ui::UpdateModel& model = settingsWindow->model();
    ASSERT_TRUE(waitFor([&] { return model.status() == kStatusAvailable; }, 10000));
    EXPECT_EQ(model.rows()[0].state, kRowFirmwareUpdate);
    EXPECT_TRUE(find("setbtn")->property("updateBadge").toBool());

    auto* list = settingsWindow->findChild<QWidget*>("device_update_list_info");
    list->layout()->itemAt(0)->widget()->findChild<QAbstractButton*>("check_name_select")->click();
    settingsWindow->findChild<QAbstractButton*>("update_fw_and_ap")->click();
    settingsWindow->findChild<QAbstractButton*>("update_OK_btn")->click();
    ASSERT_TRUE(waitFor([&] { return program.running(); }, 5000));
    EXPECT_TRUE(window.mouse()->commandChannel().isSuspended());
    const int rate = sim.dump("settings", kReportRateByte, 1).at(0);
    const int written = rate == 2 ? 1 : 2;
    sim.command("poke mouse settings " + std::to_string(kReportRateByte) + " 0" + std::to_string(written));
    settingsWindow->close();
    EXPECT_TRUE(settingsWindow->isVisible()) << "closed while updating";

    program.release(0);
    ASSERT_TRUE(waitFor([&] { return model.closable(); }, 5000));
    EXPECT_EQ(model.rows()[0].state, kRowFinished);
    EXPECT_EQ(model.status(), kStatusLatest);
    EXPECT_FALSE(find("setbtn")->property("updateBadge").toBool()) << "seen";
    EXPECT_FALSE(window.mouse()->commandChannel().isSuspended());
    const std::string option = "polling_rate_option_" + std::to_string(written);
    EXPECT_TRUE(waitFor([&] { return checked(option.c_str()); }, 5000)) << option;

    // The mouse comes back on its new firmware.
    sim.command("unplug cable");
    EXPECT_TRUE(waitFor([&] { return model.rows()[0].versionText.isEmpty(); }, 5000));
    sim.command("firmware 0105");
    sim.command("plug cable");
    EXPECT_TRUE(waitFor([&] { return model.rows()[0].versionText == "V0105"; }, 5000));
    EXPECT_TRUE(prompts.empty());
}

TEST_F(TitleBarWindows, SkinButtonRepaintsTheWindowAndRefusesAFileThatIsNoImage)
{
    ASSERT_TRUE(start());
    ASSERT_TRUE(window.isControlShown("skinbtn"));
    auto* root = find("root");
    auto openFrame = [&] {
        QTest::mouseClick(find("skinbtn"), Qt::LeftButton);
        return window.findChild<ui::CSkinFrame*>();
    };
    ui::CSkinFrame* frame = openFrame();
    ASSERT_NE(frame, nullptr);
    frame->findChild<QAbstractButton*>("skin_color_btn_1")->click();
    EXPECT_TRUE(root->styleSheet().contains("#1b2430")) << root->styleSheet().toStdString();
    frame->findChild<QAbstractButton*>("skin_image_btn_0")->click();
    EXPECT_TRUE(root->styleSheet().contains("images/skins/teal.png"));
    EXPECT_FALSE(root->styleSheet().contains("#1b2430"));

    test::writeFile(folder.file("notes.png"), "not a picture");
    window.setImageChooser([&](const QString&) { return QString::fromStdString(folder.file("notes.png")); });
    frame->findChild<QAbstractButton*>("skin_Custom")->click();
    ASSERT_TRUE(waitFor([&] { return !prompts.empty(); }));
    EXPECT_EQ(prompts, std::vector<std::string>{"skin_image_unreadable_text"});
    EXPECT_TRUE(root->styleSheet().contains("images/skins/teal.png"));

    frame = openFrame();
    ASSERT_NE(frame, nullptr);
    frame->findChild<QAbstractButton*>("skin_reset")->click();
    EXPECT_FALSE(root->styleSheet().contains("border-image"));
    // A picture kept from an older skin that this one lacks leaves the skin's own background.
    skins.chooseStockImage("images/skins/retired.png");
    EXPECT_FALSE(root->styleSheet().contains("border-image"));
}

// Through the window as a user does it, against devsim as its own process: the macros tab, a gun,
// a bullet, new values, the write button; the mouse holds the bullet's six events.
TEST_F(WindowControls, ShootBulletEditedOnThePageReachesTheMouse)
{
    ASSERT_TRUE(start());
    ASSERT_TRUE(plugCable());
    QTest::mouseClick(find("otherset_Op_tab"), Qt::LeftButton);
    ASSERT_TRUE(find("ShootControlItem")->isVisible());
    QTest::mouseClick(find("shoot_gun_op_2"), Qt::LeftButton);
    QTest::mouseClick(find("bullet_op_0"), Qt::LeftButton);
    if (!find<QAbstractButton>("bullet_x_check")->isChecked())
        QTest::mouseClick(find("bullet_x_check"), Qt::LeftButton);
    if (find<QAbstractButton>("bullet_y_check")->isChecked())
        QTest::mouseClick(find("bullet_y_check"), Qt::LeftButton);
    for (const auto& [name, value] : {std::pair{"bullet_x_eidt", "3"}, {"bullet_y_eidt", "7"}, {"bullet_delay_eidt", "90"}}) {
        auto* edit = find<QLineEdit>(name);
        edit->selectAll();
        QTest::keyClicks(edit, value);
        QTest::keyClick(edit, Qt::Key_Return);
    }
    QTest::mouseClick(find("shootdate_save_btn"), Qt::LeftButton);
    ASSERT_TRUE(waitFor([&] { return !window.mouse()->hasDeviceWork(); }, 10000));
    EXPECT_TRUE(prompts.empty());

    // The third entry's block, from the container's offset table; its first six events.
    const std::vector<int> offset = sim.dump("shoot", 16 + 2 * 2, 2);
    ASSERT_EQ(offset.size(), 2u);
    const std::vector<int> events = sim.dump("shoot", (offset[0] | offset[1] << 8) + 4, 6 * 4);
    EXPECT_EQ(events, (std::vector<int>{10, 0, 0x81, 1,  0, 0, 0x01, 1,  5, 0, 0x84, 3,
                                        90, 0, 0x05, 7,  0, 0, 0x84, 0,  0, 0, 0x05, 0}));
}

}  // namespace
}  // namespace kestrion
