#include "editors/audio_styles.h"

#include "platform/json_access.h"
#include "profiles/json_file.h"

namespace kestrion {
namespace {

constexpr const char* kDevice = "Device";
constexpr const char* kSection = "AudioLightInfo";
constexpr const char* kActive = "nAudioStyle";
constexpr std::array<const char*, AudioStyles::kStyleCount> kNames{"nStyleName1", "nStyleName2", "nStyleName3",
                                                                  "nStyleName4"};
struct LevelKeys {
    const char* red;
    const char* green;
    const char* blue;
};
constexpr std::array<LevelKeys, AudioStyles::kStyleCount> kLevels{{
    {"nStyleR0", "nStyleG0", "nStyleB0"},
    {"nStyleR1", "nStyleG1", "nStyleB1"},
    {"nStyleR2", "nStyleG2", "nStyleB2"},
    {"nStyleR3", "nStyleG3", "nStyleB3"},
}};

bool hasStyles(const Json::Value& document)
{
    const Json::Value* device = objectSection(document, kDevice);
    return device && objectSection(*device, kSection);
}

int levelOf(const Json::Value& section, const char* key)
{
    return static_cast<int>(integerWithin(memberOf(section, key), 0, AudioStyles::kMaxLevel).value_or(0));
}

// Cut at the last whole UTF-8 character that fits.
std::string limitedName(std::string name)
{
    if (name.size() <= AudioStyles::kMaxNameBytes)
        return name;
    std::size_t end = AudioStyles::kMaxNameBytes;
    while (end > 0 && (static_cast<unsigned char>(name[end]) & 0xC0U) == 0x80U)
        --end;
    name.resize(end);
    return name;
}

}  // namespace

AudioStyleFile::AudioStyleFile(std::string path, std::string factoryPath)
    : m_path(std::move(path)), m_factoryPath(std::move(factoryPath))
{
}

AudioStyles AudioStyleFile::load()
{
    const Json::Value own = LoadJsonFile(m_path);
    if (!hasStyles(own))
        return takeFactoryCopy();
    m_device = own[kDevice];
    return parse(m_device);
}

AudioStyles AudioStyleFile::reset()
{
    return takeFactoryCopy();
}

AudioStyles AudioStyleFile::takeFactoryCopy()
{
    const Json::Value factory = LoadJsonFile(m_factoryPath);
    if (!hasStyles(factory)) {
        m_device = Json::Value(Json::objectValue);
        return {};
    }
    SaveJsonFile(factory, m_path);
    m_device = factory[kDevice];
    return parse(m_device);
}

bool AudioStyleFile::save(const AudioStyles& styles)
{
    Json::Value& section = m_device[kSection];
    if (!section.isObject())
        section = Json::Value(Json::objectValue);
    section[kActive] = styles.active;
    for (std::size_t i = 0; i < kNames.size(); ++i) {
        section[kNames[i]] = styles.names[i];
        section[kLevels[i].red] = styles.colours[i].red;
        section[kLevels[i].green] = styles.colours[i].green;
        section[kLevels[i].blue] = styles.colours[i].blue;
    }
    Json::Value document = LoadJsonFile(m_path);
    if (!document.isObject())
        document = Json::Value(Json::objectValue);
    document[kDevice] = m_device;
    return SaveJsonFile(document, m_path);
}

AudioStyles AudioStyleFile::parse(const Json::Value& device)
{
    AudioStyles styles;
    const Json::Value& section = memberOf(device, kSection);
    styles.active = static_cast<int>(integerWithin(memberOf(section, kActive), 0, AudioStyles::kStyleCount - 1).value_or(0));
    for (std::size_t i = 0; i < kNames.size(); ++i) {
        styles.names[i] = limitedName(textOf(memberOf(section, kNames[i])));
        styles.colours[i] = {levelOf(section, kLevels[i].red), levelOf(section, kLevels[i].green),
                             levelOf(section, kLevels[i].blue)};
    }
    return styles;
}

}  // namespace kestrion
