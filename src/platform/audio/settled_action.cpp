#include "platform/audio/settled_action.h"

namespace kestrion::audio {

SettledAction::SettledAction(std::chrono::milliseconds quiet, std::function<void()> action)
    : m_quiet(quiet)
    , m_action(std::move(action))
    , m_worker([this] { run(); })
{
}

SettledAction::~SettledAction()
{
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_wake.notify_all();
    m_worker.join();
}

void SettledAction::request()
{
    {
        std::lock_guard lock(m_mutex);
        m_pending = true;
        m_lastRequest = std::chrono::steady_clock::now();
    }
    m_wake.notify_all();
}

void SettledAction::run()
{
    std::unique_lock lock(m_mutex);
    while (true) {
        m_wake.wait(lock, [this] { return m_pending || m_stopping; });
        while (m_pending && !m_stopping) {
            if (m_wake.wait_until(lock, m_lastRequest + m_quiet) == std::cv_status::timeout
                && std::chrono::steady_clock::now() >= m_lastRequest + m_quiet)
                break;
        }
        if (m_pending) {
            m_pending = false;
            lock.unlock();
            m_action();
            lock.lock();
        }
        if (m_stopping)
            return;
    }
}

}  // namespace kestrion::audio
