#include <gtest/gtest.h>

#include "devices/dpi_conversion.h"

namespace kestrion {
namespace {

const SensorInfo k3395{0x3395};
const SensorInfo k8925{0x8925};
const SensorInfo k3325{0x3325, 100, 100, 0};
const SensorInfo k3104{0x3104, 0, 0, 114};
const SensorInfo k0070{0x0070};
const SensorInfo kGeneric{0x1234, 100, 200, 0};

TEST(DpiConversion, WorkedValues)
{
    struct Case {
        SensorInfo sensor;
        int slider;
        int dpi;
    };
    const Case cases[] = {
        {k3395, 519, 26000}, {k3395, 0, 50},       {k8925, 149, 10000}, {k8925, 99, 5000},
        {k8925, 100, 5100},  {k3104, 0, 200},      {k3104, 1, 400},     {k3104, 46, 2600},
        {k3104, 104, 8000},  {k3325, 48, 4900},    {k3325, 49, 5100},   {k0070, 30000, 30010},
        {k0070, 30002, 30012}, {kGeneric, 3, 500},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << std::hex << c.sensor.sensorId << std::dec << " slider " << c.slider);
        EXPECT_EQ(dpiFromSlider(c.sensor, c.slider), c.dpi);
    }
}

TEST(DpiConversion, TypedDpiSelectsSlider)
{
    struct Case {
        SensorInfo sensor;
        int dpi;
        int slider;
    };
    const Case cases[] = {
        {k3395, 26000, 519}, {k8925, 7000, 119}, {k8925, 5000, 99}, {k3104, 400, 1},
        {k3104, 2600, 46},   {k3104, 8000, 104}, {k3104, 300, 0},   {k0070, 30011, 30002},
        {k3104, 2700, 48},   {k3325, 4900, 48},  {k3325, 5100, 49}, {k0070, 30009, 29999},
        {kGeneric, 550, 3},  {kGeneric, 100, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << std::hex << c.sensor.sensorId << std::dec << " dpi " << c.dpi);
        EXPECT_EQ(sliderFromDpi(c.sensor, c.dpi), c.slider);
    }
}

// Typing the DPI a slider position shows selects a position that shows the same DPI (some
// sensors show two positions alike: 0x3104 at 1 and 2, at 52 and 53; 0x0070 above 30000).
TEST(DpiConversion, ShownDpiSurvivesTheRoundTrip)
{
    struct Range {
        SensorInfo sensor;
        int last;
    };
    const SensorInfo k3325Offset{0x3325, 50, 300, 0};
    const Range ranges[] = {{k3395, 519}, {k8925, 149}, {k3325, 200},    {k3325Offset, 200},
                            {k3104, 104}, {k0070, 45000}, {kGeneric, 400}};
    for (const Range& r : ranges) {
        for (int s = 0; s <= r.last; ++s) {
            const int shown = dpiFromSlider(r.sensor, s);
            ASSERT_EQ(dpiFromSlider(r.sensor, sliderFromDpi(r.sensor, shown)), shown)
                << std::hex << r.sensor.sensorId << std::dec << " slider " << s;
        }
    }
}

TEST(DpiConversion, LimitsAndDamagedBlocks)
{
    EXPECT_EQ(sliderMaximum(k8925), 149);
    EXPECT_EQ(sliderMaximum(k3104), 104);
    EXPECT_EQ(sliderMaximum(k3395), 519);
    EXPECT_EQ(sliderMaximum(k0070), 45000);
    EXPECT_EQ(sliderMaximum(kGeneric), -1);
    EXPECT_EQ(clampEditDpi(0), 10);
    EXPECT_EQ(clampEditDpi(99999), 45000);
    EXPECT_EQ(dpiFromSlider(k3104, 200), 8000);
    EXPECT_EQ(dpiFromSlider(k0070, 45000), 45000);

    const SensorInfo zeroStep{0x1234, 0, 400, 0};
    EXPECT_EQ(sliderFromDpi(zeroStep, 800), 400) << "a zero step must not divide by zero";
}

}  // namespace
}  // namespace kestrion
