#pragma once

#include <cstddef>
#include <json/value.h>
#include <string>

namespace kestrion {

inline constexpr std::size_t kMaxProfileNameBytes = 16;       // in UTF-8
inline constexpr std::size_t kMaxImportNameCharacters = 16;

enum class ProfileNameCheck {
    Ok,
    Empty,
    TooLong,             // more than kMaxProfileNameBytes bytes
    ForbiddenCharacter,  // one of < > : " space / \ | ? # % & * =
};

// The checks a new profile name passes before the list is consulted, in the order they are made.
ProfileNameCheck checkProfileName(const std::string& name);

// The first character of name that a profile name may not hold; empty when there is none.
std::string firstForbiddenCharacter(const std::string& name);

// True when nothing but white space remains after trimming.
bool isBlankName(const std::string& name);
// Profile names are compared without regard to (ASCII) case.
bool sameProfileName(const std::string& a, const std::string& b);
std::size_t utf8CharacterCount(const std::string& text);

// The file name of path without its folder and without its extension (a name whose only dot is its
// first character, or that has none, stays whole).
std::string baseNameOf(const std::string& path);

// A name taken from a document and used as a file name in a known folder: not empty, no folder
// separator, no zero byte, not "." or "..".
bool isPlainFileName(const std::string& name);

// An importable profile is a JSON object holding both "profilename" and "profileUUID".
bool isImportableProfile(const Json::Value& document);

}  // namespace kestrion
