#pragma once

#include <QObject>
#include <QByteArray>
#include <QString>

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "device_link/command_channel.h"
#include "device_link/hid_device.h"
#include "devices/device_host.h"
#include "devices/device_selector.h"
#include "devices/device_worker.h"
#include "devices/light_modes.h"
#include "devices/light_settings.h"
#include "devices/lighting_preview.h"
#include "devices/notification_reader.h"

namespace kestrion {

enum class LinkKind { Wired, Receiver };

// The receiver kinds (6 and 9) use the receiver link; every other kind the wired one.
LinkKind linkKindOf(int deviceKind);

// What the device manager's model tables give a device object and its page.
class ProfileListStore;
class CBasicProfiledata;

struct DevicePageSetup {
    int deviceKind = 0;
    int lightCount = 0;
    int keyCount = 0;
    int previewLightIndex = -1;
    QString pageLayout;
    QString kindName;
    QString lightName;
    std::string dataFolder;
};

// One attached product. Owns the command channel, the two notification links and their reader
// threads, and the worker thread that carries every exchange on the command channel. Subclasses
// give the device's behaviour through the virtual operations. It has no widgets: a page shows
// what it announces, and it works the same whether or not a page is built or shown.
//
// The object lives on the UI thread; the operations marked "worker" run on the worker thread and
// hand what must change back as a step for the UI thread. The UI thread never waits for the
// device.
class CQuellonUSBDevice : public QObject {
    Q_OBJECT
public:
    explicit CQuellonUSBDevice(QObject* parent = nullptr);
    ~CQuellonUSBDevice() override;

    virtual QString controlClass() const;

    // Links, as the device manager hands them over.
    bool attachCommandLink(const std::string& path, int deviceKind);
    bool attachNotificationLink(const std::string& path, int deviceKind);
    void detachNotificationLink(int deviceKind);
    // The other form of the mouse came or went: the command channel moves to `path` on the
    // `target` link and the device is woken on it; queued to the worker. Nothing happens when the
    // links closed meanwhile or the channel is already on that link.
    void switchCommandLink(const std::string& path, LinkKind target);
    // The command interface went away: both command links closed, the running exchange ended and
    // the queued jobs dropped.
    void closeCommandLinks();
    // The product went away: readers stopped, every link closed.
    void closeLinks();
    // Device work waiting or running, results not yet shown.
    bool hasDeviceWork() const { return m_jobsInFlight > 0; }
    const DeviceWorker& worker() const { return m_worker; }
    CommandChannel& commandChannel() { return m_channel; }
    bool notificationLinkOpen(LinkKind kind) const;
    // The version number of the command link last opened (the receiver's while the mouse is
    // behind it); readable from any thread, 0 before any.
    int firmwareVersion() const { return m_firmwareVersion; }

    void setHost(DeviceHost* host) { m_host = host; }
    DeviceHost* host() const { return m_host; }
    void setDeviceIndex(int index) { m_deviceIndex = index; }
    int deviceIndex() const { return m_deviceIndex; }
    void setWireless(bool wireless) { m_wireless = wireless; }
    bool isWireless() const { return m_wireless; }
    void setSelectorEntry(DeviceSelector* entry) { m_selector = entry; }
    DeviceSelector* selectorEntry() const { return m_selector; }
    void setPageSetup(const DevicePageSetup& setup) { m_setup = setup; }
    const DevicePageSetup& pageSetup() const { return m_setup; }
    virtual void setModelValue(int value) { m_modelValue = value; }
    int modelValue() const { return m_modelValue; }
    // The main window hid to the tray (true) or showed again. Nobody sees the preview while
    // hidden, so its frame timer rests, unless the frames also light the device.
    virtual void setWindowHidden(bool hidden);
    bool windowHidden() const { return m_windowHidden; }

    // One tick of a selector entry timer.
    void runSelectorTimer(int id);

    // The virtual operations; the base does what a device without the feature needs.
    virtual void loadLightingPreview() {}
    // A new preview frame: by default it is only announced (previewFrame).
    virtual void pushLightFrame();
    // The preview's colours, one per LED: brightness in the top byte, then red, green, blue.
    virtual std::vector<std::uint32_t> previewColours() const { return m_keyColours; }
    // Preview colours of single LEDs, in the same form. An index past the LEDs changes nothing
    // and reads 0.
    virtual void setKeyColour(int index, std::uint32_t colour);
    virtual std::uint32_t getKeyColour(int index) const;
    // The number of LEDs the preview shows; set by whoever shows them.
    void setPreviewLightCount(int count) { m_keyColours.assign(static_cast<std::size_t>(count > 0 ? count : 0), 0); }
    // Synchronised lighting's colour for every LED, or none to go back to the device's own
    // effect; called from the light-sync thread. A device without a preview thread shows nothing.
    virtual void showSyncColour(const std::optional<KeyColour>&) {}
    // Whether this tool drives the device's lighting (another program may take it).
    void setLightControl(bool on) { m_lightControl = on; }
    bool lightControl() const { return m_lightControl; }
    // Device reads, queued to the worker; their results are shown when they are done.
    void readAll();
    void rereadSettings();
    void readPowerStatus();
    // After the system slept: the mouse behind a receiver may have dropped or come back meanwhile.
    void recheckLink() { watchLink(); }
    virtual void pollHookA() {}
    virtual void pollHookB() {}
    virtual int keepAliveMinutes() { return 1; }
    virtual void loadProfile() {}
    // The selected profile was loaded or changed as a whole: whatever shows it shows it again.
    void announceProfile() { emit profileLoaded(); }
    // The selected profile's lighting, for a device with lights of its own.
    virtual std::optional<LightInfo> lightRecord() { return std::nullopt; }
    // A lighting record for the selected profile: stored, saved, previewed and written.
    virtual void applyLight(const LightInfo&) {}
    // The device's profiles, for a device that keeps them; null before they are opened.
    virtual ProfileListStore* profileList() const { return nullptr; }
    // The profile list's selection changed: the profile is loaded, shown and written.
    virtual void applySelectedProfile() {}
    // The lighting modes of a device with lights of its own, and its kind as the editors take it.
    virtual const std::vector<LightModeEntry>& lightModes() const;
    virtual int deviceKind() const { return m_setup.deviceKind; }
    // The device's settings by name, as scripts and pages name them, with what each takes; a
    // device with lights of its own has the lighting's. A change takes the way every change of
    // the device takes (the profile record, the disk, the device), then settingChanged.
    virtual std::vector<SettingInfo> settings();
    virtual SettingChange setSetting(std::string_view name, int value);
    virtual std::optional<int> setting(std::string_view name);
    // How many times the profile document could not be written; a caller compares it before and
    // after a change to tell whether the change is on disk.
    unsigned failedSaves() const { return m_failedSaves; }

signals:
    // A job was queued; the busy display follows the worker from here until no work is left.
    void workQueued();
    // No work is left: every result was shown, or the links closed under the queued jobs.
    void workDone();
    // A new preview frame is ready (previewColours, or the device's own frame).
    void frameReady();
    // The device's power record was read.
    void powerRead(const QByteArray& record);
    // The selected profile was loaded or changed as a whole: whatever shows it shows it again.
    void profileLoaded();
    // A setting changed by name (setSetting, or the page's control for it).
    void settingChanged(const QString& name);

protected:
    // What a job hands back to the UI thread.
    using UiStep = std::function<void()>;
    using Job = std::function<UiStep()>;

    // Worker: the device's side of readAll, rereadSettings and readPowerStatus.
    virtual UiStep readAllOnWorker() { return {}; }
    virtual UiStep rereadOnWorker() { return {}; }
    virtual UiStep readPowerOnWorker() { return {}; }
    // Worker: whether the device answers behind its receiver.
    virtual bool isLinkAlive() { return true; }
    // The receiver reaches the device again (the link watch saw it come back).
    virtual void linkRestored() {}
    // The links closed: the queued jobs were dropped and the running one fails.
    virtual void queuedWorkDropped() {}

    // Queues a job; `labelId` is the text id the busy display shows. A job with a `key` is not
    // queued again while one with the same key waits (periodic polls, a coalesced write); it may
    // be queued while the earlier one runs. False when it was not queued.
    bool runJob(const char* labelId, Job job, const char* key = nullptr);
    // The worker's progress, shown by the busy display.
    void setJobProgress(std::size_t done, std::size_t total) { m_worker.setProgress(done, total); }
    // Stops the worker: the most derived destructor calls it before its own members go.
    void stopDeviceWork();
    void showNotice(const QString& textId, std::optional<int> number = std::nullopt);
    bool ask(const QString& textId);
    // A question whose answer comes later; none comes once this object is gone. Without a host
    // the answer is no.
    void askLater(const QString& textId, std::function<void(bool yes)> answered);
    void showPower(const std::uint8_t* record, std::size_t length);
    // Writes the profile document; a failure is counted and told (the user would lose the change
    // at the next start).
    bool saveProfileRecord(CBasicProfiledata& record);

    // Called on the link's reader thread for every report.
    virtual void handleNotification(LinkKind link, const std::uint8_t* report, std::size_t length);
    // Runs a call on the UI thread, after the current one; dropped when this object is gone. From
    // a job it shows something ahead of the job's end.
    void runOnUiThread(std::function<void()> call);
    void sendToMainWindow(std::uint32_t message, std::intptr_t wParam, std::intptr_t lParam);
    void armSelectorTimer(int id, int ms, bool oneShot);
    // Arms the next keep-alive, 10 s before the device would fall asleep.
    void armKeepAlive();
    void killSelectorTimer(int id);
    // A device whose preview runs on a lighting thread is told of each new frame and pushes it
    // then (lightFrameReady, posted by the thread); the others poll their preview on a timer.
    virtual bool lightFramesAnnounced() const { return false; }
    // Whether pushed frames also go to the device's own lights (they then follow the display).
    virtual bool drivesDeviceLights() const { return false; }
    void lightFrameReady();
    int lightFramePeriod() const;
    // Somebody sees the frames: the window, or the device's own lights.
    bool framesWanted() const;

private:
    struct NotificationLink {
        HidDevice link;
        std::recursive_mutex lock;
        bool open = false;
        std::unique_ptr<NotificationReader> reader;
    };

    NotificationLink& notificationLink(LinkKind kind);
    void runFirstRead();
    UiStep firstReadOnWorker(bool wasOnline);
    UiStep wiredAfterSwitch();
    UiStep receiverAfterSwitch();
    void watchLink();
    void keepAlive();
    void reportOnline(bool online);
    // Pushes the current frame and follows the next ones, after the window shows or a first read.
    void resumeLightFrames();
    void finishJob(const UiStep& step);

    CommandChannel m_channel;
    std::array<NotificationLink, 2> m_notify;
    DeviceHost* m_host = nullptr;
    DeviceSelector* m_selector = nullptr;
    DevicePageSetup m_setup;
    std::vector<std::uint32_t> m_keyColours;
    int m_deviceIndex = -1;
    int m_modelValue = 0;
    bool m_wireless = false;
    bool m_windowHidden = false;
    std::atomic<bool> m_lightControl{true};
    int m_jobsInFlight = 0;
    unsigned m_failedSaves = 0;
    // Counts the closings of the command links; a switch queued before one does nothing.
    std::atomic<unsigned> m_linkGeneration{0};
    std::atomic<int> m_firmwareVersion{0};
    std::mutex m_keysLock;
    std::set<std::string> m_queuedKeys;
    // Last: its thread runs jobs that use the members above, so it goes first.
    DeviceWorker m_worker;
};

}  // namespace kestrion
