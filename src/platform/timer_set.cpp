#include "platform/timer_set.h"

#include <QTimer>

namespace kestrion {

TimerSet::TimerSet(Handler handler) : m_handler(std::move(handler)) {}

TimerSet::~TimerSet() = default;

void TimerSet::setTimer(int id, int ms, bool oneShot)
{
    if (ms < 0) {
        killTimer(id);
        return;
    }
    auto& timer = m_timers[id];
    if (!timer) {
        timer = std::make_unique<QTimer>();
        QObject::connect(timer.get(), &QTimer::timeout, [this, id] { m_handler(id); });
    }
    timer->stop();
    timer->setSingleShot(oneShot);
    timer->setInterval(ms);
    timer->start();
}

void TimerSet::killTimer(int id)
{
    if (const auto found = m_timers.find(id); found != m_timers.end())
        found->second->stop();
}

bool TimerSet::isActive(int id) const
{
    const auto found = m_timers.find(id);
    return found != m_timers.end() && found->second->isActive();
}

}  // namespace kestrion
