#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

#include <map>

class QSocketNotifier;

namespace kestrion::ui {

// Keeps the tool to one running copy per user. The first copy holds a lock file and listens on
// a local socket, both named from the product string in the user's runtime folder; a later
// copy finds the lock taken, asks the first through the socket to come to the front and is
// told to exit. A socket file left behind by a crashed copy is replaced: the kernel releases the
// lock of a process that is gone. A first copy that holds the lock but does not answer for two
// seconds (ending, or hung) is asked no longer: the later copy takes over once the lock is free,
// else it gives up.
class SingleInstance : public QObject {
    Q_OBJECT
public:
    enum class Role {
        Primary,    // this copy runs the tool
        Secondary,   // another copy runs and was asked to the front; the caller exits with 0
        Unanswered,  // another copy holds the lock but does not answer; the caller says so and fails
        Unguarded,   // the runtime folder is unusable; this copy runs without the guard
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

    // A connected copy: its watcher and what it has sent of a line not yet finished.
    struct Peer {
        QSocketNotifier* notifier = nullptr;
        QByteArray pending;
    };

    Lock takeLock();
    void listen();
    void stopListening();
    bool askPrimaryToActivate() const;
    void acceptPeers();
    void readPeer(int fd);
    void dropPeer(int fd);

    QString m_name;
    QString m_folder;
    int m_lockFd = -1;
    int m_listenFd = -1;
    QSocketNotifier* m_listenNotifier = nullptr;
    std::map<int, Peer> m_peers;
};

}  // namespace kestrion::ui
