#pragma once

#include <filesystem>
#include <json/value.h>
#include <optional>
#include <string>

namespace kestrion {

// The macro library of one device: the index "macro.config" ({"MacroInfo": [{"MacroName", "Guid"}]})
// and one event file "<Guid>.mac" per macro ({"MacroName", "Guid", "Events", "Version": 64}) in the
// device's data folder. A macro is referred to elsewhere by its position in the index.
class MacroLibrary {
public:
    static constexpr int kMaxMacros = 50;
    static constexpr int kMaxEvents = 60;

    explicit MacroLibrary(std::filesystem::path deviceFolder);

    // (Re)reads "macro.config"; a missing file is an empty library (true). False when the file exists
    // but is not a library; the library is then empty.
    bool load();

    int count() const;
    std::string nameAt(int index) const;                 // "" past the end
    std::string guidAt(int index) const;                 // "" past the end
    std::filesystem::path macroPath(int index) const;    // <folder>/<Guid>.mac; empty past the end
    // The "Events" array of the macro's ".mac" document; nullopt when the file is missing or unreadable.
    std::optional<Json::Value> eventsAt(int index) const;

private:
    std::filesystem::path indexPath() const;
    const Json::Value& entries() const;
    const Json::Value* entryAt(int index) const;

    std::filesystem::path m_folder;
    Json::Value m_index;
};

}  // namespace kestrion
