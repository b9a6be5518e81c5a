#pragma once

#include <QString>

#include <memory>
#include <mutex>
#include <optional>
#include <string_view>
#include <utility>
#include <vector>

#include "devices/audio_light.h"
#include "devices/lighting_thread.h"
#include "devices/mouse_setting_table.h"
#include "devices/mouse_settings.h"
#include "devices/usb_device.h"
#include "profiles/mouse_profile_data.h"
#include "profiles/profile_list_store.h"

namespace kestrion {

// The Z880-ZIR mouse, by cable or through its receiver: reads its information block, key table
// and settings page, keeps them in the selected profile, writes every change back and follows the
// mouse's own profile and DPI-stage changes. Each change goes one way: into the profile record,
// onto the disk, to the worker, then announced.
class CQuellonMouseDevice : public CQuellonUSBDevice {
    Q_OBJECT
public:
    static constexpr int kStageRows = 7;

    explicit CQuellonMouseDevice(QObject* parent = nullptr);
    ~CQuellonMouseDevice() override;

    QString controlClass() const override;
    void setModelValue(int value) override;
    void setWindowHidden(bool hidden) override;

    // Opens the profiles kept in the setup's data folder and loads the lighting modes; once,
    // after the setup is given and before any link.
    void prepare();
    void loadLightingPreview() override;
    void setKeyColour(int index, std::uint32_t colour) override;
    std::uint32_t getKeyColour(int index) const override;
    void showSyncColour(const std::optional<KeyColour>& colour) override;
    std::vector<std::uint32_t> previewColours() const override;
    int keepAliveMinutes() override;
    void loadProfile() override;
    // The factory settings into the record, saved, shown.
    void reloadProfile();

    // Queues the record's settings to the device as page 0. Writes queued while an earlier one
    // waits become one, with the latest settings. One that fails leaves the settings pending:
    // that is announced, and they are written when the mouse is back.
    void writeSettingsToDevice();
    // The mouse's settings (kMouseSettings) and its lighting's.
    std::vector<SettingInfo> settings() override;
    // A setting by name at a value a user reads: into the profile, saved, announced and, unless
    // the profile alone keeps it, written to the mouse.
    SettingChange setSetting(std::string_view name, int value) override;
    // The same with the profile's word as the page's controls give it (a position or a value).
    SettingChange setSettingWord(std::string_view name, int word);
    // Its value in the selected profile; none for an unknown name or a word it does not know.
    std::optional<int> setting(std::string_view name) override;
    MouseSystemStages systemSettings() { return m_record.GetSystemStages(); }

    // The DPI the sensor offers, lowest and highest; none before the mouse told its sensor.
    std::optional<std::pair<int, int>> dpiRange() const;
    // The sensor's highest step; negative before the mouse told its sensor.
    int highestStep() const;
    int dpiFromSlider(int slider) const;
    int sliderFromDpi(int dpi) const;
    std::vector<DpiStage> dpiStages() { return m_record.GetDpiStages(); }
    int currentStage() { return m_record.GetCurrentStage(); }
    // Stage n (0-based) at that DPI (rounded to the sensor's step): into the profile, saved,
    // announced and written. False, and nothing changed, for a stage or DPI the mouse does not have.
    bool setDpiStage(int stage, int dpi);
    // The same with the sensor's step, as the page's sliders give it.
    bool setStageStep(int stage, int step);
    // Stage n becomes the current one (and so an active one).
    bool selectStage(int stage);
    bool setStageActive(int stage, bool active);
    // A DPI stage's colour chosen by the user: stored, saved, written and announced.
    void setStageColour(int stage, std::uint8_t red, std::uint8_t green, std::uint8_t blue);

    // A game's event lights the mouse for a moment: one field of the profile's lighting replaced
    // (0 the mode, 1 the colour as 0xRRGGBB, 2 the brightness) and sent, the profile left as it
    // is. False, and nothing sent, for another field or a value the field cannot hold.
    bool showGameLight(int field, int value);
    // Queues the whole profile to the device: its macros, its key table, its settings, in that
    // order. Failures are told; what did not reach the mouse stays pending as above.
    void applyProfileToDevice();
    bool settingsPending() const { return m_pending != Pending::None; }
    // Marks the device initialised and, when that was written, starts the first read.
    void writeDeviceInfoAndStart();

    // A lighting record: stored, saved, written to the mouse and previewed.
    void applyLight(const LightInfo& light) override;
    std::optional<LightInfo> lightRecord() override;
    const std::vector<LightModeEntry>& lightModes() const override { return m_modes; }
    // An audio-light record: stored, saved and shown by the preview.
    void applyAudioLight(const AudioLightInfo& light);
    AudioLightInfo audioLightRecord() { return m_record.GetAudioLightInfo(); }
    // A block of the audio companion's band levels: in an audio mode of the profile's
    // audio-light record the preview shows them instead of the lighting effect.
    void showAudioLevels(const audio::Bands& bands, const audio::Loudness& loudness);
    // The custom lighting lists of the data folder, where their editor keeps them.
    std::string lightConfigPath() const;
    // The lists changed on disk: the preview plays them as they now stand.
    void reloadCustomLists();
    // Queues the four shoot patterns of the data folder to the mouse; a failure is told.
    void writeShootPatterns();

    // The selected profile changed (switched, added, deleted, reset): it is loaded, announced and
    // written to the device.
    void applySelectedProfile() override;

    // The record's key list, one entry per button.
    std::vector<KeyEntry> keyList() { return m_record.GetKeyList(); }
    // Button n's assignment into the record, saved to the profile; the mouse gets it with
    // saveKeysToDevice.
    bool setKey(int key, const KeyEntry& entry);
    // Whether button n is the mouse's last left button, which it must keep.
    bool isLastLeftButton(int key);
    // Writes the macros and then the key table on the worker; the outcome is told (keysWritten).
    // Macros that do not fit are told and nothing is written (macrosDidNotFit).
    void saveKeysToDevice();
    // The macro library dropped macro `index`: the keys that played later ones follow, here and
    // on the mouse.
    void followRemovedMacro(int index);

    CMouseProfiledata& profile() { return m_record; }
    ProfileListStore* profileList() const override { return m_profiles.get(); }
    // The information block as last read.
    const DeviceInfoBlock& deviceInfo() const { return m_info; }
    const std::vector<int>& modeCodes() const { return m_modeCodes; }
    const PowerRecord& powerRecord() const { return m_power; }
    const LightingThread& lighting() const { return m_lighting; }

signals:
    // The record's settings or DPI stages changed by a change of this tool's.
    void settingsChanged();
    // The mouse told its sensor: the DPI range is known.
    void sensorRead();
    // Changes wait for the mouse (true) or all reached it.
    void pendingChanged(bool pending);
    // The key list was loaded or replaced (a read, another profile, a renumbering).
    void keysLoaded();
    // A key write ended, written or told as failed.
    void keysWritten();
    // The macros the keys play do not fit the mouse; nothing was written.
    void macrosDidNotFit();

protected:
    bool lightFramesAnnounced() const override { return true; }
    UiStep readAllOnWorker() override;
    UiStep rereadOnWorker() override;
    UiStep readPowerOnWorker() override;
    bool isLinkAlive() override;
    void linkRestored() override;
    void queuedWorkDropped() override;
    void handleNotification(LinkKind link, const std::uint8_t* report, std::size_t length) override;

private:
    // What has not reached the mouse yet; a profile includes its settings.
    enum class Pending { None, Settings, Profile };
    struct ProfileWrite {
        int macros = 0;  // the macro write's result: 0, -1 link failure, or a positive count
        int keys = kCommandOk;
        int settings = kCommandOk;
    };

    void showReadPage(const SettingsPage& page, std::uint8_t profile);
    void offerPendingFromLastRun(const SettingsPage& page, std::uint8_t profile);
    void writePending();
    void restorePending();
    void rememberPending();
    ProfileWrite writeProfileOnWorker(const std::vector<KeyEntry>& keys);
    void settingsWritten(int result, bool behindReceiver);
    void profileWritten(const ProfileWrite& result);
    void showPending(Pending pending);
    void stageSettingsForWrite();
    void queueSettingsWrite();
    SettingsPage stagedSettings();
    void writeQueued(Pending kind);
    bool writeFinished(unsigned generation);
    void keepNotifiedPage(const MouseNotification& notification);
    void applyNotification(const MouseNotification& notification);
    SettingChange storeWord(const MouseSetting& row, std::uint16_t word);
    bool storeStages(const std::vector<DpiStage>& stages);
    void saveRecord();
    void macrosWrittenForKeys(int result, const std::vector<KeyEntry>& keys);
    void keysWrittenToDevice(int result);
    void shootWritten(int result);

    // Used by the worker only.
    MouseSettingsLink m_settings;
    // Guards the settings the next queued write sends (set by the UI thread).
    std::mutex m_writeLock;
    SettingsPage m_settingsToWrite{};
    DeviceInfoBlock m_info;
    Pending m_pending = Pending::None;
    bool m_pendingFromLastRun = false;
    bool m_questionOpen = false;
    // Writes queued and not yet answered, the most a dropped one would leave pending, and the
    // count of times the links closed under them (older answers are given up).
    int m_writeJobs = 0;
    Pending m_queuedWrite = Pending::None;
    unsigned m_writeGeneration = 0;
    CMouseProfiledata m_record;
    LightingThread m_lighting;
    AudioLightPainter m_audioLight;
    bool m_lightingWanted = false;
    std::unique_ptr<ProfileListStore> m_profiles;
    PowerRecord m_power;
    // Set once by prepare, before any job runs; the worker reads the codes from then on.
    std::vector<LightModeEntry> m_modes;
    std::vector<int> m_modeCodes;
};

}  // namespace kestrion
