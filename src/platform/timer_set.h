#pragma once

#include <functional>
#include <map>
#include <memory>

class QTimer;

namespace kestrion {

// The timers of one owner, by numeric id. Each fires the owner's handler with its id, once or
// periodically. The handler may set or kill any timer, its own included. Destroying the set
// stops every timer.
class TimerSet {
public:
    using Handler = std::function<void(int id)>;

    explicit TimerSet(Handler handler);
    ~TimerSet();
    TimerSet(const TimerSet&) = delete;
    TimerSet& operator=(const TimerSet&) = delete;

    // (Re)starts timer id with a period of ms milliseconds. A negative period (a keep-alive
    // computed from a zero sleep time, for one) stops the timer instead of spinning it.
    void setTimer(int id, int ms, bool oneShot);
    void killTimer(int id);
    bool isActive(int id) const;

private:
    Handler m_handler;
    // Timers are stopped, never deleted, while the set lives: a handler may kill the very timer
    // whose signal is being delivered.
    std::map<int, std::unique_ptr<QTimer>> m_timers;
};

}  // namespace kestrion
