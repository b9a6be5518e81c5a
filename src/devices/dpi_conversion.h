#pragma once

#include <cstdint>

namespace kestrion {

// What the mouse's information block says about its sensor: the id selects the conversion
// between DPI slider positions (what the device stores) and DPI (what the user reads).
struct SensorInfo {
    std::uint16_t sensorId = 0;
    std::uint8_t step = 0;          // generic rule: DPI per slider position
    std::uint16_t base = 0;         // generic rule: DPI at position 0
    std::uint16_t sliderRange = 0;  // 0x3104 only: slider maximum + 10
};

inline constexpr int kMinEditDpi = 10;
inline constexpr int kMaxEditDpi = 45000;

int dpiFromSlider(const SensorInfo& sensor, int slider);
int sliderFromDpi(const SensorInfo& sensor, int dpi);

// The slider maximum for the sensor, or -1 when the page's own range stays.
int sliderMaximum(const SensorInfo& sensor);

// A DPI typed by the user, limited to what the edit boxes accept (empty counts as 0).
int clampEditDpi(int dpi);

}  // namespace kestrion
