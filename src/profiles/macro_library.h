#pragma once

#include "profiles/macro_events.h"
#include "profiles/profile_records.h"

#include <filesystem>
#include <json/value.h>
#include <optional>
#include <string>
#include <vector>

namespace kestrion {

// Results of the editing operations. Each refusal leaves the library and every file as they were;
// the macro page turns them into prompts.
enum class MacroAddResult {
    Added,         // the new macro is the last one
    LimitReached,  // already kMaxMacros macros ("message_text_33")
    WriteFailed,   // "macro.config" could not be written
};

enum class MacroRenameResult {
    Renamed,
    NoMacro,       // index out of range; nothing to do
    LeadingSpace,  // the name starts with a space ("message_text_25")
    Blank,         // empty or only white space ("message_text_5_1")
    Taken,         // equals a macro's name in any letter case, its own included ("message_text_5")
    WriteFailed,
};

enum class MacroRemoveResult {
    Removed,
    NoMacro,             // index out of range
    WriteFailed,         // "macro.config" could not be written; nothing changed
    ProfilesNotUpdated,  // the macro is gone, but a profile document could not be rewritten
};

enum class MacroImportResult {
    Imported,         // the new macro is the last one
    Shortened,        // imported with its first kMaxEvents events only ("message_text_39")
    FileNameTooLong,  // file name over 14 characters or over 10 without extension ("message_text_37")
    LimitReached,     // already kMaxMacros macros ("message_text_33")
    NotAMacro,        // unreadable, or not a JSON object with an "Events" array
    WriteFailed,
};

enum class MacroExportResult {
    Exported,
    NoMacro,      // index out of range or the macro has no usable identifier
    NoFile,       // the macro has never been saved (or its file is unreadable)
    WriteFailed,
};

enum class MacroSaveResult {
    Saved,
    Shortened,     // saved with the first kMaxEvents events only ("message_text_26_1")
    NoMacro,       // index out of range
    NoIdentifier,  // the macro's "Guid" is missing or unusable as a file name
    NotEvents,     // events is not an array
    WriteFailed,
};

// The macro library of one device: the index "macro.config" ({"MacroInfo": [{"MacroName", "Guid"}]})
// and one event file "<Guid>.mac" per macro ({"MacroName", "Guid", "Events", "Version": 64}) in the
// device's data folder. A macro is referred to elsewhere by its position in the index: keys whose
// function code has type 0x70 or 0x71 play the macro numbered by the code's middle byte.
// No user interface; changes are written at once and kept in memory only once written.
class MacroLibrary {
public:
    static constexpr int kMaxMacros = 50;
    static constexpr int kMaxEvents = 60;

    explicit MacroLibrary(std::filesystem::path deviceFolder);

    // (Re)reads "macro.config"; a missing file is an empty library (true). A damaged file gives false
    // and a library rebuilt from the ".mac" files in the folder, in creation order; the rebuilt index
    // is written with the next change.
    bool load();

    int count() const;
    std::string nameAt(int index) const;                 // "" past the end
    std::string guidAt(int index) const;                 // "" past the end
    std::filesystem::path macroPath(int index) const;    // <folder>/<Guid>.mac; empty past the end
    // The "Events" array of the macro's ".mac" document; nullopt when the file is missing or unreadable.
    std::optional<Json::Value> eventsAt(int index) const;
    // The same as the tool keeps them once read, for the transfer to the device.
    std::optional<std::vector<MacroEvent>> macroEventsAt(int index) const;

    // Appends "macro_<n>" with the smallest n not taken. The macro has no file until first saved.
    MacroAddResult add();
    MacroRenameResult rename(int index, const std::string& name);
    // Removes the macro and its file, and renumbers the keys of every profile document in the folder
    // (see renumberKeys). The caller applies renumberKeys to a key list it holds in memory.
    MacroRemoveResult remove(int index);
    // Appends a copy of the macro file at sourcePath, named after the file ("_1", "_2"... appended
    // while the name is taken).
    MacroImportResult importMacro(const std::filesystem::path& sourcePath);
    // Copies the macro's file byte for byte to targetPath.
    MacroExportResult exportMacro(int index, const std::filesystem::path& targetPath) const;
    // Writes the macro's file with these events (an array of macro events).
    MacroSaveResult saveMacro(int index, const Json::Value& events);

    // True when a key of keys plays macro number macroIndex.
    static bool keysPlayMacro(const std::vector<KeyEntry>& keys, int macroIndex);
    // Follows the removal of macro removedIndex: a key playing it gets its default function back, a
    // key playing a later macro plays the same macro at its new number. True when a key changed.
    static bool renumberKeys(std::vector<KeyEntry>& keys, int removedIndex);

private:
    std::filesystem::path indexPath() const;
    std::filesystem::path pathOfGuid(const std::string& guid) const;
    const Json::Value& entries() const;
    const Json::Value* entryAt(int index) const;
    bool isNameTaken(const std::string& name) const;
    bool isGuidTaken(const std::string& guid) const;
    int usersOfGuid(const std::string& guid) const;
    std::string newGuid() const;
    bool writeIndex(const Json::Value& index);
    MacroAddResult appendMacro(const std::string& name, const std::string& guid);
    void rebuildIndex();

    std::filesystem::path m_folder;
    Json::Value m_index;
};

}  // namespace kestrion
