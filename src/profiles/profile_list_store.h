#pragma once

#include <json/value.h>
#include <string>
#include <vector>

namespace kestrion {

enum class ProfileAddResult { Added, LimitReached, WriteFailed };
enum class ProfileImportResult { Imported, NotAProfile, NameTooLong, LimitReached, WriteFailed };
enum class ProfileRenameResult { Renamed, Empty, TooLong, ForbiddenCharacter, Taken, Blank, WriteFailed };

struct ProfileListEntry {
    std::string name;
    std::string uuid;
};

// The entries of a list file's "profilelist" that the store may safely act on: objects with a usable
// identifier that no earlier entry already uses (two entries sharing a document would delete each
// other's settings). Anything but an array gives none.
Json::Value usableProfileEntries(const Json::Value& list);

// The named profiles of one device: the list file "ProfileList.ini" (a JSON document) in the
// device's data folder and one profile document "<uuid>.Json" per profile. The list file is reloaded
// before every change and written after it, so it stays the source of truth. No user interface: the
// results tell the page which prompt to show.
class ProfileListStore {
public:
    static constexpr int kMaxProfiles = 50;

    // deviceKind: 1 keyboard, 2 mouse, 3 mouse pad, 7 headset.
    ProfileListStore(int deviceKind, const std::string& dataFolder, const std::string& defaultDocumentPath);

    // Start-up: a missing, damaged or empty list is rebuilt from the profile documents in the folder,
    // or, when there are none, becomes a list holding "Profile1" made from the default document;
    // then the stored selection is selected (an index out of range selects 0).
    void init();
    // Selects a profile and stores the choice; false (nothing changes) when index is out of range.
    bool select(int index);
    int selectedIndex() const { return m_selected; }
    const std::string& selectedUuid() const { return m_selectedUuid; }

    std::vector<ProfileListEntry> profiles();
    int count();
    std::string documentPath(int index);
    std::string documentPathOf(const std::string& uuid) const;
    std::string listFilePath() const;

    // Appends "Profile<n>" made from the default document; the list file then selects it, the
    // store's own selection stays until select() is called.
    ProfileAddResult add();
    // Appends "<selected name> copy" (" copy" repeated while taken) holding the selected document.
    ProfileAddResult copy();
    // Appends the document at sourcePath under name ("(1)", "(2)"... appended while taken).
    ProfileImportResult importProfile(const std::string& sourcePath, const std::string& name);
    // Writes the selected profile's document to targetPath; false when it has none or the write failed.
    bool exportSelected(const std::string& targetPath);
    ProfileRenameResult rename(const std::string& name);
    // Deletes the selected profile and selects the one before it; the last profile is never deleted.
    bool removeSelected();
    // Makes the selected profile's document the default document again, keeping its name and
    // identifier (and, for the headset, its custom equaliser names and tables).
    bool resetSelected();

private:
    Json::Value& reloadList();
    bool writeList();
    Json::Value& entries();
    std::string entryName(int index);
    std::string entryUuid(int index);
    bool isNameTaken(const std::string& name, int exceptIndex = -1);
    bool isUuidTaken(const std::string& uuid);
    std::string newUuid();
    Json::Value newEntry(const std::string& name, const std::string& uuid) const;
    bool writeProfileDocument(Json::Value document, const std::string& name, const std::string& uuid);
    ProfileAddResult appendProfile(const Json::Value& document, const std::string& name, bool selectNew);
    std::vector<ProfileListEntry> storedDocuments() const;
    void recoverList();
    void createFirstProfile();
    void rememberSelection(int index);
    void resyncSelection();
    std::string keptSelection() const;
    void keepSelection();
    int indexOfUuid(const std::string& uuid);

    int m_deviceKind;
    std::string m_folder;
    std::string m_defaultPath;
    Json::Value m_list;
    int m_selected = -1;
    std::string m_selectedUuid;
    // The list file was unusable and rebuilt from the documents at the last reload.
    bool m_rebuilt = false;
};

}  // namespace kestrion
