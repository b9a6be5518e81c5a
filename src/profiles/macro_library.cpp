#include "profiles/macro_library.h"

#include "platform/file_read.h"
#include "platform/atomic_file.h"
#include "platform/json_access.h"
#include "profiles/json_file.h"
#include "profiles/profile_names.h"

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <functional>
#include <system_error>
#include <utility>

namespace kestrion {
namespace {

namespace fs = std::filesystem;

constexpr const char* kIndexFileName = "macro.config";
constexpr const char* kMacroExtension = ".mac";
constexpr const char* kProfileExtension = ".Json";
constexpr const char* kInfoKey = "MacroInfo";
constexpr const char* kNameKey = "MacroName";
constexpr const char* kGuidKey = "Guid";
constexpr const char* kEventsKey = "Events";
constexpr const char* kVersionKey = "Version";
constexpr int kMacroFileVersion = 64;
constexpr const char* kNewNamePrefix = "macro_";

// Imported file names are limited as the macro page shows them.
constexpr std::size_t kMaxImportFileNameCharacters = 14;
constexpr std::size_t kMaxImportBaseNameCharacters = 10;

// A key function code is type << 16 | param1 << 8 | param2; the macro types carry the macro number
// in param1.
constexpr std::uint8_t kMacroKeyTypes[] = {0x70, 0x71};
constexpr int kKeyTypeShift = 16;
constexpr int kMacroNumberShift = 8;
constexpr std::uint32_t kMacroNumberStep = 1u << kMacroNumberShift;

bool isMacroCode(std::uint32_t code)
{
    const auto type = static_cast<std::uint8_t>(code >> kKeyTypeShift);
    return std::find(std::begin(kMacroKeyTypes), std::end(kMacroKeyTypes), type) != std::end(kMacroKeyTypes);
}

int macroNumberOf(std::uint32_t code)
{
    return static_cast<std::uint8_t>(code >> kMacroNumberShift);
}

// The code a key holds once macro `removed` is gone; nullopt when it keeps its code.
std::optional<std::uint32_t> codeAfterRemoval(std::uint32_t code, std::uint32_t defaultCode, int removed)
{
    if (!isMacroCode(code) || macroNumberOf(code) < removed)
        return std::nullopt;
    if (macroNumberOf(code) == removed)
        return defaultCode;
    return code - kMacroNumberStep;
}

bool fileExists(const fs::path& path)
{
    std::error_code error;
    return fs::exists(path, error);
}

Json::Value emptyIndex()
{
    Json::Value index(Json::objectValue);
    index[kInfoKey] = Json::Value(Json::arrayValue);
    return index;
}

Json::Value indexEntry(const std::string& name, const std::string& guid)
{
    Json::Value entry(Json::objectValue);
    entry[kNameKey] = name;
    entry[kGuidKey] = guid;
    return entry;
}

bool isMacroDocument(const Json::Value& document)
{
    return arraySection(document, kEventsKey) != nullptr;
}

// The import rule: suffixes accumulate ("a", "a_1", "a_1_2") until the name is free.
std::string uniqueName(std::string name, const std::function<bool(const std::string&)>& isTaken)
{
    for (int n = 1; isTaken(name); ++n)
        name += "_" + std::to_string(n);
    return name;
}

// A macro file chosen for import, as read.
struct MacroSource {
    std::string bytes;
    Json::Value document;
};

std::optional<MacroSource> readMacroSource(const fs::path& path)
{
    MacroSource source;
    if (!readWholeFile(path.string(), kMaxJsonFileBytes, source.bytes))
        return std::nullopt;
    // Like every reader of the tool, the document ends at the first zero byte (c_str stops there).
    source.document = parseJsonText(source.bytes.c_str());
    if (!isMacroDocument(source.document))
        return std::nullopt;
    return source;
}

struct ImportedCopy {
    std::string bytes;
    bool shortened;
};

// The file as it came, or, when it holds too many events, its document with the first ones only.
ImportedCopy importedCopy(const MacroSource& source)
{
    if (source.document[kEventsKey].size() <= static_cast<Json::ArrayIndex>(MacroLibrary::kMaxEvents))
        return {source.bytes, false};
    Json::Value document = source.document;
    document[kEventsKey].resize(MacroLibrary::kMaxEvents);
    return {styledJsonText(document), true};
}

std::vector<fs::path> filesWithExtension(const fs::path& folder, const char* extension)
{
    std::vector<fs::path> found;
    std::error_code error;
    for (const auto& file : fs::directory_iterator(folder, error)) {
        if (file.path().extension() == extension && file.is_regular_file(error))
            found.push_back(file.path());
    }
    std::sort(found.begin(), found.end());
    return found;
}

// Applies the removal of a macro to the key list of a profile document's device entry.
bool renumberDocument(Json::Value& document, int removed)
{
    Json::Value* devices = arraySection(document, "Device");
    if (!devices || devices->empty() || !(*devices)[0].isObject())
        return false;
    Json::Value* keys = arraySection((*devices)[0], "KeyList");
    if (!keys)
        return false;
    bool changed = false;
    for (Json::Value& key : *keys) {
        if (!key.isObject())
            continue;
        const auto code = static_cast<std::uint32_t>(integerOf(memberOf(key, "Assignment")));
        const auto defaultCode = static_cast<std::uint32_t>(integerOf(memberOf(key, "DefaultAssignment")));
        if (const auto replaced = codeAfterRemoval(code, defaultCode, removed)) {
            key["Assignment"] = Json::UInt(*replaced);
            changed = true;
        }
    }
    return changed;
}

// Rewrites every profile document in the folder that holds a key playing or following the removed
// macro. False when one of them could not be written.
bool renumberProfileDocuments(const fs::path& folder, int removed)
{
    bool allWritten = true;
    for (const auto& path : filesWithExtension(folder, kProfileExtension)) {
        Json::Value document = LoadJsonFile(path.string());
        if (renumberDocument(document, removed) && !SaveJsonFile(document, path.string()))
            allWritten = false;
    }
    return allWritten;
}

}  // namespace

MacroLibrary::MacroLibrary(fs::path deviceFolder) : m_folder(std::move(deviceFolder)), m_index(emptyIndex())
{
}

fs::path MacroLibrary::indexPath() const
{
    return m_folder / kIndexFileName;
}

fs::path MacroLibrary::pathOfGuid(const std::string& guid) const
{
    // The identifier names a file in the device folder, so it must not lead anywhere else.
    if (!isPlainFileName(guid))
        return {};
    return m_folder / (guid + kMacroExtension);
}

bool MacroLibrary::load()
{
    m_index = emptyIndex();
    if (!fileExists(indexPath()))
        return true;
    const Json::Value loaded = LoadJsonFile(indexPath().string());
    if (!arraySection(loaded, kInfoKey)) {
        rebuildIndex();
        return false;
    }
    m_index = loaded;
    return true;
}

void MacroLibrary::rebuildIndex()
{
    // Identifiers are creation times, so the file names' order is the order the macros were made in.
    for (const auto& path : filesWithExtension(m_folder, kMacroExtension)) {
        if (count() >= kMaxMacros)
            break;
        const std::string guid = path.stem().string();
        const Json::Value document = LoadJsonFile(path.string());
        if (!isPlainFileName(guid) || !isMacroDocument(document))
            continue;
        std::string name = textOf(memberOf(document, kNameKey));
        if (isBlankName(name))
            name = guid;
        name = uniqueName(name, [this](const std::string& candidate) { return isNameTaken(candidate); });
        m_index[kInfoKey].append(indexEntry(name, guid));
    }
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
    return entry ? textOf(memberOf(*entry, kNameKey)) : std::string();
}

std::string MacroLibrary::guidAt(int index) const
{
    const Json::Value* entry = entryAt(index);
    return entry ? textOf(memberOf(*entry, kGuidKey)) : std::string();
}

fs::path MacroLibrary::macroPath(int index) const
{
    return pathOfGuid(guidAt(index));
}

std::optional<Json::Value> MacroLibrary::eventsAt(int index) const
{
    const fs::path path = macroPath(index);
    if (path.empty())
        return std::nullopt;
    const Json::Value document = LoadJsonFile(path.string());
    const Json::Value* events = arraySection(document, kEventsKey);
    if (!events)
        return std::nullopt;
    return *events;
}

std::optional<std::vector<MacroEvent>> MacroLibrary::macroEventsAt(int index) const
{
    const std::optional<Json::Value> events = eventsAt(index);
    return events ? std::optional(macroEventsOf(*events)) : std::nullopt;
}

bool MacroLibrary::isNameTaken(const std::string& name) const
{
    for (int i = 0; i < count(); ++i) {
        if (sameProfileName(nameAt(i), name))
            return true;
    }
    return false;
}

bool MacroLibrary::isGuidTaken(const std::string& guid) const
{
    return usersOfGuid(guid) > 0 || fileExists(pathOfGuid(guid));
}

int MacroLibrary::usersOfGuid(const std::string& guid) const
{
    int users = 0;
    for (int i = 0; i < count(); ++i)
        users += guidAt(i) == guid ? 1 : 0;
    return users;
}

std::string MacroLibrary::newGuid() const
{
    // Two macros made within one millisecond would share a file: move on to the next free stamp.
    auto when = std::chrono::system_clock::now();
    std::string guid = MakeTimeStamp(when);
    while (isGuidTaken(guid)) {
        when += std::chrono::milliseconds(1);
        guid = MakeTimeStamp(when);
    }
    return guid;
}

bool MacroLibrary::writeIndex(const Json::Value& index)
{
    if (!SaveJsonFile(index, indexPath().string()))
        return false;
    m_index = index;
    return true;
}

MacroAddResult MacroLibrary::appendMacro(const std::string& name, const std::string& guid)
{
    Json::Value index = m_index;
    index[kInfoKey].append(indexEntry(name, guid));
    return writeIndex(index) ? MacroAddResult::Added : MacroAddResult::WriteFailed;
}

MacroAddResult MacroLibrary::add()
{
    if (count() >= kMaxMacros)
        return MacroAddResult::LimitReached;
    std::string name;
    for (int n = 1; name.empty() || isNameTaken(name); ++n)
        name = kNewNamePrefix + std::to_string(n);
    return appendMacro(name, newGuid());
}

MacroRenameResult MacroLibrary::rename(int index, const std::string& name)
{
    if (!entryAt(index))
        return MacroRenameResult::NoMacro;
    if (!name.empty() && name.front() == ' ')
        return MacroRenameResult::LeadingSpace;
    if (isBlankName(name))
        return MacroRenameResult::Blank;
    if (isNameTaken(name))
        return MacroRenameResult::Taken;
    Json::Value updated = m_index;
    objectElement(updated[kInfoKey], static_cast<Json::ArrayIndex>(index))[kNameKey] = name;
    return writeIndex(updated) ? MacroRenameResult::Renamed : MacroRenameResult::WriteFailed;
}

MacroRemoveResult MacroLibrary::remove(int index)
{
    if (!entryAt(index))
        return MacroRemoveResult::NoMacro;
    const std::string guid = guidAt(index);
    // The index goes first: when it cannot be written, no profile has been touched yet.
    Json::Value updated = m_index;
    Json::Value removed;
    updated[kInfoKey].removeIndex(static_cast<Json::ArrayIndex>(index), &removed);
    if (!writeIndex(updated))
        return MacroRemoveResult::WriteFailed;
    const bool profilesWritten = renumberProfileDocuments(m_folder, index);
    // An index that lists one identifier twice must not lose the file the other entry still plays.
    if (usersOfGuid(guid) == 0 && !pathOfGuid(guid).empty()) {
        std::error_code error;
        fs::remove(pathOfGuid(guid), error);
    }
    return profilesWritten ? MacroRemoveResult::Removed : MacroRemoveResult::ProfilesNotUpdated;
}

MacroImportResult MacroLibrary::importMacro(const fs::path& sourcePath)
{
    const std::string fileName = sourcePath.filename().string();
    const std::string baseName = baseNameOf(fileName);
    if (utf8CharacterCount(fileName) > kMaxImportFileNameCharacters
        || utf8CharacterCount(baseName) > kMaxImportBaseNameCharacters)
        return MacroImportResult::FileNameTooLong;
    if (count() >= kMaxMacros)
        return MacroImportResult::LimitReached;
    const std::optional<MacroSource> source = readMacroSource(sourcePath);
    if (!source)
        return MacroImportResult::NotAMacro;

    const std::string target = pathOfGuid(newGuid()).string();
    const ImportedCopy copy = importedCopy(*source);
    if (!writeFileAtomically(target, copy.bytes))
        return MacroImportResult::WriteFailed;
    const std::string name = uniqueName(baseName, [this](const std::string& candidate) { return isNameTaken(candidate); });
    if (appendMacro(name, fs::path(target).stem().string()) != MacroAddResult::Added) {
        std::error_code error;
        fs::remove(target, error);
        return MacroImportResult::WriteFailed;
    }
    return copy.shortened ? MacroImportResult::Shortened : MacroImportResult::Imported;
}

MacroExportResult MacroLibrary::exportMacro(int index, const fs::path& targetPath) const
{
    const fs::path source = macroPath(index);
    if (source.empty())
        return MacroExportResult::NoMacro;
    std::string bytes;
    if (!readWholeFile(source.string(), kMaxJsonFileBytes, bytes))
        return MacroExportResult::NoFile;
    return writeFileAtomically(targetPath.string(), bytes) ? MacroExportResult::Exported
                                                           : MacroExportResult::WriteFailed;
}

MacroSaveResult MacroLibrary::saveMacro(int index, const Json::Value& events)
{
    if (!entryAt(index))
        return MacroSaveResult::NoMacro;
    const fs::path path = macroPath(index);
    if (path.empty())
        return MacroSaveResult::NoIdentifier;
    if (!events.isArray())
        return MacroSaveResult::NotEvents;

    Json::Value document(Json::objectValue);
    document[kNameKey] = nameAt(index);
    document[kGuidKey] = guidAt(index);
    document[kVersionKey] = kMacroFileVersion;
    Json::Value& kept = document[kEventsKey] = events;
    const bool shortened = kept.size() > static_cast<Json::ArrayIndex>(kMaxEvents);
    if (shortened)
        kept.resize(kMaxEvents);
    if (!SaveJsonFile(document, path.string()))
        return MacroSaveResult::WriteFailed;
    return shortened ? MacroSaveResult::Shortened : MacroSaveResult::Saved;
}

bool MacroLibrary::keysPlayMacro(const std::vector<KeyEntry>& keys, int macroIndex)
{
    return std::any_of(keys.begin(), keys.end(), [macroIndex](const KeyEntry& key) {
        const std::uint32_t code = keyCodeOf(key.current);
        return isMacroCode(code) && macroNumberOf(code) == macroIndex;
    });
}

bool MacroLibrary::renumberKeys(std::vector<KeyEntry>& keys, int removedIndex)
{
    bool changed = false;
    for (KeyEntry& key : keys) {
        if (const auto replaced = codeAfterRemoval(keyCodeOf(key.current), keyCodeOf(key.defaults), removedIndex)) {
            key.current = keyRecordOf(key.current.keyIndex(), *replaced);
            changed = true;
        }
    }
    return changed;
}

}  // namespace kestrion
