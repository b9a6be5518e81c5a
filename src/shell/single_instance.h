#pragma once

#include <QObject>
#include <QString>

class QLocalServer;
class QLocalSocket;

namespace kestrion::ui {

// Keeps the tool to one running copy per user. The first copy holds a lock file and listens on
// a local socket, both named from the product string in the user's runtime folder; a later
// copy finds the lock taken, asks the first through the socket to come to the front and is
// told to exit. A socket file left behind by a crashed copy is replaced: the kernel releases the
// lock of a process that is gone.
class SingleInstance : public QObject {
    Q_OBJECT
public:
    enum class Role {
        Primary,    // this copy runs the tool
        Secondary,  // another copy runs; the caller exits with 0
        Unguarded,  // the runtime folder is unusable; this copy runs without the guard
    };

    explicit SingleInstance(QString name, QObject* parent = nullptr);
    ~SingleInstance() override;
    SingleInstance(const SingleInstance&) = delete;
    SingleInstance& operator=(const SingleInstance&) = delete;

    Role start();
    QString socketPath() const;
    QString lockPath() const;

signals:
    // Another copy was started and asks this one to come to the front.
    void activationRequested();

private:
    enum class Lock { Taken, Busy, Failed };

    Lock takeLock();
    void listen();
    void askPrimaryToActivate() const;
    void onNewConnection();
    void readRequest(QLocalSocket* socket);

    QString m_name;
    QString m_folder;
    int m_lockFd = -1;
    QLocalServer* m_server = nullptr;
};

}  // namespace kestrion::ui
