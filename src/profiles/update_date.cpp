#include "profiles/update_date.h"

#include "platform/json_access.h"
#include "profiles/json_file.h"

namespace kestrion {
namespace {

constexpr const char* kDateFile = "/updatetime.config";
constexpr const char* kSection = "updatelasttime";
constexpr const char* kValue = "value";

}  // namespace

std::string storedUpdateDate(const std::string& dataFolder, int year, int month, int day)
{
    const std::string path = dataFolder + kDateFile;
    Json::Value document = LoadJsonFile(path);
    const std::string stored = textOf(memberOf(memberOf(document, kSection), kValue));
    if (!stored.empty())
        return stored;
    const std::string today = std::to_string(year) + "-" + std::to_string(month) + "-" + std::to_string(day);
    objectSlot(document, kSection)[kValue] = today;
    SaveJsonFile(document, path);
    return today;
}

}  // namespace kestrion
