#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

#include "profiles/profile_records.h"

namespace kestrion {

// One of the mouse's performance settings as scripts and the page name it: the values a user
// reads (in `unit`), and the profile record's word that holds it, either the value's position in
// `choices` or the value itself.
struct MouseSetting {
    std::string_view name;
    std::string_view unit;
    std::uint16_t MouseSystemStages::*field;
    std::span<const int> choices;
    bool storedAsValue;
    // A new sleep time counts from now: the keep-alive starts over.
    bool restartsKeepAlive;
};

inline constexpr int kReportRatesHz[] = {125, 250, 500, 1000};
inline constexpr int kLiftOffMm[] = {1, 2};
inline constexpr int kOffOn[] = {0, 1};
// The debounce list's positions (the page names each one's time).
inline constexpr int kDebouncePositions[] = {0, 1, 2, 3, 4, 5, 6, 7, 8};
inline constexpr int kSleepMinutes[] = {1, 2, 3, 5, 10, 15, 20, 30};

inline constexpr MouseSetting kMouseSettings[] = {
    {"report-rate", "Hz", &MouseSystemStages::reportRate, kReportRatesHz, false, false},
    {"lift-off", "mm", &MouseSystemStages::silentAltitude, kLiftOffMm, false, false},
    {"linear-calibration", "", &MouseSystemStages::linearCalibration, kOffOn, false, false},
    {"ripple", "", &MouseSystemStages::ripple, kOffOn, false, false},
    {"debounce", "", &MouseSystemStages::keyDebounceTime, kDebouncePositions, false, false},
    {"sleep", "minutes", &MouseSystemStages::deviceSleep1, kSleepMinutes, true, true},
    {"deep-sleep", "minutes", &MouseSystemStages::deviceSleep2, kSleepMinutes, true, true},
};

// The setting of that name; null for none.
const MouseSetting* findMouseSetting(std::string_view name);
// The record's word for a value; none when the setting does not offer the value.
std::optional<std::uint16_t> settingWord(const MouseSetting& setting, int value);
// The value a record's word stands for; none for a word the setting does not know.
std::optional<int> settingValue(const MouseSetting& setting, std::uint16_t word);

// What a change by name came to.
enum class SettingChange { Done, UnknownName, ValueRefused };

}  // namespace kestrion
