#include <gtest/gtest.h>

#include <optional>
#include <vector>

#include "shell/battery_alerts.h"

namespace kestrion {
namespace {

struct Reading {
    int percent;
    bool onBattery;
    std::optional<int> alert;
};

// One run of readings: each alert comes once per fall, charging arms both again.
TEST(BatteryAlerts, AlertOnceAtFifteenAndAtFivePerFall)
{
    const std::vector<Reading> readings = {
        {60, true, std::nullopt}, {16, true, std::nullopt}, {15, true, 15},  {15, true, std::nullopt},
        {14, true, std::nullopt}, {16, true, std::nullopt}, {12, true, std::nullopt}, {6, true, std::nullopt},
        {5, true, 5},             {2, true, std::nullopt},  {3, false, std::nullopt}, {40, false, std::nullopt},
        {15, true, 15},           {4, true, 5},             {0, true, std::nullopt},
    };
    BatteryAlerts alerts;
    for (std::size_t i = 0; i < readings.size(); ++i)
        EXPECT_EQ(alerts.onReading(readings[i].percent, readings[i].onBattery), readings[i].alert) << "reading " << i;
}

TEST(BatteryAlerts, AFallPastBothLevelsAlertsOnceForTheLowerAndChargingNever)
{
    BatteryAlerts jump;
    EXPECT_EQ(jump.onReading(3, true), 5);
    EXPECT_EQ(jump.onReading(3, true), std::nullopt);

    BatteryAlerts charging;
    EXPECT_EQ(charging.onReading(10, false), std::nullopt);
    EXPECT_EQ(charging.onReading(4, false), std::nullopt);
}

}  // namespace
}  // namespace kestrion
