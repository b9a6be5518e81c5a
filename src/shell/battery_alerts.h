#pragma once

#include <array>
#include <optional>

namespace kestrion {

// Decides when a falling battery level deserves a desktop notification: once when it falls to
// 15 % and once when it falls to 5 %. A level that jumps past both alerts once, for the lower.
// Charging (or external power) arms both alerts again.
class BatteryAlerts {
public:
    static constexpr std::array<int, 2> kLevels{15, 5};

    // One battery reading; the alert level it reaches, if it is due now.
    std::optional<int> onReading(int percent, bool onBattery);

private:
    std::array<bool, kLevels.size()> m_armed{true, true};
};

}  // namespace kestrion
