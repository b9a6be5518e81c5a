#pragma once

#include <QString>

#include <array>
#include <atomic>
#include <memory>
#include <mutex>
#include <vector>

#include "devices/event_container.h"
#include "devices/frame_streamer.h"
#include "devices/keyboard_reactive.h"
#include "devices/keyboard_settings.h"
#include "devices/usb_device.h"
#include "profiles/keyboard_profile_data.h"
#include "profiles/profile_list_store.h"

namespace kestrion {

// A keyboard with per-key lighting, by cable (kind 1) or through its receiver (kind 9): its
// settings page, both key tables and the five light tables read from it, its lighting written
// back, the host-driven modes streamed frame by frame over the cable, its keys and macros
// written, and its profiles.
class CQuellonKeyboardDevice : public CQuellonUSBDevice {
    Q_OBJECT
public:
    static constexpr int kRereadDelayMs = 50;
    static constexpr std::size_t kMaxMacroEvents = 60;
    // The keys a frame covers at least: a full-size keyboard's.
    static constexpr std::size_t kFullSizeKeys = 104;

    explicit CQuellonKeyboardDevice(QObject* parent = nullptr);
    ~CQuellonKeyboardDevice() override;

    QString controlClass() const override;
    void setModelValue(int value) override;

    // Opens the profiles kept in the setup's data folder and loads the lighting modes; once,
    // after the setup is given and before any link.
    void prepare();
    void loadLightingPreview() override;
    void pushLightFrame() override;
    void loadProfile() override;
    ProfileListStore* profileList() const override { return m_profiles.get(); }
    const std::vector<LightModeEntry>& lightModes() const override { return m_modes; }

    // A lighting record edited on the page: stored, saved, previewed and written to the keyboard.
    void applyLight(const LightInfo& light) override;
    std::optional<LightInfo> lightRecord() override;
    // Queues the page image to the keyboard as page n; writes queued while one waits become one.
    void writeSettingsPage(int page);
    // The selected profile changed: loaded, shown and written to the keyboard with its keys.
    void applySelectedProfile() override;
    // Queues a key table (three bytes per key slot) to the keyboard.
    void writeKeys(const KeyboardLink::KeyTable& table);
    // Queues the macros as one event container; false (nothing queued) when a macro holds more
    // than kMaxMacroEvents events or the container does not fit the keyboard's macro area.
    bool writeMacros(const std::vector<EventList>& macros);
    // Queues profile index's light table (three bytes per key slot).
    void writeLightTable(const KeyboardLink::LightTable& table, int index);

    // In the per-key mode key slot n takes the lighting's colour in the active profile's light
    // table, on the keyboard too; the other modes leave the table alone.
    void paintKey(int slot);
    // The record's key list, one entry per key slot.
    std::vector<KeyEntry> keyList();
    // Key slot n's assignment into the record, saved to the profile; the keyboard gets it with
    // saveKeysToDevice.
    void setKey(int slot, const KeyEntry& key);
    // Writes the macros the keys play and then the key table on the worker; the outcome is told
    // (keysWritten). Macros that do not fit are told and nothing is written (macrosDidNotFit).
    void saveKeysToDevice();
    // The macro library dropped macro `index`: the keys that played later ones follow, here and
    // on the keyboard.
    void followRemovedMacro(int index);
    // The key colours of the latest frame, in slot order.
    const std::vector<KeyColour>& frameKeys() const { return m_frameKeys; }

    CKeyboardProfiledata& profile() { return m_record; }
    const KeyboardPage& pageImage() const { return m_page; }
    const KeyboardLink::Info& deviceInfo() const { return m_info; }
    const KeyboardLink::KeyTable& keyTable() const { return m_keys; }
    const KeyboardLink::KeyTable& secondKeyTable() const { return m_keys2; }
    const std::vector<KeyboardLink::LightTable>& lightTables() const { return m_lightTables; }
    const std::vector<int>& modeCodes() const { return m_modeCodes; }
    std::size_t keySlots() const;

signals:
    // The key list was loaded or replaced (a read, another profile, a renumbering).
    void keysLoaded();
    // A key write ended, written or told as failed.
    void keysWritten();
    // The macros the keys play do not fit the keyboard; nothing was written.
    void macrosDidNotFit();

protected:
    UiStep readAllOnWorker() override;
    UiStep rereadOnWorker() override;
    UiStep readPowerOnWorker() override;
    bool isLinkAlive() override;
    void handleNotification(LinkKind link, const std::uint8_t* report, std::size_t length) override;
    // The host-driven modes stream each frame to the keyboard.
    bool drivesDeviceLights() const override { return true; }

private:
    void adoptDeviceKeys();
    void macrosWrittenForKeys(int result, const KeyboardLink::KeyTable& table);
    void keysWrittenToDevice(int result, const KeyboardLink::KeyTable& table);
    const KeyboardLink::LightTable& activeLightTable() const;
    void storePage(const KeyboardPage& page, std::uint8_t profile);
    void showDeviceState(std::uint8_t profile, std::optional<std::uint8_t> lightValue);
    void saveRecord();
    void writeFailed(int result);
    int currentModeCode() const;
    bool streaming();
    bool sendFrame(const FrameStreamer::Frame& frame);
    KeyboardPage stagedPage();
    void queueWrite(const char* key, std::function<int()> write);

    // Used by the worker only.
    KeyboardLink m_link;
    // Guards the bytes the next queued write sends.
    std::mutex m_stagedLock;
    KeyboardPage m_staged{};
    KeyboardPage m_page{};
    std::uint8_t m_activeProfile = 0;
    KeyboardLink::Info m_info{};
    KeyboardLink::KeyTable m_keys{};
    KeyboardLink::KeyTable m_keys2{};
    std::vector<KeyboardLink::LightTable> m_lightTables;
    std::array<std::uint8_t, keyboard_memory::kPowerLength> m_power{};
    CKeyboardProfiledata m_record;
    std::unique_ptr<ProfileListStore> m_profiles;
    // Set once by prepare, before any job runs; the worker reads it from then on.
    std::vector<int> m_modeCodes;
    std::vector<LightModeEntry> m_modes;
    // Set by a 0x0402 notice; the next reread takes it.
    std::atomic<bool> m_changePending{false};
    // The key slots of the information block last read, for the worker.
    std::atomic<std::size_t> m_slotCount{0};
    // The mode the notification threads compare with (the record's, as a position).
    std::atomic<int> m_lightMode{0};
    LightInfo m_light{};
    // The reactive and ripple effects' buffers; used on the UI thread.
    KeyboardReactive m_reactive;
    std::vector<KeyColour> m_frameKeys;
    FrameStreamer m_streamer;
};

}  // namespace kestrion
