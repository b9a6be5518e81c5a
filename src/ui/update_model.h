#pragma once

#include <QObject>
#include <QString>
#include <QTimer>

#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "profiles/update_rows.h"
#include "ui/update_worker.h"

namespace kestrion::ui {

// What the update page reads from and does to the devices; the shell fills it in. Called on the
// UI thread only.
class UpdateDevices {
public:
    struct Version {
        int number = 0;                // 0 while the device's command link is closed
        bool throughReceiver = false;  // the number is the receiver's
    };
    virtual ~UpdateDevices() = default;
    // The firmware version of the device of that DeviceKind.
    virtual Version version(int deviceKind) const = 0;
    // Holds (true) or releases the device's command channel while its firmware is written.
    virtual void suspend(int deviceKind, bool suspended) = 0;
    // Reads the whole device again.
    virtual void reread(int deviceKind) = 0;
};

// One row of the update page.
struct UpdateRow {
    UpdateRowEntry entry{};
    int flag = 1;       // -1: the version is the receiver's
    int version = 0;    // firmware rows: the device's version number, 0 when not connected
    QString versionText;
    QString program;    // the row's update program; empty when there is none
    QString offered;    // the version its program installs; empty when unknown
    int state = kRowUpToDate;
    bool ticked = false;
    int progress = 0;   // percent, while updating
    bool failed = false;  // the row's last update did not succeed
};

// The update page's state: its rows, their states, the status, and the worker that runs the
// update programs (docs/updates.md). The settings window only shows it.
class UpdateModel : public QObject {
    Q_OBJECT
public:
    // The argument an update program is run with to install.
    static constexpr const char* kInstallArgument = "On the upgrade";
    static constexpr const char* kVersionArgument = "--version";
    static constexpr std::chrono::milliseconds kVersionTimeout{5000};
    static constexpr int kVersionPollMs = 1000;

    UpdateModel(UpdateDevices& devices, std::vector<std::string> programFolders, QObject* parent = nullptr);
    ~UpdateModel() override;

    // Builds the rows and asks each row's update program what it installs; the status is 0 until
    // every one has answered.
    void check();
    const std::vector<UpdateRow>& rows() const { return m_rows; }
    int status() const { return m_status; }
    // Only a row that offers an update can be ticked.
    void setTicked(int row, bool ticked);
    bool anyTicked() const;
    // Updates the ticked rows that offer an update, one at a time; unticks the others.
    void startUpdate();
    // No row is updating, so the page may close.
    bool closable() const;
    // Ends the worker (UpdateWorker::stop); a row it was updating offers its update again.
    void stop();

signals:
    void rowsChanged();
    void rowChanged(int row);
    void statusChanged(int status);

private:
    void buildRows();
    void onChecked(std::size_t row, const QString& offered);
    void finishCheck();
    int offerState(const UpdateRow& row) const;
    void refreshVersions();
    void readVersion(UpdateRow& row) const;
    void runNext();
    void onProgress(std::size_t row, int percent);
    void onUpdated(std::size_t row, bool succeeded);
    void offerAgain(UpdateRow& row);
    void releaseDevice(const UpdateRow& row);
    void settle();
    void setStatus(int status);

    UpdateDevices& m_devices;
    std::vector<std::string> m_folders;
    std::vector<UpdateRow> m_rows;
    int m_status = kStatusChecking;
    int m_checksLeft = 0;
    std::deque<std::size_t> m_queue;
    std::optional<std::size_t> m_current;
    bool m_stopped = false;
    QTimer m_versionPoll;
    std::unique_ptr<UpdateWorker> m_worker;
};

}  // namespace kestrion::ui
