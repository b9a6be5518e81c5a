#include "shell/battery_alerts.h"

namespace kestrion {

std::optional<int> BatteryAlerts::onReading(int percent, bool onBattery)
{
    std::optional<int> due;
    for (std::size_t i = 0; i < kLevels.size(); ++i) {
        if (!onBattery) {
            m_armed[i] = true;
            continue;
        }
        if (percent <= kLevels[i] && m_armed[i]) {
            m_armed[i] = false;
            due = kLevels[i];
        }
    }
    return due;
}

}  // namespace kestrion
