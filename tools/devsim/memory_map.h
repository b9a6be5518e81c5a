#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace devsim {

// The memory areas a simulated device serves over its command interface.
enum class Area { Info, Settings, KeyTable, SecondKeyTable, LightTable, LightFrame, Macro, Shoot, Status };

enum class Product { Mouse, Pad, Headset, Keyboard };

// Information block (34 bytes).
namespace info {
constexpr std::size_t kSize = 34;
constexpr std::size_t kMagic = 0;          // 16 bits, 0x55AA
constexpr std::size_t kKeyCount = 5;
constexpr std::size_t kMacroBlocks = 6;    // the macro area holds this many 128-byte blocks
constexpr std::size_t kMarker = 7;         // 0x15 once a host has initialised the device
constexpr std::size_t kSensor = 9;         // 16 bits
constexpr std::size_t kDpiStep = 11;
constexpr std::size_t kSliderRange = 12;   // 16 bits
constexpr std::size_t kDpiBase = 14;       // 16 bits
constexpr std::uint16_t kMagicValue = 0x55AA;
constexpr std::uint8_t kInitialised = 0x15;
constexpr std::size_t kMacroBlockSize = 128;
}  // namespace info

// Mouse settings pages: one per onboard profile, 128 bytes apart; byte 0 of page 0 is the
// active profile index.
namespace page {
constexpr std::size_t kMouseStride = 128;
constexpr std::size_t kMouseCount = 8;
constexpr std::size_t kPadStride = 64;
constexpr std::size_t kPadCount = 8;
// Keyboard pages: 45 bytes used of each 64.
constexpr std::size_t kKeyboardStride = 64;
constexpr std::size_t kKeyboardCount = 5;
constexpr std::size_t kKeyboardPageSize = 45;
constexpr std::size_t kKeyboardCustomGroup = 25;
constexpr std::size_t kActiveProfile = 0;
constexpr std::size_t kLedMode = 1;
constexpr std::size_t kBrightness = 2;
constexpr std::size_t kSpeed = 3;
constexpr std::size_t kRed = 6;
constexpr std::size_t kGreen = 7;
constexpr std::size_t kBlue = 8;
constexpr std::size_t kReportRate = 11;
constexpr std::size_t kActiveStage = 12;
constexpr std::size_t kStages = 14;
constexpr std::size_t kStageSize = 9;
constexpr std::size_t kStageCount = 7;
constexpr std::size_t kSleeps = 77;        // four sleep bytes, then debounce
constexpr std::size_t kDebounce = 81;
constexpr std::size_t kLedModeCopy = 86;
constexpr std::uint8_t kReactiveMode = 9;
}  // namespace page

// Status area: battery percent, power state, then zeros.
namespace status {
constexpr std::size_t kSize = 8;
constexpr std::size_t kBattery = 0;
constexpr std::size_t kPowerState = 1;
constexpr std::uint8_t kExternal = 0;
constexpr std::uint8_t kCharging = 1;
constexpr std::uint8_t kOnBattery = 2;
}  // namespace status

constexpr std::size_t kKeySlotSize = 3;
constexpr std::size_t kMouseKeyCount = 16;
// The keyboard's key slots; five per-key light tables, 512 bytes apart.
constexpr std::size_t kKeyboardKeyCount = 104;
constexpr std::size_t kKeyboardLightStride = 512;
constexpr std::size_t kKeyboardLightTables = 5;

// A sensor and the conversion constants the information block carries for it.
struct SensorProfile {
    std::uint16_t id;
    std::uint8_t dpiStep;
    std::uint16_t sliderRange;
    std::uint16_t dpiBase;
};
constexpr std::array<SensorProfile, 6> kSensors = {{
    {0x3395, 50, 0, 50},
    {0x3325, 100, 0, 100},
    {0x3104, 50, 114, 200},
    {0x8925, 50, 0, 50},
    {0x0070, 1, 0, 10},
    {0x3950, 50, 0, 50},  // a sensor the host knows only through the generic conversion
}};
std::optional<SensorProfile> findSensor(std::uint16_t id);

// The size each area has on a product; 0 when the product has no such area.
std::size_t areaSize(Product product, Area area);

// Factory images.
std::vector<std::uint8_t> freshInfoBlock(const SensorProfile& sensor, Product product);
std::vector<std::uint8_t> corruptInfoBlock();
std::vector<std::uint8_t> factoryMouseSettings();
std::vector<std::uint8_t> factoryPadSettings();
std::vector<std::uint8_t> factoryKeyboardSettings();
std::vector<std::uint8_t> factoryKeyTable();

// The 11 default key assignments, in button position order.
constexpr std::array<std::array<std::uint8_t, 3>, 11> kDefaultAssignments = {{
    {0x10, 0x01, 0x00}, {0x10, 0x02, 0x00}, {0x10, 0x04, 0x00}, {0x10, 0x10, 0x00},
    {0x10, 0x08, 0x00}, {0x13, 0x01, 0x00}, {0x13, 0x02, 0x00}, {0x13, 0x03, 0x00},
    {0xA0, 0x1B, 0x00}, {0x16, 0x90, 0x01}, {0x14, 0x78, 0x02},
}};

// The stage a DPI-button press selects on a mouse settings page: the next enabled stage after
// the active one, wrapping; the active one when no other is enabled.
std::uint8_t nextDpiStage(const std::vector<std::uint8_t>& settings, std::size_t pageOffset);

std::uint16_t readWord(const std::vector<std::uint8_t>& bytes, std::size_t at);
void writeWord(std::vector<std::uint8_t>& bytes, std::size_t at, std::uint16_t value);

}  // namespace devsim
