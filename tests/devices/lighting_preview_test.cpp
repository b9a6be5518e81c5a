#include <gtest/gtest.h>

#include "devices/lighting_preview.h"
#include "devices/lighting_test_print.h"

namespace kestrion {
namespace {

TEST(LightingKeyColour, PacksBrightnessRedGreenBlueFromTheHighByte)
{
    EXPECT_EQ(unpackKeyColour(0x80304050), (KeyColour {0x30, 0x40, 0x50, 0x80}));
    EXPECT_EQ(packKeyColour({0x30, 0x40, 0x50, 0x80}), 0x80304050u);
}

TEST(LightingKeyColour, StoredAndReadInsideTheFrameOnly)
{
    LightingPreview preview;
    preview.setKeyColour(0, 0x11223344);
    preview.setKeyColour(14, 0xAABBCCDD);
    EXPECT_EQ(preview.getKeyColour(0), 0x11223344u);
    EXPECT_EQ(preview.getKeyColour(14), 0xAABBCCDDu);

    const LightFrame before = preview.frame();
    for (const int outside : {-1, 15, 170, 1 << 30}) {
        preview.setKeyColour(outside, 0xFFFFFFFF);
        EXPECT_EQ(preview.getKeyColour(outside), 0u) << outside;
    }
    EXPECT_EQ(preview.frame(), before);
}

TEST(LightingScaledFrame, EachChannelTimesBrightnessOver256)
{
    LightFrame frame {};
    frame[0] = {255, 128, 1, 255};
    frame[1] = {200, 100, 50, 128};
    frame[2] = {255, 255, 255, 0};
    frame[14] = {10, 20, 30, 192};
    const ScaledFrame scaled = scaledFrame(frame);
    const ScaledFrame expected = {254, 127, 0, 100, 50, 25, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                                  0,   0,   0, 0,   0,  0,  0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 7, 15, 22};
    EXPECT_EQ(scaled, expected);
}

TEST(LightingPreview, ModesOutsideTheTableAndStrayReactiveKeysAreHarmless)
{
    LightingPreview preview;
    preview.setKeyColour(3, 0xFFFFFFFF);
    preview.runStep(11, EffectParams {4, 4, false, false, {1, 2, 3}}, 0);
    preview.runStep(-1, EffectParams {4, 4, false, false, {1, 2, 3}}, 0);
    EXPECT_EQ(preview.getKeyColour(3), 0u);
    preview.decayReactive(lighting::kReactiveKeyCount);
    preview.decayReactive(static_cast<std::size_t>(-1));
}

TEST(LightingPreview, ReactiveRisesToFullThenFallsToZero)
{
    LightingPreview preview;
    const EffectParams params {4, 4, false, false, {0, 0, 255}};
    preview.lightAllReactive({});
    std::vector<int> brightness;
    for (int step = 0; step < 20; ++step) {
        preview.previewReactive(params, 0);
        brightness.push_back(preview.frame()[0].brightness);
    }
    const std::vector<int> expected = {192, 180, 169, 158, 146, 135, 124, 112, 101, 90,
                                       79,  67,  56,  45,  33,  22,  11,  0,   0,   0};
    EXPECT_EQ(brightness, expected);
}

}  // namespace
}  // namespace kestrion
