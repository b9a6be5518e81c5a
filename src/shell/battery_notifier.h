#pragma once

#include <QObject>
#include <QString>

#include "shell/battery_alerts.h"

namespace kestrion::ui {
class LanguageManager;
}

namespace kestrion {

// Tells the desktop when the wireless mouse's battery runs low, through the freedesktop
// notification service on the session bus. Without a bus or without the service nothing is
// shown and nothing fails; the call never waits for the answer.
class BatteryNotifier : public QObject {
    Q_OBJECT
public:
    static constexpr const char* kService = "org.freedesktop.Notifications";
    static constexpr const char* kPath = "/org/freedesktop/Notifications";
    static constexpr const char* kInterface = "org.freedesktop.Notifications";

    explicit BatteryNotifier(const ui::LanguageManager& language, QObject* parent = nullptr);

    // A battery reading of the selected device; -1 when none is left.
    void onBattery(int percent, bool onBattery);

private:
    void notify(int percent);

    const ui::LanguageManager& m_language;
    BatteryAlerts m_alerts;
};

}  // namespace kestrion
