#pragma once

#include "profiles/basic_profile_data.h"

#include <array>

namespace kestrion {

inline constexpr std::size_t kEqBands = 10;
using EqBands = std::array<int, kEqBands>;

// The headset's profile: adds the system settings, the equaliser tables and the custom EQ names.
class CHs6533Profiledata : public CBasicProfiledata {
public:
    HeadsetSystemSetStages GetSystemSetStages();
    void SetSystemSetStages(const HeadsetSystemSetStages& stages);
    // The ten bands of an EQ type: types 1 to 12 have their own table, type 0 and types above 13
    // use table 1, type 13 (custom) has none and gives an empty list. A missing table is written
    // into the entry as zeros.
    std::vector<int> GetEqValues(int type);
    void SetEqValues(int type, const EqBands& values);
    std::vector<std::string> GetCustomEqNames();
    void SetCustomEqNames(const std::vector<std::string>& names);
    std::vector<int> GetCustomEqValues(int index);
    void SetCustomEqValues(int index, const EqBands& values);

private:
    HeadsetSystemSetStages m_setStages {};
    std::vector<std::string> m_customEqNames;
};

}  // namespace kestrion
