#include <gtest/gtest.h>

#include "editors/light_rules.h"

namespace kestrion::test {
namespace {

using namespace lighting_editor;
using S = GroupState;

struct RuleCase {
    int kind;
    int mode;
    // seven-colour, colour, palette, brightness, speed, direction, rgb
    std::array<S, 7> groups;
    std::optional<bool> same;
};

constexpr S K = S::Keep;
constexpr S O = S::Off;
constexpr S I = S::On;

const RuleCase kRuleCases[] = {
    // Mouse: 6 turns everything but the effect list off; 0 has no speed.
    {kKindMouse, 0, {O, I, I, I, O, O, I}, true},
    {kKindMouse, 6, {O, O, O, O, O, O, O}, true},
    {kKindMouse, 9, {O, I, I, I, I, O, I}, true},
    {kKindMouse, 5, {I, O, O, I, I, O, O}, true},
    {kKindMouse, 7, {O, O, O, I, I, O, K}, false},
    {kKindMouse, 8, {I, I, I, I, I, O, K}, true},
    {kKindMouse, 10, {O, O, O, I, I, O, O}, false},
    {kKindMouse, 42, {O, O, O, O, O, O, K}, false},
    {kKindMouseReceiver, 6, {O, O, O, O, O, O, O}, true},
    // Mouse pad and headset.
    {kKindMousePad, 0, {I, I, I, I, I, I, I}, false},
    {kKindHeadset, 1, {O, O, O, I, I, O, O}, true},
    {kKindMousePad, 3, {O, I, I, I, O, O, I}, true},
    {kKindLightStrip, 8, {O, O, O, O, O, O, O}, true},
    {kKindMousePad, 5, {O, O, O, O, O, O, O}, false},
    // Kind 5 leaves direction and the same-lighting command alone.
    {kKindFive, 1, {O, I, I, I, O, K, I}, std::nullopt},
    {kKindFive, 4, {O, O, O, I, I, K, O}, std::nullopt},
    {kKindFive, 5, {O, O, O, O, O, K, O}, std::nullopt},
};

TEST(LightRules, GroupsPerKindAndMode)
{
    for (const RuleCase& c : kRuleCases) {
        const ModeRule rule = modeRule(c.kind, c.mode);
        SCOPED_TRACE("kind " + std::to_string(c.kind) + " mode " + std::to_string(c.mode));
        EXPECT_EQ(rule.groups[kEffectGroup], S::On);
        for (std::size_t g = 0; g < c.groups.size(); ++g)
            EXPECT_EQ(rule.groups[g + 1], c.groups[g]) << kGroupNames[g + 1];
        EXPECT_EQ(rule.same, c.same);
    }
}

struct KeyboardCase {
    int mode;
    std::array<S, 7> groups;
    bool same;
    KeyboardLayouts layouts;
};

TEST(LightRules, KeyboardModesSetTheirGroupsAndLayouts)
{
    const KeyboardCase cases[] = {
        {0, {I, I, I, I, I, K, K}, false, {}},
        {3, {O, O, O, I, I, O, K}, true, {true, false, false, false, false}},
        {4, {O, I, I, I, I, O, K}, true, {}},
        {16, {O, O, O, I, I, O, K}, false, {false, false, true, false, false}},
        {19, {O, I, I, I, O, O, K}, false, {false, true, false, false, true}},
        {27, {O, O, O, O, O, O, K}, true, {}},
        {28, {I, I, I, I, O, K, K}, false, {false, false, false, true, true}},
        {22, {O, O, O, O, O, O, K}, false, {}},
        {99, {O, O, O, O, O, O, K}, false, {}},
    };
    for (const KeyboardCase& c : cases) {
        for (const int kind : {kKindKeyboard, kKindKeyboardReceiver}) {
            const ModeRule rule = modeRule(kind, c.mode);
            SCOPED_TRACE("keyboard mode " + std::to_string(c.mode));
            for (std::size_t g = 0; g < c.groups.size(); ++g)
                EXPECT_EQ(rule.groups[g + 1], c.groups[g]) << kGroupNames[g + 1];
            EXPECT_EQ(rule.same, c.same);
            ASSERT_TRUE(rule.keyboard);
            EXPECT_EQ(rule.keyboard->speedShown, c.layouts.speedShown);
            EXPECT_EQ(rule.keyboard->customShown, c.layouts.customShown);
            EXPECT_EQ(rule.keyboard->secondModeShown, c.layouts.secondModeShown);
            EXPECT_EQ(rule.keyboard->audioModeShown, c.layouts.audioModeShown);
            EXPECT_EQ(rule.keyboard->colourEnabled, c.layouts.colourEnabled);
        }
    }
    EXPECT_FALSE(modeRule(kKindMouse, 0).keyboard);
}

TEST(LightRules, SameLightingTranslatesTheModeAndCopiesTheLook)
{
    LightInfo mouse{};
    mouse.mode = 3;
    mouse.brightness = 2;
    mouse.speed = 4;
    mouse.direction = 1;
    mouse.red = 10;
    mouse.green = 20;
    mouse.blue = 30;
    LightInfo pad{};
    pad.customGroup = 7;
    const auto padLight = sameLightingFor(mouse, kKindMouse, pad, kKindMousePad);
    ASSERT_TRUE(padLight);
    EXPECT_EQ(padLight->mode, 1);
    EXPECT_EQ(padLight->speed, 4);
    EXPECT_EQ(padLight->red, 10);
    EXPECT_EQ(padLight->blue, 30);
    EXPECT_EQ(padLight->customGroup, 7);
    EXPECT_EQ(sameLightingFor(mouse, kKindMouse, pad, kKindKeyboard)->mode, 4);
    EXPECT_EQ(sameLightingFor(mouse, kKindMouse, pad, kKindHeadset)->mode, 1);

    // Mouse mode 2 (wave) has no common effect; kind 5 has no column.
    mouse.mode = 2;
    EXPECT_FALSE(sameLightingFor(mouse, kKindMouse, pad, kKindMousePad));
    mouse.mode = 6;
    EXPECT_FALSE(sameLightingFor(mouse, kKindMouse, pad, kKindFive));
    EXPECT_EQ(sameLightingFor(mouse, kKindMouse, pad, kKindKeyboard)->mode, 28);
}

TEST(LightRules, ColourComponentsFromText)
{
    const std::pair<const char*, int> cases[] = {
        {"", 0}, {"0", 0}, {"128", 128}, {"255", 255}, {"300", 255}, {"99999999999999999999", 255}, {"abc", 0}, {"-5", 0},
    };
    for (const auto& [text, expected] : cases)
        EXPECT_EQ(componentFromText(text), expected) << text;
    EXPECT_EQ(colourWord(0x12, 0x34, 0x56), 0xFF123456u);
    EXPECT_EQ(greenOf(0xFF123456u), 0x34);
}

}  // namespace
}  // namespace kestrion::test
