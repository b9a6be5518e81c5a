#include "profiles/keyboard_profile_data.h"

#include "platform/json_access.h"

#include <algorithm>

namespace kestrion {
namespace {

struct KeyboardWord {
    const char* key;
    std::uint16_t KeyboardSystemStages::*field;
};

constexpr KeyboardWord kKeyboardWords[] = {
    {"Repeat", &KeyboardSystemStages::repeat},   {"RepeatDelay", &KeyboardSystemStages::repeatDelay},
    {"Key6Flag", &KeyboardSystemStages::key6Flag}, {"PollingRate", &KeyboardSystemStages::pollingRate},
    {"WFlag", &KeyboardSystemStages::wFlag},     {"WinFlag", &KeyboardSystemStages::winFlag},
};

struct ColorChannel {
    const char* key;
    std::uint8_t LightColor::*field;
};

constexpr ColorChannel kColorChannels[] = {
    {"Red", &LightColor::red}, {"Green", &LightColor::green}, {"Blue", &LightColor::blue}, {"Alpha", &LightColor::alpha},
};

void writeColor(Json::Value& element, const LightColor& color)
{
    for (const auto& channel : kColorChannels)
        element[channel.key] = Json::UInt(color.*channel.field);
}

LightColor readColor(Json::Value& element)
{
    LightColor color {};
    for (const auto& channel : kColorChannels)
        color.*channel.field = static_cast<std::uint8_t>(readField(element, channel.key));
    return color;
}

Json::Value& colorGroups(Json::Value& entry)
{
    return arraySlot(objectSlot(entry, "CustomLightMode"), "LightColorInfo");
}

}  // namespace

KeyboardSystemStages CKeyboardProfiledata::GetSystemStages()
{
    KeyboardSystemStages stages {};
    if (Json::Value* section = currentSection("SystemStages")) {
        for (const auto& word : kKeyboardWords)
            stages.*word.field = static_cast<std::uint16_t>(readField(*section, word.key));
    }
    m_systemStages = stages;
    return stages;
}

void CKeyboardProfiledata::SetSystemStages(const KeyboardSystemStages& stages)
{
    m_systemStages = stages;
    Json::Value& section = objectSlot(writableEntry(), "SystemStages");
    for (const auto& word : kKeyboardWords)
        section[word.key] = Json::UInt(stages.*word.field);
}

std::vector<LightColor> CKeyboardProfiledata::GetCustomLightColors(int group, int count)
{
    m_customColors.assign(static_cast<std::size_t>(std::max(count, 0)), LightColor {});
    if (group < 0 || !current().isObject())
        return m_customColors;
    Json::Value& groups = colorGroups(current());
    const bool groupMissing = groups[static_cast<Json::ArrayIndex>(group)].isNull();
    Json::Value& colors = arrayElement(groups, static_cast<Json::ArrayIndex>(group));
    for (Json::ArrayIndex j = 0; j < m_customColors.size(); ++j) {
        Json::Value& element = colors[j];
        if (groupMissing || element.isNull())
            writeColor(element, LightColor {});
        else
            m_customColors[j] = readColor(element);
    }
    return m_customColors;
}

void CKeyboardProfiledata::SetCustomLightColors(const std::vector<LightColor>& colors, int group)
{
    m_customColors = colors;
    if (group < 0)
        return;
    Json::Value& list = arrayElement(colorGroups(writableEntry()), static_cast<Json::ArrayIndex>(group));
    for (Json::ArrayIndex j = 0; j < colors.size(); ++j)
        writeColor(objectElement(list, j), colors[j]);
}

int CKeyboardProfiledata::GetCustomLightGroup()
{
    Json::Value* section = currentSection("CustomLightMode");
    m_customGroup = section ? static_cast<int>(readField(*section, "CustomLightModeGroupIndex")) : 0;
    return m_customGroup;
}

void CKeyboardProfiledata::SetCustomLightGroup(int group)
{
    m_customGroup = group;
    objectSlot(writableEntry(), "CustomLightMode")["CustomLightModeGroupIndex"] = Json::UInt(static_cast<unsigned>(group));
}

}  // namespace kestrion
