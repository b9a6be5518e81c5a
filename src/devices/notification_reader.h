#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <thread>

namespace kestrion {

class HidDevice;

// The thread that waits for reports on one notification link and hands each one to a handler.
// The read waits without a time limit; stop() ends it by closing the link, so stopping never
// waits for the device to speak.
class NotificationReader {
public:
    using Handler = std::function<void(const std::uint8_t* report, std::size_t length)>;

    NotificationReader(HidDevice& link, Handler handler);
    ~NotificationReader();
    NotificationReader(const NotificationReader&) = delete;
    NotificationReader& operator=(const NotificationReader&) = delete;

    // Starts reading; the link must be open. A running reader is stopped first.
    void start();
    // Stops and joins the thread; closes the link to cancel the waiting read.
    void stop();
    bool isRunning() const { return m_thread.joinable(); }

private:
    void run();

    HidDevice& m_link;
    Handler m_handler;
    std::atomic<bool> m_stop{false};
    std::thread m_thread;
};

}  // namespace kestrion
