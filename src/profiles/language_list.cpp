#include "profiles/language_list.h"

#include "platform/json_access.h"
#include "profiles/json_file.h"

namespace kestrion {

std::vector<LanguageEntry> loadLanguageList(const std::string& path)
{
    std::vector<LanguageEntry> list;
    const Json::Value document = LoadJsonFile(path);
    const Json::Value* rows = arraySection(document, "Language");
    if (!rows)
        return list;
    for (const Json::Value& row : *rows) {
        list.push_back({textOf(memberOf(row, "Language_name")), textOf(memberOf(row, "Language_file")),
                        integerOf(memberOf(row, "Language_ID")), textOf(memberOf(row, "Language_text"))});
    }
    return list;
}

int languageIndexOf(const std::vector<LanguageEntry>& list, long long id, int fallback)
{
    for (std::size_t i = 0; i < list.size(); ++i) {
        if (list[i].id == id)
            return static_cast<int>(i);
    }
    return fallback;
}

}  // namespace kestrion
