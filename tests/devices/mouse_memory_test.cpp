#include <gtest/gtest.h>

#include <cstring>

#include "devices/mouse_memory.h"

namespace kestrion {
namespace {

DeviceInfoBlock blockOf(std::initializer_list<std::pair<std::size_t, std::uint8_t>> bytes)
{
    DeviceInfoBlock block;
    for (const auto& [offset, value] : bytes)
        block.data()[offset] = value;
    return block;
}

TEST(DeviceInfoBlock, NamedFieldsAtTheirOffsets)
{
    const DeviceInfoBlock block = blockOf({{0, 0xAA}, {1, 0x55}, {5, 10}, {7, 0x15}, {9, 0x04}, {10, 0x31},
                                           {11, 50}, {12, 0x7A}, {13, 0x00}, {14, 0x64}, {15, 0x00}});
    EXPECT_TRUE(block.hasMagic());
    EXPECT_TRUE(block.isInitialised());
    EXPECT_FALSE(block.isFresh());
    EXPECT_EQ(block.keyCount(), 10);
    EXPECT_EQ(block.keyTableLength(), 30u);
    const SensorInfo sensor = block.sensorInfo();
    EXPECT_EQ(sensor.sensorId, 0x3104);
    EXPECT_EQ(sensor.step, 50);
    EXPECT_EQ(sensor.sliderRange, 0x7A);
    EXPECT_EQ(sensor.base, 100);
}

TEST(DeviceInfoBlock, MarkerAndMagicDecideTheState)
{
    struct Case {
        std::uint8_t magicLow, magicHigh, marker;
        bool initialised, fresh;
    };
    constexpr Case cases[] = {
        {0xAA, 0x55, 0x15, true, false},
        {0xAA, 0x55, 0x00, false, true},
        {0xAA, 0x55, 0x33, false, false},
        {0x55, 0xAA, 0x15, false, false},  // bytes swapped: wrong magic even with the marker set
        {0x34, 0x12, 0x00, false, false},
    };
    for (const Case& c : cases) {
        DeviceInfoBlock block = blockOf({{0, c.magicLow}, {1, c.magicHigh}, {7, c.marker}});
        EXPECT_EQ(block.isInitialised(), c.initialised) << int(c.marker);
        EXPECT_EQ(block.isFresh(), c.fresh) << int(c.marker);
    }
    DeviceInfoBlock fresh = blockOf({{0, 0xAA}, {1, 0x55}});
    fresh.setMarker(DeviceInfoBlock::kMarkerInitialised);
    EXPECT_EQ(fresh.bytes()[7], 0x15);
    EXPECT_TRUE(fresh.isInitialised());
}

SettingsPage devicePage()
{
    SettingsPage bytes{};
    bytes[0] = 9;     // the device's own byte 0 is replaced by the active profile
    bytes[1] = 4;     // LED code 4: mode 2
    bytes[2] = 200;
    bytes[3] = 1;     // speed 3
    bytes[4] = 7;
    bytes[5] = 1;
    bytes[6] = 10;
    bytes[7] = 20;
    bytes[8] = 30;
    bytes[9] = 0xEE;
    bytes[11] = 3;
    bytes[12] = 2;
    for (std::size_t i = 14; i < 77; ++i)
        bytes[i] = 0x77;
    const std::uint8_t system[] = {1, 2, 3, 4, 5, 1, 1, 1};
    std::memcpy(bytes.data() + 77, system, sizeof system);
    bytes[86] = 0xEE;
    return bytes;
}

TEST(SettingsPage, ReadingFillsTheValuesTheDeviceOwns)
{
    SettingsPage bytes = devicePage();
    MouseSettingsValues values;
    values.light.direction = 5;
    values.system.silentAltitude = 0;
    values.system.doubleClickTime = 500;
    decodeSettingsPage(bytes, 1, {0, 1, 2, 3}, values);

    EXPECT_EQ(values.system.logoLedMode, 2);
    EXPECT_EQ(values.light.mode, 2);  // position of code 2 in the list
    EXPECT_EQ(values.light.brightness, 200);
    EXPECT_EQ(values.light.speed, 3);
    EXPECT_EQ(values.light.direction, 5);  // Fx is the profile's
    EXPECT_EQ(values.light.multiColor, 1);
    EXPECT_EQ(values.light.red, 10);
    EXPECT_EQ(values.light.green, 20);
    EXPECT_EQ(values.light.blue, 30);
    EXPECT_EQ(values.system.reportRate, 3);
    EXPECT_EQ(values.currentStage, 2);
    EXPECT_EQ(values.system.bleSleep1, 1);
    EXPECT_EQ(values.system.bleSleep2, 2);
    EXPECT_EQ(values.system.deviceSleep1, 3);
    EXPECT_EQ(values.system.deviceSleep2, 4);
    EXPECT_EQ(values.system.keyDebounceTime, 5);
    EXPECT_EQ(values.system.silentAltitude, 0);  // never read
    EXPECT_EQ(values.system.linearCalibration, 1);
    EXPECT_EQ(values.system.ripple, 1);
    EXPECT_EQ(values.system.doubleClickTime, 500);
    EXPECT_TRUE(values.stages.empty());

    EXPECT_EQ(bytes[0], 1);
    EXPECT_EQ(bytes[1], 2);
    EXPECT_EQ(bytes[86], 2);
    EXPECT_EQ(bytes[9], 0);
}

TEST(SettingsPage, ModeMissingFromTheListKeepsItsCode)
{
    SettingsPage bytes{};
    bytes[1] = 9;
    MouseSettingsValues values;
    decodeSettingsPage(bytes, 0, {0, 1, 4}, values);
    EXPECT_EQ(values.light.mode, 9);
    EXPECT_EQ(values.system.logoLedMode, 9);
    EXPECT_EQ(bytes[86], 9);
}

TEST(SettingsPage, ReadThenWrittenGivesTheDeviceBytesBack)
{
    SettingsPage bytes = devicePage();
    MouseSettingsValues values;
    values.light.direction = 7;
    values.system.silentAltitude = 1;
    DpiStage stage{};
    std::memset(&stage, 0x77, sizeof stage);
    values.stages.assign(7, stage);
    decodeSettingsPage(bytes, 0, {0, 1, 2, 3}, values);

    const SettingsPage written = encodeSettingsPage(values, 0);
    SettingsPage expected = devicePage();
    expected[0] = 0;
    expected[9] = 0;
    expected[86] = 4;  // mode 2 goes back as the device's code 4, in both places
    EXPECT_EQ(written, expected);
}

TEST(SettingsPage, WritingLaysOutStagesAndZeroes)
{
    MouseSettingsValues values;
    values.system.logoLedMode = 1;
    values.light.speed = 0;
    values.system.silentAltitude = 2;
    for (std::uint8_t i = 0; i < 3; ++i) {
        DpiStage stage{1, 0, {}, {}, i, 0, 0};
        stage.setDpiX(static_cast<std::uint16_t>(300 + i));
        stage.setDpiY(static_cast<std::uint16_t>(0x0102));
        values.stages.push_back(stage);
    }
    const SettingsPage bytes = encodeSettingsPage(values, 5);
    EXPECT_EQ(bytes[0], 5);
    EXPECT_EQ(bytes[1], 1);
    EXPECT_EQ(bytes[86], 1);
    EXPECT_EQ(bytes[3], 4);
    EXPECT_EQ(bytes[82], 2);
    for (std::size_t i = 0; i < 3; ++i) {
        const std::size_t at = 14 + 9 * i;
        EXPECT_EQ(bytes[at], 1);
        EXPECT_EQ(bytes[at + 2] | bytes[at + 3] << 8, 300 + int(i));
        EXPECT_EQ(bytes[at + 4], 0x02);
        EXPECT_EQ(bytes[at + 5], 0x01);
        EXPECT_EQ(bytes[at + 6], i);
    }
    for (std::size_t at = 14 + 27; at < 77; ++at)
        EXPECT_EQ(bytes[at], 0) << at;  // stages the record lacks
    for (std::size_t at : {9, 10, 13, 85})
        EXPECT_EQ(bytes[at], 0) << at;
}

TEST(SettingsPage, SpeedOutsideTheFiveLevelsDoesNotWrap)
{
    SettingsPage bytes{};
    bytes[3] = 200;
    MouseSettingsValues values;
    decodeSettingsPage(bytes, 0, {}, values);
    EXPECT_EQ(values.light.speed, 0);
    values.light.speed = 9;
    EXPECT_EQ(encodeSettingsPage(values, 0)[3], 0);
}

}  // namespace
}  // namespace kestrion
