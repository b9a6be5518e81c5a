// The mouse's replies to each read, from memory, decoded as the settings link and the pages do: the
// input is cut into an information block, a key table as long as that block says, a settings page,
// a power record and a notification report. Short input leaves the rest zero, as a short reply does.

#include "devices/dpi_conversion.h"
#include "devices/mouse_memory.h"
#include "devices/mouse_settings.h"
#include "devices/mouse_transfer.h"
#include "profiles/macro_library.h"
#include "ui/power_record.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <span>
#include <vector>

namespace {

using namespace kestrion;

constexpr std::size_t kPowerRecordSize = 6;
constexpr std::size_t kNotificationSize = 16;
constexpr int kPowerKinds[] = {2, 3, 7};

// Takes the next `size` bytes of the input into out (zero-filled past its end).
class Cursor {
public:
    Cursor(const std::uint8_t* data, std::size_t size) : m_data(data), m_size(size) {}

    void take(std::uint8_t* out, std::size_t size)
    {
        const std::size_t available = std::min(size, m_size - m_at);
        std::memset(out, 0, size);
        if (available > 0)
            std::memcpy(out, m_data + m_at, available);
        m_at += available;
    }

private:
    const std::uint8_t* m_data;
    std::size_t m_size;
    std::size_t m_at = 0;
};

void readInfoBlock(const DeviceInfoBlock& info)
{
    info.isInitialised();
    info.isFresh();
    const SensorInfo sensor = info.sensorInfo();
    const int maximum = sliderMaximum(sensor);
    for (int slider : {0, 1, maximum, maximum + 1, 0xFFFF})
        sliderFromDpi(sensor, dpiFromSlider(sensor, slider));
}

void readKeyTable(const DeviceInfoBlock& info, Cursor& input)
{
    if (info.keyTableLength() > MouseSettingsLink::kKeyTableSize)
        return;
    std::array<std::uint8_t, MouseSettingsLink::kKeyTableSize> table{};
    input.take(table.data(), info.keyTableLength());
    const FunctionKeyIndex index = functionKeyIndex(table.data(), info.keyCount());
    std::vector<KeyEntry> keys(kKeyPositions);
    placeKeys(table.data(), index, keys, MacroLibrary::kMaxMacros);
}

void readSettingsPage(Cursor& input, std::uint8_t activeProfile)
{
    SettingsPage page{};
    input.take(page.data(), page.size());
    MouseSettingsValues values;
    decodeSettingsPage(page, activeProfile, {0, 1, 2, 3, 4, 5, 6, 7}, values);
    encodeSettingsPage(values, page[0]);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    Cursor input(data, size);
    DeviceInfoBlock info;
    input.take(info.data(), DeviceInfoBlock::kSize);
    readInfoBlock(info);
    readKeyTable(info, input);
    readSettingsPage(input, info.bytes()[0]);

    std::array<std::uint8_t, kPowerRecordSize> power{};
    input.take(power.data(), power.size());
    for (const int kind : kPowerKinds)
        ui::decodePowerRecord(std::span<const std::uint8_t>(power), kind);

    std::array<std::uint8_t, kNotificationSize> report{};
    input.take(report.data(), report.size());
    decodeNotification(notificationCode(report.data(), report.size()));
    return 0;
}
