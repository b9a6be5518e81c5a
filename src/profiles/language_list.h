#pragma once

#include <string>
#include <vector>

namespace kestrion {

// One row of the language list "Language.config": the file the skin loads, the number stored as
// the user's choice and the name the settings window shows.
struct LanguageEntry {
    std::string name;
    std::string file;
    long long id = 0;
    std::string text;
};

// The "Language" rows of the list at path, in display order; empty when the file cannot be read.
// A row without a file is kept (it keeps the positions) but cannot be chosen.
std::vector<LanguageEntry> loadLanguageList(const std::string& path);

// Position of the first row with this id; fallback when none has it.
int languageIndexOf(const std::vector<LanguageEntry>& list, long long id, int fallback);

}  // namespace kestrion
