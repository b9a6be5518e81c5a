#include "devsim/memory_map.h"

#include <algorithm>

namespace devsim {
namespace {

struct AreaSize {
    Product product;
    Area area;
    std::size_t size;
};

constexpr std::size_t kMacroAreaLimit = 255 * info::kMacroBlockSize;

constexpr std::array<AreaSize, 27> kAreaSizes = {{
    {Product::Mouse, Area::Info, info::kSize},
    {Product::Mouse, Area::Settings, page::kMouseStride * page::kMouseCount},
    {Product::Mouse, Area::KeyTable, 512},
    {Product::Mouse, Area::SecondKeyTable, 512},
    {Product::Mouse, Area::LightTable, 1024},
    {Product::Mouse, Area::LightFrame, 512},
    {Product::Mouse, Area::Macro, kMacroAreaLimit},
    {Product::Mouse, Area::Shoot, 4096},
    {Product::Mouse, Area::Status, status::kSize},
    {Product::Pad, Area::Info, info::kSize},
    {Product::Pad, Area::Settings, page::kPadStride * page::kPadCount},
    {Product::Pad, Area::LightTable, 1024},
    {Product::Pad, Area::LightFrame, 512},
    {Product::Pad, Area::Status, status::kSize},
    {Product::Headset, Area::Info, info::kSize},
    {Product::Headset, Area::Settings, page::kPadStride * page::kPadCount},
    {Product::Headset, Area::LightTable, 1024},
    {Product::Headset, Area::LightFrame, 512},
    {Product::Headset, Area::Status, status::kSize},
    {Product::Keyboard, Area::Info, info::kSize},
    {Product::Keyboard, Area::Settings, page::kKeyboardStride * page::kKeyboardCount},
    {Product::Keyboard, Area::KeyTable, 512},
    {Product::Keyboard, Area::SecondKeyTable, 512},
    {Product::Keyboard, Area::LightTable, kKeyboardLightStride * kKeyboardLightTables},
    {Product::Keyboard, Area::LightFrame, 512},
    {Product::Keyboard, Area::Macro, kMacroAreaLimit},
    {Product::Keyboard, Area::Status, status::kSize},
}};

// Where each default assignment sits in the factory key table. Two buttons are swapped and
// one slot is spare, so a host that equates slot and position is caught.
constexpr std::array<std::size_t, 11> kDefaultSlots = {0, 1, 2, 4, 3, 6, 7, 8, 9, 10, 11};

constexpr std::uint8_t kMouseMacroBlocks = 32;

// Five enabled stages (400 to 6400 DPI on the 0x3395 conversion) and two spare ones.
struct StageDefault {
    std::uint8_t active;
    std::uint16_t slider;
    std::uint8_t red, green, blue;
};
constexpr std::array<StageDefault, page::kStageCount> kStageDefaults = {{
    {1, 7, 255, 0, 0},
    {1, 15, 0, 255, 0},
    {1, 31, 0, 0, 255},
    {1, 63, 255, 255, 0},
    {1, 127, 255, 0, 255},
    {0, 255, 0, 255, 255},
    {0, 519, 255, 255, 255},
}};

struct MouseByteDefault {
    std::size_t offset;
    std::uint8_t value;
};
constexpr std::array<MouseByteDefault, 11> kMousePageBytes = {{
    {page::kLedMode, 0}, {page::kBrightness, 3}, {page::kSpeed, 2}, {page::kRed, 255},
    {page::kReportRate, 1}, {page::kActiveStage, 1},
    {page::kSleeps, 1}, {page::kSleeps + 1, 10}, {page::kSleeps + 2, 1}, {page::kSleeps + 3, 10},
    {page::kDebounce, 2},
}};

}  // namespace

std::optional<SensorProfile> findSensor(std::uint16_t id)
{
    const auto it = std::find_if(kSensors.begin(), kSensors.end(), [id](const SensorProfile& s) { return s.id == id; });
    if (it == kSensors.end())
        return std::nullopt;
    return *it;
}

std::size_t areaSize(Product product, Area area)
{
    for (const AreaSize& entry : kAreaSizes) {
        if (entry.product == product && entry.area == area)
            return entry.size;
    }
    return 0;
}

std::uint16_t readWord(const std::vector<std::uint8_t>& bytes, std::size_t at)
{
    return static_cast<std::uint16_t>(bytes[at] | bytes[at + 1] << 8);
}

void writeWord(std::vector<std::uint8_t>& bytes, std::size_t at, std::uint16_t value)
{
    bytes[at] = static_cast<std::uint8_t>(value & 0xFF);
    bytes[at + 1] = static_cast<std::uint8_t>(value >> 8);
}

std::vector<std::uint8_t> freshInfoBlock(const SensorProfile& sensor, Product product)
{
    std::vector<std::uint8_t> block(info::kSize, 0);
    writeWord(block, info::kMagic, info::kMagicValue);
    if (product == Product::Mouse) {
        block[info::kKeyCount] = kMouseKeyCount;
        block[info::kMacroBlocks] = kMouseMacroBlocks;
    } else if (product == Product::Keyboard) {
        block[info::kKeyCount] = kKeyboardKeyCount;
        block[info::kMacroBlocks] = kMouseMacroBlocks;
    }
    writeWord(block, info::kSensor, sensor.id);
    block[info::kDpiStep] = sensor.dpiStep;
    writeWord(block, info::kSliderRange, sensor.sliderRange);
    writeWord(block, info::kDpiBase, sensor.dpiBase);
    return block;
}

std::vector<std::uint8_t> corruptInfoBlock()
{
    std::vector<std::uint8_t> block(info::kSize, 0x5A);
    writeWord(block, info::kMagic, 0x1234);
    block[info::kMarker] = 0x33;
    return block;
}

std::vector<std::uint8_t> factoryMouseSettings()
{
    std::vector<std::uint8_t> area(areaSize(Product::Mouse, Area::Settings), 0);
    for (std::size_t p = 0; p < page::kMouseCount; ++p) {
        const std::size_t base = p * page::kMouseStride;
        for (const MouseByteDefault& b : kMousePageBytes)
            area[base + b.offset] = b.value;
        area[base + page::kLedModeCopy] = area[base + page::kLedMode];
        for (std::size_t s = 0; s < page::kStageCount; ++s) {
            const StageDefault& stage = kStageDefaults[s];
            const std::size_t at = base + page::kStages + s * page::kStageSize;
            area[at] = stage.active;
            writeWord(area, at + 2, stage.slider);
            writeWord(area, at + 4, stage.slider);
            area[at + 6] = stage.red;
            area[at + 7] = stage.green;
            area[at + 8] = stage.blue;
        }
    }
    area[page::kActiveProfile] = 0;
    return area;
}

std::vector<std::uint8_t> factoryPadSettings()
{
    std::vector<std::uint8_t> area(areaSize(Product::Pad, Area::Settings), 0);
    for (std::size_t p = 0; p < page::kPadCount; ++p) {
        const std::size_t base = p * page::kPadStride;
        area[base + page::kBrightness] = 3;
        area[base + page::kSpeed] = 2;
        area[base + page::kGreen] = 255;
    }
    area[page::kActiveProfile] = 0;
    return area;
}

// Every keyboard page starts on static white at full brightness; each keeps its own number in
// its last used byte, so a host that reads the wrong page is caught.
std::vector<std::uint8_t> factoryKeyboardSettings()
{
    std::vector<std::uint8_t> area(areaSize(Product::Keyboard, Area::Settings), 0);
    for (std::size_t p = 0; p < page::kKeyboardCount; ++p) {
        const std::size_t base = p * page::kKeyboardStride;
        area[base + page::kBrightness] = 4;
        area[base + page::kSpeed] = 2;
        area[base + page::kRed] = 255;
        area[base + page::kGreen] = 255;
        area[base + page::kBlue] = 255;
        area[base + page::kKeyboardPageSize - 1] = static_cast<std::uint8_t>(p + 1);
    }
    area[page::kActiveProfile] = 0;
    return area;
}

std::vector<std::uint8_t> factoryKeyTable()
{
    std::vector<std::uint8_t> table(areaSize(Product::Mouse, Area::KeyTable), 0);
    for (std::size_t position = 0; position < kDefaultAssignments.size(); ++position)
        std::copy(kDefaultAssignments[position].begin(), kDefaultAssignments[position].end(),
                  table.begin() + static_cast<std::ptrdiff_t>(kDefaultSlots[position] * kKeySlotSize));
    return table;
}

std::uint8_t nextDpiStage(const std::vector<std::uint8_t>& settings, std::size_t pageOffset)
{
    const std::uint8_t current = settings[pageOffset + page::kActiveStage];
    for (std::size_t step = 1; step <= page::kStageCount; ++step) {
        const std::size_t candidate = (current + step) % page::kStageCount;
        if (settings[pageOffset + page::kStages + candidate * page::kStageSize] != 0)
            return static_cast<std::uint8_t>(candidate);
    }
    return current;
}

}  // namespace devsim
