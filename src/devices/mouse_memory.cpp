#include "devices/mouse_memory.h"

#include <algorithm>
#include <cstring>

namespace kestrion {
namespace {

namespace info {
constexpr std::size_t kMagic = 0;
constexpr std::size_t kKeyCount = 5;
constexpr std::size_t kMarker = 7;
constexpr std::size_t kSensorId = 9;
constexpr std::size_t kDpiStep = 11;
constexpr std::size_t kSliderRange = 12;
constexpr std::size_t kDpiBase = 14;
constexpr std::size_t kBytesPerKey = 3;
}  // namespace info

namespace page {
constexpr std::size_t kProfileIndex = 0;
constexpr std::size_t kLedMode = 1;
constexpr std::size_t kBrightness = 2;
constexpr std::size_t kSpeed = 3;
constexpr std::size_t kEffectVariant = 4;
constexpr std::size_t kMultiColor = 5;
constexpr std::size_t kRed = 6;
constexpr std::size_t kGreen = 7;
constexpr std::size_t kBlue = 8;
constexpr std::size_t kLightingPad = 9;
constexpr std::size_t kReportRate = 11;
constexpr std::size_t kActiveStage = 12;
constexpr std::size_t kFirstStage = 14;
constexpr std::size_t kBleSleep1 = 77;
constexpr std::size_t kBleSleep2 = 78;
constexpr std::size_t kDeviceSleep1 = 79;
constexpr std::size_t kDeviceSleep2 = 80;
constexpr std::size_t kDebounce = 81;
constexpr std::size_t kSilentAltitude = 82;
constexpr std::size_t kLinearCalibration = 83;
constexpr std::size_t kRipple = 84;
constexpr std::size_t kLedModeCopy = 86;

// The device knows mode 2 by a second code of its own.
constexpr std::uint8_t kDeviceLedCode = 4;
constexpr std::uint8_t kHostLedCode = 2;
// Speed is stored reversed: the device's 0 is the fastest of five levels.
constexpr std::uint8_t kMaxSpeed = 4;
}  // namespace page

static_assert(page::kFirstStage + kPageDpiStageCount * sizeof(DpiStage) == page::kBleSleep1);

std::uint16_t wordAt(const std::uint8_t* bytes, std::size_t offset)
{
    return static_cast<std::uint16_t>(bytes[offset] | bytes[offset + 1] << 8);
}

std::uint8_t hostLedCode(std::uint8_t deviceCode)
{
    return deviceCode == page::kDeviceLedCode ? page::kHostLedCode : deviceCode;
}

std::uint8_t deviceLedCode(std::uint16_t hostCode)
{
    return hostCode == page::kHostLedCode ? page::kDeviceLedCode : static_cast<std::uint8_t>(hostCode);
}

// A speed outside the five levels would wrap around in the reversed byte; it reads as the nearest level.
std::uint8_t reversedSpeed(std::uint8_t value)
{
    return static_cast<std::uint8_t>(page::kMaxSpeed - std::min(value, page::kMaxSpeed));
}

void replaceModeByPosition(SettingsPage& bytes, const std::vector<int>& modeCodes)
{
    const auto found = std::find(modeCodes.begin(), modeCodes.end(), bytes[page::kLedMode]);
    if (found != modeCodes.end())
        bytes[page::kLedMode] = static_cast<std::uint8_t>(found - modeCodes.begin());
}

struct SystemByte {
    std::size_t offset;
    std::uint16_t MouseSystemStages::*word;
};

// The system words the page carries in both directions.
constexpr SystemByte kSystemBytes[] = {
    {page::kReportRate, &MouseSystemStages::reportRate},
    {page::kBleSleep1, &MouseSystemStages::bleSleep1},
    {page::kBleSleep2, &MouseSystemStages::bleSleep2},
    {page::kDeviceSleep1, &MouseSystemStages::deviceSleep1},
    {page::kDeviceSleep2, &MouseSystemStages::deviceSleep2},
    {page::kDebounce, &MouseSystemStages::keyDebounceTime},
    {page::kLinearCalibration, &MouseSystemStages::linearCalibration},
    {page::kRipple, &MouseSystemStages::ripple},
};

void decodeLighting(const SettingsPage& bytes, LightInfo& light)
{
    light.mode = bytes[page::kLedMode];
    light.brightness = bytes[page::kBrightness];
    light.speed = reversedSpeed(bytes[page::kSpeed]);
    light.multiColor = bytes[page::kMultiColor];
    light.red = bytes[page::kRed];
    light.green = bytes[page::kGreen];
    light.blue = bytes[page::kBlue];
}

void encodeLighting(const LightInfo& light, std::uint16_t logoLedMode, SettingsPage& bytes)
{
    bytes[page::kLedMode] = deviceLedCode(logoLedMode);
    bytes[page::kBrightness] = light.brightness;
    bytes[page::kSpeed] = reversedSpeed(light.speed);
    bytes[page::kEffectVariant] = light.direction;
    bytes[page::kMultiColor] = light.multiColor;
    bytes[page::kRed] = light.red;
    bytes[page::kGreen] = light.green;
    bytes[page::kBlue] = light.blue;
    bytes[page::kLightingPad] = 0;
}

void encodeStages(const std::vector<DpiStage>& stages, SettingsPage& bytes)
{
    const std::size_t count = std::min(stages.size(), kPageDpiStageCount);
    for (std::size_t i = 0; i < count; ++i)
        std::memcpy(bytes.data() + page::kFirstStage + i * sizeof(DpiStage), &stages[i], sizeof(DpiStage));
}

}  // namespace

bool DeviceInfoBlock::hasMagic() const
{
    return wordAt(m_bytes.data(), info::kMagic) == kMagic;
}

std::uint8_t DeviceInfoBlock::keyCount() const
{
    return m_bytes[info::kKeyCount];
}

std::uint8_t DeviceInfoBlock::marker() const
{
    return m_bytes[info::kMarker];
}

void DeviceInfoBlock::setMarker(std::uint8_t marker)
{
    m_bytes[info::kMarker] = marker;
}

bool DeviceInfoBlock::isInitialised() const
{
    return hasMagic() && marker() == kMarkerInitialised;
}

bool DeviceInfoBlock::isFresh() const
{
    return hasMagic() && marker() == kMarkerFresh;
}

std::size_t DeviceInfoBlock::keyTableLength() const
{
    return keyCount() * info::kBytesPerKey;
}

SensorInfo DeviceInfoBlock::sensorInfo() const
{
    SensorInfo sensor;
    sensor.sensorId = wordAt(m_bytes.data(), info::kSensorId);
    sensor.step = m_bytes[info::kDpiStep];
    sensor.sliderRange = wordAt(m_bytes.data(), info::kSliderRange);
    sensor.base = wordAt(m_bytes.data(), info::kDpiBase);
    return sensor;
}

void decodeSettingsPage(SettingsPage& bytes, std::uint8_t activeProfile, const std::vector<int>& modeCodes,
                        MouseSettingsValues& values)
{
    bytes[page::kProfileIndex] = activeProfile;
    bytes[page::kLedMode] = hostLedCode(bytes[page::kLedMode]);
    bytes[page::kLedModeCopy] = bytes[page::kLedMode];
    values.system.logoLedMode = bytes[page::kLedMode];
    replaceModeByPosition(bytes, modeCodes);
    bytes[page::kLightingPad] = 0;

    decodeLighting(bytes, values.light);
    for (const SystemByte& entry : kSystemBytes)
        values.system.*entry.word = bytes[entry.offset];
    values.currentStage = bytes[page::kActiveStage];
}

SettingsPage encodeSettingsPage(const MouseSettingsValues& values, std::uint8_t byte0)
{
    SettingsPage bytes{};
    bytes[page::kProfileIndex] = byte0;
    encodeLighting(values.light, values.system.logoLedMode, bytes);
    for (const SystemByte& entry : kSystemBytes)
        bytes[entry.offset] = static_cast<std::uint8_t>(values.system.*entry.word);
    bytes[page::kActiveStage] = static_cast<std::uint8_t>(values.currentStage);
    encodeStages(values.stages, bytes);
    bytes[page::kSilentAltitude] = static_cast<std::uint8_t>(values.system.silentAltitude);
    bytes[page::kLedModeCopy] = deviceLedCode(values.system.logoLedMode);
    return bytes;
}

}  // namespace kestrion
