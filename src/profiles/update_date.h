#pragma once

#include <string>

namespace kestrion {

// The date the settings window first showed, kept in "updatetime.config" of the data folder as
// {"updatelasttime": {"value": "2026-12-10"}} (year, month, day without leading zeros).
//
// The stored text; when the file has none, today (given as year, month, day) is stored and
// returned. A file that cannot be written still gives today's text.
std::string storedUpdateDate(const std::string& dataFolder, int year, int month, int day);

}  // namespace kestrion
