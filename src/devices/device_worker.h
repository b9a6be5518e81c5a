#pragma once

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

namespace kestrion {

// The one thread that carries a device's command traffic. Jobs run one at a time in the order they
// were posted, so the exchanges on the wire keep the order the callers gave them. Nothing here
// waits for a device: a job that must end early is ended by closing the device's links, which
// makes its exchanges fail at once.
class DeviceWorker {
public:
    using Job = std::function<void()>;
    using Clock = std::chrono::steady_clock;

    // What the worker is doing, for the page's busy display.
    struct Status {
        bool running = false;
        std::string label;          // the running job's label
        Clock::duration elapsed{};  // since the running job started
        std::size_t done = 0;       // progress of the running job, when it reports one
        std::size_t total = 0;
        std::size_t queued = 0;
    };

    DeviceWorker();
    ~DeviceWorker();
    DeviceWorker(const DeviceWorker&) = delete;
    DeviceWorker& operator=(const DeviceWorker&) = delete;

    void post(std::string label, Job job);
    // Drops the queued jobs; returns how many. The running one is not waited for.
    std::size_t cancelQueued();
    // Drops the queued jobs and joins the thread once the running one has ended.
    void stop();

    // Called by the running job.
    void setProgress(std::size_t done, std::size_t total);
    Status status() const;
    bool onWorkerThread() const { return std::this_thread::get_id() == m_thread.get_id(); }

private:
    struct Entry {
        std::string label;
        Job job;
    };

    void run();

    mutable std::mutex m_mutex;
    std::condition_variable m_wake;
    std::deque<Entry> m_queue;
    bool m_stop = false;
    bool m_running = false;
    std::string m_label;
    Clock::time_point m_started;
    std::size_t m_done = 0;
    std::size_t m_total = 0;
    std::thread m_thread;
};

}  // namespace kestrion
