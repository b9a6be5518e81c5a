#pragma once

#include <chrono>
#include <json/value.h>
#include <string>

#include "platform/json_access.h"

namespace kestrion {

// Every JSON file of the tool goes through these helpers. Reads never fail: anything that cannot be
// read or parsed is a null value. Writes replace the file atomically, so a crash or a full disk
// leaves either the old document or the new one, never a truncated one.

// Largest file the readers accept; anything bigger is treated as unreadable.
inline constexpr std::size_t kMaxJsonFileBytes = 4 * 1024 * 1024;

// The file's text up to its first zero byte; empty when it cannot be read whole.
std::string readjsonFile(const std::string& path);

// The parsed document at path (comments kept), or null.
Json::Value LoadJsonFile(const std::string& path);

// The on-disk form of a value: the styled layout followed by one empty line.
std::string styledJsonText(const Json::Value& value);

// Writes the on-disk form of value to path; false when the file could not be replaced or the text
// would be larger than the readers accept (the old file is then left as it was).
bool SaveJsonFile(const Json::Value& value, const std::string& path);

// Local time as "2024_03_05_14_07_09_042" (year, month, day, hour, minute, second, millisecond).
std::string MakeTimeStamp();
std::string MakeTimeStamp(std::chrono::system_clock::time_point when);

}  // namespace kestrion
