// The mouse pad's lighting page: its bytes both ways, and where the pad keeps them.
#include <gtest/gtest.h>

#include <ostream>
#include <vector>

#include "devices/pad_settings.h"
#include "devsim/simulator.h"
#include "platform/paths.h"

namespace kestrion {
namespace {

using namespace pad_page;

// Codes out of order and unlike their positions, so that a code taken for a position shows.
const std::vector<int> kModeCodes = {5, 9, 2, 7};

struct ReadCase {
    const char* what;
    std::uint8_t modeCode, speedByte;
    std::uint8_t position, speed;
};

void PrintTo(const ReadCase& c, std::ostream* out)
{
    *out << c.what;
}

class PadPageFromDevice : public testing::TestWithParam<ReadCase> {};

TEST_P(PadPageFromDevice, ModeBecomesItsPositionAndSpeedCountsUp)
{
    const ReadCase& c = GetParam();
    std::vector<std::uint8_t> read(kReadLength, 0);
    for (std::size_t i = 0; i < read.size(); ++i)
        read[i] = static_cast<std::uint8_t>(0x40 + i);
    read[kProfile] = 6;
    read[kMode] = c.modeCode;
    read[kSpeed] = c.speedByte;

    const PadPage page = padPageFromDevice(read.data(), 1, kModeCodes);

    EXPECT_EQ(page[kProfile], 1) << "the profile the page was read for";
    EXPECT_EQ(page[kMode], c.position);
    EXPECT_EQ(page[kSpeed], c.speed);
    for (std::size_t i : {kBrightness, std::size_t{4}, kMultiColour, kRed, kGreen, kBlue, std::size_t{9}, kSize - 1})
        EXPECT_EQ(page[i], read[i]) << "byte " << i;
}

INSTANTIATE_TEST_SUITE_P(Cases, PadPageFromDevice, testing::Values(
    ReadCase{"first code", 5, 1, 0, 3},
    ReadCase{"last code", 7, 4, 3, 0},
    ReadCase{"middle code, fastest", 2, 0, 2, 4},
    ReadCase{"unknown code", 3, 2, 0, 2},
    ReadCase{"speed past the top", 9, 200, 1, 0}),
    [](const auto& info) {
        std::string name = info.param.what;
        for (char& ch : name)
            ch = std::isalnum(static_cast<unsigned char>(ch)) ? ch : '_';
        return name;
    });

struct WriteCase {
    std::uint8_t position, speed;
    std::uint8_t modeCode, speedByte;
};

void PrintTo(const WriteCase& c, std::ostream* out)
{
    *out << "position " << int(c.position) << " speed " << int(c.speed);
}

class PadPageToDevice : public testing::TestWithParam<WriteCase> {};

TEST_P(PadPageToDevice, PositionBecomesItsCodeAndSpeedCountsDown)
{
    const WriteCase& c = GetParam();
    PadPage page{};
    for (std::size_t i = 0; i < page.size(); ++i)
        page[i] = static_cast<std::uint8_t>(0x80 + i);
    page[kMode] = c.position;
    page[kSpeed] = c.speed;

    const PadPage bytes = padPageToDevice(page, kModeCodes);

    EXPECT_EQ(bytes[kMode], c.modeCode);
    EXPECT_EQ(bytes[kSpeed], c.speedByte);
    for (std::size_t i = 0; i < kSize; ++i) {
        if (i != kMode && i != kSpeed) {
            EXPECT_EQ(bytes[i], page[i]) << "byte " << i;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, PadPageToDevice, testing::Values(
    WriteCase{0, 3, 5, 1},
    WriteCase{1, 0, 9, 4},
    WriteCase{3, 4, 7, 0},
    WriteCase{4, 2, 5, 2},     // a position past the list writes the first mode
    WriteCase{2, 250, 2, 0}));  // a speed past the top is the top

TEST(PadPage, ProfileLightingGoesIntoTheFieldsTheRecordOwnsAndComesBack)
{
    PadPage page{};
    page.fill(0xEE);
    LightInfo light{};
    light.mode = 2;
    light.brightness = 3;
    light.speed = 1;
    light.multiColor = 1;
    light.red = 10;
    light.green = 20;
    light.blue = 30;
    light.direction = 1;

    const PadPage filled = padPageWithLight(page, light);

    EXPECT_EQ(filled, (PadPage{0xEE, 2, 3, 1, 0xEE, 1, 10, 20, 30, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE,
                               0xEE, 0xEE, 0xEE, 0xEE, 0xEE}));
    const LightInfo back = padLightOf(filled, LightInfo{});
    EXPECT_EQ(back.mode, 2);
    EXPECT_EQ(back.speed, 1);
    EXPECT_EQ(back.blue, 30);
    EXPECT_EQ(back.direction, 0) << "the pad's page has no direction";
}

// Over the simulator's real socket transport: the pad's settings are one flat area.
class PadOnSimulator : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(sim.plug(devsim::Port::Pad));
        ASSERT_TRUE(channel.wiredLink().open(sim.commandPath(devsim::Port::Pad), true, true, true, false));
        channel.setOpen(true);
        channel.setLinkMode(1);
    }

    std::vector<std::uint8_t> settings(std::size_t offset, std::size_t length)
    {
        std::vector<std::uint8_t> bytes;
        sim.readMemory(devsim::Product::Pad, devsim::Area::Settings, offset, length, bytes);
        return bytes;
    }

    devsim::Simulator sim{virtualHidDir()};
    CommandChannel channel;
    PadSettingsLink link{channel};
};

struct OffsetCase {
    std::uint8_t profile;
    std::size_t readAt;
    std::size_t writtenAt;
};

void PrintTo(const OffsetCase& c, std::ostream* out)
{
    *out << "profile " << int(c.profile);
}

class PadOffsets : public PadOnSimulator, public testing::WithParamInterface<OffsetCase> {};

TEST_P(PadOffsets, ActiveProfileIsReadAtItsStrideOf25AndWrittenAtItsPageOf64)
{
    const OffsetCase& c = GetParam();
    ASSERT_TRUE(sim.writeMemory(devsim::Product::Pad, devsim::Area::Settings, 0, {c.profile}));
    // A page at the read offset the tool must find: mode code 2, speed byte 1, blue 0x33.
    std::vector<std::uint8_t> stored(kReadLength, 0);
    stored[kMode] = 2;
    stored[kBrightness] = 4;
    stored[kSpeed] = 1;
    stored[kBlue] = 0x33;
    stored[12] = 0x5A;
    if (c.readAt == 0)
        stored[kProfile] = c.profile;
    ASSERT_TRUE(sim.writeMemory(devsim::Product::Pad, devsim::Area::Settings, c.readAt, stored));

    PadPage page{};
    ASSERT_EQ(link.readPage(kModeCodes, page), kCommandOk);
    EXPECT_EQ(page[kProfile], c.profile);
    EXPECT_EQ(page[kMode], 2) << "code 2 is the third mode";
    EXPECT_EQ(page[kSpeed], 3);
    EXPECT_EQ(page[kBlue], 0x33);

    page[kRed] = 0x77;
    const PadPage bytes = padPageToDevice(page, kModeCodes);
    ASSERT_EQ(link.writePage(bytes, c.profile), kCommandOk);
    const std::vector<std::uint8_t> written = settings(c.writtenAt, kSize);
    EXPECT_EQ(written, std::vector<std::uint8_t>(bytes.begin(), bytes.end()));
    EXPECT_EQ(written[kSpeed], 1) << "speed goes back as the pad counts it";
    EXPECT_EQ(written[12], 0x5A) << "bytes the tool does not edit are carried";
}

INSTANTIATE_TEST_SUITE_P(Profiles, PadOffsets, testing::Values(OffsetCase{0, 0, 0}, OffsetCase{1, 25, 64}));

TEST_F(PadOnSimulator, InformationPowerAndAClosedChannel)
{
    std::array<std::uint8_t, kInfoLength> info{};
    ASSERT_EQ(link.readDeviceInfo(info), kCommandOk);
    EXPECT_EQ(std::vector<std::uint8_t>(info.begin(), info.end()), sim.memory(devsim::Product::Pad, devsim::Area::Info));
    std::array<std::uint8_t, kPowerLength> power{};
    power.fill(0xFF);
    ASSERT_EQ(link.readPower(power), kCommandOk);
    EXPECT_EQ(power, (std::array<std::uint8_t, kPowerLength>{}));

    channel.setOpen(false);
    EXPECT_EQ(link.writePage(PadPage{}, 0), kCommandReadFailed);
    EXPECT_EQ(link.readDeviceInfo(info), kCommandReadFailed);
}

}  // namespace
}  // namespace kestrion
