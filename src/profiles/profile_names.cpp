#include "profiles/profile_names.h"

#include <algorithm>
#include <string_view>

namespace kestrion {
namespace {

constexpr std::string_view kForbiddenCharacters = "<>:\" /\\|?#%&*=";
constexpr std::string_view kWhiteSpace = " \t\r\n\v\f";

char lowerAscii(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

}  // namespace

ProfileNameCheck checkProfileName(const std::string& name)
{
    if (name.empty())
        return ProfileNameCheck::Empty;
    if (name.size() > kMaxProfileNameBytes)
        return ProfileNameCheck::TooLong;
    if (name.find_first_of(kForbiddenCharacters) != std::string::npos)
        return ProfileNameCheck::ForbiddenCharacter;
    return ProfileNameCheck::Ok;
}

std::string firstForbiddenCharacter(const std::string& name)
{
    const std::size_t at = name.find_first_of(kForbiddenCharacters);
    return at == std::string::npos ? std::string() : name.substr(at, 1);
}

bool isBlankName(const std::string& name)
{
    return name.find_first_not_of(kWhiteSpace) == std::string::npos;
}

bool sameProfileName(const std::string& a, const std::string& b)
{
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                      [](char x, char y) { return lowerAscii(x) == lowerAscii(y); });
}

std::size_t utf8CharacterCount(const std::string& text)
{
    return static_cast<std::size_t>(
        std::count_if(text.begin(), text.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
}

std::string baseNameOf(const std::string& path)
{
    const auto slash = path.find_last_of("/\\");
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    const auto dot = name.rfind('.');
    if (dot != std::string::npos && dot != 0)
        name.resize(dot);
    return name;
}

bool isPlainFileName(const std::string& name)
{
    return !name.empty() && name.find_first_of(std::string_view("/\0", 2)) == std::string::npos && name != "."
        && name != "..";
}

bool isImportableProfile(const Json::Value& document)
{
    return document.isObject() && document.isMember("profilename") && document.isMember("profileUUID");
}

}  // namespace kestrion
