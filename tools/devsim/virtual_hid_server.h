#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace devsim {

// What a host reads about one USB interface before it opens it.
struct InterfaceIdentity {
    std::uint16_t vendor;
    std::uint16_t product;
    std::uint16_t version;
    std::uint8_t interfaceNumber;
    std::vector<std::uint8_t> descriptor;
};

// One USB interface published on the virtual HID transport: <folder>/<stem>.sock (a listening
// SOCK_SEQPACKET socket, one connection per opened collection) and <folder>/<stem>.json.
class VirtualHidInterface {
public:
    // kind is 'O' (host output report) or 'S' (host SetOutputReport); report starts with the
    // report id. Called on the interface's own thread; may call sendInput() from inside.
    using ReportHandler = std::function<void(char kind, const std::vector<std::uint8_t>& report)>;

    VirtualHidInterface(std::string folder, std::string stem, InterfaceIdentity identity,
                        ReportHandler handler);
    ~VirtualHidInterface();
    VirtualHidInterface(const VirtualHidInterface&) = delete;
    VirtualHidInterface& operator=(const VirtualHidInterface&) = delete;

    // Creates the folder if needed, binds <stem>.sock, writes <stem>.json, starts the thread.
    bool publish();
    // Removes both files, closes every connection, joins the thread.
    void unpublish();
    // One 'I' datagram to every open connection. Like the kernel's hidraw, each reader holds at
    // most kReaderQueue reports it has not read; a report that finds the queue full is dropped.
    void sendInput(const std::vector<std::uint8_t>& report);
    std::size_t connectionCount() const;
    // Reports dropped so far because a reader's queue was full.
    std::size_t droppedReports() const;

    static constexpr std::size_t kReaderQueue = 64;

    bool isPublished() const;
    std::string socketPath() const { return m_folder + "/" + m_stem + ".sock"; }
    std::string jsonPath() const { return m_folder + "/" + m_stem + ".json"; }

private:
    // One reader: its socket and the reports waiting for room in it.
    struct Connection {
        int fd = -1;
        std::deque<std::vector<std::uint8_t>> waiting;
    };

    void run();
    void acceptConnection();
    bool serveConnection(int fd, short events);
    void flush(Connection& connection);
    void closeAll();
    bool writeJson() const;

    std::string m_folder;
    std::string m_stem;
    InterfaceIdentity m_identity;
    ReportHandler m_handler;

    mutable std::mutex m_mutex;
    std::vector<Connection> m_connections;
    std::size_t m_dropped = 0;
    int m_listenFd = -1;
    int m_stopFd = -1;
    int m_wakeFd = -1;  // reports started waiting: the thread polls for room
    std::thread m_thread;
};

// The json text published beside the socket.
std::string identityJson(const InterfaceIdentity& identity);

}  // namespace devsim
