#pragma once

#include <string_view>
#include <vector>

namespace kestrion {

// What a change by name came to.
enum class SettingChange { Done, UnknownName, ValueRefused };

// One setting as scripts name it: the unit a user reads it in, and the values it takes (from
// `lowest` to `highest`, or one of `choices` when the setting has them).
struct SettingInfo {
    std::string_view name;
    std::string_view unit;
    int lowest = 0;
    int highest = 0;
    std::vector<int> choices;
};

}  // namespace kestrion
