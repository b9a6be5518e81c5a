#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kestrion {

// The update page's fixed rows, their states and the contract with update programs
// (docs/updates.md). No Qt: the settings window's model and its tests build on it.

inline constexpr int kApplicationRow = 0;
inline constexpr int kFirmwareRow = 1;

// One row of the fixed table: what it updates and the short name its update program carries.
struct UpdateRowEntry {
    int kind;          // kApplicationRow or kFirmwareRow
    int brand;         // vendor id
    int model;         // product id; 0 for the application
    int device;        // the DeviceKind number of the device whose firmware the row shows
    std::string_view shortName;
};

inline constexpr std::array<UpdateRowEntry, 4> kUpdateRowTable = {{
    {kFirmwareRow, 0x320F, 0x22A4, 2, "MS"},
    {kFirmwareRow, 0x320F, 0x0000, 1, "KB"},
    {kFirmwareRow, 0x320F, 0x1004, 3, "MP"},
    {kApplicationRow, 0x320F, 0x0000, 0, "AP"},
}};

// Row states: 1 and 2 an update was found (a device's firmware, the application), 3 updating,
// 7 up to date (also: nothing to update with), 8 updated during this session.
enum UpdateRowState : int {
    kRowFirmwareUpdate = 1,
    kRowApplicationUpdate = 2,
    kRowUpdating = 3,
    kRowUpToDate = 7,
    kRowFinished = 8,
};

// The page's status, each with its text id (kUpdateStatusTextIds).
enum UpdateStatus : int {
    kStatusChecking = 0,
    kStatusAvailable = 1,
    kStatusNoInfo = 2,
    kStatusUpdating = 3,
    kStatusLatest = 4,
};
inline constexpr std::array<std::string_view, 5> kUpdateStatusTextIds = {
    "GetUpdateInfoText", "HaveUpdateInfoText", "NoUpdateInfoText", "ISUpdateINGText", "UpdateIsLastText",
};

// Whether a row in this state may be left: every state but updating.
bool rowIsSettled(int state);
// Whether a row in this state offers an update (1 or 2), and so may be ticked.
bool rowOffersUpdate(int state);

// A version as compared, most significant number first.
using VersionParts = std::vector<long>;

// A firmware version as an update program prints it: four hexadecimal digits, "V" allowed in
// front ("0105", "V0105"). Nothing for any other text.
std::optional<VersionParts> parseFirmwareVersion(std::string_view text);
// The application's version: dot-separated decimal numbers, "V" allowed in front ("0.2.0").
std::optional<VersionParts> parseApplicationVersion(std::string_view text);
// A row's version as it is shown: "V0104" for firmware (lower-case hexadecimal), the
// application's own text with a "V" in front.
std::string firmwareVersionText(int version);

// The program's own version ("0.1.0"), the one its package and `kestrion-ctl --version` carry.
std::string applicationVersion();
// "V0.1.0": the application row's and the about window's text.
std::string applicationVersionText();

// The percentage a progress line of an update program gives ("42" or "42%"), nothing for any
// other line.
std::optional<int> progressOfLine(std::string_view line);

// Where update programs are looked for, in order: "UpdateData" in the user's runtime folder (else
// the cache folder), then "Update" in the program folder.
std::vector<std::string> updateProgramFolders(const std::string& programFolder);
// The first file named shortName in the folders that is an update program this user may run:
// a regular, executable file that no one else may change. Empty when there is none.
std::string findUpdateProgram(const std::vector<std::string>& folders, std::string_view shortName);

}  // namespace kestrion
