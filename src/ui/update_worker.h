#pragma once

#include <QString>
#include <QStringList>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

namespace kestrion::ui {

// Runs update programs, one job at a time, on its own thread, so that the UI thread never waits
// for one. Its owner stops it; it is never left running.
class UpdateWorker {
public:
    // How long a stopped program may take to end before it is killed.
    static constexpr std::chrono::milliseconds kStopGrace{500};

    struct RunResult {
        bool succeeded = false;  // started, ended by itself with exit code 0
        int exitCode = -1;
    };
    using LineHandler = std::function<void(const QString& line)>;
    using Job = std::function<void(const UpdateWorker& worker)>;

    UpdateWorker();
    ~UpdateWorker();
    UpdateWorker(const UpdateWorker&) = delete;
    UpdateWorker& operator=(const UpdateWorker&) = delete;

    // Queued after the jobs already waiting; dropped once the worker is stopped.
    void post(Job job);
    // Drops the waiting jobs and asks the running program to end; when it has not within
    // kStopGrace it is killed, and the thread is joined either way. Safe to call twice.
    void stop();

    // For a job: runs program in its own folder with the arguments, handing each line it prints
    // to onLine, until it ends or the worker is stopped. A timeout of 0 waits as long as it runs.
    RunResult runProgram(const QString& program, const QStringList& arguments, std::chrono::milliseconds timeout,
                         const LineHandler& onLine) const;

private:
    void runJobs();

    std::mutex m_lock;
    std::condition_variable m_wake;
    std::condition_variable m_ended;
    std::deque<Job> m_jobs;
    bool m_threadEnded = false;
    std::atomic<bool> m_stop{false};
    std::atomic<bool> m_kill{false};
    std::thread m_thread;
};

}  // namespace kestrion::ui
