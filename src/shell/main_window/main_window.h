#pragma once

#include <QPoint>
#include <QPointer>
#include <QSet>
#include <QTimer>
#include <QStringList>
#include <QVariantMap>
#include <QWidget>

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "devices/device_selector.h"
#include "devices/usb_device.h"
#include "pages/device_view.h"
#include "platform/input_capture.h"
#include "editors/audio_styles.h"
#include "editors/light_sync.h"
#include "shell/device_manager/device_discovery.h"
#include "ui/main_window_sink.h"
#include "ui/message_box.h"
#include "ui/update_model.h"

namespace kestrion {

class CQuellonMouseDevice;

namespace audio {
class AudioCompanionLink;
}

namespace ui {
class Tray;
class CDeviceOptionUI;
class CDeviceProfileUI;
class CMpDevicePowerUI;
class CColorSelectWnd;
class MusicWnd;
class NotificationBridge;
class LanguageSwitch;
class CSetWnd;
class SkinSettings;
struct SkinChange;
}  // namespace ui

// The main window: the frame built from the skin's "XML_MAIN", the device manager (discovery,
// device objects, their selector entries and battery displays, the link switch between the
// mouse's cable and receiver) and the routing of the pages' notifications to the devices.
class CMainWnd : public QWidget, public ui::MainWindowSink, private ui::UpdateDevices {
    Q_OBJECT
public:
    // Answers a prompt: title and text ids; 1 confirmed, 0 declined. Tests replace the dialog.
    using PromptHandler = std::function<int(const QString& titleId, const QString& textId)>;

    explicit CMainWnd(const ui::UiResources& resources, QWidget* parent = nullptr);
    ~CMainWnd() override;

    // Builds the frame, creates the mouse's device object and starts discovery; false when the
    // skin cannot build the frame. The window shows after the first discovery pass.
    bool initWindow();
    // Ends discovery and closes every device link; safe to call twice.
    void stopThreads();

    void notify(const ui::UiNotification& notification) override;
    void sendMessage(std::uint32_t message, std::intptr_t wParam, std::intptr_t lParam) override;
    void showNotice(const QString& textId, std::optional<int> number) override;
    bool ask(const QString& textId) override;
    void askLater(const QString& textId, std::function<void(bool yes)> answered) override;

    // Restores the window and brings it to the front.
    void activate();
    // Hides to the tray and tells the devices (they stop polling the battery and the preview);
    // only minimises when the desktop has no tray.
    void hideToTray();
    // A click on the tray icon: hides a shown window, shows a hidden one.
    void toggleFromTray();
    void setPromptHandler(PromptHandler handler) { m_prompt = std::move(handler); }
    // The tray menu shows the window and the selected device's profiles, and its tool tip the
    // battery level.
    void attachTray(ui::Tray& tray);
    // The language list behind the settings window; the title bar's settings button shows once
    // it is given.
    void setLanguageSwitch(ui::LanguageSwitch* languages);
    // Opens the settings window beside this one, or raises the open one and checks for updates
    // again.
    void openSettings();
    ui::CSetWnd* settingsWindow() const;
    // The background choices; the title bar's skin button shows once they are given, and every
    // change repaints the window.
    void setSkinSettings(ui::SkinSettings* settings);
    void openSkinFrame();
    // Asks for an image file with the given filter; an empty path when cancelled. Tests replace
    // the system dialog.
    using ImageChooser = std::function<QString(const QString& filter)>;
    void setImageChooser(ImageChooser chooser) { m_imageChooser = std::move(chooser); }

    // A game's event ("Game_Start", "Game_End", "Game_Kill", "Game_Death"): the selected mouse
    // shows it in its lights (see CQuellonMouseDevice::showGameLight) and its own lighting
    // comes back 5 s after the last event. False when the field or value was refused.
    bool gameEvent(int field, int value);

    // The system goes to sleep (false) or woke up (true). Asleep, the window ignores the tray;
    // awake again, every device's link is checked at once.
    void setSystemAwake(bool awake);
    bool systemAwake() const { return m_awake; }

    // The selected device's profile names and the selected one's index (-1 without a device).
    QStringList profileNames() const;
    int selectedProfile() const;
    // Selects a profile as choosing it in the page's profile list does.
    void chooseProfile(int index);
    // The same for one device, shown or not.
    QStringList profileNamesOf(const CQuellonUSBDevice* device) const;
    int selectedProfileOf(const CQuellonUSBDevice* device) const;
    void chooseProfileOf(CQuellonUSBDevice* device, int index);
    // The device scripts act on when they name none: the mouse, else the first device; whatever
    // page the window shows.
    CQuellonUSBDevice* scriptDevice() const;

    // What scripts see and change (the D-Bus interface), on the device they name (scriptDevice
    // when they name none). Changes take the same path as the page's controls, so the page, the
    // profile document and the device agree. A returned text says why nothing changed; an empty
    // one means done.
    struct DeviceReport {
        int index = -1;
        QString name;
        QString kind;
        QString link;         // "cable" or "receiver"
        bool online = false;
        bool selected = false;
        int battery = -1;     // percent, -1 when unknown
        QString power;        // "battery", "charging", "external" or "" when unknown
    };
    struct DpiStageReport {
        int dpi = 0;
        bool enabled = false;
        bool current = false;
    };
    std::vector<DeviceReport> deviceReports() const;
    QString selectProfileNamed(CQuellonUSBDevice* device, const QString& name);
    QString importProfileFrom(CQuellonUSBDevice* device, const QString& path, QString* importedName);
    QString exportSelectedProfile(CQuellonUSBDevice* device, const QString& path);
    std::vector<DpiStageReport> dpiStages(CQuellonUSBDevice* device) const;
    QString setDpiStage(CQuellonUSBDevice* device, int stage, int dpi);
    // Performance settings by their script names ("report-rate", "lift-off", ...).
    QVariantMap performanceSettings(CQuellonUSBDevice* device) const;
    QString setPerformanceSetting(CQuellonUSBDevice* device, const QString& name, int value);
    QString applySelectedProfile(CQuellonUSBDevice* device);

    CQuellonMouseDevice* mouse() const;
    ui::CDeviceOptionUI* entry(int index) const;
    // The device object behind selector entry n; null past the last.
    CQuellonUSBDevice* deviceAt(int index) const;
    int deviceCount() const { return static_cast<int>(m_devices.size()); }
    CQuellonUSBDevice* selectedDevice() const;
    // The page showing a device; null for none.
    DeviceView* viewOf(const CQuellonUSBDevice* device) const;
    DeviceView* selectedView() const { return viewOf(selectedDevice()); }
    bool isControlShown(const QString& name) const;
    const DeviceDiscovery& discovery() const { return *m_discovery; }
    // Key and mouse-button capture for the key editor and the macro recorder.
    InputCapture& inputCapture() { return m_capture; }

    // Lighting: whether this tool drives the devices' lights, the colour picker of a DPI stage
    // and synchronised lighting.
    bool lightControl() const { return m_lightControl; }
    // Opens the colour picker for DPI stage n of the selected mouse (one picker at a time); the
    // confirmed colour becomes the stage's colour.
    void openStageColour(int stage);
    ui::CColorSelectWnd* colourPicker() const;

    // The audio companion's end: greeted 100 ms after the window is built, told goodbye when the
    // threads stop; its levels light the mice's previews. Set before initWindow; without one
    // nothing is sent.
    void setAudioCompanion(audio::AudioCompanionLink* link);
    // A data block some program sent on the bus; only the companion's are taken.
    void audioData(const QString& sender, int id, const QByteArray& block);
    // The audio light styles ("AudioFile.json"), loaded at initWindow, and their window, opened by
    // "music_setting_btn" (one at a time): confirmed styles are sent to the companion and saved.
    const AudioStyles& audioStyles() const { return m_audioStyles; }
    void openAudioStyles();
    ui::MusicWnd* audioStyleWindow() const;

public slots:
    // Another program takes the lights (off) or gives them back (on); the window's button and
    // every device follow, and lightControlChanged tells whoever listens.
    void setLightControl(bool on);

signals:
    void firstPassDone();
    void exitRequested();
    // The selected device's battery level in percent, -1 when no device shows one.
    void batteryChanged(int percent, bool onBattery);
    // The lighting-control status changed, and once when the window is built.
    void lightControlChanged(bool on);
    // A device became known: it is deviceAt(index) from now on.
    void deviceCreated(int index);

protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    struct DeviceRecord {
        CQuellonUSBDevice* device = nullptr;
        DeviceView* view = nullptr;
        ui::CDeviceOptionUI* entry = nullptr;
        ui::CMpDevicePowerUI* power = nullptr;
        std::unique_ptr<DeviceSelector> selector;
        int modelIndex = -1;
    };

    // Discovery, on the UI thread.
    void startDiscovery();
    void runOnUiAndWait(std::function<void()> call);
    void onDeviceArrived(int slot);
    void onDeviceRemoved(int slot);
    void onAccessDenied(const std::string& path);
    void onFirstPass();
    bool createDevice(int modelIndex);
    DeviceRecord* recordForSlot(int slot);
    int indexOf(const DeviceRecord* record) const;
    void attachCommand(int slot);
    void attachNotification(int slot);
    void removeCommand(int slot);
    bool otherFormAttached(int slot) const;
    void switchLink(int slot, LinkKind target);
    void selectDevice(int index, bool show, bool select);
    void hideDevice(int index);
    int onlineCount() const;
    void refreshDeviceLayout();
    void showNoDeviceLayout(bool shown, const char* logLine);
    void showNoDeviceTexts();
    bool receiverWaitsForMouse() const;
    void followRemainingLink();
    void onPowerShown(const CQuellonUSBDevice* device, int percent, bool onBattery);

    // Messages from the device objects.
    void onDeviceOnline(int index, bool online);
    void onFirmwareVersion(int version);
    QString updaterFolder() const;
    void onDeviceState(bool usable);

    // Routing.
    void onClick(const QString& name);
    void onSelectChanged(const QString& name, QWidget* control);
    // A control's device: the one whose page holds it; the selected one for no control.
    CQuellonUSBDevice* deviceOf(const QWidget* control) const;
    // A notification of a page's own control, handed to that page; false when it took none.
    bool routeToPage(const ui::UiNotification& notification);
    void showFunctionPage(int tab);
    void onItemSelect(const QString& name, const QWidget* control);
    void selectNeighbour(int step);
    ui::CDeviceProfileUI* selectedProfileSelector() const;
    ui::CDeviceProfileUI* profileSelectorOf(const CQuellonUSBDevice* device) const;
    // A profile button of the selected device's page; false for any other name.
    bool runProfileCommand(const QString& name);
    void toggleLightControl();
    // Lighting (main_window_lighting.cpp).
    bool routeLightingClick(const QString& name);
    void showLightControl();
    void applySameLighting();
    void refreshLightSync();
    void startLightSync();
    void stopLightSync();
    void tellDevicesHidden(bool hidden);
    void restoreFactorySettings();
    // The audio companion and the audio light styles (main_window_audio.cpp).
    void greetAudioCompanion();
    void loadAudioStyles();
    void resetAudioStyles();
    void sendActiveAudioColour();
    void saveAudioStyles();
    AudioStyleFile audioStyleFile() const;

    // Macro recording: the page asks for the capture, which sends it the keys and buttons; the
    // device selector and the profile control wait meanwhile.
    void bindMacroPage(DeviceView& view);
    void startMacroCapture(int mode);
    void endMacroCapture();
    void onMacroCaptured(const CapturedInput& input);
    void onMacroCapturePaused(bool paused);
    void lockForRecording(bool locked);

    // Input capture: started and stopped by the editors, its events routed to them.
    void switchCapture(bool on);
    void onCaptured(CaptureMode mode, const CapturedInput& input);
    void onCapturePaused(bool paused);
    bool routeToKeyEditor(const ui::UiNotification& notification);

    // The update page's view of the devices (main_window_settings.cpp).
    Version version(int deviceKind) const override;
    void suspend(int deviceKind, bool suspended) override;
    void reread(int deviceKind) override;
    const DeviceRecord* recordOfKind(int deviceKind) const;
    void showUpdateBadge(bool shown);

    int prompt(const QString& titleId, const QString& textId);
    // The same question without waiting for the answer.
    void promptLater(const QString& titleId, const QString& textId, std::function<void(int)> answered);
    void chooseOwnSkinImage();
    void applySkin(const ui::SkinChange& change);
    QWidget* control(const QString& name) const;

    ui::UiResources m_resources;
    ui::LanguageSwitch* m_languages = nullptr;
    QPointer<ui::CSetWnd> m_settingsWindow;
    ui::SkinSettings* m_skinSettings = nullptr;
    ImageChooser m_imageChooser;
    std::optional<QString> m_rootStyle;
    QWidget* m_frame = nullptr;
    ui::NotificationBridge* m_bridge = nullptr;
    std::vector<DeviceRecord> m_devices;
    std::unique_ptr<DeviceDiscovery> m_discovery;
    PromptHandler m_prompt;
    // The notices showing now, by their text.
    QSet<QString> m_noticesShown;
    std::string m_lastNotificationPath;
    std::string m_deniedPath;
    QPoint m_dragOffset;
    bool m_layoutGate = true;
    bool m_lightControl = true;
    bool m_awake = true;
    QTimer* m_gameLightTimer = nullptr;
    bool m_firmwarePromptShown = false;
    bool m_dragging = false;
    InputCapture m_capture;
    QPointer<ui::CColorSelectWnd> m_colourPicker;
    std::unique_ptr<LightSyncThread> m_lightSync;
    audio::AudioCompanionLink* m_audio = nullptr;
    AudioStyles m_audioStyles;
    QPointer<ui::MusicWnd> m_audioStyleWindow;
    // The devices the light-sync thread colours, as last counted on the UI thread.
    std::mutex m_syncLock;
    std::vector<CQuellonUSBDevice*> m_syncDevices;
    std::atomic<bool> m_syncTakingPart{false};
};

}  // namespace kestrion
