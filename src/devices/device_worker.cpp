#include "devices/device_worker.h"

#include <pthread.h>

#include <utility>

namespace kestrion {

DeviceWorker::DeviceWorker() : m_thread(&DeviceWorker::run, this) {}

DeviceWorker::~DeviceWorker()
{
    stop();
}

void DeviceWorker::post(std::string label, Job job)
{
    {
        std::lock_guard lock(m_mutex);
        if (m_stop)
            return;
        m_queue.push_back({std::move(label), std::move(job)});
    }
    m_wake.notify_one();
}

std::size_t DeviceWorker::cancelQueued()
{
    std::deque<Entry> dropped;
    {
        std::lock_guard lock(m_mutex);
        dropped.swap(m_queue);
    }
    // The jobs' captures are released outside the lock.
    return dropped.size();
}

void DeviceWorker::stop()
{
    {
        std::lock_guard lock(m_mutex);
        m_stop = true;
        m_queue.clear();
    }
    m_wake.notify_one();
    if (m_thread.joinable())
        m_thread.join();
}

void DeviceWorker::setProgress(std::size_t done, std::size_t total)
{
    std::lock_guard lock(m_mutex);
    m_done = done;
    m_total = total;
}

DeviceWorker::Status DeviceWorker::status() const
{
    std::lock_guard lock(m_mutex);
    Status status;
    status.running = m_running;
    status.queued = m_queue.size();
    if (m_running) {
        status.label = m_label;
        status.elapsed = Clock::now() - m_started;
        status.done = m_done;
        status.total = m_total;
    }
    return status;
}

void DeviceWorker::run()
{
    pthread_setname_np(pthread_self(), "kc-device");
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_wake.wait(lock, [this] { return m_stop || !m_queue.empty(); });
        if (m_stop)
            return;
        Entry entry = std::move(m_queue.front());
        m_queue.pop_front();
        m_running = true;
        m_label = std::move(entry.label);
        m_started = Clock::now();
        m_done = 0;
        m_total = 0;
        lock.unlock();
        entry.job();
        entry.job = nullptr;
        lock.lock();
        m_running = false;
    }
}

}  // namespace kestrion
