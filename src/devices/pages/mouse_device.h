#pragma once

#include <QString>
#include <QStringList>

#include <memory>
#include <mutex>
#include <vector>

#include "devices/audio_light.h"
#include "devices/lighting_thread.h"
#include "devices/mouse_setting_table.h"
#include "devices/mouse_settings.h"
#include "devices/pages/paged_device.h"
#include "pages/key_editor_router.h"
#include "editors/custom_light_lists.h"
#include "profiles/mouse_profile_data.h"
#include "profiles/profile_list_store.h"
#include "platform/input_capture.h"

class QAbstractButton;
class QListWidget;

namespace kestrion::ui {
class CDeviceProfileUI;
class CLightControlUI;
class CShootControlUI;
}
class QComboBox;
class QLineEdit;
class QSlider;

namespace kestrion {

class CMacroControlUI;

class CKeySetControlUI;

// The Z880-ZIR mouse, by cable or through its receiver: reads its information block, key table
// and settings page, shows them on its page, writes the page's settings back and follows the
// mouse's own profile and DPI-stage changes.
class CQuellonMouseDevice : public PagedUSBDevice {
    Q_OBJECT
public:
    static constexpr int kStageRows = 7;

    explicit CQuellonMouseDevice(QObject* parent = nullptr);
    ~CQuellonMouseDevice() override;

    QString controlClass() const override;
    void setModelValue(int value) override;
    void setWindowHidden(bool hidden) override;

    void initPage() override;
    void loadLightingPreview() override;
    void setKeyColour(int index, std::uint32_t colour) override;
    std::uint32_t getKeyColour(int index) const override;
    void showSyncColour(const std::optional<KeyColour>& colour) override;
    std::vector<std::uint32_t> previewColours() const override;
    int keepAliveMinutes() override;
    void loadProfile() override;
    void refreshPage() override;
    // The factory settings into the record, saved, shown.
    void reloadProfile();

    // Reads the page's settings controls back into the profile record.
    void collectPage();
    // Queues the record's settings to the device as page 0. Writes queued while an earlier one
    // waits become one, with the latest settings. One that fails leaves the settings pending:
    // the page says so, and they are written when the mouse is back.
    void writeSettingsToDevice();
    // A performance setting by name (kMouseSettings): into the profile, saved, shown and written
    // to the mouse, as a change on the page is.
    SettingChange setSetting(std::string_view name, int value);
    // Its value in the selected profile; none for an unknown name or a word it does not know.
    std::optional<int> setting(std::string_view name);
    // The DPI the sensor offers, lowest and highest; none before the mouse told its sensor.
    std::optional<std::pair<int, int>> dpiRange() const;
    // Stage n (0-based) at that DPI (the step rounds as the page does): into the profile, saved,
    // shown and written to the mouse. False, and nothing changed, for a stage or DPI the mouse
    // does not have.
    bool setDpiStage(int stage, int dpi);
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
    // Macro names, light modes and custom lighting names for the page's editors.
    void fillPageLists();

    int dpiFromSlider(int slider) const;
    int sliderFromDpi(int dpi) const;
    // Makes stage n the current one on the page (its select box alone ticked).
    void selectStage(int stage);
    // A DPI typed into stage row n's edit box: limited, moved onto the slider, shown converted.
    void applyDpiEdit(int stage);

    // The lighting editor on the page, when the skin has one.
    ui::CLightControlUI* lightEditor() const override { return m_lightEditor; }
    // A lighting record edited on the page: stored, saved, written to the mouse and previewed.
    void applyLight(const LightInfo& light) override;
    std::optional<LightInfo> lightRecord() override;
    // An audio-light record edited on the page: stored, saved and shown by the preview.
    void applyAudioLight(const AudioLightInfo& light);
    // A block of the audio companion's band levels: in an audio mode of the profile's
    // audio-light record the preview shows them instead of the lighting effect.
    void showAudioLevels(const audio::Bands& bands, const audio::Loudness& loudness);
    // A DPI stage's colour chosen by the user: stored, saved, written and shown.
    void setStageColour(int stage, std::uint8_t red, std::uint8_t green, std::uint8_t blue);
    // Queues the four shoot patterns of the data folder to the mouse; a failure is told.
    void writeShootPatterns();
    // The shoot page, when the skin has one.
    ui::CShootControlUI* shootControl() const;

    // The profile selector on the page, when the skin has one.
    ui::CDeviceProfileUI* profileSelector() const override;
    // The selected profile changed (switched, added, deleted, reset): it is loaded, shown and
    // written to the device.
    void applySelectedProfile() override;

    CMouseProfiledata& profile() { return m_record; }
    ProfileListStore* profileList() const override { return m_profiles.get(); }
    // The information block as last read.
    const DeviceInfoBlock& deviceInfo() const { return m_info; }
    const std::vector<int>& modeCodes() const { return m_modeCodes; }
    const std::vector<QString>& modeNames() const { return m_modeNames; }
    const std::vector<QString>& macroNames() const { return m_macroNames; }
    const PowerRecord& powerRecord() const { return m_power; }
    const LightingThread& lighting() const { return m_lighting; }

    // The macro page, when the skin has one and the device has a data folder.
    CMacroControlUI* macroPage() const override { return m_macroPage; }

    // The buttons tab: the key list and the key assignment editor.
    CKeySetControlUI* keyEditor() const { return m_keyEditor; }
    // Handles a notification of the key editor's controls or of a key picture ("key_" n); false
    // for any other control.
    bool routeKeyEditor(const QString& type, const QString& name) override;
    // Opens the editor on key n, unless it is the mouse's last left button (which it must keep).
    void selectKey(int key);
    int selectedKey() const { return m_selectedKey; }
    // The editor's code into the selected key of the record and the key list; marks it changed.
    void applyKeyEdit();
    bool keysChanged() const { return m_keysChanged; }
    // Writes the macros and then the key table on the worker, with the busy display showing
    // which and how far; the outcome is told and the profile saved.
    void saveKeysToDevice();
    // A key event of the main window's input capture while the key edit has the focus.
    void keyCaptured(const CapturedInput& input) override;
    void setKeyCapturePaused(bool paused) override;
    QWidget* functionTabs() const override;
    QStringList keyListLines() const;

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
    struct StageRow {
        QSlider* slider = nullptr;
        QLineEdit* edit = nullptr;
        QAbstractButton* enable = nullptr;
        QAbstractButton* select = nullptr;
        QWidget* colour = nullptr;
    };

    // What has not reached the mouse yet; a profile includes its settings.
    enum class Pending { None, Settings, Profile };
    struct ProfileWrite {
        int macros = 0;  // the macro write's result: 0, -1 link failure, or a positive count
        int keys = kCommandOk;
        int settings = kCommandOk;
    };

    std::vector<int> modeCodesForWorker();
    void showReadPage(const SettingsPage& page, std::uint8_t profile);
    bool keepPendingAfterRestart(const SettingsPage& page);
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
    void bindControls();
    void bindShootPage();
    void shootWritten(int result);
    void openFirstTab(ui::CDeviceProfileUI& selector);
    void applyNotification(const MouseNotification& notification);
    void applySliderRanges();
    void showStages();
    void showDpi(int stage);
    void showSystemSettings(const MouseSystemStages& system);
    void collectStages();
    void collectSystemSettings(MouseSystemStages& system);
    void selectSubPage(int index);
    void loadLightModes();
    void bindLightEditor();
    void saveRecord();
    void loadCustomLightNames();
    std::string lightConfigPath() const;
    void reloadCustomLists();
    void loadMacroNames();
    // The buttons tab.
    void bindKeyEditor();
    bool routePictureClick(const QString& name);
    void switchCapture(bool focused);
    void showKeyList();
    QString keyListLine(int key, const KeyEntry& entry) const;
    void reloadKeyEditor();
    void markKeysChanged(bool changed);
    bool isLastLeftButton(int key);
    void macrosWrittenForKeys(int result, const std::vector<KeyEntry>& keys);
    void keysWrittenToDevice(int result);
    void keysSaved();
    void saveKeysToProfile();
    template <typename T>
    T* control(const QString& name) const;

    // The macro page.
    void bindMacroPage();
    void followRemovedMacro(int index);
    QString chooseMacroFile(bool save);

    // Used by the worker only.
    MouseSettingsLink m_settings;
    // Guards the settings the next queued write sends (set by the UI thread) and the mode codes.
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
    QWidget* m_pendingMark = nullptr;
    CMouseProfiledata m_record;
    LightingThread m_lighting;
    AudioLightPainter m_audioLight;
    bool m_lightingWanted = false;
    std::unique_ptr<ProfileListStore> m_profiles;
    PowerRecord m_power;
    std::array<StageRow, kStageRows> m_stages;
    std::vector<int> m_modeCodes;
    std::vector<QString> m_modeNames;
    std::vector<bool> m_modeVisible;
    std::vector<QString> m_areaNames;
    std::vector<QString> m_customLightNames;
    std::unique_ptr<CustomLightLists> m_customLists;
    std::vector<QString> m_macroNames;
    CMacroControlUI* m_macroPage = nullptr;
    ui::CLightControlUI* m_lightEditor = nullptr;

    CKeySetControlUI* m_keyEditor = nullptr;
    std::unique_ptr<KeyEditorRouter> m_router;
    QListWidget* m_keyList = nullptr;
    int m_selectedKey = -1;
    bool m_keysChanged = false;
};

}  // namespace kestrion
