#pragma once

#include "profiles/basic_profile_data.h"

namespace kestrion {

// The mouse's profile: adds the DPI stages, the active stage and the system settings words.
class CMouseProfiledata : public CBasicProfiledata {
public:
    // Merges the stored stages into the cache position by position; positions beyond the stored
    // count keep the values of an earlier profile (the cache never shrinks).
    std::vector<DpiStage> GetDpiStages();
    void SetDpiStages(const std::vector<DpiStage>& stages);
    int GetCurrentStage() const { return m_currentStage; }
    void SetCurrentStage(int stage);
    MouseSystemStages GetSystemStages();
    void SetSystemStages(const MouseSystemStages& stages);

private:
    std::vector<DpiStage> m_dpiStages;
    int m_currentStage = 0;
    MouseSystemStages m_systemStages {};
};

}  // namespace kestrion
