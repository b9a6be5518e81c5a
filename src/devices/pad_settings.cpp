#include "devices/pad_settings.h"

#include <algorithm>

namespace kestrion {
namespace {

using namespace pad_page;

std::uint8_t positionOfCode(int code, const std::vector<int>& modeCodes)
{
    const auto found = std::find(modeCodes.begin(), modeCodes.end(), code);
    return found == modeCodes.end() ? 0 : static_cast<std::uint8_t>(found - modeCodes.begin());
}

// A position past the list writes the list's first mode: the pad never receives a code the
// tool does not know.
std::uint8_t codeOfPosition(int position, const std::vector<int>& modeCodes)
{
    if (modeCodes.empty())
        return 0;
    const bool known = position >= 0 && position < static_cast<int>(modeCodes.size());
    return static_cast<std::uint8_t>(modeCodes[known ? position : 0]);
}

// The pad counts speed downwards; a value past the top level is taken as the top.
std::uint8_t flipSpeed(std::uint8_t value)
{
    return static_cast<std::uint8_t>(kTopSpeed - std::min(value, kTopSpeed));
}

}  // namespace

std::uint16_t padReadOffset(int profile)
{
    return static_cast<std::uint16_t>(profile * kReadStride);
}

std::uint16_t padWriteOffset(int page)
{
    return static_cast<std::uint16_t>(page * kWriteStride);
}

PadPage padPageFromDevice(const std::uint8_t* read, std::uint8_t profile, const std::vector<int>& modeCodes)
{
    PadPage page{};
    std::copy(read, read + kSize, page.begin());
    page[kProfile] = profile;
    page[kMode] = positionOfCode(page[kMode], modeCodes);
    page[kSpeed] = flipSpeed(page[kSpeed]);
    return page;
}

PadPage padPageToDevice(const PadPage& page, const std::vector<int>& modeCodes)
{
    PadPage bytes = page;
    bytes[kMode] = codeOfPosition(page[kMode], modeCodes);
    bytes[kSpeed] = flipSpeed(page[kSpeed]);
    return bytes;
}

PadPage padPageWithLight(PadPage page, const LightInfo& light)
{
    page[kMode] = light.mode;
    page[kBrightness] = light.brightness;
    page[kSpeed] = light.speed;
    page[kMultiColour] = light.multiColor;
    page[kRed] = light.red;
    page[kGreen] = light.green;
    page[kBlue] = light.blue;
    return page;
}

LightInfo padLightOf(const PadPage& page, LightInfo base)
{
    base.mode = page[kMode];
    base.brightness = page[kBrightness];
    base.speed = page[kSpeed];
    base.multiColor = page[kMultiColour];
    base.red = page[kRed];
    base.green = page[kGreen];
    base.blue = page[kBlue];
    return base;
}

int PadSettingsLink::readDeviceInfo(std::array<std::uint8_t, kInfoLength>& info)
{
    if (!m_channel.isOpen())
        return kCommandReadFailed;
    m_channel.beginConfig();
    const int result = m_channel.readDeviceInfo(info.data());
    m_channel.endConfig();
    return result;
}

int PadSettingsLink::readPage(const std::vector<int>& modeCodes, PadPage& page)
{
    std::uint8_t profile = 0;
    int result = m_channel.readSettings(&profile, 1, 0);
    if (result != kCommandOk)
        return result;
    std::array<std::uint8_t, kReadLength> read{};
    result = m_channel.readSettings(read.data(), read.size(), padReadOffset(profile));
    if (result != kCommandOk)
        return result;
    page = padPageFromDevice(read.data(), profile, modeCodes);
    return kCommandOk;
}

int PadSettingsLink::writePage(const PadPage& deviceBytes, int page)
{
    if (!m_channel.isOpen())
        return kCommandReadFailed;
    m_channel.beginConfig();
    const int result = m_channel.writeSettings(deviceBytes.data(), deviceBytes.size(), padWriteOffset(page));
    m_channel.endConfig();
    return result;
}

int PadSettingsLink::readPower(std::array<std::uint8_t, kPowerLength>& power)
{
    return m_channel.readStatus(power.data(), power.size(), 0);
}

}  // namespace kestrion
