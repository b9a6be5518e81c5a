#include "editors/custom_light_lists.h"

#include <cstdio>
#include <filesystem>
#include <random>

#include "profiles/basic_profile_data.h"
#include "profiles/json_file.h"
#include "profiles/profile_names.h"

namespace kestrion {
namespace {

constexpr const char* kRowsKey = "LightInfo";
constexpr const char* kNameKey = "LightName";
constexpr const char* kGuidKey = "Guid";
constexpr const char* kEffectsSuffix = ".light";

std::string newGuid()
{
    std::random_device source;
    std::string guid;
    for (int i = 0; i < 4; ++i) {
        char part[9];
        std::snprintf(part, sizeof part, "%08x", static_cast<unsigned>(source()));
        guid += part;
    }
    return guid;
}

std::string folderOf(const std::string& path)
{
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

}  // namespace

CustomLightLists::CustomLightLists(std::string configPath, int row)
    : m_configPath(std::move(configPath)), m_row(row)
{
}

CustomLightLists::State CustomLightLists::load()
{
    m_entries.clear();
    m_document = LoadJsonFile(m_configPath);
    std::error_code error;
    if (!std::filesystem::exists(m_configPath, error)) {
        m_state = State::Missing;
        m_document = Json::Value(Json::objectValue);
        return m_state;
    }
    const Json::Value& rows = memberOf(m_document, kRowsKey);
    const bool hasRow = rows.isArray() && m_row < static_cast<int>(rows.size());
    const bool rowUsable = !hasRow || rows[m_row].isArray() || rows[m_row].isNull();
    if (!m_document.isObject() || !(rows.isNull() || rows.isArray()) || !rowUsable) {
        m_state = State::Damaged;
        return m_state;
    }
    m_state = State::Loaded;
    if (hasRow) {
        // Every element keeps its place: the profile chooses a list by its position.
        for (const Json::Value& entry : rows[m_row])
            m_entries.push_back({textOf(memberOf(entry, kNameKey)), textOf(memberOf(entry, kGuidKey))});
    }
    return m_state;
}

void CustomLightLists::startOver()
{
    m_document = Json::Value(Json::objectValue);
    m_entries.clear();
    m_state = State::Loaded;
}

std::vector<std::string> CustomLightLists::names() const
{
    std::vector<std::string> names;
    for (const Entry& entry : m_entries)
        names.push_back(entry.name);
    return names;
}

std::vector<LedEffect> CustomLightLists::effects(int index) const
{
    std::vector<LedEffect> effects;
    if (index < 0 || index >= count() || !isPlainFileName(m_entries[index].guid))
        return effects;
    const Json::Value document = LoadJsonFile(effectsPath(m_entries[index].guid));
    if (const Json::Value* list = arraySection(document, kEffectsKey)) {
        for (const Json::Value& element : *list)
            effects.push_back(ledEffectOf(element));
    }
    return effects;
}

bool CustomLightLists::create(const std::string& name, const std::vector<LedEffect>& effects)
{
    if (m_state == State::Damaged)
        return false;
    const Entry entry{name, newGuid()};
    // The frames first: a configuration never names a list file that is not there.
    if (!writeEffects(entry.guid, effects))
        return false;
    std::vector<Entry> entries = m_entries;
    entries.push_back(entry);
    if (writeConfig(entries))
        return true;
    std::error_code error;
    std::filesystem::remove(effectsPath(entry.guid), error);
    return false;
}

bool CustomLightLists::rename(int index, const std::string& name)
{
    if (!writable(index))
        return false;
    std::vector<Entry> entries = m_entries;
    entries[index].name = name;
    return writeConfig(entries);
}

bool CustomLightLists::remove(int index)
{
    if (!writable(index))
        return false;
    const std::string guid = m_entries[index].guid;
    std::vector<Entry> entries = m_entries;
    entries.erase(entries.begin() + index);
    if (!writeConfig(entries))
        return false;
    std::error_code error;
    if (isPlainFileName(guid))
        std::filesystem::remove(effectsPath(guid), error);
    return true;
}

bool CustomLightLists::setEffects(int index, const std::vector<LedEffect>& effects)
{
    return writable(index) && isPlainFileName(m_entries[index].guid)
        && writeEffects(m_entries[index].guid, effects);
}

Json::Value CustomLightLists::effectsDocument(const std::vector<LedEffect>& effects)
{
    Json::Value document(Json::objectValue);
    Json::Value& list = document[kEffectsKey] = Json::Value(Json::arrayValue);
    for (const LedEffect& effect : effects)
        list.append(ledEffectValue(effect));
    return document;
}

bool CustomLightLists::writable(int index) const
{
    return m_state != State::Damaged && index >= 0 && index < count();
}

std::string CustomLightLists::effectsPath(const std::string& guid) const
{
    return folderOf(m_configPath) + guid + kEffectsSuffix;
}

bool CustomLightLists::writeEffects(const std::string& guid, const std::vector<LedEffect>& effects) const
{
    return SaveJsonFile(effectsDocument(effects), effectsPath(guid));
}

bool CustomLightLists::writeConfig(const std::vector<Entry>& entries)
{
    Json::Value document = m_document.isObject() ? m_document : Json::Value(Json::objectValue);
    Json::Value& rows = document[kRowsKey];
    if (!rows.isArray())
        rows = Json::Value(Json::arrayValue);
    while (static_cast<int>(rows.size()) <= m_row)
        rows.append(Json::Value(Json::arrayValue));
    Json::Value row(Json::arrayValue);
    for (const Entry& entry : entries) {
        Json::Value element(Json::objectValue);
        element[kNameKey] = entry.name;
        element[kGuidKey] = entry.guid;
        row.append(element);
    }
    rows[m_row] = row;
    if (!SaveJsonFile(document, m_configPath))
        return false;
    m_document = std::move(document);
    m_entries = entries;
    m_state = State::Loaded;
    return true;
}

}  // namespace kestrion
