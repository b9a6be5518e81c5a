#pragma once

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

namespace kestrion::audio {

// Runs an action on its own thread once requests have stopped coming for a quiet period, so a
// burst of requests (ten equaliser bands in a row) costs one run. A request still waiting when the
// object is destroyed is run before the thread is joined, so the last change is never lost.
class SettledAction {
public:
    SettledAction(std::chrono::milliseconds quiet, std::function<void()> action);
    ~SettledAction();
    SettledAction(const SettledAction&) = delete;
    SettledAction& operator=(const SettledAction&) = delete;

    void request();

private:
    void run();

    const std::chrono::milliseconds m_quiet;
    const std::function<void()> m_action;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_pending = false;
    bool m_stopping = false;
    std::chrono::steady_clock::time_point m_lastRequest;
    std::thread m_worker;
};

}  // namespace kestrion::audio
