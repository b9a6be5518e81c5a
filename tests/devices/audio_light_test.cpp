// The music light of the preview drawn from band levels.
#include <gtest/gtest.h>

#include "devices/audio_light.h"

namespace kestrion {
namespace {

constexpr std::size_t kFirstColumnLed = 0;   // column 0: bands 0 to 2
constexpr std::size_t kMiddleColumnLed = 14; // column 6: bands 21 to 24

AudioLightInfo record(std::uint8_t mode, std::uint8_t sevenColour = 0)
{
    AudioLightInfo light{};
    light.audioMode = mode;
    light.backBlue = 255;  // quiet: blue
    light.foreRed = 255;   // loud: red
    light.sevenColor = sevenColour;
    return light;
}

audio::Bands bandsWith(std::size_t band, std::uint8_t level)
{
    audio::Bands bands{};
    bands[band] = level;
    return bands;
}

const audio::Loudness kLoudness{1000, 2000, {0, 200, 100}};

TEST(AudioLight, OffAndUnknownModesLeaveTheEffect)
{
    for (std::uint8_t mode : {0, 4, 255}) {
        AudioLightPainter painter;
        EXPECT_FALSE(painter.paint(record(mode), bandsWith(0, 255), kLoudness)) << int(mode);
    }
    AudioLightPainter painter;
    EXPECT_FALSE(painter.repaint(record(1))) << "no block yet";
}

TEST(AudioLight, ModesDrawTheirColours)
{
    struct Case {
        const char* what;
        AudioLightInfo record;
        audio::Bands bands;
        std::size_t led;
        KeyColour expected;
    };
    const Case cases[] = {
        {"spectrum: a loud low band lights the first column loud", record(1), bandsWith(1, 255), kFirstColumnLed,
         {255, 0, 0, 255}},
        {"spectrum: the middle column stays quiet", record(1), bandsWith(1, 255), kMiddleColumnLed, {0, 0, 255, 255}},
        {"spectrum: half way between quiet and loud", record(1), bandsWith(24, 102), kMiddleColumnLed,
         {102, 0, 153, 255}},
        {"spectrum in seven colours: the column's wheel colour", record(1, 1), bandsWith(0, 255), kFirstColumnLed,
         {lighting::kColourWheel[0].red, lighting::kColourWheel[0].green, lighting::kColourWheel[0].blue, 255}},
        {"pulse: every LED follows the loudest band", record(2), bandsWith(1, 255), kMiddleColumnLed,
         {255, 0, 0, 255}},
        {"companion colour lit by the loudest band", record(3), bandsWith(20, 128), kFirstColumnLed,
         {0, 200, 100, 128}},
    };
    for (const Case& c : cases) {
        AudioLightPainter painter;
        const auto frame = painter.paint(c.record, c.bands, kLoudness);
        ASSERT_TRUE(frame) << c.what;
        EXPECT_EQ((*frame)[c.led], c.expected) << c.what;
    }
}

TEST(AudioLight, ABeatFadesOverTheNextBlocksAndAChangedRecordRepaintsTheLastLevels)
{
    AudioLightPainter painter;
    painter.paint(record(3), bandsWith(0, 255), kLoudness);
    const auto next = painter.paint(record(3), audio::Bands{}, kLoudness);
    EXPECT_EQ((*next)[0].brightness, 255 - AudioLightPainter::kFallPerBlock);
    for (int i = 0; i < 10; ++i)
        painter.paint(record(3), audio::Bands{}, kLoudness);
    EXPECT_EQ((*painter.repaint(record(3)))[0].brightness, 0);
    EXPECT_EQ((*painter.repaint(record(1)))[0], (KeyColour{0, 0, 255, 255}));
    EXPECT_FALSE(painter.repaint(record(0)));
}

}  // namespace
}  // namespace kestrion
