#include "ui/update_model.h"

#include <QMetaObject>

#include <algorithm>

namespace kestrion::ui {
namespace {

std::optional<VersionParts> parsedVersion(const UpdateRow& row, const QString& text)
{
    const std::string plain = text.toStdString();
    return row.entry.kind == kApplicationRow ? parseApplicationVersion(plain) : parseFirmwareVersion(plain);
}

std::optional<VersionParts> currentVersion(const UpdateRow& row)
{
    if (row.entry.kind == kApplicationRow)
        return parseApplicationVersion(applicationVersion());
    if (row.version == 0)
        return std::nullopt;
    return VersionParts{row.version};
}

}  // namespace

UpdateModel::UpdateModel(UpdateDevices& devices, std::vector<std::string> programFolders, QObject* parent)
    : QObject(parent), m_devices(devices), m_folders(std::move(programFolders)),
      m_worker(std::make_unique<UpdateWorker>())
{
    // A device plugged in, gone, or back with new firmware shows without reopening the page.
    m_versionPoll.setInterval(kVersionPollMs);
    connect(&m_versionPoll, &QTimer::timeout, this, &UpdateModel::refreshVersions);
}

UpdateModel::~UpdateModel()
{
    stop();
}

void UpdateModel::buildRows()
{
    m_rows.clear();
    for (const UpdateRowEntry& entry : kUpdateRowTable) {
        UpdateRow row;
        row.entry = entry;
        readVersion(row);
        row.program = QString::fromStdString(findUpdateProgram(m_folders, entry.shortName));
        m_rows.push_back(row);
    }
}

void UpdateModel::readVersion(UpdateRow& row) const
{
    if (row.entry.kind == kApplicationRow) {
        row.versionText = QString::fromStdString(applicationVersionText());
        return;
    }
    const UpdateDevices::Version version = m_devices.version(row.entry.device);
    row.version = version.number;
    row.flag = version.throughReceiver ? -1 : 1;
    row.versionText = version.number ? QString::fromStdString(firmwareVersionText(version.number)) : QString();
}

// A check already under way, or an update, is left to finish.
void UpdateModel::check()
{
    if (m_stopped || m_checksLeft > 0 || !closable())
        return;
    buildRows();
    m_status = kStatusChecking;
    emit statusChanged(m_status);
    emit rowsChanged();
    m_checksLeft = 0;
    for (std::size_t index = 0; index < m_rows.size(); ++index) {
        const QString program = m_rows[index].program;
        if (program.isEmpty())
            continue;
        ++m_checksLeft;
        m_worker->post([this, index, program](const UpdateWorker& worker) {
            QString firstLine;
            worker.runProgram(program, {QString::fromLatin1(kVersionArgument)}, kVersionTimeout,
                              [&firstLine](const QString& line) {
                                  if (firstLine.isEmpty())
                                      firstLine = line;
                              });
            QMetaObject::invokeMethod(this, [this, index, firstLine] { onChecked(index, firstLine); },
                                      Qt::QueuedConnection);
        });
    }
    if (m_checksLeft == 0)
        finishCheck();
    m_versionPoll.start();
}

void UpdateModel::onChecked(std::size_t row, const QString& offered)
{
    if (m_stopped || row >= m_rows.size())
        return;
    m_rows[row].offered = parsedVersion(m_rows[row], offered) ? offered : QString();
    if (--m_checksLeft == 0)
        finishCheck();
}

// Status 2 when programs are there but none could say what it installs.
void UpdateModel::finishCheck()
{
    bool anyProgram = false;
    bool anyAnswer = false;
    for (UpdateRow& row : m_rows) {
        anyProgram = anyProgram || !row.program.isEmpty();
        anyAnswer = anyAnswer || !row.offered.isEmpty();
        row.state = offerState(row);
    }
    emit rowsChanged();
    if (std::any_of(m_rows.begin(), m_rows.end(), [](const UpdateRow& row) { return rowOffersUpdate(row.state); }))
        setStatus(kStatusAvailable);
    else
        setStatus(anyProgram && !anyAnswer ? kStatusNoInfo : kStatusLatest);
}

// A device that is not connected cannot be updated, and an update never goes backwards.
int UpdateModel::offerState(const UpdateRow& row) const
{
    if (row.state == kRowFinished || row.state == kRowUpdating)
        return row.state;
    const std::optional<VersionParts> offered = parsedVersion(row, row.offered);
    const std::optional<VersionParts> current = currentVersion(row);
    if (!offered || !current || !(*current < *offered))
        return kRowUpToDate;
    return row.entry.kind == kApplicationRow ? kRowApplicationUpdate : kRowFirmwareUpdate;
}

void UpdateModel::refreshVersions()
{
    if (m_stopped || m_status == kStatusChecking)
        return;
    for (std::size_t index = 0; index < m_rows.size(); ++index) {
        UpdateRow& row = m_rows[index];
        const UpdateRow before = row;
        readVersion(row);
        row.state = offerState(row);
        if (!rowOffersUpdate(row.state))
            row.ticked = false;
        if (row.versionText != before.versionText || row.state != before.state || row.ticked != before.ticked)
            emit rowChanged(static_cast<int>(index));
    }
    if (!m_current && m_queue.empty())
        settle();
}

void UpdateModel::setTicked(int row, bool ticked)
{
    if (row < 0 || static_cast<std::size_t>(row) >= m_rows.size())
        return;
    UpdateRow& target = m_rows[static_cast<std::size_t>(row)];
    const bool allowed = rowOffersUpdate(target.state) && ticked;
    if (target.ticked == allowed)
        return;
    target.ticked = allowed;
    emit rowChanged(row);
}

bool UpdateModel::anyTicked() const
{
    return std::any_of(m_rows.begin(), m_rows.end(), [](const UpdateRow& row) { return row.ticked; });
}

void UpdateModel::startUpdate()
{
    if (m_stopped || !closable())
        return;
    for (std::size_t index = 0; index < m_rows.size(); ++index) {
        UpdateRow& row = m_rows[index];
        if (row.ticked && rowOffersUpdate(row.state)) {
            row.state = kRowUpdating;
            row.progress = 0;
            row.failed = false;
            m_queue.push_back(index);
        }
        row.ticked = false;
    }
    emit rowsChanged();
    if (m_queue.empty())
        return;
    setStatus(kStatusUpdating);
    runNext();
}

bool UpdateModel::closable() const
{
    return std::all_of(m_rows.begin(), m_rows.end(), [](const UpdateRow& row) { return rowIsSettled(row.state); });
}

void UpdateModel::runNext()
{
    if (m_queue.empty()) {
        settle();
        return;
    }
    const std::size_t index = m_queue.front();
    m_queue.pop_front();
    UpdateRow& row = m_rows[index];
    readVersion(row);
    // A device gone while earlier rows updated is not written blind.
    if (row.entry.kind == kFirmwareRow && row.version == 0) {
        offerAgain(row);
        emit rowChanged(static_cast<int>(index));
        runNext();
        return;
    }
    m_current = index;
    // The tool's own traffic must not mix with the firmware being written.
    if (row.entry.kind == kFirmwareRow)
        m_devices.suspend(row.entry.device, true);
    const QString program = row.program;
    m_worker->post([this, index, program](const UpdateWorker& worker) {
        const UpdateWorker::RunResult result = worker.runProgram(
            program, {QString::fromLatin1(kInstallArgument)}, std::chrono::milliseconds(0),
            [this, index](const QString& line) {
                if (const std::optional<int> percent = progressOfLine(line.toStdString()))
                    QMetaObject::invokeMethod(this, [this, index, p = *percent] { onProgress(index, p); },
                                              Qt::QueuedConnection);
            });
        QMetaObject::invokeMethod(this, [this, index, ok = result.succeeded] { onUpdated(index, ok); },
                                  Qt::QueuedConnection);
    });
}

void UpdateModel::onProgress(std::size_t row, int percent)
{
    if (m_stopped || m_current != row)
        return;
    m_rows[row].progress = percent;
    emit rowChanged(static_cast<int>(row));
}

void UpdateModel::onUpdated(std::size_t index, bool succeeded)
{
    if (m_stopped || m_current != index)
        return;
    m_current.reset();
    UpdateRow& row = m_rows[index];
    releaseDevice(row);
    if (succeeded) {
        row.state = kRowFinished;
        row.progress = 100;
        readVersion(row);
    } else {
        offerAgain(row);
    }
    emit rowChanged(static_cast<int>(index));
    runNext();
}

// A row whose update did not happen offers it again when its device is still there.
void UpdateModel::offerAgain(UpdateRow& row)
{
    row.failed = true;
    row.progress = 0;
    row.state = kRowUpToDate;
    readVersion(row);
    row.state = offerState(row);
}

void UpdateModel::releaseDevice(const UpdateRow& row)
{
    if (row.entry.kind != kFirmwareRow)
        return;
    m_devices.suspend(row.entry.device, false);
    m_devices.reread(row.entry.device);
}

// Status 1 while any row still offers an update, else 4.
void UpdateModel::settle()
{
    if (m_status == kStatusChecking)
        return;
    const bool offered =
        std::any_of(m_rows.begin(), m_rows.end(), [](const UpdateRow& row) { return rowOffersUpdate(row.state); });
    if (offered)
        setStatus(kStatusAvailable);
    else if (m_status != kStatusNoInfo)
        setStatus(kStatusLatest);
}

void UpdateModel::stop()
{
    if (m_stopped)
        return;
    m_stopped = true;
    m_versionPoll.stop();
    m_worker->stop();
    std::vector<std::size_t> interrupted(m_queue.begin(), m_queue.end());
    if (m_current)
        interrupted.push_back(*m_current);
    m_queue.clear();
    if (m_current)
        releaseDevice(m_rows[*m_current]);
    m_current.reset();
    for (std::size_t index : interrupted)
        offerAgain(m_rows[index]);
}

void UpdateModel::setStatus(int status)
{
    if (status == m_status)
        return;
    m_status = status;
    emit statusChanged(status);
}

}  // namespace kestrion::ui
