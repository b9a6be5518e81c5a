// The buttons tab of the mouse page: the key assignment editor over the real skin, and writing the
// buttons with their macros to the in-process simulator over its real sockets.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QStackedWidget>

#include <cstdio>
#include <filesystem>
#include <functional>
#include <linux/input-event-codes.h>
#include <memory>

#include "devices/mouse_transfer.h"
#include "devices/mouse_device.h"
#include "pages/page_fixture.h"
#include "devsim/simulator.h"
#include "pages/key_set_control.h"
#include "profiles/macro_library.h"
#include "platform/paths.h"
#include "profiles/json_file.h"
#include "profiles/program_folders.h"
#include "support/temp_dir.h"
#include "ui/device_key_button.h"
#include "ui/qt_app.h"

namespace kestrion {
namespace {

using test::RecordingMainWindow;
using test::waitFor;

constexpr int kMouseKind = 2;
constexpr int kKeyboardKind = 1;

KeyCode codeOf(const KeyRecord& record)
{
    return {record.type, record.param1, record.param2};
}

std::string describe(KeyCode code)
{
    char text[32];
    std::snprintf(text, sizeof text, "{%02X %02X %02X}", code.type, code.p1, code.p2);
    return text;
}

// A macro library of one macro per entry, each of `events` key events.
void writeMacroLibrary(const std::string& folder, const std::vector<std::pair<std::string, int>>& macros)
{
    Json::Value index(Json::objectValue);
    index["MacroInfo"] = Json::Value(Json::arrayValue);
    for (std::size_t m = 0; m < macros.size(); ++m) {
        Json::Value events(Json::arrayValue);
        for (int i = 0; i < macros[m].second; ++i) {
            Json::Value event(Json::objectValue);
            event["Action"] = i % 2 ? "up" : "down";
            event["Button"] = 4 + m;
            event["Type"] = 10;
            event["Delay"] = "20";
            events.append(event);
        }
        Json::Value entry(Json::objectValue);
        entry["MacroName"] = macros[m].first;
        entry["Guid"] = "2026_01_01_00_00_00_" + std::to_string(100 + m);
        index["MacroInfo"].append(entry);
        Json::Value document = entry;
        document["Events"] = events;
        document["Version"] = 64;
        ASSERT_TRUE(SaveJsonFile(document, folder + entry["Guid"].asString() + ".mac"));
    }
    ASSERT_TRUE(SaveJsonFile(index, folder + "macro.config"));
}

CapturedInput keyPress(std::uint32_t linuxKey, bool pressed = true)
{
    return InputCapture::keyInput(linuxKey + 8, pressed, false);
}

class KeyEditor : public testing::Test {
protected:
    void SetUp() override
    {
        setProgramDataDir(KESTRION_SOURCE_ROOT "/DefaultData");
        writeMacroLibrary(folder(), {{"Reload", 4}, {"Combo", 6}});
        device.setPageSetup(test::mousePageSetup(folder()));
        device.setHost(&mainWindow);
        view = test::mouseViewOf(device, real, &real.language);
        ASSERT_NE(view, nullptr);
        real.language.apply(view.get());
        editor = view->keyEditor();
        ASSERT_NE(editor, nullptr);
    }

    std::string folder() const { return dataFolder.path() + "/"; }

    void attach()
    {
        ASSERT_TRUE(sim.plug(devsim::Port::Cable));
        ASSERT_TRUE(device.attachCommandLink(sim.commandPath(devsim::Port::Cable), kMouseKind));
        device.readAll();
        ASSERT_TRUE(settle());
    }

    bool settle(int timeoutMs = 15000)
    {
        return waitFor([&] { return !device.hasDeviceWork(); }, timeoutMs);
    }

    template <typename T = QWidget>
    T* control(const char* name)
    {
        T* found = view->content()->findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(found, nullptr) << name;
        return found;
    }

    // Picks item `row` of a list as the user does: the list tells the device, which applies.
    void choose(const char* combo, int row)
    {
        control<QComboBox>(combo)->setCurrentIndex(row);
        view->routeKeyEditor("itemselect", QString::fromLatin1(combo));
    }

    void choosePage(int page)
    {
        auto* combo = control<QComboBox>("keyset_function_combo");
        choose("keyset_function_combo", combo->findData(page));
    }

    void type(const char* edit, const char* text)
    {
        control<QLineEdit>(edit)->setText(QString::fromLatin1(text));
        view->routeKeyEditor("killfocus", QString::fromLatin1(edit));
    }

    KeyCode keyCode(int key) { return codeOf(device.profile().GetKeyList()[static_cast<std::size_t>(key)].current); }

    test::QtApp app;
    test::RealSkin real;
    test::TempDir dataFolder;
    devsim::Simulator sim{virtualHidDir()};
    RecordingMainWindow mainWindow;
    CQuellonMouseDevice device;
    std::unique_ptr<MouseView> view;
    CKeySetControlUI* editor = nullptr;
};

TEST_F(KeyEditor, TheSkinHasEveryControlTheEditorNeeds)
{
    const char* names[] = {
        "keyset_layout", "keyset_function_combo", "function_switch_tablayout", "keyset_mousekey_combo",
        "keyset_mouseswing_combo", "keyset_mouseswing_num_edit", "keyset_mouseswing_delay_edit",
        "keyset_mouseswing_speed_edit", "keyset_mousewheel_combo", "keyset_mousewheel_num_edit",
        "keyset_mousewheel_delay_edit", "keyset_mousewheel_speed_edit", "keyset_mousedpi_combo",
        "keyset_mousefire_interval_edit", "keyset_mousefire_num_edit", "keyset_keyboard_text_edit",
        "key_ComBox_check_0", "key_ComBox_check_4", "keyset_media_combo", "keyset_system_combo",
        "keyset_macro_combo", "keyset_macro_over_combo", "keyset_macro_cycle_layout", "keyset_macro_cycle_edit",
        "keyset_gunkey_combo", "keyset_combokey_combo", "key_butt_keydefalut", "key_butt_keysave",
        "key_butt_keycancel", "key_butt_prosave", "text_test", "device_setkeyinfo_list",
    };
    for (const char* name : names)
        control(name);
    auto* functions = control<QComboBox>("keyset_function_combo");
    auto* pages = control<QStackedWidget>("function_switch_tablayout");
    ASSERT_EQ(functions->count(), 12);
    for (int page = 0; page < 12; ++page) {
        EXPECT_EQ(functions->findData(page), page);
        EXPECT_EQ(pages->widget(page)->property("keyPage").toInt(), page);
    }
    EXPECT_EQ(control<QComboBox>("keyset_media_combo")->count(), 18);
    EXPECT_EQ(control<QComboBox>("keyset_combokey_combo")->count(), 11);
    EXPECT_EQ(control<QComboBox>("keyset_macro_combo")->count(), 2);
    EXPECT_EQ(control<QComboBox>("keyset_macro_combo")->currentIndex(), -1);
    // Hidden until a key is chosen, and nothing to save yet.
    EXPECT_TRUE(control("keyset_layout")->isHidden());
    EXPECT_FALSE(control("key_butt_prosave")->isEnabled());
}

TEST_F(KeyEditor, AKeyPictureOrAListLineOpensTheEditorOnThatKey)
{
    attach();
    auto* list = control<QListWidget>("device_setkeyinfo_list");
    ASSERT_EQ(list->count(), 11);

    EXPECT_TRUE(view->routeKeyEditor("click", "key_2"));
    EXPECT_EQ(view->selectedKey(), 2);
    EXPECT_FALSE(control("keyset_layout")->isHidden());
    EXPECT_EQ(list->currentItem()->data(Qt::UserRole).toInt(), 2);
    EXPECT_EQ(editor->shownPage(), KeyPage::Default);

    emit list->itemClicked(list->item(4));
    EXPECT_EQ(view->selectedKey(), 4);
    EXPECT_TRUE(view->keyButtons()[4]->isKeySelected());
    EXPECT_FALSE(view->keyButtons()[2]->isKeySelected());
}

// Every page through its real controls: the code the controls give, and shown back the same.
TEST_F(KeyEditor, EveryFunctionPageGivesItsCodeAndShowsItBack)
{
    attach();
    view->selectKey(3);
    struct Case {
        int page;
        std::function<void()> fill;
        KeyCode expected;
    };
    const Case cases[] = {
        {KeyPage::MouseButton, [&] { choose("keyset_mousekey_combo", 4); }, {0x10, 0x08, 0}},
        {KeyPage::Swing, [&] {
             type("keyset_mouseswing_delay_edit", "2");
             type("keyset_mouseswing_speed_edit", "5");
             type("keyset_mouseswing_num_edit", "3");
             choose("keyset_mouseswing_combo", 1);
         }, {0x11, 0x25, 0x83}},
        {KeyPage::Wheel, [&] {
             type("keyset_mousewheel_delay_edit", "0");
             type("keyset_mousewheel_speed_edit", "1");
             type("keyset_mousewheel_num_edit", "3");
             choose("keyset_mousewheel_combo", 1);
         }, {0x12, 0x01, 0xFD}},
        {KeyPage::Dpi, [&] { choose("keyset_mousedpi_combo", 2); }, {0x13, 3, 0}},
        {KeyPage::Fire, [&] {
             type("keyset_mousefire_num_edit", "4");
             type("keyset_mousefire_interval_edit", "40");
         }, {0x14, 40, 4}},
        {KeyPage::Media, [&] { choose("keyset_media_combo", 6); }, {0x30, 0xE9, 0}},
        {KeyPage::System, [&] { choose("keyset_system_combo", 1); }, {0x40, 0x02, 0}},
        {KeyPage::Macro, [&] {
             choose("keyset_macro_combo", 1);
             choose("keyset_macro_over_combo", 2);
         }, {0x70, 1, 2}},
        {KeyPage::Macro, [&] {
             choose("keyset_macro_combo", 0);
             choose("keyset_macro_over_combo", 4);
             type("keyset_macro_cycle_edit", "9");
         }, {0x71, 0, 9}},
        {KeyPage::GunKey, [&] { choose("keyset_gunkey_combo", 3); }, {0x72, 3, 0}},
        {KeyPage::Shortcut, [&] { choose("keyset_combokey_combo", 3); }, {0x20, 0x10, 0x16}},
    };
    for (const Case& c : cases) {
        choosePage(c.page);
        c.fill();
        EXPECT_EQ(keyCode(3), c.expected) << "page " << c.page << " gives " << describe(keyCode(3));
        view->selectKey(5);
        view->selectKey(3);
        EXPECT_EQ(editor->shownPage(), c.page) << describe(c.expected);
        EXPECT_EQ(codeOf(editor->readEntry().current), c.expected) << "shown back on page " << c.page;
    }
    // Applied changes wait to be saved to the mouse, whichever key is chosen next.
    EXPECT_TRUE(control<QAbstractButton>("key_butt_keysave")->isEnabled());
    EXPECT_TRUE(control<QAbstractButton>("key_butt_prosave")->isEnabled());
}

// Numbers out of range are cut to their bytes and nibbles; they never change the function.
TEST_F(KeyEditor, OutOfRangeNumbersAreTruncatedWithinTheirType)
{
    attach();
    view->selectKey(3);
    choosePage(KeyPage::Swing);
    choose("keyset_mouseswing_combo", 0);
    type("keyset_mouseswing_delay_edit", "17");
    type("keyset_mouseswing_speed_edit", "-1");
    type("keyset_mouseswing_num_edit", "300");
    EXPECT_EQ(keyCode(3), (KeyCode{0x11, 0x1F, 300 & 0x7F}));

    choosePage(KeyPage::Fire);
    type("keyset_mousefire_interval_edit", "5");
    type("keyset_mousefire_num_edit", "257");
    EXPECT_EQ(keyCode(3), (KeyCode{0x14, 10, 1}));
    EXPECT_EQ(control<QLineEdit>("keyset_mousefire_interval_edit")->text(), "10");

    choosePage(KeyPage::Macro);
    choose("keyset_macro_combo", 1);
    choose("keyset_macro_over_combo", 4);
    EXPECT_EQ(keyCode(3), (KeyCode{0x71, 1, 1})) << "a count chosen without a number plays once";
    type("keyset_macro_cycle_edit", "abc");
    EXPECT_EQ(keyCode(3), (KeyCode{0x71, 1, 0}));
}

TEST_F(KeyEditor, KeyboardPageTakesCapturedKeysWithOneModifier)
{
    attach();
    view->selectKey(3);
    choosePage(KeyPage::Keyboard);
    EXPECT_EQ(keyCode(3), (KeyCode{0x20, 0, 0}));

    view->keyCaptured(keyPress(KEY_RIGHTSHIFT));
    EXPECT_TRUE(control<QAbstractButton>("key_ComBox_check_2")->isChecked());
    EXPECT_EQ(keyCode(3), (KeyCode{0x20, 0x02, 0}));
    view->keyCaptured(keyPress(KEY_S));
    view->keyCaptured(keyPress(KEY_S, false));
    view->keyCaptured(keyPress(KEY_RIGHTSHIFT, false));
    EXPECT_EQ(keyCode(3), (KeyCode{0x20, 0x02, 0x16}));
    EXPECT_EQ(control<QLineEdit>("keyset_keyboard_text_edit")->text(), real.language.text("keyboard_key_S"));
    EXPECT_EQ(view->keyListLines()[3], real.language.text("mouse_key_forward") + ": "
                                           + real.language.text("keyboard_key_LShift") + "+"
                                           + real.language.text("keyboard_key_S"));

    // The modifier option chosen by hand keeps the key; a key no keyboard code has is ignored.
    control<QAbstractButton>("key_ComBox_check_1")->click();
    view->routeKeyEditor("selectchanged", "key_ComBox_check_1");
    EXPECT_EQ(keyCode(3), (KeyCode{0x20, 0x01, 0x16}));
    view->keyCaptured(keyPress(KEY_MUTE));
    EXPECT_EQ(keyCode(3), (KeyCode{0x20, 0x01, 0x16}));
    view->keyCaptured(keyPress(KEY_KPENTER));
    EXPECT_EQ(keyCode(3), (KeyCode{0x20, 0x01, 0x58}));
}

TEST_F(KeyEditor, TheKeyListNamesFunctionsInBothLanguages)
{
    attach();
    view->selectKey(3);
    choosePage(KeyPage::Macro);
    choose("keyset_macro_combo", 1);
    view->selectKey(4);
    choosePage(KeyPage::Dpi);
    choose("keyset_mousedpi_combo", 0);
    const QStringList english = view->keyListLines();
    EXPECT_TRUE(english[3].endsWith(": Combo")) << english[3].toStdString();
    EXPECT_TRUE(english[4].endsWith(": DPI up")) << english[4].toStdString();

    ASSERT_TRUE(real.language.load("lan_cn.xml"));
    const QStringList chinese = view->keyListLines();
    EXPECT_TRUE(chinese[3].endsWith(": Combo"));
    EXPECT_TRUE(chinese[4].endsWith(": " + real.language.text("mouse_key_DPI_add")));
    EXPECT_NE(chinese[4], english[4]);
    real.language.load("lan_en.xml");
}

TEST_F(KeyEditor, TheLastLeftButtonCannotBeOpened)
{
    attach();
    ASSERT_EQ(keyCode(0), (KeyCode{0x10, 0x01, 0}));
    view->routeKeyEditor("click", "key_0");
    EXPECT_EQ(mainWindow.notices, QStringList{"message_text_6"});
    EXPECT_EQ(view->selectedKey(), -1);
    EXPECT_TRUE(control("keyset_layout")->isHidden());

    // With a second left button, either can be changed.
    view->selectKey(1);
    choosePage(KeyPage::MouseButton);
    choose("keyset_mousekey_combo", 0);
    view->selectKey(0);
    EXPECT_EQ(view->selectedKey(), 0);
}

TEST_F(KeyEditor, DefaultAndCancelShowWithoutChangingTheKey)
{
    attach();
    view->selectKey(3);
    choosePage(KeyPage::Dpi);
    choose("keyset_mousedpi_combo", 1);
    const KeyCode applied = keyCode(3);
    view->routeKeyEditor("click", "key_butt_keydefalut");
    EXPECT_EQ(editor->shownPage(), KeyPage::Default);
    EXPECT_EQ(keyCode(3), applied);
    EXPECT_TRUE(view->keysChanged());
    view->routeKeyEditor("click", "key_butt_keycancel");
    EXPECT_EQ(editor->shownPage(), KeyPage::Dpi);
    EXPECT_FALSE(view->keysChanged());
    EXPECT_FALSE(control("key_butt_prosave")->isEnabled());
}

TEST_F(KeyEditor, SavingWhileTheDefaultIsShownWritesTheDefault)
{
    attach();
    const std::vector<std::uint8_t> factory = sim.keyTable();
    view->selectKey(3);
    choosePage(KeyPage::Media);
    choose("keyset_media_combo", 6);
    view->saveKeys();
    ASSERT_TRUE(settle());
    ASSERT_NE(sim.keyTable(), factory);

    view->routeKeyEditor("click", "key_butt_keydefalut");
    view->routeKeyEditor("click", "key_butt_prosave");
    ASSERT_TRUE(settle());
    EXPECT_EQ(keyCode(3), codeOf(device.profile().GetKeyList()[3].defaults));
    EXPECT_EQ(sim.keyTable(), factory);
    EXPECT_FALSE(view->keysChanged());
}

TEST_F(KeyEditor, TheMacroListFollowsTheLibrary)
{
    auto* macros = control<QComboBox>("keyset_macro_combo");
    editor->addMacroItem("Burst");
    ASSERT_EQ(macros->count(), 3);
    EXPECT_EQ(macros->itemData(2, Qt::ToolTipRole).toString(), "Burst");
    editor->renameMacroItem(1, "");
    editor->renameMacroItem(-1, "Nothing");
    editor->renameMacroItem(1, "Opener");
    EXPECT_EQ(macros->itemText(1), "Opener");
    editor->removeMacroItem(0);
    editor->removeMacroItem(7);
    EXPECT_EQ(macros->count(), 2);
    EXPECT_EQ(macros->itemText(0), "Opener");
    editor->fillMacroList({"One"});
    EXPECT_EQ(macros->count(), 1);
    EXPECT_EQ(macros->currentIndex(), -1);
}

TEST_F(KeyEditor, AKeyboardHasNoDpiOrGunPage)
{
    std::unique_ptr<QWidget> tree(real.skin.build("XML\\CustomControlXML\\KeySetControl.xml", real.factory));
    ASSERT_NE(tree, nullptr);
    CKeySetControlUI keyboard(tree.get(), &real.language);
    keyboard.setDeviceKind(kKeyboardKind);
    auto* functions = tree->findChild<QComboBox*>("keyset_function_combo");
    EXPECT_EQ(functions->count(), 10);
    EXPECT_EQ(functions->findData(KeyPage::Dpi), -1);
    EXPECT_EQ(functions->findData(KeyPage::GunKey), -1);
    // A code of a page the list lacks hides the editor instead of showing a wrong page.
    KeyEntry entry{};
    entry.current = KeyRecord{{}, 0x13, 1, 0};
    keyboard.loadEntry(entry);
    EXPECT_FALSE(keyboard.isEditorShown());
    entry.current = KeyRecord{{}, 0x20, 0, 0x04};
    keyboard.loadEntry(entry);
    EXPECT_TRUE(keyboard.isEditorShown());
    EXPECT_EQ(keyboard.shownPage(), KeyPage::Keyboard);
}

// The device's slots of the buttons, from its factory table.
FunctionKeyIndex slotsOf(const std::vector<std::uint8_t>& table)
{
    return functionKeyIndex(table.data(), table.size() / 3);
}

TEST_F(KeyEditor, SavingWritesTheMacrosAndThenTheButtons)
{
    attach();
    const std::vector<std::uint8_t> factory = sim.keyTable();
    const FunctionKeyIndex keySlots = slotsOf(factory);
    view->selectKey(3);
    choosePage(KeyPage::Macro);
    choose("keyset_macro_combo", 1);
    choose("keyset_macro_over_combo", 0);
    view->selectKey(4);
    choosePage(KeyPage::Keyboard);
    view->keyCaptured(keyPress(KEY_LEFTCTRL));
    view->keyCaptured(keyPress(KEY_C));

    view->routeKeyEditor("click", "key_butt_prosave");
    ASSERT_TRUE(settle());

    std::vector<std::uint8_t> expected = factory;
    const auto put = [&](int key, KeyCode code) {
        const std::size_t at = keySlots[static_cast<std::size_t>(key)] * 3u;
        expected[at] = code.type;
        expected[at + 1] = code.p1;
        expected[at + 2] = code.p2;
    };
    put(3, {0x70, 0, 0});  // the first (and only) macro of the container
    put(4, {0x20, 0x01, 0x06});
    EXPECT_EQ(sim.keyTable(), expected);
    const devsim::ContainerCheck check = sim.macroCheck();
    EXPECT_EQ(check.state, devsim::ContainerCheck::State::Valid) << check.describe();
    EXPECT_EQ(check.eventsPerEntry, (std::vector<std::size_t>{6}));
    EXPECT_TRUE(mainWindow.notices.empty()) << mainWindow.notices.join(", ").toStdString();
    EXPECT_FALSE(view->keysChanged());
    CMouseProfiledata stored;
    stored.SetDeviceIndex(0);
    stored.LoadProfile(device.profile().GetProfilePath());
    EXPECT_EQ(codeOf(stored.GetKeyList()[4].current), (KeyCode{0x20, 0x01, 0x06}));
}

TEST_F(KeyEditor, MacrosThatDoNotFitAreToldAndNothingIsWritten)
{
    writeMacroLibrary(folder(), {{"Long", MacroLibrary::kMaxEvents + 2}});
    attach();
    const std::vector<std::uint8_t> table = sim.keyTable();
    const std::vector<std::uint8_t> macros = sim.macroArea();
    view->selectKey(3);
    choosePage(KeyPage::Macro);
    choose("keyset_macro_combo", 0);

    view->saveKeys();
    ASSERT_TRUE(settle());

    EXPECT_EQ(mainWindow.notices, QStringList{QStringLiteral("message_text_16 %1").arg(MacroLibrary::kMaxEvents + 2)});
    EXPECT_EQ(sim.keyTable(), table);
    EXPECT_EQ(sim.macroArea(), macros);
    // The edited key is back at its default, and the editor still holds a change.
    EXPECT_EQ(keyCode(3), codeOf(device.profile().GetKeyList()[3].defaults));
    EXPECT_TRUE(view->keysChanged());
}

TEST_F(KeyEditor, AMouseThatVanishesMidWriteEndsWithTheLinkFailurePrompt)
{
    attach();
    view->selectKey(3);
    choosePage(KeyPage::Dpi);
    choose("keyset_mousedpi_combo", 0);
    sim.setLatency(3000, 0);
    view->saveKeys();
    // The busy strip says what is being written while it runs.
    auto* busy = view->findChild<QWidget*>("device_busy_panel");
    ASSERT_TRUE(waitFor([&] { return !busy->isHidden(); }));
    EXPECT_EQ(view->findChild<QLabel*>("device_busy_label")->text(), real.language.text("device_busy_macros_text"));

    device.closeLinks();
    ASSERT_TRUE(waitFor([&] { return !device.hasDeviceWork(); }, 2000));
    sim.setLatency(0, 0);

    EXPECT_EQ(mainWindow.notices, QStringList{"message_text_7"});
    EXPECT_TRUE(device.settingsPending());
    EXPECT_TRUE(busy->isHidden());
    EXPECT_FALSE(view->keysChanged());
}

}  // namespace
}  // namespace kestrion
