#include "ui/update_worker.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>

namespace kestrion::ui {
namespace {

constexpr int kStartTimeoutMs = 5000;
constexpr int kPollMs = 20;

void passLines(QProcess& process, const UpdateWorker::LineHandler& onLine)
{
    while (process.canReadLine())
        onLine(QString::fromUtf8(process.readLine()).trimmed());
}

}  // namespace

UpdateWorker::UpdateWorker() : m_thread([this] { runJobs(); }) {}

UpdateWorker::~UpdateWorker()
{
    stop();
}

void UpdateWorker::post(Job job)
{
    std::lock_guard guard(m_lock);
    if (m_stop)
        return;
    m_jobs.push_back(std::move(job));
    m_wake.notify_one();
}

void UpdateWorker::stop()
{
    std::unique_lock guard(m_lock);
    m_stop = true;
    m_jobs.clear();
    m_wake.notify_one();
    if (!m_ended.wait_for(guard, kStopGrace, [this] { return m_threadEnded; }))
        m_kill = true;
    guard.unlock();
    if (m_thread.joinable())
        m_thread.join();
}

void UpdateWorker::runJobs()
{
    std::unique_lock guard(m_lock);
    while (true) {
        m_wake.wait(guard, [this] { return m_stop || !m_jobs.empty(); });
        if (m_stop)
            break;
        Job job = std::move(m_jobs.front());
        m_jobs.pop_front();
        guard.unlock();
        job(*this);
        guard.lock();
    }
    m_threadEnded = true;
    m_ended.notify_all();
}

UpdateWorker::RunResult UpdateWorker::runProgram(const QString& program, const QStringList& arguments,
                                                 std::chrono::milliseconds timeout, const LineHandler& onLine) const
{
    QProcess process;
    process.setProgram(program);
    process.setArguments(arguments);
    process.setWorkingDirectory(QFileInfo(program).absolutePath());
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process.start();
    if (!process.waitForStarted(kStartTimeoutMs))
        return {};
    QElapsedTimer clock;
    clock.start();
    QElapsedTimer sinceTerminate;
    while (process.state() != QProcess::NotRunning && !process.waitForFinished(kPollMs)) {
        passLines(process, onLine);
        const bool timedOut = timeout.count() > 0 && clock.elapsed() > timeout.count();
        if (!sinceTerminate.isValid() && (m_stop || timedOut)) {
            process.terminate();
            sinceTerminate.start();
        } else if (m_kill || (sinceTerminate.isValid() && sinceTerminate.elapsed() > kStopGrace.count())) {
            process.kill();
        }
    }
    passLines(process, onLine);
    const QString rest = QString::fromUtf8(process.readAll()).trimmed();
    if (!rest.isEmpty())
        onLine(rest);
    const bool succeeded =
        !sinceTerminate.isValid() && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
    return {succeeded, process.exitCode()};
}

}  // namespace kestrion::ui
