#include "shell/sleep_watch.h"

#include <QDBusConnection>

namespace kestrion {

SleepWatch::SleepWatch(QObject* parent) : QObject(parent) {}

bool SleepWatch::watch(QDBusConnection bus)
{
    return bus.isConnected() && bus.connect(QLatin1String(kService), QLatin1String(kPath), QLatin1String(kInterface),
                                            QStringLiteral("PrepareForSleep"), this, SLOT(onPrepareForSleep(bool)));
}

void SleepWatch::onPrepareForSleep(bool starting)
{
    if (starting)
        emit sleeping();
    else
        emit resumed();
}

}  // namespace kestrion
