#include "shell/single_instance.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSocketNotifier>
#include <QThread>

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <optional>

#include "platform/diagnostics.h"
#include "platform/paths.h"

namespace kestrion::ui {

namespace {

constexpr char kActivateRequest[] = "activate\n";
constexpr std::size_t kActivateRequestSize = sizeof kActivateRequest - 1;
// A request is one short line; anything longer is not ours and is dropped.
constexpr qsizetype kMaxRequest = 64;
// Read per wake-up, so that a chatty peer cannot hold the UI thread.
constexpr std::size_t kReadChunk = 256;
constexpr int kBacklog = 16;
// The first copy may still be between taking its lock and listening.
constexpr int kConnectAttempts = 40;
constexpr int kConnectPauseMs = 50;
constexpr int kIoTimeoutMs = 1000;

// Without a runtime folder, a private one under the temporary folder; one that another user
// made first is not used.
QString instanceFolder()
{
    const std::string runtime = runtimeDir();
    if (!runtime.empty())
        return QString::fromStdString(runtime);
    const QString folder = QDir::tempPath() + QStringLiteral("/kestrion-%1").arg(getuid());
    QDir().mkpath(folder);
    if (QFileInfo(folder).ownerId() != getuid())
        return {};
    QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    return folder;
}

std::optional<sockaddr_un> socketAddress(const QByteArray& path)
{
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (std::size_t(path.size()) >= sizeof address.sun_path)
        return std::nullopt;
    std::memcpy(address.sun_path, path.constData(), std::size_t(path.size()));
    return address;
}

std::string lastError()
{
    return std::strerror(errno);
}

// A connected socket, or -1 when nobody listens yet.
int connectTo(const sockaddr_un& address)
{
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0)
        return -1;
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0)
        return fd;
    ::close(fd);
    return -1;
}

// Waits at most kIoTimeoutMs each time the socket's buffer is full.
bool sendRequest(int fd)
{
    const char* data = kActivateRequest;
    std::size_t left = kActivateRequestSize;
    while (left > 0) {
        const ssize_t sent = ::send(fd, data, left, MSG_NOSIGNAL);
        if (sent > 0) {
            data += sent;
            left -= std::size_t(sent);
            continue;
        }
        if (sent < 0 && errno == EINTR)
            continue;
        pollfd writable{fd, POLLOUT, 0};
        if (sent < 0 && errno == EAGAIN && ::poll(&writable, 1, kIoTimeoutMs) > 0)
            continue;
        return false;
    }
    return true;
}

struct Requests {
    int count = 0;
    bool rejected = false;  // the peer said something that is not a request
};

// Takes the finished lines off what a peer has sent.
Requests takeRequests(QByteArray& pending)
{
    Requests found;
    for (qsizetype end = pending.indexOf('\n'); end >= 0; end = pending.indexOf('\n')) {
        const QByteArray line = pending.left(end + 1);
        pending.remove(0, end + 1);
        if (line != kActivateRequest) {
            found.rejected = true;
            return found;
        }
        ++found.count;
    }
    found.rejected = pending.size() > kMaxRequest;
    return found;
}

}  // namespace

SingleInstance::SingleInstance(QString name, QObject* parent)
    : QObject(parent), m_name(std::move(name)), m_folder(instanceFolder())
{
}

SingleInstance::~SingleInstance()
{
    stopListening();
    if (m_lockFd >= 0)
        ::close(m_lockFd);
}

QString SingleInstance::socketPath() const
{
    return m_folder + "/" + m_name;
}

QString SingleInstance::lockPath() const
{
    return socketPath() + ".lock";
}

SingleInstance::Role SingleInstance::start()
{
    if (m_folder.isEmpty())
        return Role::Unguarded;
    switch (takeLock()) {
    case Lock::Taken:
        listen();
        return Role::Primary;
    case Lock::Busy:
        if (askPrimaryToActivate())
            return Role::Secondary;
        // The holder may have been ending meanwhile: once its lock is gone, this copy runs.
        if (takeLock() == Lock::Taken) {
            listen();
            return Role::Primary;
        }
        return Role::Unanswered;
    case Lock::Failed:
        break;
    }
    return Role::Unguarded;
}

// flock belongs to the open file, so even a second object of the same process finds it busy.
SingleInstance::Lock SingleInstance::takeLock()
{
    const QByteArray path = QFile::encodeName(lockPath());
    const int fd = ::open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) {
        debugTrace("single instance: cannot open " + path.toStdString());
        return Lock::Failed;
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {
        m_lockFd = fd;
        return Lock::Taken;
    }
    const bool busy = errno == EWOULDBLOCK;
    ::close(fd);
    return busy ? Lock::Busy : Lock::Failed;
}

// Holding the lock, any socket file at the path is a crashed copy's and is replaced.
void SingleInstance::listen()
{
    const QByteArray path = QFile::encodeName(socketPath());
    const std::optional<sockaddr_un> address = socketAddress(path);
    if (!address) {
        debugTrace("single instance: socket path too long: " + path.toStdString());
        return;
    }
    ::unlink(path.constData());
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0) {
        debugTrace("single instance: cannot make a socket: " + lastError());
        return;
    }
    // The socket's mode before binding becomes the file's: only this user may connect.
    if (::fchmod(fd, S_IRUSR | S_IWUSR) != 0 ||
        ::bind(fd, reinterpret_cast<const sockaddr*>(&*address), sizeof *address) != 0 ||
        ::listen(fd, kBacklog) != 0) {
        debugTrace("single instance: cannot listen on " + path.toStdString() + ": " + lastError());
        ::close(fd);
        ::unlink(path.constData());
        return;
    }
    m_listenFd = fd;
    m_listenNotifier = new QSocketNotifier(fd, QSocketNotifier::Read, this);
    connect(m_listenNotifier, &QSocketNotifier::activated, this, &SingleInstance::acceptPeers);
}

// The socket file goes before the lock is given up, so it never removes a successor's.
void SingleInstance::stopListening()
{
    for (const auto& [fd, peer] : m_peers) {
        delete peer.notifier;
        ::close(fd);
    }
    m_peers.clear();
    if (m_listenFd < 0)
        return;
    delete m_listenNotifier;
    m_listenNotifier = nullptr;
    ::close(m_listenFd);
    m_listenFd = -1;
    ::unlink(QFile::encodeName(socketPath()).constData());
}

bool SingleInstance::askPrimaryToActivate() const
{
    const std::optional<sockaddr_un> address = socketAddress(QFile::encodeName(socketPath()));
    int fd = -1;
    for (int attempt = 0; address && fd < 0 && attempt < kConnectAttempts; ++attempt) {
        if (attempt > 0)
            QThread::msleep(kConnectPauseMs);
        fd = connectTo(*address);
    }
    if (fd < 0) {
        debugTrace("single instance: the running copy does not answer");
        return false;
    }
    const bool sent = sendRequest(fd);
    if (!sent)
        debugTrace("single instance: the running copy did not take the request");
    ::close(fd);
    return sent;
}

void SingleInstance::acceptPeers()
{
    for (;;) {
        const int fd = ::accept4(m_listenFd, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
        if (fd < 0) {
            if (errno == EINTR || errno == ECONNABORTED)
                continue;
            return;
        }
        Peer& peer = m_peers[fd];
        peer.notifier = new QSocketNotifier(fd, QSocketNotifier::Read, this);
        connect(peer.notifier, &QSocketNotifier::activated, this, [this, fd] { readPeer(fd); });
    }
}

// Requests are whole lines; a peer that says anything else is cut off. The signal goes out
// last, once this peer's state is settled.
void SingleInstance::readPeer(int fd)
{
    const auto found = m_peers.find(fd);
    if (found == m_peers.end())
        return;
    char buffer[kReadChunk];
    const ssize_t received = ::recv(fd, buffer, sizeof buffer, 0);
    if (received < 0 && (errno == EAGAIN || errno == EINTR))
        return;
    if (received <= 0) {
        dropPeer(fd);
        return;
    }
    found->second.pending.append(buffer, received);
    const Requests requests = takeRequests(found->second.pending);
    if (requests.rejected)
        dropPeer(fd);
    for (int i = 0; i < requests.count; ++i)
        emit activationRequested();
}

// Usually called from inside the watcher's own signal, so the watcher goes later.
void SingleInstance::dropPeer(int fd)
{
    const auto found = m_peers.find(fd);
    if (found == m_peers.end())
        return;
    found->second.notifier->setEnabled(false);
    found->second.notifier->deleteLater();
    ::close(fd);
    m_peers.erase(found);
}

}  // namespace kestrion::ui
