#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

#include "devices/setting_info.h"
#include "profiles/profile_records.h"

namespace kestrion {

// One of the mouse's settings as scripts and the page name it: the values a user reads (in
// `unit`), and the profile record's word that holds it, either the value's position in `choices`
// or the value itself. A setting without choices takes any value from `lowest` to `highest`.
struct MouseSetting {
    std::string_view name;
    std::string_view unit;
    std::uint16_t MouseSystemStages::*field;
    std::span<const int> choices = {};
    bool storedAsValue = false;
    // A new sleep time counts from now: the keep-alive starts over.
    bool restartsKeepAlive = false;
    // Kept in the profile for the desktop's pointer; the mouse never gets it.
    bool profileOnly = false;
    int lowest = 0;
    int highest = 0;
    // Positions the page offers past the choices a script may name (the page's 2000 Hz, which it
    // shows as 125 Hz once stored).
    int pageOnlyWords = 0;
    // Changing this turns that one off (a number of lines ends scrolling by page).
    std::uint16_t MouseSystemStages::*clears = nullptr;
};

inline constexpr int kReportRatesHz[] = {125, 250, 500, 1000};
inline constexpr int kLiftOffMm[] = {1, 2};
inline constexpr int kOffOn[] = {0, 1};
// The debounce and logo-light lists' positions (the page names each one).
inline constexpr int kDebouncePositions[] = {0, 1, 2, 3, 4, 5, 6, 7, 8};
inline constexpr int kLogoLightPositions[] = {0, 1, 2, 3, 4};
inline constexpr int kSleepMinutes[] = {1, 2, 3, 5, 10, 15, 20, 30};

inline constexpr MouseSetting kMouseSettings[] = {
    {.name = "report-rate", .unit = "Hz", .field = &MouseSystemStages::reportRate, .choices = kReportRatesHz,
     .pageOnlyWords = 1},
    {.name = "lift-off", .unit = "mm", .field = &MouseSystemStages::silentAltitude, .choices = kLiftOffMm},
    {.name = "linear-calibration", .unit = "", .field = &MouseSystemStages::linearCalibration, .choices = kOffOn},
    {.name = "ripple", .unit = "", .field = &MouseSystemStages::ripple, .choices = kOffOn},
    {.name = "debounce", .unit = "", .field = &MouseSystemStages::keyDebounceTime, .choices = kDebouncePositions},
    {.name = "sleep", .unit = "minutes", .field = &MouseSystemStages::deviceSleep1, .choices = kSleepMinutes,
     .storedAsValue = true, .restartsKeepAlive = true},
    {.name = "deep-sleep", .unit = "minutes", .field = &MouseSystemStages::deviceSleep2, .choices = kSleepMinutes,
     .storedAsValue = true, .restartsKeepAlive = true},
    {.name = "ble-sleep", .unit = "minutes", .field = &MouseSystemStages::bleSleep1, .choices = kSleepMinutes,
     .storedAsValue = true},
    {.name = "ble-deep-sleep", .unit = "minutes", .field = &MouseSystemStages::bleSleep2, .choices = kSleepMinutes,
     .storedAsValue = true},
    {.name = "logo-light", .unit = "", .field = &MouseSystemStages::logoLedMode, .choices = kLogoLightPositions},
    {.name = "pointer-speed", .unit = "", .field = &MouseSystemStages::mouseSpeed, .storedAsValue = true,
     .profileOnly = true, .lowest = 1, .highest = 20},
    {.name = "scroll-lines", .unit = "lines", .field = &MouseSystemStages::wheelScrollLines, .storedAsValue = true,
     .profileOnly = true, .lowest = 1, .highest = 20, .clears = &MouseSystemStages::scrollPage},
    {.name = "double-click", .unit = "ms", .field = &MouseSystemStages::doubleClickTime, .storedAsValue = true,
     .profileOnly = true, .lowest = 200, .highest = 900},
    {.name = "pointer-precision", .unit = "", .field = &MouseSystemStages::pointerPrecision, .choices = kOffOn,
     .storedAsValue = true, .profileOnly = true},
    {.name = "scroll-page", .unit = "", .field = &MouseSystemStages::scrollPage, .choices = kOffOn,
     .storedAsValue = true, .profileOnly = true},
};

// The setting of that name; null for none.
const MouseSetting* findMouseSetting(std::string_view name);
// The record's word for a value; none when the setting does not offer the value.
std::optional<std::uint16_t> settingWord(const MouseSetting& setting, int value);
// The value a record's word stands for; none for a word the setting does not know.
std::optional<int> settingValue(const MouseSetting& setting, std::uint16_t word);
// Whether the page may store that word: a value's word, or a position only the page offers.
bool pageWordAccepted(const MouseSetting& setting, int word);

}  // namespace kestrion
