#include <gtest/gtest.h>

#include "ui/display_scale.h"

namespace kestrion::test {
namespace {

struct MonitorCase {
    int width;
    int height;
    int dpi;
};

TEST(DisplayScale, LargeMonitorsDrawAt144)
{
    const MonitorCase cases[] = {
        {1920, 1080, 144}, {1440, 900, 96}, {1500, 1200, 96}, {1501, 961, 144},
        {2560, 960, 96},   {1366, 768, 96}, {3840, 2160, 144}, {0, 0, 96},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ui::monitorDpi(c.width, c.height), c.dpi) << c.width << " x " << c.height;
}

TEST(DisplayScale, WindowGrowsWithTheDpiAndOddValuesCountAs96)
{
    EXPECT_EQ(ui::windowSizeForDpi(96).width, 800);
    EXPECT_EQ(ui::windowSizeForDpi(96).height, 572);
    EXPECT_EQ(ui::windowSizeForDpi(144).width, 1200);
    EXPECT_EQ(ui::windowSizeForDpi(144).height, 858);
    EXPECT_EQ(ui::windowSizeForDpi(192).width, 1600);
    for (int odd : {0, -96, 100, 145, 100000}) {
        EXPECT_EQ(ui::windowSizeForDpi(odd).width, 800) << odd;
        EXPECT_EQ(ui::windowSizeForDpi(odd).height, 572) << odd;
    }
}

}  // namespace
}  // namespace kestrion::test
