#include "editors/macro_library.h"

#include "profiles/json_access.h"
#include "profiles/json_file.h"
#include "profiles/profile_names.h"

#include <system_error>

namespace kestrion {
namespace {

constexpr const char* kIndexFileName = "macro.config";
constexpr const char* kMacroExtension = ".mac";
constexpr const char* kInfoKey = "MacroInfo";
constexpr const char* kNameKey = "MacroName";
constexpr const char* kGuidKey = "Guid";
constexpr const char* kEventsKey = "Events";

bool fileExists(const std::filesystem::path& path)
{
    std::error_code error;
    return std::filesystem::exists(path, error);
}

Json::Value emptyIndex()
{
    Json::Value index(Json::objectValue);
    index[kInfoKey] = Json::Value(Json::arrayValue);
    return index;
}

}  // namespace

MacroLibrary::MacroLibrary(std::filesystem::path deviceFolder) : m_folder(std::move(deviceFolder)), m_index(emptyIndex())
{
}

std::filesystem::path MacroLibrary::indexPath() const
{
    return m_folder / kIndexFileName;
}

bool MacroLibrary::load()
{
    m_index = emptyIndex();
    if (!fileExists(indexPath()))
        return true;
    const Json::Value loaded = LoadJsonFile(indexPath().string());
    if (!arraySection(loaded, kInfoKey))
        return false;
    m_index = loaded;
    return true;
}

const Json::Value& MacroLibrary::entries() const
{
    return m_index[kInfoKey];
}

int MacroLibrary::count() const
{
    return static_cast<int>(entries().size());
}

const Json::Value* MacroLibrary::entryAt(int index) const
{
    if (index < 0 || index >= count())
        return nullptr;
    return &entries()[static_cast<Json::ArrayIndex>(index)];
}

std::string MacroLibrary::nameAt(int index) const
{
    const Json::Value* entry = entryAt(index);
    return entry && entry->isObject() ? textOf(entry->get(kNameKey, Json::Value())) : std::string();
}

std::string MacroLibrary::guidAt(int index) const
{
    const Json::Value* entry = entryAt(index);
    return entry && entry->isObject() ? textOf(entry->get(kGuidKey, Json::Value())) : std::string();
}

std::filesystem::path MacroLibrary::macroPath(int index) const
{
    // The identifier names a file in the device folder, so it must not lead anywhere else.
    const std::string guid = guidAt(index);
    if (!isPlainFileName(guid))
        return {};
    return m_folder / (guid + kMacroExtension);
}

std::optional<Json::Value> MacroLibrary::eventsAt(int index) const
{
    const std::filesystem::path path = macroPath(index);
    if (path.empty())
        return std::nullopt;
    const Json::Value document = LoadJsonFile(path.string());
    const Json::Value* events = arraySection(document, kEventsKey);
    if (!events)
        return std::nullopt;
    return *events;
}

}  // namespace kestrion
