#include "profiles/basic_profile_data.h"

#include <filesystem>

#include "platform/json_access.h"
#include "profiles/json_file.h"
#include "profiles/profile_names.h"

namespace kestrion {
namespace {

struct LightField {
    const char* key;
    std::uint8_t LightInfo::*field;
    bool isFlag;
};

constexpr LightField kLightInfoFields[] = {
    {"SelectItem", &LightInfo::mode, false},
    {"Light", &LightInfo::brightness, false},
    {"Speed", &LightInfo::speed, false},
    {"Fx", &LightInfo::direction, false},
    {"MultiColor", &LightInfo::multiColor, true},
    {"Red", &LightInfo::red, false},
    {"Green", &LightInfo::green, false},
    {"Blue", &LightInfo::blue, false},
    {"ZZCCLedMode", &LightInfo::zzccLedMode, false},
    {"CustomGroup", &LightInfo::customGroup, false},
    {"OldLedmode", &LightInfo::oldLedMode, false},
};

constexpr LightField kLightListFields[] = {
    {"LEDREGMode", &LightInfo::mode, false},
    {"LEDBrightness", &LightInfo::brightness, false},
    {"LEDSpeed", &LightInfo::speed, false},
    {"LEDDirection", &LightInfo::direction, false},
    {"LEDMultiColor", &LightInfo::multiColor, true},
    {"red", &LightInfo::red, false},
    {"green", &LightInfo::green, false},
    {"blue", &LightInfo::blue, false},
};

struct AudioField {
    const char* key;
    std::uint8_t AudioLightInfo::*field;
    bool isFlag;
};

constexpr AudioField kAudioLightFields[] = {
    {"AudioMode", &AudioLightInfo::audioMode, false},
    {"BkColorR", &AudioLightInfo::backRed, false},
    {"BkColorG", &AudioLightInfo::backGreen, false},
    {"BkColorB", &AudioLightInfo::backBlue, false},
    {"FgColorR", &AudioLightInfo::foreRed, false},
    {"FgColorG", &AudioLightInfo::foreGreen, false},
    {"FgColorB", &AudioLightInfo::foreBlue, false},
    {"7ColorFlags", &AudioLightInfo::sevenColor, true},
    {"ColorTypeFlags", &AudioLightInfo::colorType, false},
};

struct EffectField {
    const char* key;
    std::uint8_t LedEffect::*field;
};

constexpr EffectField kLedEffectFields[] = {
    {"LEDREGMode", &LedEffect::mode},   {"LEDBrightness", &LedEffect::brightness},
    {"LEDSpeed", &LedEffect::speed},    {"LEDDirection", &LedEffect::direction},
    {"LEDMultiColor", &LedEffect::multiColor}, {"red", &LedEffect::red},
    {"green", &LedEffect::green},       {"blue", &LedEffect::blue},
};

template <typename Record, typename Field>
void readBytes(Json::Value& section, Record& record, const Field& field)
{
    record.*field.field = field.isFlag ? static_cast<std::uint8_t>(readFlag(section, field.key))
                                       : static_cast<std::uint8_t>(readField(section, field.key));
}

template <typename Record, typename Field>
void writeBytes(Json::Value& section, const Record& record, const Field& field)
{
    const unsigned value = record.*field.field;
    section[field.key] = field.isFlag ? Json::UInt(value != 0) : Json::UInt(value);
}

LightInfo lightListElement(Json::Value& element)
{
    LightInfo light {};
    if (element.isNull())
        return light;
    for (const auto& field : kLightListFields)
        readBytes(element, light, field);
    light.present = 1;
    return light;
}

std::vector<KeyEntry> parseKeyList(Json::Value& entry)
{
    std::vector<KeyEntry> keys;
    Json::Value* list = arraySection(entry, "KeyList");
    if (!list)
        return keys;
    for (Json::ArrayIndex i = 0; i < list->size(); ++i) {
        Json::Value& element = (*list)[i];
        const auto index = static_cast<std::uint16_t>(i);
        const auto code = static_cast<std::uint32_t>(readField(element, "Assignment"));
        const auto defaultCode = static_cast<std::uint32_t>(readField(element, "DefaultAssignment"));
        keys.push_back(KeyEntry {keyRecordOf(index, code), keyRecordOf(index, defaultCode)});
    }
    return keys;
}

void writeKeyList(Json::Value& entry, const std::vector<KeyEntry>& keys)
{
    Json::Value& list = arraySlot(entry, "KeyList");
    for (Json::ArrayIndex i = 0; i < keys.size(); ++i)
        objectElement(list, i)["Assignment"] = Json::UInt(keyCodeOf(keys[i].current));
}

std::string folderOf(const std::string& path)
{
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

}  // namespace

Json::Value deviceEntryOf(const Json::Value& document, int index)
{
    const Json::Value* devices = arraySection(document, "Device");
    if (!devices || index < 0 || static_cast<Json::ArrayIndex>(index) >= devices->size())
        return Json::Value();
    const Json::Value& entry = (*devices)[static_cast<Json::ArrayIndex>(index)];
    return entry.isObject() ? entry : Json::Value();
}

void setDeviceEntry(Json::Value& document, int index, const Json::Value& entry)
{
    arraySlot(document, "Device")[static_cast<Json::ArrayIndex>(index)] = entry;
}

bool CBasicProfiledata::SaveProfile()
{
    // The data folder may have been removed while the tool runs: it is made again, not given up.
    if (!m_profilePath.empty()) {
        std::error_code ignored;
        std::filesystem::create_directories(std::filesystem::path(m_profilePath).parent_path(), ignored);
    }
    return WriteDeviceEntry(m_current, m_profilePath);
}

bool CBasicProfiledata::WriteDeviceEntry(const Json::Value& entry, const std::string& path)
{
    Json::Value document = ReadDocument(path);
    setDeviceEntry(document, m_deviceIndex, entry);
    return WriteDocument(document, path);
}

bool CBasicProfiledata::SaveOtherProfile(const std::string& path)
{
    return WriteDeviceEntry(m_other, path);
}

bool CBasicProfiledata::WriteDocument(const Json::Value& document, const std::string& path)
{
    return SaveJsonFile(document, path);
}

Json::Value CBasicProfiledata::ReadDocument(const std::string& path) const
{
    return LoadJsonFile(path);
}

void CBasicProfiledata::SetProfilePath(const std::string& path)
{
    if (!path.empty())
        m_profilePath = path;
}

void CBasicProfiledata::SetDefaultPath(const std::string& path)
{
    if (!path.empty())
        m_defaultPath = path;
}

void CBasicProfiledata::SetDeviceIndex(int index)
{
    if (index >= 0)
        m_deviceIndex = index;
}

Json::Value CBasicProfiledata::loadEntry(const std::string& path)
{
    Json::Value document = ReadDocument(path);
    Json::Value entry = deviceEntryOf(document, m_deviceIndex);
    if (!entry.isNull())
        return entry;
    entry = deviceEntryOf(ReadDocument(m_defaultPath), m_deviceIndex);
    setDeviceEntry(document, m_deviceIndex, entry);
    WriteDocument(document, path);
    return entry;
}

Json::Value CBasicProfiledata::LoadProfile(const std::string& path)
{
    m_current = loadEntry(path);
    return m_current;
}

Json::Value CBasicProfiledata::LoadOtherProfile(const std::string& path)
{
    m_other = loadEntry(path);
    return m_other;
}

void CBasicProfiledata::SetLightConfigPath(const std::string& path)
{
    m_lightConfigPath = path;
}

Json::Value CBasicProfiledata::LoadLightConfig(const std::string& path)
{
    m_lightConfig = ReadDocument(path);
    return m_lightConfig;
}

Json::Value* CBasicProfiledata::currentSection(const char* key)
{
    return objectSection(m_current, key);
}

Json::Value& CBasicProfiledata::writableEntry()
{
    if (!m_current.isObject())
        m_current = Json::Value(Json::objectValue);
    return m_current;
}

LightInfo CBasicProfiledata::GetLightInfo()
{
    LightInfo light {};
    if (Json::Value* section = currentSection("LightInfo")) {
        for (const auto& field : kLightInfoFields)
            readBytes(*section, light, field);
    }
    m_currentLight = light;
    return light;
}

void CBasicProfiledata::SetLightInfo(const LightInfo& light)
{
    m_currentLight = light;
    Json::Value& section = objectSlot(writableEntry(), "LightInfo");
    for (const auto& field : kLightInfoFields)
        writeBytes(section, light, field);
}

AudioLightInfo CBasicProfiledata::GetAudioLightInfo()
{
    AudioLightInfo light {};
    if (Json::Value* section = currentSection("AudioLightInfo")) {
        for (const auto& field : kAudioLightFields)
            readBytes(*section, light, field);
        light.colorType = 1;
    }
    m_audioLight = light;
    return light;
}

void CBasicProfiledata::SetAudioLightInfo(const AudioLightInfo& light)
{
    m_audioLight = light;
    Json::Value& section = objectSlot(writableEntry(), "AudioLightInfo");
    for (const auto& field : kAudioLightFields)
        writeBytes(section, light, field);
}

std::vector<LightInfo> CBasicProfiledata::GetLightList()
{
    m_lightList.clear();
    if (Json::Value* list = arraySection(m_current, "LightList")) {
        for (Json::Value& element : *list)
            m_lightList.push_back(lightListElement(element));
    }
    return m_lightList;
}

std::vector<KeyEntry> CBasicProfiledata::GetKeyList()
{
    m_keyList = parseKeyList(m_current);
    return m_keyList;
}

void CBasicProfiledata::SetKeyList(const std::vector<KeyEntry>& keys)
{
    m_keyList = keys;
    writeKeyList(writableEntry(), keys);
}

std::vector<KeyEntry> CBasicProfiledata::GetOtherKeyList()
{
    m_otherKeyList = parseKeyList(m_other);
    return m_otherKeyList;
}

void CBasicProfiledata::SetOtherKeyList(const std::vector<KeyEntry>& keys)
{
    m_otherKeyList = keys;
    if (!m_other.isObject())
        m_other = Json::Value(Json::objectValue);
    writeKeyList(m_other, keys);
}

std::vector<LedEffect> CBasicProfiledata::GetCustomLightEffects()
{
    m_customEffects.clear();
    const Json::Value* modes = arraySection(m_lightConfig, "LightInfo");
    if (!modes || m_lightConfigRow < 0 || m_lightConfigRow >= static_cast<int>(modes->size()))
        return m_customEffects;
    const Json::Value& device = (*modes)[static_cast<Json::ArrayIndex>(m_lightConfigRow)];
    if (!device.isArray() || m_currentLight.customGroup >= device.size())
        return m_customEffects;
    const Json::Value& list = device[m_currentLight.customGroup];
    const std::string guid = list.isObject() ? textOf(list["Guid"]) : std::string();
    if (!isPlainFileName(guid))
        return m_customEffects;
    // Effect lists lie beside the light configuration that names them.
    const Json::Value effects = ReadDocument(folderOf(m_lightConfigPath) + guid + ".light");
    if (const Json::Value* list = arraySection(effects, "LEDEffectList")) {
        for (const Json::Value& element : *list)
            m_customEffects.push_back(ledEffectOf(element));
    }
    return m_customEffects;
}

LedEffect ledEffectOf(const Json::Value& element)
{
    LedEffect effect {};
    if (!element.isObject())
        return effect;
    for (const auto& field : kLedEffectFields)
        effect.*field.field = static_cast<std::uint8_t>(integerOf(memberOf(element, field.key)));
    effect.time = static_cast<std::int32_t>(integerOf(memberOf(element, "Time")));
    effect.cycle = static_cast<std::int32_t>(integerOf(memberOf(element, "Cyle")));
    return effect;
}

Json::Value ledEffectValue(const LedEffect& effect)
{
    Json::Value element(Json::objectValue);
    for (const auto& field : kLedEffectFields)
        element[field.key] = Json::UInt(effect.*field.field);
    element["Time"] = Json::Int(effect.time);
    element["Cyle"] = Json::Int(effect.cycle);
    return element;
}

}  // namespace kestrion
