#include "profiles/profile_list_store.h"

#include "profiles/basic_profile_data.h"
#include "platform/diagnostics.h"
#include "platform/json_access.h"
#include "profiles/json_file.h"
#include "profiles/profile_names.h"

#include <algorithm>
#include <filesystem>
#include <set>
#include <system_error>
#include <unistd.h>

namespace kestrion {
namespace {

constexpr const char* kListFileName = "ProfileList.ini";
// The selected profile's identifier, kept beside the list so that a damaged list does not move
// the user's changes to another profile.
constexpr const char* kSelectionFileName = "selected_profile.json";
constexpr const char* kDocumentExtension = ".Json";
constexpr int kHeadsetKind = 7;
constexpr const char* kCarriedHeadsetSections[] = {"CustomEQNameInfo", "CustomEQHzValueInfo"};

std::string withTrailingSlash(const std::string& folder)
{
    return (folder.empty() || folder.back() == '/') ? folder : folder + "/";
}

bool fileExists(const std::string& path)
{
    std::error_code error;
    return std::filesystem::exists(path, error);
}

Json::Value& shapedEntry(Json::Value& entry)
{
    if (!entry.isObject())
        entry = Json::Value(Json::objectValue);
    return entry;
}

Json::Value asDocument(Json::Value document)
{
    return document.isObject() ? document : Json::Value(Json::objectValue);
}

}  // namespace

Json::Value usableProfileEntries(const Json::Value& list)
{
    Json::Value kept(Json::arrayValue);
    if (!list.isArray())
        return kept;
    std::set<std::string> seen;
    for (const Json::Value& entry : list) {
        const std::string uuid = textOf(memberOf(entry, "profileUUID"));
        if (isPlainFileName(uuid) && seen.insert(uuid).second)
            kept.append(entry);
    }
    return kept;
}

ProfileListStore::ProfileListStore(int deviceKind, const std::string& dataFolder, const std::string& defaultDocumentPath)
    : m_deviceKind(deviceKind), m_folder(withTrailingSlash(dataFolder)), m_defaultPath(defaultDocumentPath)
{
}

std::string ProfileListStore::listFilePath() const
{
    return m_folder + kListFileName;
}

std::string ProfileListStore::documentPathOf(const std::string& uuid) const
{
    return m_folder + uuid + kDocumentExtension;
}

Json::Value& ProfileListStore::reloadList()
{
    Json::Value loaded = LoadJsonFile(listFilePath());
    // An unreadable list file keeps the last good copy rather than forgetting every profile.
    if (const Json::Value* list = arraySection(loaded, "profilelist")) {
        loaded["profilelist"] = usableProfileEntries(*list);
        m_list = loaded;
    }
    if (entries().empty())
        recoverList();
    resyncSelection();
    return m_list;
}

Json::Value& ProfileListStore::entries()
{
    return arraySlot(m_list, "profilelist");
}

bool ProfileListStore::writeList()
{
    return SaveJsonFile(m_list, listFilePath());
}

std::string ProfileListStore::entryName(int index)
{
    return textOf(entries()[static_cast<Json::ArrayIndex>(index)]["profilename"]);
}

std::string ProfileListStore::entryUuid(int index)
{
    return textOf(entries()[static_cast<Json::ArrayIndex>(index)]["profileUUID"]);
}

Json::Value ProfileListStore::newEntry(const std::string& name, const std::string& uuid) const
{
    Json::Value entry;
    entry["profilename"] = name;
    entry["profileUUID"] = uuid;
    entry["profileislink"] = 0;
    entry["profilelinkmame"] = "";
    return entry;
}

std::vector<ProfileListEntry> ProfileListStore::storedDocuments() const
{
    std::vector<ProfileListEntry> found;
    std::error_code error;
    for (const auto& file : std::filesystem::directory_iterator(m_folder, error)) {
        const std::filesystem::path& path = file.path();
        if (path.extension() != kDocumentExtension || !file.is_regular_file(error))
            continue;
        const Json::Value document = LoadJsonFile(path.string());
        if (isImportableProfile(document) && textOf(document["profileUUID"]) == path.stem().string())
            found.push_back(ProfileListEntry {textOf(document["profilename"]), path.stem().string()});
    }
    // Identifiers are creation times: sorting them restores the order the profiles were made in.
    std::sort(found.begin(), found.end(), [](const auto& a, const auto& b) { return a.uuid < b.uuid; });
    if (found.size() > static_cast<std::size_t>(kMaxProfiles))
        found.resize(kMaxProfiles);
    return found;
}

void ProfileListStore::recoverList()
{
    // A lost or damaged list file must not hide the profiles whose documents are still there.
    const auto documents = storedDocuments();
    if (documents.empty()) {
        createFirstProfile();
        return;
    }
    m_list = Json::Value(Json::objectValue);
    for (const auto& document : documents)
        entries().append(newEntry(document.name, document.uuid));
    m_list["profileselect"] = 0;
    writeList();
    m_rebuilt = true;
}

void ProfileListStore::createFirstProfile()
{
    std::error_code error;
    std::filesystem::create_directories(m_folder, error);
    const std::string uuid = newUuid();
    m_list = Json::Value(Json::objectValue);
    entries().append(newEntry("Profile1", uuid));
    m_list["profileselect"] = 0;
    writeList();
    writeProfileDocument(LoadJsonFile(m_defaultPath), "Profile1", uuid);
}

// The list's own index chooses, unless the list had to be rebuilt or its index is no index of
// it: then the identifier kept beside it finds the profile again.
void ProfileListStore::init()
{
    m_list = Json::Value();
    m_rebuilt = false;
    reloadList();
    const std::optional<std::int64_t> stored = integerWithin(m_list["profileselect"], 0, count() - 1);
    select(stored && !m_rebuilt ? static_cast<int>(*stored) : std::max(indexOfUuid(keptSelection()), 0));
}

std::string ProfileListStore::keptSelection() const
{
    return textOf(memberOf(LoadJsonFile(m_folder + kSelectionFileName), "profileUUID"));
}

int ProfileListStore::indexOfUuid(const std::string& uuid)
{
    for (int i = 0; i < count() && !uuid.empty(); ++i) {
        if (entryUuid(i) == uuid)
            return i;
    }
    return -1;
}

void ProfileListStore::keepSelection()
{
    Json::Value kept(Json::objectValue);
    kept["profileUUID"] = m_selectedUuid;
    if (!SaveJsonFile(kept, m_folder + kSelectionFileName))
        debugTrace("the selected profile cannot be kept beside the list: " + m_folder);
}

void ProfileListStore::rememberSelection(int index)
{
    m_selected = index;
    m_selectedUuid = index >= 0 ? entryUuid(index) : std::string();
}

void ProfileListStore::resyncSelection()
{
    // The file may have changed under us: follow the selected profile by its identifier.
    if (const int found = indexOfUuid(m_selectedUuid); found >= 0) {
        m_selected = found;
        return;
    }
    rememberSelection(std::clamp(m_selected, 0, count() - 1));
}

bool ProfileListStore::select(int index)
{
    reloadList();
    if (index < 0 || index >= count())
        return false;
    m_list["profileselect"] = index;
    rememberSelection(index);
    writeList();
    keepSelection();
    return true;
}

std::vector<ProfileListEntry> ProfileListStore::profiles()
{
    reloadList();
    std::vector<ProfileListEntry> result;
    for (int i = 0; i < count(); ++i)
        result.push_back(ProfileListEntry {entryName(i), entryUuid(i)});
    return result;
}

int ProfileListStore::count()
{
    return static_cast<int>(entries().size());
}

std::string ProfileListStore::documentPath(int index)
{
    reloadList();
    if (index < 0 || index >= count())
        return {};
    return documentPathOf(entryUuid(index));
}

bool ProfileListStore::isNameTaken(const std::string& name, int exceptIndex)
{
    for (int i = 0; i < count(); ++i) {
        if (i != exceptIndex && sameProfileName(entryName(i), name))
            return true;
    }
    return false;
}

bool ProfileListStore::isUuidTaken(const std::string& uuid)
{
    for (int i = 0; i < count(); ++i) {
        if (entryUuid(i) == uuid)
            return true;
    }
    return fileExists(documentPathOf(uuid));
}

std::string ProfileListStore::newUuid()
{
    // Two profiles made within one millisecond would share a document: move on to the next free stamp.
    auto when = std::chrono::system_clock::now();
    std::string uuid = MakeTimeStamp(when);
    while (isUuidTaken(uuid)) {
        when += std::chrono::milliseconds(1);
        uuid = MakeTimeStamp(when);
    }
    return uuid;
}

bool ProfileListStore::writeProfileDocument(Json::Value document, const std::string& name, const std::string& uuid)
{
    document = asDocument(std::move(document));
    document["profilename"] = name;
    document["profileUUID"] = uuid;
    return SaveJsonFile(document, documentPathOf(uuid));
}

ProfileAddResult ProfileListStore::appendProfile(const Json::Value& document, const std::string& name, bool selectNew)
{
    const std::string uuid = newUuid();
    if (!writeProfileDocument(document, name, uuid))
        return ProfileAddResult::WriteFailed;
    entries().append(newEntry(name, uuid));
    if (selectNew)
        m_list["profileselect"] = count() - 1;
    if (!writeList()) {
        ::unlink(documentPathOf(uuid).c_str());
        reloadList();
        return ProfileAddResult::WriteFailed;
    }
    return ProfileAddResult::Added;
}

ProfileAddResult ProfileListStore::add()
{
    reloadList();
    if (count() >= kMaxProfiles)
        return ProfileAddResult::LimitReached;
    int number = 1;
    while (isNameTaken("Profile" + std::to_string(number)))
        ++number;
    return appendProfile(LoadJsonFile(m_defaultPath), "Profile" + std::to_string(number), true);
}

ProfileAddResult ProfileListStore::copy()
{
    reloadList();
    if (count() >= kMaxProfiles)
        return ProfileAddResult::LimitReached;
    std::string name = entryName(m_selected);
    do
        name += " copy";
    while (isNameTaken(name));
    return appendProfile(LoadJsonFile(documentPathOf(m_selectedUuid)), name, false);
}

ProfileImportResult ProfileListStore::importProfile(const std::string& sourcePath, const std::string& name)
{
    const Json::Value source = LoadJsonFile(sourcePath);
    if (!isImportableProfile(source))
        return ProfileImportResult::NotAProfile;
    if (utf8CharacterCount(name) > kMaxImportNameCharacters)
        return ProfileImportResult::NameTooLong;
    reloadList();
    if (count() >= kMaxProfiles)
        return ProfileImportResult::LimitReached;
    std::string unique = name;
    for (int suffix = 1; isNameTaken(unique); ++suffix)
        unique += "(" + std::to_string(suffix) + ")";
    return appendProfile(source, unique, false) == ProfileAddResult::Added ? ProfileImportResult::Imported
                                                                          : ProfileImportResult::WriteFailed;
}

bool ProfileListStore::exportSelected(const std::string& targetPath)
{
    reloadList();
    const Json::Value document = LoadJsonFile(documentPathOf(m_selectedUuid));
    return !document.isNull() && SaveJsonFile(document, targetPath);
}

ProfileRenameResult ProfileListStore::rename(const std::string& name)
{
    switch (checkProfileName(name)) {
    case ProfileNameCheck::Empty:
        return ProfileRenameResult::Empty;
    case ProfileNameCheck::TooLong:
        return ProfileRenameResult::TooLong;
    case ProfileNameCheck::ForbiddenCharacter:
        return ProfileRenameResult::ForbiddenCharacter;
    case ProfileNameCheck::Ok:
        break;
    }
    if (isBlankName(name))
        return ProfileRenameResult::Blank;
    reloadList();
    if (isNameTaken(name, m_selected))
        return ProfileRenameResult::Taken;
    // The list names the profile for the user: it changes only once the document has the name
    // and the list file could be written.
    Json::Value document = asDocument(LoadJsonFile(documentPathOf(m_selectedUuid)));
    document["profilename"] = name;
    if (!SaveJsonFile(document, documentPathOf(m_selectedUuid)))
        return ProfileRenameResult::WriteFailed;
    const Json::Value previous = m_list;
    entries()[static_cast<Json::ArrayIndex>(m_selected)]["profilename"] = name;
    if (!writeList()) {
        m_list = previous;
        return ProfileRenameResult::WriteFailed;
    }
    return ProfileRenameResult::Renamed;
}

bool ProfileListStore::removeSelected()
{
    reloadList();
    if (m_selected < 0 || count() <= 1)
        return false;
    const int removed = m_selected;
    const std::string removedUuid = m_selectedUuid;
    const Json::Value previous = m_list;
    Json::Value dropped;
    entries().removeIndex(static_cast<Json::ArrayIndex>(removed), &dropped);
    const int next = removed == 0 ? 0 : removed - 1;
    m_list["profileselect"] = next;
    // The list is written first: a document left behind by a failed write is harmless, a list
    // naming a deleted document is not.
    if (!writeList()) {
        m_list = previous;
        return false;
    }
    rememberSelection(next);
    ::unlink(documentPathOf(removedUuid).c_str());
    return true;
}

bool ProfileListStore::resetSelected()
{
    reloadList();
    const std::string path = documentPathOf(m_selectedUuid);
    Json::Value document = asDocument(LoadJsonFile(m_defaultPath));
    if (m_deviceKind == kHeadsetKind) {
        const Json::Value oldEntry = deviceEntryOf(LoadJsonFile(path), 0);
        Json::Value entry = deviceEntryOf(document, 0);
        for (const char* section : kCarriedHeadsetSections) {
            if (oldEntry.isMember(section))
                shapedEntry(entry)[section] = oldEntry[section];
        }
        if (!entry.isNull())
            setDeviceEntry(document, 0, entry);
    }
    return writeProfileDocument(document, entryName(m_selected), m_selectedUuid);
}

}  // namespace kestrion
