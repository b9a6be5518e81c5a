#include "devices/usb_device.h"

#include <QMetaObject>
#include <QPointer>
#include <QVariant>

#include <algorithm>
#include <chrono>
#include <thread>
#include <utility>

#include "platform/diagnostics.h"
#include "profiles/basic_profile_data.h"

namespace kestrion {
namespace {

constexpr int kReceiverKind = 6;
constexpr int kKeyboardReceiverKind = 9;

constexpr int kLinkRetryMs = 5000;
constexpr int kKeepAliveStartMs = 50;
// Frames the host sends to the device's own lights follow the display's rate.
constexpr int kDeviceFrameMs = 16;
// A preview that is only drawn on screen: its LEDs are a few pixels wide, and each frame costs a
// repaint through the window system whatever it paints, so 25 frames a second.
constexpr int kPreviewFrameMs = 40;
constexpr int kLightFrameReceiverMs = 500;
constexpr int kLinkWatchFirstMs = 2000;
constexpr int kLinkWatchMs = 3000;
constexpr int kPowerPollMs = 3000;
constexpr int kMinuteMs = 60000;
constexpr int kKeepAliveLeadMs = 10000;
constexpr int kReceiverTries = 26;
constexpr auto kReceiverRetryPause = std::chrono::milliseconds(50);

// Text ids of what the busy display says the device is doing.
constexpr const char* kReadingLabel = "device_busy_reading_text";
constexpr const char* kLinkLabel = "device_busy_link_text";
constexpr const char* kPowerLabel = "device_busy_power_text";
constexpr const char* kKeepAliveLabel = "device_busy_keepalive_text";

}  // namespace

LinkKind linkKindOf(int deviceKind)
{
    return deviceKind == kReceiverKind || deviceKind == kKeyboardReceiverKind ? LinkKind::Receiver
                                                                              : LinkKind::Wired;
}

CQuellonUSBDevice::CQuellonUSBDevice(QObject* parent) : QObject(parent)
{
    setProperty("controlClass", QStringLiteral("QuellonUSBDevice"));
    m_channel.setProgressObserver([this](std::size_t done, std::size_t total) { setJobProgress(done, total); });
}

CQuellonUSBDevice::~CQuellonUSBDevice()
{
    stopDeviceWork();
}

void CQuellonUSBDevice::stopDeviceWork()
{
    closeLinks();
    m_worker.stop();
}

QString CQuellonUSBDevice::controlClass() const
{
    return QStringLiteral("QuellonUSBDevice");
}

bool CQuellonUSBDevice::attachCommandLink(const std::string& path, int deviceKind)
{
    const LinkKind kind = linkKindOf(deviceKind);
    std::lock_guard lock(m_channel.ioLock());
    HidDevice& link = kind == LinkKind::Receiver ? m_channel.receiverLink() : m_channel.wiredLink();
    link.close();
    if (!link.open(path, true, true, true, false)) {
        debugTrace("command link cannot be opened: " + path);
        return false;
    }
    m_channel.setOpen(true);
    m_channel.setLinkMode(kind == LinkKind::Receiver ? 2 : 1);
    m_firmwareVersion = link.versionNumber();
    return true;
}

bool CQuellonUSBDevice::attachNotificationLink(const std::string& path, int deviceKind)
{
    const LinkKind kind = linkKindOf(deviceKind);
    NotificationLink& notify = notificationLink(kind);
    if (notify.reader)
        notify.reader->stop();
    {
        std::lock_guard lock(notify.lock);
        notify.link.close();
        notify.open = notify.link.open(path, true, true, true, false);
    }
    if (!notify.open)
        return false;
    if (!notify.reader) {
        notify.reader = std::make_unique<NotificationReader>(
            notify.link, [this, kind](const std::uint8_t* report, std::size_t length) {
                handleNotification(kind, report, length);
            });
    }
    notify.reader->start();
    return true;
}

void CQuellonUSBDevice::detachNotificationLink(int deviceKind)
{
    NotificationLink& notify = notificationLink(linkKindOf(deviceKind));
    if (notify.reader)
        notify.reader->stop();
    std::lock_guard lock(notify.lock);
    notify.open = false;
    notify.link.close();
}

void CQuellonUSBDevice::switchCommandLink(const std::string& path, LinkKind target)
{
    const unsigned generation = m_linkGeneration;
    runJob(kLinkLabel, [this, path, target, generation]() -> UiStep {
        const bool toWired = target == LinkKind::Wired;
        {
            std::lock_guard lock(m_channel.ioLock());
            // Unplugged since, or already on that link (a later switch came first): nothing to do.
            if (generation != m_linkGeneration || m_channel.receiverMode() != toWired)
                return {};
            HidDevice& link = toWired ? m_channel.wiredLink() : m_channel.receiverLink();
            link.close();
            if (!link.open(path, true, true, true, false)) {
                debugTrace("command link cannot be opened: " + path);
                // The receiver carries on when the cable cannot be opened; without the cable and
                // the receiver the mouse is gone.
                if (toWired)
                    return {};
                m_channel.setOpen(false);
                return [this] { reportOnline(false); };
            }
            m_channel.setOpen(true);
            m_channel.setLinkMode(toWired ? 1 : 2);
            m_firmwareVersion = link.versionNumber();
        }
        return toWired ? wiredAfterSwitch() : receiverAfterSwitch();
    });
}

// Worker: the cable took over from the receiver.
CQuellonUSBDevice::UiStep CQuellonUSBDevice::wiredAfterSwitch()
{
    runOnUiThread([this] { armSelectorTimer(kTimerFirstRead, kFirstReadDelayMs, true); });
    m_channel.sendReadyNotice();
    runOnUiThread([this] { reportOnline(true); });
    return m_wireless ? readPowerOnWorker() : UiStep{};
}

// Worker: the receiver took over from the cable.
CQuellonUSBDevice::UiStep CQuellonUSBDevice::receiverAfterSwitch()
{
    UiStep power;
    if (m_wireless) {
        for (int i = 0; i < kReceiverTries && m_channel.isOpen() && !m_channel.queryReceiverLink(); ++i)
            std::this_thread::sleep_for(kReceiverRetryPause);
        m_channel.sendReadyNotice();
        power = readPowerOnWorker();
    }
    runOnUiThread([this, power] {
        if (power)
            power();
        armSelectorTimer(kTimerKeepAlive, kKeepAliveRestartMs, true);
    });
    m_channel.beginConfig();
    return [this] { armSelectorTimer(kTimerLinkWatch, kLinkWatchFirstMs, true); };
}

void CQuellonUSBDevice::closeLinks()
{
    for (NotificationLink& notify : m_notify) {
        if (notify.reader)
            notify.reader->stop();
        std::lock_guard lock(notify.lock);
        notify.open = false;
        notify.link.close();
    }
    closeCommandLinks();
}

void CQuellonUSBDevice::closeCommandLinks()
{
    m_channel.setOpen(false);
    const std::size_t dropped = m_worker.cancelQueued();
    m_jobsInFlight = std::max(0, m_jobsInFlight - static_cast<int>(dropped));
    if (m_jobsInFlight == 0)
        emit workDone();
    {
        std::lock_guard lock(m_keysLock);
        m_queuedKeys.clear();
    }
    // Closing ends the worker's waiting exchange at once, which then lets go of the io lock; a
    // link switch that opened a link meanwhile is closed again under it.
    m_channel.wiredLink().close();
    m_channel.receiverLink().close();
    {
        std::lock_guard lock(m_channel.ioLock());
        ++m_linkGeneration;
        m_channel.setOpen(false);
        m_channel.wiredLink().close();
        m_channel.receiverLink().close();
    }
    queuedWorkDropped();
}

bool CQuellonUSBDevice::notificationLinkOpen(LinkKind kind) const
{
    return m_notify[kind == LinkKind::Receiver ? 1 : 0].open;
}

void CQuellonUSBDevice::setWindowHidden(bool hidden)
{
    const bool changed = hidden != m_windowHidden;
    m_windowHidden = hidden;
    // Lights the device shows from the host's frames go on whatever the window does.
    if (!changed || drivesDeviceLights())
        return;
    if (hidden)
        killSelectorTimer(kTimerLightFrame);
    else if (m_channel.isOpen())
        resumeLightFrames();
}

void CQuellonUSBDevice::resumeLightFrames()
{
    if (lightFramesAnnounced())
        pushLightFrame();
    else
        armSelectorTimer(kTimerLightFrame, lightFramePeriod(), false);
}

bool CQuellonUSBDevice::framesWanted() const
{
    return !m_windowHidden || drivesDeviceLights();
}

void CQuellonUSBDevice::lightFrameReady()
{
    if (framesWanted() && m_channel.isOpen())
        pushLightFrame();
}

const std::vector<LightModeEntry>& CQuellonUSBDevice::lightModes() const
{
    static const std::vector<LightModeEntry> kNone;
    return kNone;
}

void CQuellonUSBDevice::pushLightFrame()
{
    emit frameReady();
}

void CQuellonUSBDevice::setKeyColour(int index, std::uint32_t colour)
{
    if (index >= 0 && index < static_cast<int>(m_keyColours.size()))
        m_keyColours[index] = colour;
}

std::uint32_t CQuellonUSBDevice::getKeyColour(int index) const
{
    if (index < 0 || index >= static_cast<int>(m_keyColours.size()))
        return 0;
    return m_keyColours[index];
}

void CQuellonUSBDevice::runSelectorTimer(int id)
{
    switch (id) {
    case kTimerLightFrame:
        if (m_channel.isOpen())
            pushLightFrame();
        else
            killSelectorTimer(kTimerLightFrame);
        break;
    case kTimerFirstRead:
        runFirstRead();
        break;
    case kTimerReread:
        rereadSettings();
        break;
    case kTimerHookA:
        pollHookA();
        break;
    case kTimerHookB:
        pollHookB();
        break;
    case kTimerPower:
        readPowerStatus();
        if (m_wireless)
            armSelectorTimer(kTimerPower, kPowerPollMs, false);
        else
            killSelectorTimer(kTimerPower);
        break;
    case kTimerLinkWatch:
        watchLink();
        break;
    case kTimerKeepAlive:
        keepAlive();
        break;
    default:
        break;
    }
}

void CQuellonUSBDevice::readAll()
{
    runJob(kReadingLabel, [this] { return readAllOnWorker(); });
}

void CQuellonUSBDevice::rereadSettings()
{
    runJob(kReadingLabel, [this] { return rereadOnWorker(); }, "reread");
}

void CQuellonUSBDevice::readPowerStatus()
{
    runJob(kPowerLabel, [this] { return readPowerOnWorker(); }, "power");
}

void CQuellonUSBDevice::runFirstRead()
{
    const bool wasOnline = m_selector && m_selector->isOnline();
    runJob(kReadingLabel, [this, wasOnline] { return firstReadOnWorker(wasOnline); }, "first-read");
}

// Worker: the first read after arrival, or its retry while the receiver cannot reach the mouse.
CQuellonUSBDevice::UiStep CQuellonUSBDevice::firstReadOnWorker(bool wasOnline)
{
    const bool behindReceiver = m_channel.receiverMode() && m_channel.isOpen();
    if (behindReceiver) {
        if (!isLinkAlive()) {
            return [this, wasOnline] {
                if (wasOnline)
                    reportOnline(false);
                armSelectorTimer(kTimerFirstRead, kLinkRetryMs, true);
            };
        }
        runOnUiThread([this] {
            armSelectorTimer(kTimerKeepAlive, kKeepAliveStartMs, true);
            reportOnline(true);
        });
    }
    const UiStep shown = readAllOnWorker();
    m_channel.sendReadyNotice();
    return [this, shown] {
        if (shown)
            shown();
        if (framesWanted())
            resumeLightFrames();
        if (m_channel.receiverMode())
            armSelectorTimer(kTimerLinkWatch, kLinkWatchFirstMs, true);
    };
}

void CQuellonUSBDevice::watchLink()
{
    if (!m_channel.isOpen() || !m_channel.receiverMode())
        return;
    armSelectorTimer(kTimerLinkWatch, kLinkWatchMs, true);
    const bool online = m_selector && m_selector->isOnline();
    runJob(kLinkLabel, [this, online]() -> UiStep {
        if (!isLinkAlive())
            return online ? UiStep([this] { reportOnline(false); }) : UiStep{};
        // The mouse may have been out of reach for less than one watch: what waits goes now.
        if (online)
            return [this] { linkRestored(); };
        runOnUiThread([this] { reportOnline(true); });
        UiStep power;
        if (m_wireless) {
            m_channel.sendReadyNotice();
            power = readPowerOnWorker();
        }
        return [this, power] {
            if (power)
                power();
            linkRestored();
        };
    }, "link-watch");
}

// A device that never sleeps (a sleep time of 0) needs no keep-alive: the timer stops.
void CQuellonUSBDevice::keepAlive()
{
    runJob(kKeepAliveLabel, [this]() -> UiStep {
        m_channel.beginConfig();
        m_channel.endConfig();
        return {};
    }, "keep-alive");
    armKeepAlive();
}

void CQuellonUSBDevice::armKeepAlive()
{
    armSelectorTimer(kTimerKeepAlive, keepAliveMinutes() * kMinuteMs - kKeepAliveLeadMs, true);
}

void CQuellonUSBDevice::reportOnline(bool online)
{
    sendToMainWindow(WM_USB_MAINMESS_DEVICE_ONLINE, m_deviceIndex, online ? 1 : 0);
}

int CQuellonUSBDevice::lightFramePeriod() const
{
    if (m_channel.receiverMode())
        return kLightFrameReceiverMs;
    return drivesDeviceLights() ? kDeviceFrameMs : kPreviewFrameMs;
}

void CQuellonUSBDevice::handleNotification(LinkKind, const std::uint8_t*, std::size_t) {}

void CQuellonUSBDevice::runOnUiThread(std::function<void()> call)
{
    QMetaObject::invokeMethod(this, std::move(call), Qt::QueuedConnection);
}

bool CQuellonUSBDevice::runJob(const char* labelId, Job job, const char* key)
{
    std::string keyName = key ? key : "";
    if (key) {
        std::lock_guard lock(m_keysLock);
        if (!m_queuedKeys.insert(keyName).second)
            return false;
    }
    ++m_jobsInFlight;
    emit workQueued();
    m_worker.post(labelId, [this, job = std::move(job), keyName = std::move(keyName)] {
        if (!keyName.empty()) {
            std::lock_guard lock(m_keysLock);
            m_queuedKeys.erase(keyName);
        }
        UiStep step = job();
        // The object outlives its worker, so `this` is valid here; a call still queued when the
        // object goes is dropped by Qt.
        QMetaObject::invokeMethod(this, [this, step = std::move(step)] { finishJob(step); }, Qt::QueuedConnection);
    });
    return true;
}

void CQuellonUSBDevice::finishJob(const UiStep& step)
{
    m_jobsInFlight = std::max(0, m_jobsInFlight - 1);
    if (step)
        step();
    if (m_jobsInFlight == 0)
        emit workDone();
}

void CQuellonUSBDevice::askLater(const QString& textId, std::function<void(bool yes)> answered)
{
    if (!m_host) {
        answered(false);
        return;
    }
    m_host->askLater(textId, [alive = QPointer<CQuellonUSBDevice>(this), answered = std::move(answered)](bool yes) {
        if (alive)
            answered(yes);
    });
}

bool CQuellonUSBDevice::ask(const QString& textId)
{
    return m_host && m_host->ask(textId);
}

void CQuellonUSBDevice::showNotice(const QString& textId, std::optional<int> number)
{
    if (m_host)
        m_host->showNotice(textId, number);
}

void CQuellonUSBDevice::showPower(const std::uint8_t* record, std::size_t length)
{
    emit powerRead(QByteArray(reinterpret_cast<const char*>(record), static_cast<qsizetype>(length)));
}

void CQuellonUSBDevice::sendToMainWindow(std::uint32_t message, std::intptr_t wParam, std::intptr_t lParam)
{
    if (m_host)
        m_host->sendMessage(message, wParam, lParam);
}

void CQuellonUSBDevice::armSelectorTimer(int id, int ms, bool oneShot)
{
    if (m_selector)
        m_selector->setTimer(id, ms, oneShot);
}

void CQuellonUSBDevice::killSelectorTimer(int id)
{
    if (m_selector)
        m_selector->killTimer(id);
}

CQuellonUSBDevice::NotificationLink& CQuellonUSBDevice::notificationLink(LinkKind kind)
{
    return m_notify[kind == LinkKind::Receiver ? 1 : 0];
}

bool CQuellonUSBDevice::saveProfileRecord(CBasicProfiledata& record)
{
    if (record.SaveProfile())
        return true;
    ++m_failedSaves;
    showNotice(QStringLiteral("profile_write_failed_text"));
    return false;
}

std::vector<SettingInfo> CQuellonUSBDevice::settings()
{
    std::vector<SettingInfo> infos;
    if (!lightRecord())
        return infos;
    for (const LightSetting& setting : kLightSettings)
        infos.push_back(lightSettingInfo(setting, lightModes()));
    return infos;
}

SettingChange CQuellonUSBDevice::setSetting(std::string_view name, int value)
{
    const LightSetting* row = findLightSetting(name);
    const std::optional<LightInfo> light = row ? lightRecord() : std::nullopt;
    if (!light)
        return SettingChange::UnknownName;
    const std::optional<LightInfo> changed = withLightSetting(*row, *light, value, lightModes());
    if (!changed)
        return SettingChange::ValueRefused;
    applyLight(*changed);
    announceProfile();
    emit settingChanged(QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size())));
    return SettingChange::Done;
}

std::optional<int> CQuellonUSBDevice::setting(std::string_view name)
{
    const LightSetting* row = findLightSetting(name);
    const std::optional<LightInfo> light = row ? lightRecord() : std::nullopt;
    return light ? std::optional<int>(lightSettingValue(*row, *light)) : std::nullopt;
}

}  // namespace kestrion
