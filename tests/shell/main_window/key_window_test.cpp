// The buttons tab from end to end: real clicks on the window's real skin, the routing, the
// device's worker, and devsim as its own process, whose memory is read back.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QComboBox>
#include <QTest>

#include <linux/input-event-codes.h>

#include "devices/mouse_transfer.h"
#include "pages/key_set_control.h"
#include "profiles/json_file.h"
#include "shell/main_window/window_fixture.h"

namespace kestrion {
namespace {

using test::waitFor;

constexpr int kMouseKind = 2;
constexpr std::size_t kKeyTableBytes = 48;  // the device's 16 slots

// A library of one macro of `events` key events in the mouse's data folder.
void writeMacro(const std::string& name, int events)
{
    const std::string folder = deviceDataFolder(kMouseKind);
    Json::Value list(Json::arrayValue);
    for (int i = 0; i < events; ++i) {
        Json::Value event(Json::objectValue);
        event["Action"] = i % 2 ? "up" : "down";
        event["Button"] = 4 + i / 2;
        event["Type"] = 10;
        event["Delay"] = "25";
        list.append(event);
    }
    Json::Value entry(Json::objectValue);
    entry["MacroName"] = name;
    entry["Guid"] = "2026_02_02_10_00_00_001";
    Json::Value document = entry;
    document["Events"] = list;
    document["Version"] = 64;
    Json::Value index(Json::objectValue);
    index["MacroInfo"].append(entry);
    ASSERT_TRUE(SaveJsonFile(document, folder + "2026_02_02_10_00_00_001.mac"));
    ASSERT_TRUE(SaveJsonFile(index, folder + "macro.config"));
}

class ButtonsTab : public test::Application {
protected:
    void startWithMouse()
    {
        ASSERT_TRUE(start());
        sim.command("plug cable");
        ASSERT_TRUE(mouseOnline(true));
        ASSERT_TRUE(waitFor([&] { return window.mouse()->dpiRange().has_value(); }));
        ASSERT_TRUE(waitFor([&] { return !window.mouse()->hasDeviceWork(); }, 5000));
        window.activate();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
        QTest::mouseClick(find("key_Op_tab"), Qt::LeftButton);
    }

    void click(const char* name) { QTest::mouseClick(find(name), Qt::LeftButton); }

    // Chooses a row of a closed list with the keyboard, as the user can.
    void choose(const char* name, int row)
    {
        auto* list = find<QComboBox>(name);
        list->setFocus();
        QTest::keyClick(list, Qt::Key_Home);
        for (int i = 0; i < row; ++i)
            QTest::keyClick(list, Qt::Key_Down);
        ASSERT_EQ(list->currentIndex(), row) << name;
    }

    void choosePage(int page) { choose("keyset_function_combo", find<QComboBox>("keyset_function_combo")->findData(page)); }

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

    std::vector<int> keyTable() { return sim.dump("keys", 0, kKeyTableBytes); }

    std::vector<int> slotOf(const std::vector<int>& table, std::size_t slot)
    {
        return {table.begin() + slot * 3, table.begin() + slot * 3 + 3};
    }

    bool saved()
    {
        click("key_butt_prosave");
        return waitFor([&] { return !window.mouse()->hasDeviceWork(); }, 10000);
    }
};

TEST_F(ButtonsTab, AMacroAKeyWithAModifierAndADpiFunctionReachTheMouse)
{
    writeMacro("Reload", 6);
    startWithMouse();
    const std::vector<int> factory = keyTable();
    std::vector<std::uint8_t> bytes(factory.begin(), factory.end());
    const FunctionKeyIndex slot = functionKeyIndex(bytes.data(), bytes.size() / 3);

    click("key_3");
    choosePage(KeyPage::Macro);
    choose("keyset_macro_combo", 0);
    choose("keyset_macro_over_combo", 1);
    click("key_4");
    choosePage(KeyPage::Keyboard);
    click("key_ComBox_check_3");
    pressInKeyEdit(Qt::Key_F5, KEY_F5);
    click("key_2");
    choosePage(KeyPage::Dpi);
    choose("keyset_mousedpi_combo", 2);
    ASSERT_TRUE(saved());

    const std::vector<int> table = keyTable();
    EXPECT_EQ(slotOf(table, slot[3]), (std::vector<int>{0x70, 0x00, 0x01}));
    EXPECT_EQ(slotOf(table, slot[4]), (std::vector<int>{0x20, 0x04, 0x3E}));
    EXPECT_EQ(slotOf(table, slot[2]), (std::vector<int>{0x13, 0x03, 0x00}));
    EXPECT_EQ(slotOf(table, slot[0]), slotOf(factory, slot[0]));
    EXPECT_EQ(sim.command("check macro"), "ok valid entries=1 events=6");
    EXPECT_TRUE(prompts.empty());
    EXPECT_FALSE(find<QAbstractButton>("key_butt_prosave")->isEnabled());
}

// While the key edit has the focus another window may take it: the capture pauses and says so,
// and goes on when the window is back.
TEST_F(ButtonsTab, CapturePausesWhileTheWindowIsNotActive)
{
    startWithMouse();
    click("key_4");
    choosePage(KeyPage::Keyboard);
    click("keyset_keyboard_text_edit");
    ASSERT_TRUE(window.inputCapture().isActive());
    QWidget* mark = find("keyset_capture_paused_label");
    EXPECT_TRUE(mark->isHidden());

    QWidget other;
    other.show();
    other.activateWindow();
    ASSERT_TRUE(waitFor([&] { return window.inputCapture().isPaused(); }));
    EXPECT_FALSE(mark->isHidden());
    EXPECT_TRUE(window.inputCapture().isActive());

    window.activate();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    EXPECT_TRUE(waitFor([&] { return !window.inputCapture().isPaused() && mark->isHidden(); }));
    EXPECT_TRUE(window.inputCapture().isActive());
}

// While the system sleeps the capture reaches no editor; awake again, the same key lands.
TEST_F(ButtonsTab, CapturedKeysAreIgnoredWhileTheSystemSleeps)
{
    startWithMouse();
    click("key_4");
    choosePage(KeyPage::Keyboard);
    auto* edit = find<QLineEdit>("keyset_keyboard_text_edit");
    const QString before = edit->text();

    window.setSystemAwake(false);
    pressInKeyEdit(Qt::Key_F5, KEY_F5);
    EXPECT_EQ(edit->text(), before);

    window.setSystemAwake(true);
    pressInKeyEdit(Qt::Key_F5, KEY_F5);
    EXPECT_NE(edit->text(), before);
}

TEST_F(ButtonsTab, AMacroThatDoesNotFitIsToldAndNothingIsWritten)
{
    writeMacro("Long", 64);
    startWithMouse();
    const std::vector<int> table = keyTable();
    const std::string macros = sim.command("check macro");

    click("key_3");
    choosePage(KeyPage::Macro);
    choose("keyset_macro_combo", 0);
    ASSERT_TRUE(saved());

    EXPECT_EQ(prompts, (std::vector<std::string>{"message_text_16"}));
    EXPECT_EQ(keyTable(), table);
    EXPECT_EQ(sim.command("check macro"), macros);
    EXPECT_EQ(find<QComboBox>("keyset_function_combo")->currentData().toInt(), KeyPage::Default);
}

}  // namespace
}  // namespace kestrion
