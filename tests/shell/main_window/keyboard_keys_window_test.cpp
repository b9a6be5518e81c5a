// The keyboard's keys tab and macro page from end to end: real clicks on the window's real skin,
// the window's routing and input capture, the keyboard's worker, and devsim as its own process.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QTest>

#include <linux/input-event-codes.h>

#include <filesystem>

#include "devices/event_container.h"
#include "devices/keyboard_device.h"
#include "pages/keyboard_layout_view.h"
#include "pages/keyboard_view.h"
#include "pages/key_set_control.h"
#include "pages/macro_control.h"
#include "profiles/json_file.h"
#include "profiles/program_folders.h"
#include "shell/main_window/window_fixture.h"

namespace kestrion {
namespace {

using test::waitFor;

constexpr int kKeyboardKind = 1;
// Slots of the drawn layout: Esc, Q and W.
constexpr int kEsc = 0, kQ = 38, kW = 39;

Json::Value macroEvents()
{
    Json::Value list(Json::arrayValue);
    for (int i = 0; i < 4; ++i) {
        Json::Value event(Json::objectValue);
        event["Action"] = i % 2 ? "up" : "down";
        event["Button"] = 4 + i / 2;
        event["Type"] = 10;
        event["Delay"] = "30";
        list.append(event);
    }
    return list;
}

// A library of one macro in the keyboard's data folder.
void writeMacro()
{
    const std::string folder = deviceDataFolder(kKeyboardKind);
    Json::Value entry(Json::objectValue);
    entry["MacroName"] = "Burst";
    entry["Guid"] = "2026_03_03_10_00_00_001";
    Json::Value document = entry;
    document["Events"] = macroEvents();
    document["Version"] = 64;
    Json::Value index(Json::objectValue);
    index["MacroInfo"].append(entry);
    ASSERT_TRUE(SaveJsonFile(document, folder + "2026_03_03_10_00_00_001.mac"));
    ASSERT_TRUE(SaveJsonFile(index, folder + "macro.config"));
}

class KeyboardKeysTab : public test::Application {
protected:
    // Each test starts with the keyboard's data folder empty: no profiles, no macros.
    void SetUp() override
    {
        test::Application::SetUp();
        std::filesystem::remove_all(deviceDataFolder(kKeyboardKind));
        ASSERT_FALSE(deviceDataFolder(kKeyboardKind).empty());
    }

    void startWithKeyboard()
    {
        ASSERT_TRUE(start());
        sim.command("keyboard-product 0000");
        sim.command("plug keyboard");
        ASSERT_TRUE(waitFor([&] { return (keyboard = keyboardOf()) != nullptr; }, 3000));
        page = static_cast<KeyboardView*>(window.viewOf(keyboard));
        ASSERT_NE(page, nullptr);
        ASSERT_TRUE(waitFor([&] { return keyboard->keySlots() > 0 && !keyboard->hasDeviceWork(); }, 5000));
        window.activate();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
        ASSERT_TRUE(waitFor([&] { return window.selectedDevice() == keyboard; }));
        click("key_Op_tab");
        ASSERT_EQ(page->functionPage(), 2);
    }

    CQuellonKeyboardDevice* keyboardOf() const
    {
        for (int i = 0; window.entry(i); ++i) {
            if (auto* found = qobject_cast<CQuellonKeyboardDevice*>(window.deviceAt(i)))
                return found;
        }
        return nullptr;
    }

    template <typename T = QWidget>
    T* part(const char* name) const
    {
        T* found = page->findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(found, nullptr) << name;
        return found;
    }

    void click(const char* name) { QTest::mouseClick(part(name), Qt::LeftButton); }

    void clickKey(int slot)
    {
        auto* view = page->findChild<KeyboardLayoutView*>();
        QTest::mouseClick(view, Qt::LeftButton, {}, view->keyRect(static_cast<std::size_t>(slot)).center().toPoint());
    }

    void choose(const char* name, int row)
    {
        auto* list = part<QComboBox>(name);
        list->setFocus();
        QTest::keyClick(list, Qt::Key_Home);
        for (int i = 0; i < row; ++i)
            QTest::keyClick(list, Qt::Key_Down);
        ASSERT_EQ(list->currentIndex(), row) << name;
    }

    void choosePage(int page) { choose("keyset_function_combo", part<QComboBox>("keyset_function_combo")->findData(page)); }

    // A key as X11 delivers it to the focused key edit (its native code is the evdev code + 8).
    void pressInKeyEdit(int qtKey, std::uint32_t linuxKey)
    {
        click("keyset_keyboard_text_edit");
        ASSERT_TRUE(window.inputCapture().isActive());
        for (const QEvent::Type type : {QEvent::KeyPress, QEvent::KeyRelease}) {
            QKeyEvent key(type, qtKey, Qt::NoModifier, linuxKey + 8, 0, 0);
            QApplication::sendEvent(QApplication::focusWidget(), &key);
        }
    }

    std::vector<int> slotOnKeyboard(int slot) { return sim.dump("keys", slot * 3, 3, "keyboard"); }

    CQuellonKeyboardDevice* keyboard = nullptr;
    KeyboardView* page = nullptr;
};

TEST_F(KeyboardKeysTab, KeysPickedOnTheLayoutTakeAKeyAndAMacroByteForByte)
{
    writeMacro();
    startWithKeyboard();
    const std::vector<int> esc = slotOnKeyboard(kEsc);

    clickKey(kQ);
    EXPECT_EQ(page->selectedKey(), kQ);
    choosePage(KeyPage::Keyboard);
    click("key_ComBox_check_1");
    pressInKeyEdit(Qt::Key_F5, KEY_F5);
    clickKey(kW);
    choosePage(KeyPage::Macro);
    choose("keyset_macro_combo", 0);
    choose("keyset_macro_over_combo", 1);
    click("key_butt_prosave");
    ASSERT_TRUE(waitFor([&] { return !keyboard->hasDeviceWork() && !page->keysChanged(); }, 10000));

    EXPECT_EQ(slotOnKeyboard(kQ), (std::vector<int>{0x20, 0x01, 0x3E})) << "Ctrl+F5";
    EXPECT_EQ(slotOnKeyboard(kW), (std::vector<int>{0x70, 0x00, 0x01})) << "the first macro written, once";
    EXPECT_EQ(slotOnKeyboard(kEsc), esc);
    const std::vector<std::uint8_t> container = encodeEventContainer({encodeEvents(macroEventsOf(macroEvents()))});
    EXPECT_EQ(sim.dump("macro", 0, static_cast<int>(container.size()), "keyboard"),
              std::vector<int>(container.begin(), container.end()));
    EXPECT_TRUE(prompts.empty()) << (prompts.empty() ? std::string() : prompts.front());
}

// A macro added and recorded on the keyboard's macro page, with the window's capture and the
// selector and tabs held still meanwhile, lands in the keyboard's macro area once a key plays it.
TEST_F(KeyboardKeysTab, AMacroRecordedOnTheMacroPageReachesTheKeyboard)
{
    promptAnswer = 1;
    startWithKeyboard();
    CMacroControlUI* macros = page->macroPage();
    ASSERT_NE(macros, nullptr);
    click("macro_btn_name_add");
    ASSERT_EQ(macros->library().count(), 1);
    click("macro_Op_tab");
    ASSERT_EQ(page->functionPage(), 3);
    click("macro_btn_starredio");
    ASSERT_TRUE(macros->isRecording());
    ASSERT_TRUE(window.inputCapture().isActive());
    EXPECT_FALSE(window.findChild<QWidget*>("device_select_layout")->isEnabled());
    EXPECT_FALSE(part("keyboard_function_tabs")->isEnabled());

    for (const QEvent::Type type : {QEvent::KeyPress, QEvent::KeyRelease}) {
        QWidget* target = QApplication::focusWidget() ? QApplication::focusWidget() : &window;
        QKeyEvent key(type, Qt::Key_B, Qt::NoModifier, KEY_B + 8, 0, 0, QString());
        QApplication::sendEvent(target, &key);
        QTest::qWait(15);
    }
    click("macro_btn_stopredio");
    EXPECT_FALSE(macros->isRecording());
    EXPECT_FALSE(window.inputCapture().isActive());
    EXPECT_TRUE(part("keyboard_function_tabs")->isEnabled());
    const Json::Value events = LoadJsonFile(macros->library().macroPath(0).string())["Events"];
    ASSERT_EQ(events.size(), 2u) << events.toStyledString();

    click("key_Op_tab");
    clickKey(kW);
    choosePage(KeyPage::Macro);
    choose("keyset_macro_combo", 0);
    click("key_butt_prosave");
    ASSERT_TRUE(waitFor([&] { return !keyboard->hasDeviceWork() && !page->keysChanged(); }, 10000));

    EXPECT_EQ(slotOnKeyboard(kW).at(0), 0x70);
    const std::vector<std::uint8_t> container = encodeEventContainer({encodeEvents(macroEventsOf(events))});
    EXPECT_EQ(sim.dump("macro", 0, static_cast<int>(container.size()), "keyboard"),
              std::vector<int>(container.begin(), container.end()));
}

}  // namespace
}  // namespace kestrion
