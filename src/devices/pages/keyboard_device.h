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
#include "devices/pages/paged_device.h"
#include "profiles/keyboard_profile_data.h"
#include "profiles/profile_list_store.h"

namespace kestrion::ui {
class CLightControlUI;
}

namespace kestrion {

class CKeySetControlUI;
class KeyboardLayoutView;

// A keyboard with per-key lighting, by cable (kind 1) or through its receiver (kind 9): its
// settings page, both key tables and the five light tables read from it, its lighting written
// back, the host-driven modes streamed frame by frame over the cable, its keys and macros edited
// and written, and its profiles.
class CQuellonKeyboardDevice : public PagedUSBDevice {
    Q_OBJECT
public:
    static constexpr int kRereadDelayMs = 50;
    static constexpr std::size_t kMaxMacroEvents = 60;

    explicit CQuellonKeyboardDevice(QObject* parent = nullptr);
    ~CQuellonKeyboardDevice() override;

    QString controlClass() const override;
    void setModelValue(int value) override;

    void initPage() override;
    void loadLightingPreview() override;
    void pushLightFrame() override;
    void loadProfile() override;
    void refreshPage() override;
    ui::CDeviceProfileUI* profileSelector() const override;

    // A lighting record edited on the page: stored, saved, previewed and written to the keyboard.
    void applyLight(const LightInfo& light) override;
    std::optional<LightInfo> lightRecord() override;
    // Queues the page image to the keyboard as page n; writes queued while one waits become one.
    void writeSettingsPage(int page);
    // The selected profile changed: loaded, shown and written to the keyboard with its keys.
    void applySelectedProfile();
    // Queues a key table (three bytes per key slot) to the keyboard.
    void writeKeys(const KeyboardLink::KeyTable& table);
    // Queues the macros as one event container; false (nothing queued) when a macro holds more
    // than kMaxMacroEvents events or the container does not fit the keyboard's macro area.
    bool writeMacros(const std::vector<EventList>& macros);
    // Queues profile index's light table (three bytes per key slot).
    void writeLightTable(const KeyboardLink::LightTable& table, int index);

    // The keys tab: the drawn layout picks the key slot the key editor shows.
    CKeySetControlUI* keyEditor() const { return m_keyEditor; }
    CMacroControlUI* macroPage() const override { return m_macroPage; }
    bool routeKeyEditor(const QString& type, const QString& name) override;
    void keyCaptured(const CapturedInput& input) override;
    void setKeyCapturePaused(bool paused) override;
    QWidget* functionTabs() const override;
    // Opens the key editor on key slot n.
    void selectKey(int slot);
    int selectedKey() const { return m_selectedKey; }
    // The editor's code into the selected slot of the record, saved to the profile.
    void applyKeyEdit();
    bool keysChanged() const { return m_keysChanged; }
    // Writes the macros the keys play and then the key table on the worker; the outcome is told.
    void saveKeysToDevice();
    // The record's key list, one entry per key slot.
    std::vector<KeyEntry> keyList();

    ui::CLightControlUI* lightEditor() const override { return m_lightEditor; }
    CKeyboardProfiledata& profile() { return m_record; }
    ProfileListStore* profileList() const { return m_profiles.get(); }
    const KeyboardPage& pageImage() const { return m_page; }
    const KeyboardLink::Info& deviceInfo() const { return m_info; }
    const KeyboardLink::KeyTable& keyTable() const { return m_keys; }
    const KeyboardLink::KeyTable& secondKeyTable() const { return m_keys2; }
    const std::vector<KeyboardLink::LightTable>& lightTables() const { return m_lightTables; }
    const std::vector<int>& modeCodes() const { return m_modeCodes; }
    std::size_t keySlots() const;

protected:
    UiStep readAllOnWorker() override;
    UiStep rereadOnWorker() override;
    UiStep readPowerOnWorker() override;
    bool isLinkAlive() override;
    void handleNotification(LinkKind link, const std::uint8_t* report, std::size_t length) override;
    // The host-driven modes stream each frame to the keyboard.
    bool drivesDeviceLights() const override { return true; }

private:
    void bindLightEditor();
    void bindProfileSelector();
    void bindLayoutView();
    void paintKey(int slot);
    void layoutKeyClicked(int slot);
    // The keys tab and the macro page.
    void bindKeyEditor();
    void bindMacroPage();
    bool routeKeyEditorClick(const QString& name);
    bool routeKeyEditorList(const QString& name);
    bool routeKeyEditorFocus(bool focused, const QString& name);
    void adoptDeviceKeys();
    void reloadKeyEditor();
    void markKeysChanged(bool changed);
    void loadMacroNames();
    void followRemovedMacro(int index);
    QString chooseMacroFile(bool save);
    void macrosWrittenForKeys(int result, const KeyboardLink::KeyTable& table);
    void keysWritten(int result, const KeyboardLink::KeyTable& table);
    const KeyboardLink::LightTable& activeLightTable() const;
    void loadLightModes();
    void storePage(const KeyboardPage& page, std::uint8_t profile);
    void showDeviceState(std::uint8_t profile, std::optional<std::uint8_t> lightValue);
    void saveRecord();
    void writeFailed(int result);
    int currentModeCode() const;
    bool streaming();
    bool sendFrame(const FrameStreamer::Frame& frame);
    KeyboardPage stagedPage();
    void queueWrite(const char* key, std::function<int()> write);
    template <typename T>
    T* control(const QString& name) const;

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
    // Set once when the page is built, before any job runs; the worker reads it from then on.
    std::vector<int> m_modeCodes;
    // Set by a 0x0402 notice; the next reread takes it.
    std::atomic<bool> m_changePending{false};
    // The key slots of the information block last read, for the worker.
    std::atomic<std::size_t> m_slotCount{0};
    // The mode the notification threads compare with (the record's, as a position).
    std::atomic<int> m_lightMode{0};
    LightInfo m_light{};
    // The reactive and ripple effects' buffers; used on the UI thread.
    KeyboardReactive m_reactive;
    FrameStreamer m_streamer;
    ui::CLightControlUI* m_lightEditor = nullptr;
    KeyboardLayoutView* m_layoutView = nullptr;
    CKeySetControlUI* m_keyEditor = nullptr;
    CMacroControlUI* m_macroPage = nullptr;
    int m_selectedKey = -1;
    bool m_keysChanged = false;
};

template <typename T>
T* CQuellonKeyboardDevice::control(const QString& name) const
{
    return page() ? page()->findChild<T*>(name) : nullptr;
}

}  // namespace kestrion
