#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "devices/dpi_conversion.h"
#include "profiles/profile_records.h"

namespace kestrion {

// The mouse's 34-byte information block. Bytes without a name here are carried unchanged.
class DeviceInfoBlock {
public:
    static constexpr std::size_t kSize = 34;
    static constexpr std::uint16_t kMagic = 0x55AA;
    static constexpr std::uint8_t kMarkerInitialised = 0x15;
    static constexpr std::uint8_t kMarkerFresh = 0x00;

    std::uint8_t* data() { return m_bytes.data(); }
    const std::uint8_t* data() const { return m_bytes.data(); }
    const std::array<std::uint8_t, kSize>& bytes() const { return m_bytes; }

    bool hasMagic() const;
    std::uint8_t keyCount() const;
    std::uint8_t marker() const;
    void setMarker(std::uint8_t marker);
    bool isInitialised() const;  // right magic and the host's marker
    bool isFresh() const;        // right magic, never initialised
    // Length of the device's key table: three bytes per key.
    std::size_t keyTableLength() const;
    SensorInfo sensorInfo() const;

private:
    std::array<std::uint8_t, kSize> m_bytes{};
};

// One onboard profile's settings page as the host transfers it.
inline constexpr std::size_t kSettingsPageSize = 87;
inline constexpr std::size_t kSettingsPageStride = 128;
inline constexpr std::size_t kPageDpiStageCount = 7;
using SettingsPage = std::array<std::uint8_t, kSettingsPageSize>;

// The record values a settings page carries.
struct MouseSettingsValues {
    LightInfo light{};
    MouseSystemStages system{};
    int currentStage = 0;
    std::vector<DpiStage> stages;
};

// Brings a page read from the device into the form the host keeps (byte 0 the active profile,
// LED code 4 shown as 2, byte 1 replaced by the mode's position in modeCodes when listed) and
// updates the values the device is master of. Fx, the lift-off distance and the DPI stages are
// the profile's own and stay as they were.
void decodeSettingsPage(SettingsPage& page, std::uint8_t activeProfile, const std::vector<int>& modeCodes,
                        MouseSettingsValues& values);

// The page to write for the given values; byte 0 is the caller's.
SettingsPage encodeSettingsPage(const MouseSettingsValues& values, std::uint8_t byte0);

}  // namespace kestrion
