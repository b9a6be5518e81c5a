#include "devices/dpi_conversion.h"

#include <algorithm>

namespace kestrion {
namespace {

enum Sensor : std::uint16_t {
    kPaw3395 = 0x3395,
    kSensor8925 = 0x8925,
    kPaw3325 = 0x3325,
    kPaw3104 = 0x3104,
    kSensor0070 = 0x0070,
};

// 0x3325 counts its first 48 positions in the block's DPI step, the rest in 200 DPI.
constexpr int kPaw3325Steps = 48;

// A damaged information block may carry step 0; treat it as 1 rather than divide by it.
int safeStep(const SensorInfo& s)
{
    return s.step == 0 ? 1 : s.step;
}

}  // namespace

int dpiFromSlider(const SensorInfo& sensor, int s)
{
    const int step = safeStep(sensor);
    const int base = sensor.base;
    switch (sensor.sensorId) {
    case kPaw3395:
        return 50 * s + 50;
    case kSensor8925:
        return s < 100 ? 50 * s + 50 : 100 * s - 4900;
    case kPaw3325:
        return s <= kPaw3325Steps ? step * s + base : kPaw3325Steps * step + 200 * s + base - 9600;
    case kPaw3104: {
        int dpi = 0;
        if (s <= 0)
            dpi = 200;
        else if (s == 1)
            dpi = 400;
        else if (s <= 52)
            dpi = 50 * s + 300;
        else
            dpi = 100 * s - 2400;
        return std::min(dpi, 8000);
    }
    case kSensor0070: {
        const int dpi = (s > 30000 && s % 2 == 1) ? s + 11 : s + 10;
        return std::min(dpi, 45000);
    }
    default:
        return step * s + base;
    }
}

int sliderFromDpi(const SensorInfo& sensor, int d)
{
    const int step = safeStep(sensor);
    const int base = sensor.base;
    int s = 0;
    switch (sensor.sensorId) {
    case kPaw3395:
        s = (d - 50) / 50;
        break;
    case kSensor8925:
        s = d <= 5000 ? (d - 50) / 50 : (d / 2 - 50) / 50 + 50;
        break;
    // Each rule below changes range where its slider rule does, so that a DPI the slider shows
    // selects a position that shows it again.
    case kPaw3325: {
        const int upperStart = kPaw3325Steps * step + base;
        s = d <= upperStart ? (d - base) / step : (d - upperStart) / 200 + kPaw3325Steps;
        break;
    }
    case kPaw3104:
        if (d <= 350)
            s = 0;
        else if (d < 450)
            s = 1;
        else if (d <= 2900)
            s = (d - 400) / 50 + 2;
        else
            s = (d - 3000) / 100 + 54;
        break;
    case kSensor0070:
        s = (d > 30010 && d % 2 == 1) ? d - 9 : d - 10;
        break;
    default:
        s = (d - base) / step;
        break;
    }
    // A DPI below the sensor's first position selects that position, never a negative one.
    return std::max(s, 0);
}

int sliderMaximum(const SensorInfo& sensor)
{
    switch (sensor.sensorId) {
    case kSensor8925: return 149;
    case kPaw3104: return std::max(0, sensor.sliderRange - 10);
    case kPaw3395: return 519;
    case kSensor0070: return 45000;
    default: return -1;
    }
}

int clampEditDpi(int dpi)
{
    return std::clamp(dpi, kMinEditDpi, kMaxEditDpi);
}

}  // namespace kestrion
