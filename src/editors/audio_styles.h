#pragma once

#include <array>
#include <string>

#include <json/value.h>

namespace kestrion {

// The four named colour styles of the music light and the active one, for the audio companion.
struct AudioStyles {
    static constexpr int kStyleCount = 4;
    static constexpr int kMaxLevel = 9;
    // Longest name kept, in bytes; a longer one from a file is cut at a character boundary.
    static constexpr std::size_t kMaxNameBytes = 64;

    struct Colour {
        int red = 0;
        int green = 0;
        int blue = 0;

        constexpr bool operator==(const Colour&) const = default;
    };

    int active = 0;
    std::array<std::string, kStyleCount> names;
    std::array<Colour, kStyleCount> colours{};

    const Colour& activeColour() const { return colours[static_cast<std::size_t>(active)]; }
    bool operator==(const AudioStyles&) const = default;
};

// "AudioFile.json" in the data folder with the factory copy beside the program. The file's
// "Device" object is kept between loading and saving, so members other programs added survive.
class AudioStyleFile {
public:
    static constexpr const char* kFileName = "AudioFile.json";

    AudioStyleFile(std::string path, std::string factoryPath);

    // The data folder's styles; a file that is missing, unreadable or without the styles is
    // replaced, whole, by the factory copy, whose styles are taken. Neither readable: empty
    // styles (style 0, no names, every level 0). Values out of range read as 0.
    AudioStyles load();
    // The factory styles, written over the data folder's file.
    AudioStyles reset();
    // Writes the styles into the kept "Device" object and that into the file as it now is;
    // false when the file could not be replaced.
    bool save(const AudioStyles& styles);

    static AudioStyles parse(const Json::Value& device);

private:
    AudioStyles takeFactoryCopy();

    std::string m_path;
    std::string m_factoryPath;
    Json::Value m_device{Json::objectValue};
};

}  // namespace kestrion
