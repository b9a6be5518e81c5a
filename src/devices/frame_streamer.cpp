#include "devices/frame_streamer.h"

namespace kestrion {
namespace {

std::int64_t nowMilliseconds()
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

}  // namespace

std::int64_t FramePacer::waitBefore(std::int64_t nowMs) const
{
    if (!m_failedAt)
        return 0;
    const std::int64_t left = *m_failedAt + kPauseAfterFailureMs - nowMs;
    return left > 0 ? left : 0;
}

void FramePacer::frameSent(bool ok, std::int64_t nowMs)
{
    if (ok)
        m_failedAt.reset();
    else
        m_failedAt = nowMs;
}

FrameStreamer::FrameStreamer(Send send) : m_send(std::move(send)) {}

FrameStreamer::~FrameStreamer()
{
    stop();
}

void FrameStreamer::start()
{
    stop();
    m_stopRequested = false;
    m_thread = std::thread([this] { run(); });
}

void FrameStreamer::stop()
{
    {
        std::lock_guard lock(m_mutex);
        m_stopRequested = true;
        m_pending.reset();
    }
    m_wake.notify_all();
    if (m_thread.joinable())
        m_thread.join();
}

void FrameStreamer::offer(Frame frame)
{
    {
        std::lock_guard lock(m_mutex);
        m_pending = std::move(frame);
    }
    m_wake.notify_all();
}

void FrameStreamer::clear()
{
    std::lock_guard lock(m_mutex);
    m_pending.reset();
}

void FrameStreamer::run()
{
    std::unique_lock lock(m_mutex);
    while (!m_stopRequested) {
        const std::int64_t wait = m_pacer.waitBefore(nowMilliseconds());
        if (wait > 0) {
            m_wake.wait_for(lock, std::chrono::milliseconds(wait), [this] { return m_stopRequested; });
            continue;
        }
        m_wake.wait(lock, [this] { return m_stopRequested || m_pending.has_value(); });
        if (m_stopRequested)
            break;
        const Frame frame = std::move(*m_pending);
        m_pending.reset();
        lock.unlock();
        const bool ok = m_send(frame);
        lock.lock();
        m_pacer.frameSent(ok, nowMilliseconds());
    }
}

}  // namespace kestrion
