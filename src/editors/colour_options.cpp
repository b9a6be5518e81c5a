#include "editors/colour_options.h"

#include <cstdio>

#include "platform/json_access.h"
#include "profiles/json_file.h"

namespace kestrion {
namespace {

constexpr const char* kRoot = "coloroptioninfo";
constexpr const char* kPresets = "palletDialogcoloroption";
constexpr const char* kPresetIndex = "palletDialogcoloroption_selectitem";
constexpr const char* kSlots = "palletDialogcollectcoloroption";
constexpr const char* kSlotIndex = "palletDialogcollectcoloroption_selectitem";
constexpr const char* kColour = "color";
constexpr const char* kUserData = "UserData";
constexpr const char* kCollected = "1";
constexpr std::size_t kColourDigits = 8;

bool isOptionsDocument(const Json::Value& document)
{
    return objectSection(document, kRoot) != nullptr;
}

int indexWithin(const Json::Value& value, int fallback, int count)
{
    return static_cast<int>(integerWithin(value, 0, count - 1).value_or(fallback));
}

}  // namespace

ColourOptionsFile::ColourOptionsFile(std::string path, std::string factoryPath)
    : m_path(std::move(path)), m_factoryPath(std::move(factoryPath))
{
}

ColourOptions ColourOptionsFile::load()
{
    const Json::Value own = LoadJsonFile(m_path);
    if (isOptionsDocument(own))
        return parse(own);
    const ColourOptions factory = parse(LoadJsonFile(m_factoryPath));
    save(factory);
    return factory;
}

bool ColourOptionsFile::save(const ColourOptions& options) const
{
    return SaveJsonFile(document(options), m_path);
}

ColourOptions ColourOptionsFile::parse(const Json::Value& document)
{
    ColourOptions options;
    const Json::Value& root = memberOf(document, kRoot);
    options.presetIndex = indexWithin(memberOf(root, kPresetIndex), ColourOptions::kFirstPreset,
                                      ColourOptions::kPresetCount);
    options.slotIndex = indexWithin(memberOf(root, kSlotIndex), 0, ColourOptions::kSlotCount);
    const Json::Value& kept = memberOf(root, kSlots);
    for (int i = 0; i < ColourOptions::kSlotCount; ++i) {
        const Json::Value& element = elementOf(kept, static_cast<Json::ArrayIndex>(i));
        ColourOptions::Slot& slot = options.collectedSlots[i];
        std::uint32_t colour = 0;
        if (textOf(memberOf(element, kUserData)) == kCollected && parseColour(textOf(memberOf(element, kColour)), colour)) {
            slot.colour = colour;
            slot.collected = true;
        }
    }
    return options;
}

Json::Value ColourOptionsFile::document(const ColourOptions& options)
{
    Json::Value root(Json::objectValue);
    Json::Value presets(Json::arrayValue);
    for (const std::uint32_t colour : options.presets) {
        Json::Value preset(Json::objectValue);
        preset[kColour] = std::to_string(static_cast<std::int32_t>(colour));
        presets.append(preset);
    }
    root[kPresets] = presets;
    root[kPresetIndex] = options.presetIndex;
    Json::Value collected(Json::arrayValue);
    for (const ColourOptions::Slot& slot : options.collectedSlots) {
        Json::Value element(Json::objectValue);
        element[kColour] = colourText(slot.collected ? slot.colour : 0xFFFFFFFF);
        element[kUserData] = slot.collected ? kCollected : "";
        collected.append(element);
    }
    root[kSlots] = collected;
    root[kSlotIndex] = options.slotIndex;
    Json::Value document(Json::objectValue);
    document[kRoot] = root;
    return document;
}

bool ColourOptionsFile::parseColour(const std::string& text, std::uint32_t& colour)
{
    if (text.size() != kColourDigits)
        return false;
    std::uint32_t value = 0;
    for (const char c : text) {
        int digit = 0;
        if (c >= '0' && c <= '9')
            digit = c - '0';
        else if (c >= 'A' && c <= 'F')
            digit = c - 'A' + 10;
        else if (c >= 'a' && c <= 'f')
            digit = c - 'a' + 10;
        else
            return false;
        value = value << 4 | static_cast<std::uint32_t>(digit);
    }
    colour = value;
    return true;
}

std::string ColourOptionsFile::colourText(std::uint32_t colour)
{
    char text[kColourDigits + 1] = {};
    std::snprintf(text, sizeof text, "%08X", colour);
    return text;
}

}  // namespace kestrion
