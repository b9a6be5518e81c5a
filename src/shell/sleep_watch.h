#pragma once

#include <QObject>

class QDBusConnection;

namespace kestrion {

// Hears from logind when the system is about to sleep and when it woke up again.
class SleepWatch : public QObject {
    Q_OBJECT
public:
    static constexpr const char* kService = "org.freedesktop.login1";
    static constexpr const char* kPath = "/org/freedesktop/login1";
    static constexpr const char* kInterface = "org.freedesktop.login1.Manager";

    explicit SleepWatch(QObject* parent = nullptr);

    // Listens on `bus` (the system bus; tests give a private one). False without a bus: the
    // tool then never hears of sleep and simply keeps running.
    bool watch(QDBusConnection bus);

signals:
    void sleeping();
    void resumed();

private slots:
    void onPrepareForSleep(bool starting);
};

}  // namespace kestrion
