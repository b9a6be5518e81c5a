#pragma once

#include <QList>
#include <QPointer>
#include <QString>
#include <QWidget>

#include <array>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

#include "device_link/command_channel.h"
#include "device_link/hid_device.h"
#include "devices/notification_reader.h"
#include "devices/pages/device_selector.h"
#include "ui/power_display.h"

namespace kestrion {

namespace ui {
class CDeviceKeyButtonUI;
class ControlFactory;
class MainWindowSink;
class Skin;
}  // namespace ui

enum class LinkKind { Wired, Receiver };

// The receiver kinds (6 and 9) use the receiver link; every other kind the wired one.
LinkKind linkKindOf(int deviceKind);

// What the device manager's model tables give a device page.
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

// One attached product and, at the same time, its settings page in the main window. Owns the
// command channel, the two notification links and their reader threads. Subclasses give the
// device's behaviour through the virtual operations.
//
// Everything but the notification handler runs on the UI thread.
class CQuellonUSBDevice : public QWidget {
    Q_OBJECT
public:
    explicit CQuellonUSBDevice(QWidget* parent = nullptr);
    ~CQuellonUSBDevice() override;

    virtual QString controlClass() const;

    // Links, as the device manager hands them over.
    bool attachCommandLink(const std::string& path, int deviceKind);
    bool attachNotificationLink(const std::string& path, int deviceKind);
    void detachNotificationLink(int deviceKind);
    // The other form of the mouse came or went: the command channel moves to `path` on the other
    // link (receiver mode to the wired link, wired mode to the receiver link); false when it
    // cannot be opened, the channel then stays closed.
    bool switchCommandLink(const std::string& path);
    // The command interface went away: both command links closed.
    void closeCommandLinks();
    // The product went away: readers stopped, every link closed.
    void closeLinks();
    CommandChannel& commandChannel() { return m_channel; }
    bool notificationLinkOpen(LinkKind kind) const;

    void setMainWindow(ui::MainWindowSink* mainWindow) { m_mainWindow = mainWindow; }
    void setDeviceIndex(int index) { m_deviceIndex = index; }
    int deviceIndex() const { return m_deviceIndex; }
    void setWireless(bool wireless) { m_wireless = wireless; }
    bool isWireless() const { return m_wireless; }
    void setSelectorEntry(DeviceSelector* entry) { m_selector = entry; }
    void setPowerControl(ui::CMpDevicePowerUI* power) { m_powerControl = power; }
    ui::CMpDevicePowerUI* powerControl() const { return m_powerControl; }
    DeviceSelector* selectorEntry() const { return m_selector; }
    void setPageSetup(const DevicePageSetup& setup) { m_setup = setup; }
    const DevicePageSetup& pageSetup() const { return m_setup; }
    virtual void setModelValue(int value) { m_modelValue = value; }
    int modelValue() const { return m_modelValue; }
    // The main window hid to the tray (true) or showed again. Nobody sees the preview while
    // hidden, so its frame timer rests.
    virtual void setWindowHidden(bool hidden);
    bool windowHidden() const { return m_windowHidden; }

    // Builds the page layout named by the setup into this object and runs initPage; false when
    // the layout is unknown or does not build.
    bool buildPage(const ui::Skin& skin, ui::ControlFactory& factory);
    QWidget* page() const { return m_page; }

    // One tick of a selector entry timer.
    void runSelectorTimer(int id);

    // The virtual operations; the base does what a device without the feature needs.
    virtual void initPage();
    virtual void loadLightingPreview() {}
    virtual void pushLightFrame();
    // Preview colours: brightness in the top byte, then red, green, blue. An index past the
    // light buttons changes nothing and reads 0.
    virtual void setKeyColour(int index, std::uint32_t colour);
    virtual std::uint32_t getKeyColour(int index) const;
    virtual void readAll() {}
    virtual void rereadSettings() {}
    virtual void pollHookA() {}
    virtual void pollHookB() {}
    virtual void readPowerStatus() {}
    virtual bool isLinkAlive() { return true; }
    virtual int keepAliveMinutes() { return 1; }
    virtual void loadProfile() {}
    virtual void refreshPage() {}
    // Shows the function page that the page layout numbers n (its property "functionPage").
    virtual void showFunctionPage(int page);
    int functionPage() const { return m_functionPage; }

    const QList<ui::CDeviceKeyButtonUI*>& keyButtons() const { return m_keyButtons; }
    const QList<ui::CDeviceKeyButtonUI*>& lightButtons() const { return m_lightButtons; }

protected:
    // Called on the link's reader thread for every report.
    virtual void handleNotification(LinkKind link, const std::uint8_t* report, std::size_t length);
    // Runs a call on the UI thread, after the current one; dropped when this object is gone.
    void runOnUiThread(std::function<void()> call);
    void sendToMainWindow(std::uint32_t message, std::intptr_t wParam, std::intptr_t lParam);
    void armSelectorTimer(int id, int ms, bool oneShot);
    void killSelectorTimer(int id);
    // Binds "key_N" and "light_N" buttons of the "SelectPanel" containers under root.
    void bindKeyButtons(QWidget* root);

private:
    struct NotificationLink {
        HidDevice link;
        std::recursive_mutex lock;
        bool open = false;
        std::unique_ptr<NotificationReader> reader;
    };

    NotificationLink& notificationLink(LinkKind kind);
    void runFirstRead();
    void watchLink();
    void keepAlive();
    void reportOnline(bool online);
    int lightFramePeriod() const;

    CommandChannel m_channel;
    std::array<NotificationLink, 2> m_notify;
    ui::MainWindowSink* m_mainWindow = nullptr;
    DeviceSelector* m_selector = nullptr;
    QPointer<ui::CMpDevicePowerUI> m_powerControl;
    DevicePageSetup m_setup;
    QWidget* m_page = nullptr;
    QList<ui::CDeviceKeyButtonUI*> m_keyButtons;
    QList<ui::CDeviceKeyButtonUI*> m_lightButtons;
    std::vector<std::uint32_t> m_keyColours;
    int m_deviceIndex = -1;
    int m_modelValue = 0;
    int m_functionPage = 1;
    bool m_wireless = false;
    bool m_windowHidden = false;
};

}  // namespace kestrion
