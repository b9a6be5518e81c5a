#include "shell/single_instance.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QThread>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>

#include "platform/diagnostics.h"
#include "platform/paths.h"

namespace kestrion::ui {

namespace {

constexpr const char* kActivateRequest = "activate\n";
// A request is one short line; anything longer is not ours and is dropped.
constexpr qint64 kMaxRequest = 64;
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

}  // namespace

SingleInstance::SingleInstance(QString name, QObject* parent)
    : QObject(parent), m_name(std::move(name)), m_folder(instanceFolder())
{
}

SingleInstance::~SingleInstance()
{
    if (m_server)
        m_server->close();
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
        askPrimaryToActivate();
        return Role::Secondary;
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
    QLocalServer::removeServer(socketPath());
    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    connect(m_server, &QLocalServer::newConnection, this, &SingleInstance::onNewConnection);
    if (!m_server->listen(socketPath()))
        debugTrace("single instance: cannot listen: " + m_server->errorString().toStdString());
}

void SingleInstance::askPrimaryToActivate() const
{
    QLocalSocket socket;
    for (int attempt = 0; attempt < kConnectAttempts; ++attempt) {
        socket.connectToServer(socketPath());
        if (socket.waitForConnected(kIoTimeoutMs))
            break;
        QThread::msleep(kConnectPauseMs);
    }
    if (socket.state() != QLocalSocket::ConnectedState) {
        debugTrace("single instance: the running copy does not answer");
        return;
    }
    socket.write(kActivateRequest);
    socket.waitForBytesWritten(kIoTimeoutMs);
    socket.disconnectFromServer();
}

void SingleInstance::onNewConnection()
{
    while (QLocalSocket* socket = m_server->nextPendingConnection()) {
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] { readRequest(socket); });
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        readRequest(socket);
    }
}

// Requests are whole lines; a peer that says anything else is cut off.
void SingleInstance::readRequest(QLocalSocket* socket)
{
    while (socket->canReadLine()) {
        if (socket->readLine(kMaxRequest) != kActivateRequest) {
            socket->abort();
            return;
        }
        emit activationRequested();
    }
    if (socket->bytesAvailable() > kMaxRequest)
        socket->abort();
}

}  // namespace kestrion::ui
