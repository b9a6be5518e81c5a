#pragma once

#include "profiles/basic_profile_data.h"

namespace kestrion {

// The keyboard's profile: adds the system settings and the custom lighting colour groups.
class CKeyboardProfiledata : public CBasicProfiledata {
public:
    KeyboardSystemStages GetSystemStages();
    void SetSystemStages(const KeyboardSystemStages& stages);
    // count colours of one group; missing colours are written into the entry as zeros.
    std::vector<LightColor> GetCustomLightColors(int group, int count);
    void SetCustomLightColors(const std::vector<LightColor>& colors, int group);
    int GetCustomLightGroup();
    void SetCustomLightGroup(int group);

private:
    KeyboardSystemStages m_systemStages {};
    std::vector<LightColor> m_customColors;
    int m_customGroup = 0;
};

}  // namespace kestrion
