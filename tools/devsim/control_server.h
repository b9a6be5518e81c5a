#pragma once

#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <thread>

namespace devsim {

// A listening SOCK_STREAM Unix socket that answers each line a client sends with one line.
class ControlServer {
public:
    using LineHandler = std::function<std::string(const std::string& line)>;

    ControlServer(std::string socketPath, LineHandler handler);
    ~ControlServer();
    ControlServer(const ControlServer&) = delete;
    ControlServer& operator=(const ControlServer&) = delete;

    // Listens on the socket path (replacing a stale socket) and starts the serving thread.
    bool start();
    // Closes every connection, removes the socket file, joins the thread.
    void stop();

private:
    void run();
    void accept();
    bool serve(int fd);

    std::string m_path;
    LineHandler m_handler;
    int m_listenFd = -1;
    int m_stopFd = -1;
    std::map<int, std::string> m_pending;  // per connection: bytes after the last full line
    std::thread m_thread;
};

}  // namespace devsim
