#pragma once

#include <QObject>

class QSocketNotifier;

namespace kestrion {

// SIGTERM, SIGINT and SIGHUP (a logout, Ctrl+C, a closed terminal) turned into a Qt signal on the
// UI thread, so that the tool ends the way its own Quit does. The handler only writes a byte to a
// pipe; the notifier reads it. One owner at a time; the previous handlers come back when it goes.
class QuitSignals : public QObject {
    Q_OBJECT
public:
    explicit QuitSignals(QObject* parent = nullptr);
    ~QuitSignals() override;

    // False when the pipe or a handler could not be set up (the signals then end the process as
    // they would without this).
    bool isWatching() const { return m_watching; }

signals:
    void quitRequested(int signal);

private:
    void readSignal();

    QSocketNotifier* m_notifier = nullptr;
    bool m_watching = false;
};

}  // namespace kestrion
