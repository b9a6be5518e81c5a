#include "editors/key_function.h"

#include <gtest/gtest.h>
#include <ostream>

namespace kestrion {

std::ostream& operator<<(std::ostream& out, const KeyCode& code)
{
    return out << std::hex << "{0x" << int(code.type) << ", 0x" << int(code.p1) << ", 0x" << int(code.p2) << "}";
}

namespace {

constexpr KeyCode kLeftDefault{KeyType::MouseButton, 0x01, 0};
constexpr int kMacros = 3;

KeyPageState page(int number)
{
    KeyPageState state;
    state.page = number;
    return state;
}

// Reading a page: each case builds the page state and the code it gives from a current code.
struct ReadCase {
    const char* what;
    KeyPageState state;
    KeyCode current;
    KeyCode expected;
};

TEST(ReadKeyCode, EveryPageBuildsItsCode)
{
    auto swing = [](int direction, const char* count, const char* delay, const char* speed) {
        KeyPageState s = page(KeyPage::Swing);
        s.swingDirection = direction;
        s.swingCount = count;
        s.swingDelay = delay;
        s.swingSpeed = speed;
        return s;
    };
    auto wheel = [](int direction, const char* count, const char* delay, const char* speed) {
        KeyPageState s = page(KeyPage::Wheel);
        s.wheelDirection = direction;
        s.wheelCount = count;
        s.wheelDelay = delay;
        s.wheelSpeed = speed;
        return s;
    };
    auto fire = [](const char* interval, const char* count) {
        KeyPageState s = page(KeyPage::Fire);
        s.fireInterval = interval;
        s.fireCount = count;
        return s;
    };
    auto keyboard = [](int modifier, const char* keyText) {
        KeyPageState s = page(KeyPage::Keyboard);
        s.modifier = modifier;
        s.keyText = keyText;
        return s;
    };
    auto macro = [](int index, int repeat, const char* cycles) {
        KeyPageState s = page(KeyPage::Macro);
        s.macro = index;
        s.macroRepeat = repeat;
        s.macroCycles = cycles;
        return s;
    };
    auto row = [](int number, int KeyPageState::*field, int value) {
        KeyPageState s = page(number);
        s.*field = value;
        return s;
    };
    const KeyCode any{KeyType::Keyboard, 0, 0x16};
    const ReadCase cases[] = {
        {"default page", page(KeyPage::Default), any, kLeftDefault},
        {"unknown page", page(12), any, kLeftDefault},
        {"middle button", row(KeyPage::MouseButton, &KeyPageState::mouseButton, 1), any, {0x10, 0x04, 0}},
        {"no button row keeps the code", row(KeyPage::MouseButton, &KeyPageState::mouseButton, -1), any, any},
        {"swing right 3", swing(1, "3", "2", "5"), any, {0x11, 0x25, 0x83}},
        {"swing left 3", swing(0, "3", "0", "0"), any, {0x11, 0x00, 0x03}},
        {"swing no direction keeps p2", swing(-1, "3", "1", "1"), any, {0x11, 0x11, 0x16}},
        {"swing count over 127 to the left", swing(0, "200", "0", "0"), any, {0x11, 0, 200 & 0x7F}},
        {"swing nibbles truncated", swing(0, "1", "17", "31"), any, {0x11, 0x1F, 0x01}},
        {"wheel down 3", wheel(1, "3", "0", "4"), any, {0x12, 0x04, 0xFD}},
        {"wheel up 5", wheel(0, "5", "15", "15"), any, {0x12, 0xFF, 0x05}},
        {"wheel text reads 0", wheel(0, "abc", "x", ""), any, {0x12, 0, 0}},
        {"DPI cycle", row(KeyPage::Dpi, &KeyPageState::dpiFunction, 2), any, {0x13, 3, 0}},
        {"fire", fire("50", "3"), any, {0x14, 50, 3}},
        {"fire interval floor", fire("5", "2"), any, {0x14, 10, 2}},
        {"fire numbers truncated to 8 bits", fire("300", "257"), any, {0x14, 300 & 0xFF, 1}},
        {"keyboard without key", keyboard(-1, ""), any, {0x20, 0, 0}},
        {"keyboard keeps the captured usage", keyboard(2, "keyboard_key_S"), any, {0x20, 0x02, 0x16}},
        {"keyboard win", keyboard(4, "keyboard_key_S"), any, {0x20, 0x08, 0x16}},
        {"keyboard no modifier", keyboard(0, "keyboard_key_S"), any, {0x20, 0, 0x16}},
        {"media mute", row(KeyPage::Media, &KeyPageState::media, 7), any, {0x30, 0xE2, 0x00}},
        {"media mail", row(KeyPage::Media, &KeyPageState::media, 17), any, {0x30, 0x8A, 0x01}},
        {"system sleep", row(KeyPage::System, &KeyPageState::system, 1), any, {0x40, 0x02, 0}},
        {"macro mode 2", macro(1, 2, ""), any, {0x70, 1, 2}},
        {"macro counted", macro(2, 4, "7"), any, {0x71, 2, 7}},
        {"macro counted truncated", macro(2, 4, "258"), any, {0x71, 2, 2}},
        {"macro without mode plays mode 0", macro(0, -1, ""), any, {0x70, 0, 0}},
        {"no macro selected", macro(-1, 1, ""), any, any},
        {"gun 3", row(KeyPage::GunKey, &KeyPageState::gun, 2), any, {0x72, 2, 0}},
        {"no gun keeps the code", row(KeyPage::GunKey, &KeyPageState::gun, -1), any, any},
        {"shortcut save", row(KeyPage::Shortcut, &KeyPageState::shortcut, 3), any, {0x20, 0x10, 0x16}},
        {"shortcut magnify", row(KeyPage::Shortcut, &KeyPageState::shortcut, 10), any, {0x20, 0x10, 0x2E}},
    };
    for (ReadCase c : cases)
        EXPECT_EQ(readKeyCode(c.state, c.current, kLeftDefault, kMacros), c.expected) << c.what;
}

TEST(ReadKeyCode, AFireIntervalBelowTheFloorIsShownAsTheFloor)
{
    KeyPageState s = page(KeyPage::Fire);
    s.fireInterval = "5";
    readKeyCode(s, {}, kLeftDefault, 0);
    EXPECT_EQ(s.fireInterval, "10");
    s.fireInterval = "-3";
    readKeyCode(s, {}, kLeftDefault, 0);
    EXPECT_EQ(s.fireInterval, "10");
}

TEST(ReadKeyCode, MacroPageWithAnEmptyLibraryKeepsTheCode)
{
    KeyPageState s = page(KeyPage::Macro);
    s.macro = 0;
    s.macroRepeat = 1;
    const KeyCode current{0x10, 0x02, 0};
    EXPECT_EQ(readKeyCode(s, current, kLeftDefault, 0), current);
}

TEST(EditNumber, ReadsTheLeadingDecimalNumber)
{
    const std::pair<const char*, int> cases[] = {
        {"42", 42}, {" 7", 7}, {"12abc", 12}, {"abc", 0}, {"", 0}, {"-5", -5}, {"+3", 3},
        {"99999999999999999999", 2147483647},
    };
    for (const auto& [text, value] : cases)
        EXPECT_EQ(editNumber(text), value) << text;
}

// Showing a code: the page and the controls it fills.
TEST(ShowKeyCode, EveryTypeOpensItsPage)
{
    const std::pair<KeyCode, int> cases[] = {
        {kLeftDefault, KeyPage::Default},
        {{0x10, 0x02, 0}, KeyPage::MouseButton},
        {{0x11, 0x25, 0x83}, KeyPage::Swing},
        {{0x12, 0, 0xFD}, KeyPage::Wheel},
        {{0x13, 1, 0}, KeyPage::Dpi},
        {{0x14, 10, 1}, KeyPage::Fire},
        {{0x20, 0x01, 0x16}, KeyPage::Keyboard},
        {{0x20, 0x10, 0x16}, KeyPage::Shortcut},
        {{0x30, 0xCD, 0}, KeyPage::Media},
        {{0x40, 0x04, 0}, KeyPage::System},
        {{0x70, 1, 0}, KeyPage::Macro},
        {{0x71, 9, 3}, KeyPage::Macro},
        {{0x72, 3, 0}, KeyPage::GunKey},
        {{0xB0, 5, 5}, KeyPage::Shortcut},
        {{0x00, 0, 0}, KeyPage::Default},
        {{0x16, 0, 0}, KeyPage::None},
        {{0xA0, 0x02, 0}, KeyPage::None},
    };
    for (const auto& [code, expected] : cases) {
        KeyPageState s;
        KeyCode current = code;
        showKeyCode(s, code, kLeftDefault, kMacros, current);
        EXPECT_EQ(s.page, expected) << code;
    }
}

TEST(ShowKeyCode, ACodeEqualToTheDefaultShowsTheDefaultPageWhateverItsType)
{
    KeyPageState s;
    const KeyCode dpiDefault{0x13, 3, 0};
    KeyCode current = dpiDefault;
    showKeyCode(s, dpiDefault, dpiDefault, 0, current);
    EXPECT_EQ(s.page, KeyPage::Default);
}

// A code shown and read back from the same page is the same code.
TEST(ShowKeyCode, ShownCodesReadBackUnchanged)
{
    const KeyCode codes[] = {
        {0x10, 0x10, 0}, {0x11, 0x25, 0x83}, {0x11, 0xF0, 0x05}, {0x12, 0x12, 0xFD}, {0x12, 0, 0x03},
        {0x13, 2, 0},    {0x14, 200, 9},     {0x20, 0, 0x04},    {0x20, 0x04, 0x3A}, {0x20, 0x08, 0},
        {0x20, 0x10, 0x06}, {0x30, 0x23, 0x02}, {0x40, 0x01, 0},  {0x70, 2, 3},      {0x71, 0, 255},
        {0x72, 1, 0},
    };
    for (const KeyCode& code : codes) {
        KeyPageState s;
        KeyCode current = code;
        showKeyCode(s, code, kLeftDefault, kMacros, current);
        EXPECT_EQ(readKeyCode(s, current, kLeftDefault, kMacros), code) << code;
    }
}

TEST(ShowKeyCode, ControlsOfTelltaleCodes)
{
    KeyCode current{};
    KeyPageState wheel;
    showKeyCode(wheel, {0x12, 0x3A, 0xFD}, kLeftDefault, 0, current);
    EXPECT_EQ(wheel.wheelCount, "3");
    EXPECT_EQ(wheel.wheelDirection, 1);
    EXPECT_EQ(wheel.wheelDelay, "3");
    EXPECT_EQ(wheel.wheelSpeed, "10");

    KeyPageState swing;
    showKeyCode(swing, {0x11, 0, 0x83}, kLeftDefault, 0, current);
    EXPECT_EQ(swing.swingCount, "3");
    EXPECT_EQ(swing.swingDirection, 1);

    KeyPageState save;
    showKeyCode(save, {0x20, 0x10, 0x16}, kLeftDefault, 0, current);
    EXPECT_EQ(save.shortcut, 3);

    KeyPageState ctrlS;
    showKeyCode(ctrlS, {0x20, 0x01, 0x16}, kLeftDefault, 0, current);
    EXPECT_EQ(ctrlS.modifier, 1);
    EXPECT_EQ(ctrlS.keyText, "keyboard_key_S");

    KeyPageState altOnly;
    showKeyCode(altOnly, {0x20, 0x04, 0}, kLeftDefault, 0, current);
    EXPECT_EQ(altOnly.modifier, 3);
    EXPECT_EQ(altOnly.keyText, "");

    KeyPageState media;
    showKeyCode(media, {0x30, 0x94, 0x01}, kLeftDefault, 0, current);
    EXPECT_EQ(media.media, 15);
}

TEST(ShowKeyCode, AKeyboardUsageNoKeyHasIsCleared)
{
    KeyPageState s;
    KeyCode current{0x20, 0, 0xF0};
    showKeyCode(s, current, kLeftDefault, 0, current);
    EXPECT_EQ(s.page, KeyPage::Keyboard);
    EXPECT_EQ(s.modifier, -1);
    EXPECT_EQ(s.keyText, "");
    EXPECT_EQ(current, (KeyCode{0x20, 0, 0}));
}

TEST(ShowKeyCode, AMacroIndexThatNamesNoMacroSelectsNothing)
{
    KeyCode current{};
    KeyPageState plain;
    plain.macro = 1;
    plain.macroRepeat = 2;
    showKeyCode(plain, {0x70, 5, 1}, kLeftDefault, kMacros, current);
    EXPECT_EQ(plain.page, KeyPage::Macro);
    EXPECT_EQ(plain.macro, -1);
    EXPECT_EQ(plain.macroRepeat, -1);
    EXPECT_FALSE(plain.macroCyclesShown);

    KeyPageState counted;
    showKeyCode(counted, {0x71, 5, 6}, kLeftDefault, kMacros, current);
    EXPECT_EQ(counted.macro, -1);
    EXPECT_FALSE(counted.macroCyclesShown);

    showKeyCode(counted, {0x71, 1, 6}, kLeftDefault, kMacros, current);
    EXPECT_EQ(counted.macro, 1);
    EXPECT_EQ(counted.macroRepeat, kMacroCountedRepeat);
    EXPECT_EQ(counted.macroCycles, "6");
    EXPECT_TRUE(counted.macroCyclesShown);
}

// Capture: the key table row of a pressed key, the modifier selected before, the result.
TEST(CaptureKey, ModifiersSelectTheirOptionAndKeysKeepTheSelectedOne)
{
    struct Case {
        const char* what;
        int row;
        int selectedModifier;
        int modifier;
        const char* keyText;
        KeyCode code;
    };
    const KeyCode current{0x20, 0, 0x04};
    const Case cases[] = {
        {"left Ctrl", 0, -1, 1, "", {0x20, 0x01, 0x04}},
        {"right Ctrl", 4, 0, 1, "", {0x20, 0x10, 0x04}},
        {"right Shift", 5, -1, 2, "", {0x20, 0x20, 0x04}},
        {"right Alt", 6, 3, 3, "", {0x20, 0x40, 0x04}},
        {"right Win", 7, -1, 4, "", {0x20, 0x80, 0x04}},
        {"S without modifier", 26, -1, 0, "keyboard_key_S", {0x20, 0, 0x16}},
        {"S with Shift", 26, 2, 2, "keyboard_key_S", {0x20, 0x02, 0x16}},
        {"F12 with Win", 72, 4, 4, "keyboard_key_F12", {0x20, 0x08, 0x45}},
        {"Num Enter", 91, 0, 0, "keyboard_key_Num Enter", {0x20, 0, 0x58}},
    };
    for (const Case& c : cases) {
        const auto captured = captureKey(c.row, c.selectedModifier, current);
        ASSERT_TRUE(captured) << c.what;
        EXPECT_EQ(captured->modifier, c.modifier) << c.what;
        EXPECT_EQ(captured->keyText, c.keyText) << c.what;
        EXPECT_EQ(captured->code, c.code) << c.what;
    }
    EXPECT_FALSE(captureKey(kNoRow, 0, current));
    EXPECT_FALSE(captureKey(static_cast<int>(kScanCodeRows), 0, current));
}

TEST(CaptureKey, RightShiftThenReadingThePageGivesTheLeftShiftBit)
{
    const auto captured = captureKey(5, -1, {0x20, 0, 0});
    ASSERT_TRUE(captured);
    KeyPageState s = page(KeyPage::Keyboard);
    s.modifier = captured->modifier;
    s.keyText = captured->keyText;
    EXPECT_EQ(readKeyCode(s, captured->code, kLeftDefault, 0), (KeyCode{0x20, 0x02, 0}));
}

// Key list naming: the language ids (joined by "+") or the literal a code is named by.
TEST(KeyFunctionLabel, EveryTypeIsNamed)
{
    const std::vector<std::string> macros = {"Reload", "Combo"};
    struct Case {
        KeyCode code;
        std::vector<std::string> ids;
        std::string literal;
    };
    const Case cases[] = {
        {{0x00, 0, 0}, {"close_text"}, ""},
        {{0x20, 0, 0}, {"close_text"}, ""},
        {{0x20, 0, 0x16}, {"keyboard_key_S"}, ""},
        {{0x20, 0x02, 0}, {"keyboard_key_LShift"}, ""},
        {{0x20, 0x01, 0x16}, {"keyboard_key_LCtrl", "keyboard_key_S"}, ""},
        {{0x20, 0x10, 0x16}, {"keyboard_key_RCtrl", "keyboard_key_S"}, ""},
        {{0x20, 0, 0xF0}, {"close_text"}, ""},
        {{0x10, 0x08, 0}, {"mouse_key_back"}, ""},
        {{0x13, 2, 0}, {"mouse_key_DPI_sub"}, ""},
        {{0x30, 0xE9, 0}, {"media_vol_add"}, ""},
        {{0x40, 0x04, 0}, {"system_wake_up"}, ""},
        {{0x11, 0x11, 0x03}, {"mouse_key_left_Swing"}, ""},
        {{0x11, 0x11, 0x83}, {"mouse_key_right_Swing"}, ""},
        {{0x12, 0, 0x03}, {"mouse_key_up_Swing"}, ""},
        {{0x12, 0, 0xFD}, {"mouse_key_down_Swing"}, ""},
        {{0x14, 10, 1}, {"mouse_key_fire_key"}, ""},
        {{0x72, 3, 0}, {"gun_4_txt"}, ""},
        {{0x22, 0, 7}, {"custem_save"}, ""},
        {{0x16, 0, 0}, {"mouse_key_DPI_shift"}, ""},
        {{0x23, 0, 0}, {"show_window"}, ""},
        {{0xA0, 0x02, 0}, {"mouse_key_smart_key"}, ""},
        {{0xA0, 0x00, 0}, {"close_text"}, ""},
        {{0xA0, 0x1B, 0}, {"keyboard_key_GM"}, ""},
        {{0x70, 1, 0}, {}, "Combo"},
        {{0x71, 0, 5}, {}, "Reload"},
        {{0xD0, 0xA2, 1}, {}, "关闭"},
        {{0x99, 1, 1}, {}, "关闭"},
    };
    for (const Case& c : cases) {
        const KeyFunctionLabel label = keyFunctionLabel(c.code, macros);
        EXPECT_TRUE(label.shown) << c.code;
        EXPECT_EQ(label.ids, c.ids) << c.code;
        EXPECT_EQ(label.literal, c.literal) << c.code;
    }
}

TEST(KeyFunctionLabel, SomeKeysGetNoLine)
{
    const KeyCode hidden[] = {{0x15, 0, 0}, {0x21, 1, 1}, {0x50, 0, 0}, {0x60, 0, 0}, {0xB0, 0, 0},
                              {0xC0, 0, 0}, {0x70, 2, 0}, {0x71, 9, 1}};
    for (const KeyCode& code : hidden)
        EXPECT_FALSE(keyFunctionLabel(code, {"one", "two"}).shown) << code;
}

}  // namespace
}  // namespace kestrion
