#pragma once

#include <array>
#include <cstdint>
#include <string>

#include <json/value.h>

namespace kestrion {

// What the colour picker remembers: the preset colours and the last chosen one, and twenty
// slots of collected colours with the current slot.
struct ColourOptions {
    static constexpr int kPresetCount = 20;
    static constexpr int kSlotCount = 20;
    static constexpr int kFirstPreset = 4;

    struct Slot {
        std::uint32_t colour = 0xFFFFFFFF;
        bool collected = false;
    };

    std::array<std::uint32_t, kPresetCount> presets{};
    int presetIndex = kFirstPreset;
    std::array<Slot, kSlotCount> collectedSlots{};
    int slotIndex = 0;
};

// The picker's options file ("color_option_info.config") in the user's data folder, with the
// factory copy as its fallback. A file that is missing, unreadable or not an options document
// is replaced by the factory copy, written whole; values out of range read as defaults.
class ColourOptionsFile {
public:
    static constexpr const char* kFileName = "color_option_info.config";

    ColourOptionsFile(std::string path, std::string factoryPath);

    ColourOptions load();
    // Writes the whole document; false when the file could not be replaced.
    bool save(const ColourOptions& options) const;

    static ColourOptions parse(const Json::Value& document);
    static Json::Value document(const ColourOptions& options);
    // Eight hexadecimal digits, alpha first; nullopt-like false when the text is not that.
    static bool parseColour(const std::string& text, std::uint32_t& colour);
    static std::string colourText(std::uint32_t colour);

private:
    std::string m_path;
    std::string m_factoryPath;
};

}  // namespace kestrion
