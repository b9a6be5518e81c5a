#include "ui/display_scale.h"

#include <algorithm>
#include <array>

namespace kestrion::ui {

namespace {

constexpr int kBaseDpi = 96;
constexpr int kLargeDpi = 144;
constexpr int kLargeWidth = 1500;
constexpr int kLargeHeight = 960;
constexpr std::array kDpiSteps{48, 72, 96, 120, 144, 168, 192};

}  // namespace

int monitorDpi(int monitorWidth, int monitorHeight)
{
    return monitorWidth > kLargeWidth && monitorHeight > kLargeHeight ? kLargeDpi : kBaseDpi;
}

WindowSize windowSizeForDpi(int dpi)
{
    if (std::find(kDpiSteps.begin(), kDpiSteps.end(), dpi) == kDpiSteps.end())
        dpi = kBaseDpi;
    return {kMainWindowSize.width * dpi / kBaseDpi, kMainWindowSize.height * dpi / kBaseDpi};
}

}  // namespace kestrion::ui
