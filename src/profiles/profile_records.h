#pragma once

#include <cstdint>
#include <type_traits>

namespace kestrion {

// Fixed records of a profile. The device objects copy LightInfo and MouseSystemStages as whole
// blocks, and DpiStage is the stage record of the device's settings page, so their field order and
// widths are part of the device format.

struct LightInfo {
    std::uint8_t mode;          // "SelectItem" / "LEDREGMode"
    std::uint8_t brightness;    // "Light" / "LEDBrightness"
    std::uint8_t speed;         // "Speed" / "LEDSpeed"
    std::uint8_t direction;     // "Fx" / "LEDDirection"
    std::uint8_t multiColor;    // "MultiColor" / "LEDMultiColor", 0 or 1
    std::uint8_t red;
    std::uint8_t green;
    std::uint8_t blue;
    std::uint8_t reserved1;
    std::uint8_t reserved2;
    std::uint8_t present;       // light list element exists
    std::uint8_t zzccLedMode;   // "ZZCCLedMode"
    std::uint8_t customGroup;   // "CustomGroup"
    std::uint8_t oldLedMode;    // "OldLedmode"
};

struct AudioLightInfo {
    std::uint8_t audioMode;
    std::uint8_t backRed;
    std::uint8_t backGreen;
    std::uint8_t backBlue;
    std::uint8_t foreRed;
    std::uint8_t foreGreen;
    std::uint8_t foreBlue;
    std::uint8_t sevenColor;    // "7ColorFlags", 0 or 1
    std::uint8_t colorType;     // "ColorTypeFlags"
};

// The two records below hold 16-bit fields at odd offsets. They are kept as little-endian byte
// pairs behind accessors, so that the records need no packing and no reference to a misaligned
// field can ever be formed.
using LittleEndian16 = std::uint8_t[2];

constexpr std::uint16_t readLittleEndian16(const LittleEndian16& bytes)
{
    return static_cast<std::uint16_t>(bytes[0] | bytes[1] << 8);
}

constexpr void writeLittleEndian16(LittleEndian16& bytes, std::uint16_t value)
{
    bytes[0] = static_cast<std::uint8_t>(value);
    bytes[1] = static_cast<std::uint8_t>(value >> 8);
}

struct KeyRecord {
    LittleEndian16 keyIndexBytes;
    std::uint8_t type;          // key function code, most significant byte first
    std::uint8_t param1;
    std::uint8_t param2;

    constexpr std::uint16_t keyIndex() const { return readLittleEndian16(keyIndexBytes); }
    constexpr void setKeyIndex(std::uint16_t index) { writeLittleEndian16(keyIndexBytes, index); }
};

struct KeyEntry {
    KeyRecord current;
    KeyRecord defaults;
};

struct DpiStage {
    std::uint8_t active;        // "StageActive"
    std::uint8_t separateXY;    // "StageXY"
    LittleEndian16 dpiXBytes;   // "StageDPIX", a slider position
    LittleEndian16 dpiYBytes;   // "StageDPIY"
    std::uint8_t red;
    std::uint8_t green;
    std::uint8_t blue;

    constexpr std::uint16_t dpiX() const { return readLittleEndian16(dpiXBytes); }
    constexpr std::uint16_t dpiY() const { return readLittleEndian16(dpiYBytes); }
    constexpr void setDpiX(std::uint16_t value) { writeLittleEndian16(dpiXBytes, value); }
    constexpr void setDpiY(std::uint16_t value) { writeLittleEndian16(dpiYBytes, value); }
};

struct MouseSystemStages {
    std::uint16_t doubleClickTime;    // "SystemStages"
    std::uint16_t mouseSpeed;
    std::uint16_t pointerPrecision;
    std::uint16_t scrollPage;         // "ScorllPage"
    std::uint16_t wheelScrollLines;   // "WheelScorlllinse"
    std::uint16_t reportRate;         // "ReportStages" "StageActive"
    std::uint16_t silentAltitude;
    std::uint16_t linearCalibration;
    std::uint16_t ripple;
    std::uint16_t reserved;
    std::uint16_t bleSleep1;
    std::uint16_t bleSleep2;
    std::uint16_t deviceSleep1;
    std::uint16_t deviceSleep2;
    std::uint16_t keyDebounceTime;
    std::uint16_t logoLedMode;        // "SystemStages" "Logoledmode"
};

struct KeyboardSystemStages {
    std::uint16_t repeat;
    std::uint16_t repeatDelay;
    std::uint16_t key6Flag;
    std::uint16_t pollingRate;
    std::uint16_t wFlag;
    std::uint16_t winFlag;
};

struct HeadsetSystemSetStages {
    std::int32_t magicEnable;
    std::int32_t magicType;
    std::int32_t eqType;
    std::int32_t customEqSelectIndex;  // "CustomEqSeletIndex"
    std::int32_t micInSelect;
    std::int32_t micInValue;
    std::int32_t micMonitorSelect;     // "MicMoniterSelect"
    std::int32_t micMonitorValue;
};

struct LedEffect {
    std::uint8_t mode;          // "LEDREGMode"
    std::uint8_t brightness;
    std::uint8_t speed;
    std::uint8_t direction;
    std::uint8_t multiColor;
    std::uint8_t red;
    std::uint8_t green;
    std::uint8_t blue;
    std::uint8_t reserved[8];
    std::int32_t time;          // "Time", milliseconds
    std::int32_t cycle;         // "Cyle"
};

struct LightColor {
    std::uint8_t red;
    std::uint8_t green;
    std::uint8_t blue;
    std::uint8_t alpha;
};

static_assert(sizeof(LightInfo) == 14);
static_assert(sizeof(AudioLightInfo) == 9);
static_assert(sizeof(KeyRecord) == 5);
static_assert(sizeof(KeyEntry) == 10);
static_assert(sizeof(DpiStage) == 9);
static_assert(sizeof(MouseSystemStages) == 32);
static_assert(sizeof(KeyboardSystemStages) == 12);
static_assert(sizeof(HeadsetSystemSetStages) == 32);
static_assert(sizeof(LedEffect) == 24);
static_assert(sizeof(LightColor) == 4);
static_assert(std::is_trivially_copyable_v<LightInfo> && std::is_trivially_copyable_v<MouseSystemStages>
              && std::is_trivially_copyable_v<DpiStage> && std::is_trivially_copyable_v<KeyEntry>);

// A key function code as stored in a document: type << 16 | param1 << 8 | param2.
constexpr std::uint32_t keyCodeOf(const KeyRecord& record)
{
    return static_cast<std::uint32_t>(record.type) << 16 | static_cast<std::uint32_t>(record.param1) << 8
        | record.param2;
}

constexpr KeyRecord keyRecordOf(std::uint16_t keyIndex, std::uint32_t code)
{
    KeyRecord record {{0, 0}, static_cast<std::uint8_t>(code >> 16), static_cast<std::uint8_t>(code >> 8),
                      static_cast<std::uint8_t>(code)};
    record.setKeyIndex(keyIndex);
    return record;
}

static_assert(keyRecordOf(0x0102, 0x700304).keyIndexBytes[0] == 0x02);
static_assert(keyCodeOf(keyRecordOf(1, 0x700304)) == 0x700304);

}  // namespace kestrion
