#include "shell/main_window/main_window.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QLayout>
#include <QMetaObject>
#include <QMouseEvent>
#include <QProcess>
#include <QStackedWidget>
#include <QThread>

#include <chrono>
#include <future>

#include "devices/pages/mouse_device.h"
#include "platform/diagnostics.h"
#include "profiles/program_folders.h"
#include "shell/device_manager/device_models.h"
#include "shell/log.h"
#include "shell/ui/device_option.h"
#include "shell/ui/device_profile.h"
#include "shell/ui/display_scale.h"
#include "shell/ui/family_name.h"
#include "shell/ui/language_manager.h"
#include "shell/ui/notification_bridge.h"
#include "shell/ui/power_display.h"
#include "shell/ui/product_names.h"
#include "shell/ui/skin.h"
#include "shell/ui/tray.h"

namespace kestrion {
namespace {

constexpr const char* kFrameLayout = "XML_MAIN";
constexpr const char* kSelectorContainer = "device_select_layout";
constexpr const char* kPageContainer = "device_switch";
constexpr const char* kPowerContainer = "device_power_switch";
constexpr const char* kNoDevice = "No_device_Link";
constexpr const char* kErrorDevice = "Error_device_Link";
constexpr const char* kAccessHint = "nodevice_access_label";

constexpr int kMouseKind = 2;
constexpr int kMouseReceiverKind = 6;
constexpr int kFirstReadDelayMs = 500;
constexpr int kKeepAliveRestartMs = 50;
constexpr int kLinkWatchFirstMs = 2000;
constexpr int kReceiverTries = 26;
constexpr auto kReceiverRetryPause = std::chrono::milliseconds(50);
constexpr auto kHandOverPoll = std::chrono::milliseconds(20);
constexpr int kCurrentFirmware = 0x0104;

constexpr const char* kUpdater = "QXTRAM-V0104-20260129.exe";
constexpr const char* kUpdaterArgument = "On the upgrade";

// Function pages of a device page, by the tab option that shows them.
struct FunctionTab {
    const char* name;
    int page;
};
constexpr FunctionTab kFunctionTabs[] = {
    {"deng_Op_tab", 1},   {"key_Op_tab", 2},         {"macro_Op_tab", 3},
    {"system_Op_tab", 4}, {"cursor_Op_tab", 5},      {"6533_voice_Op_tab", 6},
    {"magic_Op_tab", 7},  {"Virtual7.1_Op_tab", 8},  {"otherset_Op_tab", 9},
};

// Settings whose change is applied to the selected device and saved, by family prefix or name.
constexpr const char* kAppliedOptionFamilies[] = {
    "DPI_enable_check_", "polling_rate_option_", "Silent_Altitude_option_", "Linear_Calibration_option_",
    "Ripple_option_",
};
constexpr const char* kAppliedCombos[] = {
    "Anti_Shake_combo_timeSelect", "ble_sleep1_combo", "ble_sleep2_combo", "device_sleep1_combo",
    "device_sleep2_combo", "logo_led_mode_combo",
};

// The device's timers run on its selector entry.
class EntrySelector : public DeviceSelector {
public:
    explicit EntrySelector(ui::CDeviceOptionUI& entry) : m_entry(entry) {}
    void setTimer(int id, int ms, bool oneShot) override { m_entry.timers().setTimer(id, ms, oneShot); }
    void killTimer(int id) override { m_entry.timers().killTimer(id); }
    bool isOnline() const override { return m_entry.isOnline(); }

private:
    ui::CDeviceOptionUI& m_entry;
};

// The command row that stands for a product: the wired form's for a receiver with a partner.
SupportedDeviceEntry productIdentity(int slotIndex)
{
    const SupportedDeviceEntry& row = kSupportedDeviceTable[slotIndex];
    int command = slotIndex;
    if (row.interfaceRole == InterfaceRole::Notification) {
        for (std::size_t i = 0; i < kSupportedDeviceTable.size(); ++i) {
            const auto& other = kSupportedDeviceTable[i];
            if (other.vendorId == row.vendorId && other.productId == row.productId
                && other.deviceKind == row.deviceKind && other.interfaceRole == InterfaceRole::Command)
                command = static_cast<int>(i);
        }
    }
    const SupportedDeviceEntry& commandRow = kSupportedDeviceTable[command];
    const bool receiver = commandRow.deviceKind == DeviceKind::MouseReceiver
        || commandRow.deviceKind == DeviceKind::KeyboardReceiver;
    if (receiver && commandRow.hasPartner
        && kSupportedDeviceTable[commandRow.partnerIndex].partnerIndex == command)
        return kSupportedDeviceTable[commandRow.partnerIndex];
    return commandRow;
}

}  // namespace

CMainWnd::CMainWnd(const ui::UiResources& resources, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint), m_resources(resources)
{
    setObjectName(QStringLiteral("MainWnd"));
    setWindowTitle(QString::fromLatin1(ui::kWindowTitle));
}

CMainWnd::~CMainWnd()
{
    stopThreads();
    for (DeviceRecord& record : m_devices)
        record.device->setSelectorEntry(nullptr);
}

bool CMainWnd::initWindow()
{
    m_frame = m_resources.skin.buildInto(kFrameLayout, m_resources.factory, *this);
    if (!m_frame)
        return false;
    m_resources.language.apply(m_frame);
    // Qt's own high-DPI scaling sizes the window for the monitor; the layouts are drawn for this.
    setFixedSize(ui::kMainWindowSize.width, ui::kMainWindowSize.height);
    m_bridge = new ui::NotificationBridge(*this, this);
    m_bridge->attach(m_frame);
    if (QWidget* error = control(kErrorDevice))
        error->hide();
    if (QWidget* hint = control(kAccessHint))
        hint->hide();
    // The mouse and the keyboard have their objects before any device is seen; only products
    // whose page the skin has are made.
    createDevice(0);
    createDevice(1);
    hide();
    startDiscovery();
    return true;
}

void CMainWnd::stopThreads()
{
    if (m_discovery)
        m_discovery->stop();
    for (DeviceRecord& record : m_devices)
        record.device->closeLinks();
}

void CMainWnd::startDiscovery()
{
    DiscoveryCallbacks callbacks;
    callbacks.arrived = [this](int slot) { runOnUiAndWait([this, slot] { onDeviceArrived(slot); }); };
    callbacks.removed = [this](int slot) { runOnUiAndWait([this, slot] { onDeviceRemoved(slot); }); };
    callbacks.firstPassDone = [this] { QMetaObject::invokeMethod(this, [this] { onFirstPass(); }); };
    callbacks.accessDenied = [this](const std::string& path) {
        QMetaObject::invokeMethod(this, [this, path] { onAccessDenied(path); });
    };
    m_discovery = std::make_unique<DeviceDiscovery>(std::move(callbacks));
    m_discovery->start();
}

// The discovery thread waits until the window has handled the slot, but gives up when it is
// being stopped, so that stopping from the UI thread never deadlocks.
void CMainWnd::runOnUiAndWait(std::function<void()> call)
{
    auto done = std::make_shared<std::promise<void>>();
    std::future<void> handled = done->get_future();
    QMetaObject::invokeMethod(this, [call = std::move(call), done] {
        call();
        done->set_value();
    }, Qt::QueuedConnection);
    while (handled.wait_for(kHandOverPoll) != std::future_status::ready) {
        if (m_discovery->stopRequested())
            return;
    }
}

void CMainWnd::notify(const ui::UiNotification& notification)
{
    debugTrace("notify " + notification.type.toStdString() + " " + notification.sender.toStdString());
    const QString& type = notification.type;
    if (type == QLatin1String("click"))
        onClick(notification.sender);
    else if (type == QLatin1String("selectchanged"))
        onSelectChanged(notification.sender, notification.control);
    else if (type == QLatin1String("valuechanged"))
        onValueChanged(notification.sender);
    else if (type == QLatin1String("killfocus"))
        onKillFocus(notification.sender);
    else if (type == QLatin1String("itemselect"))
        onItemSelect(notification.sender);
}

void CMainWnd::sendMessage(std::uint32_t message, std::intptr_t wParam, std::intptr_t lParam)
{
    switch (message) {
    case ui::WM_USB_MAINMESS_DEVICE_ONLINE:
        onDeviceOnline(static_cast<int>(wParam), lParam != 0);
        break;
    case ui::WM_USB_MAINMESS_FIRMWARE_VERSION:
        onFirmwareVersion(static_cast<int>(lParam));
        break;
    case ui::WM_USB_MAINMESS_DEVICE_IS_INITUI:
        onDeviceState(wParam != 0);
        break;
    default:
        break;
    }
}

void CMainWnd::activate()
{
    debugTrace("main window activated");
    show();
    setWindowState(windowState() & ~Qt::WindowMinimized);
    raise();
    activateWindow();
    tellDevicesHidden(false);
}

void CMainWnd::hideToTray()
{
    // Without a tray there would be no way back to a hidden window.
    if (ui::Tray::isAvailable())
        hide();
    else
        showMinimized();
    tellDevicesHidden(true);
}

void CMainWnd::toggleFromTray()
{
    if (onlineCount() > 0)
        showNoDeviceLayout(false, "UIMSG_TRAYICON>pNoDeviceLinkLyout    false");
    else
        showNoDeviceLayout(true, "UIMSG_TRAYICON>pNoDeviceLinkLyout    true");
    if (isVisible() && !isMinimized())
        hideToTray();
    else
        activate();
}

void CMainWnd::tellDevicesHidden(bool hidden)
{
    for (DeviceRecord& record : m_devices)
        record.device->setWindowHidden(hidden);
}

void CMainWnd::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::WindowStateChange)
        tellDevicesHidden(isMinimized() || isHidden());
    QWidget::changeEvent(event);
}

CQuellonMouseDevice* CMainWnd::mouse() const
{
    for (const DeviceRecord& record : m_devices) {
        if (auto* mouse = qobject_cast<CQuellonMouseDevice*>(record.device))
            return mouse;
    }
    return nullptr;
}

ui::CDeviceOptionUI* CMainWnd::entry(int index) const
{
    return index >= 0 && index < static_cast<int>(m_devices.size()) ? m_devices[index].entry : nullptr;
}

CQuellonUSBDevice* CMainWnd::selectedDevice() const
{
    for (const DeviceRecord& record : m_devices) {
        if (record.entry->isOnline() && record.entry->isSelected())
            return record.device;
    }
    return nullptr;
}

bool CMainWnd::isControlShown(const QString& name) const
{
    const QWidget* found = control(name);
    return found && !found->isHidden();
}

void CMainWnd::closeEvent(QCloseEvent* event)
{
    // Without a tray to come back from, closing the window ends the tool.
    if (ui::Tray::isAvailable()) {
        event->ignore();
        hideToTray();
        return;
    }
    event->accept();
    emit exitRequested();
}

void CMainWnd::mousePressEvent(QMouseEvent* event)
{
    m_dragging = event->button() == Qt::LeftButton;
    m_dragOffset = event->globalPosition().toPoint() - frameGeometry().topLeft();
}

void CMainWnd::mouseMoveEvent(QMouseEvent* event)
{
    if (m_dragging && (event->buttons() & Qt::LeftButton))
        move(event->globalPosition().toPoint() - m_dragOffset);
}

// --- Device manager -------------------------------------------------------------------------

bool CMainWnd::createDevice(int modelIndex)
{
    const DeviceModel& model = kDeviceModelTable[modelIndex];
    const DevicePage& pageRow = kDevicePageTable[modelIndex];
    // Only the mouse has a page so far; other products are found but get no object.
    if (model.deviceKind != DeviceKind::Mouse)
        return false;
    auto* pages = qobject_cast<QStackedWidget*>(control(kPageContainer));
    auto* powers = qobject_cast<QStackedWidget*>(control(kPowerContainer));
    QWidget* selector = control(kSelectorContainer);
    if (!pages || !powers || !selector)
        return false;

    auto power = std::make_unique<ui::CMpDevicePowerUI>(m_resources);
    auto option = std::make_unique<ui::CDeviceOptionUI>(m_resources);
    auto device = std::make_unique<CQuellonMouseDevice>();
    DevicePageSetup setup;
    setup.deviceKind = static_cast<int>(model.deviceKind);
    setup.lightCount = pageRow.lightCount;
    setup.keyCount = pageRow.keyCount;
    setup.previewLightIndex = pageRow.previewLightIndex;
    setup.pageLayout = QString::fromUtf8(pageRow.pageLayout.data(), pageRow.pageLayout.size());
    setup.kindName = QString::fromUtf8(model.kindName.data(), model.kindName.size());
    setup.lightName = QString::fromUtf8(pageRow.lightName.data(), pageRow.lightName.size());
    setup.dataFolder = deviceDataFolder(setup.deviceKind);
    device->setPageSetup(setup);
    device->setMainWindow(this);
    device->setDeviceIndex(modelIndex);
    device->setWireless(pageRow.wireless != 0);
    device->setModelValue(model.deviceParameter);
    if (!power->isBuilt() || !option->isBuilt() || !device->buildPage(m_resources.skin, m_resources.factory))
        return false;
    m_resources.language.apply(device.get());
    if (ui::CDeviceProfileUI* selector = device->profileSelector())
        selector->setResources(m_resources);

    power->setKind(setup.deviceKind, static_cast<int>(model.interfaceRole));
    power->showWireless(pageRow.wireless != 0);
    device->setPowerControl(power.get());
    const int powerIndex = powers->addWidget(power.get());
    const int pageIndex = pages->addWidget(device.get());

    option->showSynchroOption(false);
    option->setGroup(QString::fromUtf8(model.selectorGroup.data(), model.selectorGroup.size()));
    option->bindPage(pages, pageIndex);
    option->bindPower(kPowerContainer, powerIndex);
    option->setIcons(setup.deviceKind, static_cast<int>(model.interfaceRole));
    option->setName(m_resources.language.text(QStringLiteral("ms_device_name_text")));
    option->setOnline(false);
    option->setDevice(device.get());
    CQuellonUSBDevice* deviceObject = device.get();
    option->setTimerHandler([deviceObject](int id) { deviceObject->runSelectorTimer(id); });
    if (selector->layout())
        selector->layout()->addWidget(option.get());
    else
        option->setParent(selector);
    auto selectorLink = std::make_unique<EntrySelector>(*option);
    device->setSelectorEntry(selectorLink.get());
    m_bridge->attach(device.get());
    m_bridge->attach(option.get());

    m_devices.push_back({device.release(), option.release(), power.release(), std::move(selectorLink), modelIndex});
    return true;
}

CMainWnd::DeviceRecord* CMainWnd::recordForSlot(int slot)
{
    const SupportedDeviceEntry product = productIdentity(slot);
    for (DeviceRecord& record : m_devices) {
        const DeviceModel& model = kDeviceModelTable[record.modelIndex];
        if (model.vendorId == product.vendorId && model.productId == product.productId
            && model.deviceKind == product.deviceKind)
            return &record;
    }
    return nullptr;
}

int CMainWnd::indexOf(const DeviceRecord* record) const
{
    return record ? static_cast<int>(record - m_devices.data()) : -1;
}

void CMainWnd::onDeviceArrived(int slot)
{
    const std::optional<DeviceSlot> arrived = m_discovery->slot(slot);
    if (!arrived)
        return;
    if (!recordForSlot(slot)) {
        const std::optional<int> model = modelForTableRow(arrived->entry, InterfaceRole::Command);
        if (model)
            createDevice(*model);
    }
    if (recordForSlot(slot)) {
        if (arrived->entry.interfaceRole == InterfaceRole::Command)
            attachCommand(slot);
        else
            attachNotification(slot);
    }
    refreshDeviceLayout();
}

void CMainWnd::onDeviceRemoved(int slot)
{
    const std::optional<DeviceSlot> removed = m_discovery->slot(slot);
    DeviceRecord* record = removed ? recordForSlot(slot) : nullptr;
    if (!record)
        return;
    if (removed->entry.interfaceRole == InterfaceRole::Notification) {
        record->device->detachNotificationLink(static_cast<int>(removed->entry.deviceKind));
        return;
    }
    removeCommand(slot);
}

void CMainWnd::onAccessDenied(const std::string& path)
{
    m_deniedPath = path;
    writeLog("Open>device without access rights    " + path);
    if (QWidget* hint = control(kAccessHint))
        hint->setVisible(onlineCount() == 0);
}

void CMainWnd::onFirstPass()
{
    refreshDeviceLayout();
    emit firstPassDone();
}

// The product's other form (its cable while the receiver is attached, or the reverse).
bool CMainWnd::otherFormAttached(int slot) const
{
    const SupportedDeviceEntry& row = kSupportedDeviceTable[slot];
    if (!row.hasPartner || kSupportedDeviceTable[row.partnerIndex].partnerIndex != slot)
        return false;
    const std::optional<DeviceSlot> partner = m_discovery->slot(row.partnerIndex);
    return partner && partner->occupied && !partner->devicePath.empty();
}

void CMainWnd::attachCommand(int slot)
{
    const std::optional<DeviceSlot> arrived = m_discovery->slot(slot);
    const int kind = static_cast<int>(arrived->entry.deviceKind);
    if (otherFormAttached(slot)) {
        if (kind == kMouseKind)
            switchLink(slot);
        return;
    }
    DeviceRecord* record = recordForSlot(slot);
    if (record->device->commandChannel().isOpen())
        return;
    if (!record->device->attachCommandLink(arrived->devicePath, kind))
        return;
    record->device->setIdentity(productIdentity(slot));
    if (kind != kMouseReceiverKind)
        selectDevice(indexOf(record), true, onlineCount() == 0);
    record->entry->timers().setTimer(kTimerFirstRead, kFirstReadDelayMs, true);
}

void CMainWnd::attachNotification(int slot)
{
    const std::optional<DeviceSlot> arrived = m_discovery->slot(slot);
    DeviceRecord* record = recordForSlot(slot);
    if (record->device->attachNotificationLink(arrived->devicePath, static_cast<int>(arrived->entry.deviceKind)))
        m_lastNotificationPath = arrived->devicePath;
}

void CMainWnd::removeCommand(int slot)
{
    DeviceRecord* record = recordForSlot(slot);
    const int kind = static_cast<int>(kSupportedDeviceTable[slot].deviceKind);
    if (otherFormAttached(slot)) {
        // The cable went while the receiver stays: back to the receiver. A receiver pulled
        // while the cable carries the channel changes nothing the user sees.
        if (kind == kMouseKind)
            switchLink(slot);
        return;
    }
    record->device->closeCommandLinks();
    hideDevice(indexOf(record));
}

void CMainWnd::switchLink(int slot)
{
    DeviceRecord* record = recordForSlot(slot);
    CQuellonUSBDevice& device = *record->device;
    CommandChannel& channel = device.commandChannel();
    const int partner = kSupportedDeviceTable[slot].partnerIndex;
    const std::optional<DeviceSlot> chosen = m_discovery->slot(channel.receiverMode() ? slot : partner);
    if (!chosen || !device.switchCommandLink(chosen->devicePath))
        return;
    ui::TimerSet& timers = record->entry->timers();
    if (channel.receiverMode()) {
        if (device.isWireless()) {
            for (int i = 0; i < kReceiverTries && !channel.queryReceiverLink(); ++i)
                QThread::msleep(kReceiverRetryPause.count());
            channel.sendReadyNotice();
            device.readPowerStatus();
        }
        timers.setTimer(kTimerKeepAlive, kKeepAliveRestartMs, true);
        channel.beginConfig();
        timers.setTimer(kTimerLinkWatch, kLinkWatchFirstMs, true);
    } else {
        timers.setTimer(kTimerFirstRead, kFirstReadDelayMs, true);
        channel.sendReadyNotice();
        onDeviceOnline(device.deviceIndex(), true);
        if (device.isWireless())
            device.readPowerStatus();
    }
}

void CMainWnd::selectDevice(int index, bool show, bool select)
{
    ui::CDeviceOptionUI* option = entry(index);
    if (option) {
        option->setOnline(show);
        if (select) {
            auto* pages = qobject_cast<QStackedWidget*>(control(kPageContainer));
            if (pages && option->pageIndex() >= 0)
                pages->setCurrentIndex(option->pageIndex());
            auto* powers = qobject_cast<QStackedWidget*>(control(kPowerContainer));
            if (powers) {
                powers->setVisible(option->powerIndex() >= 0);
                if (option->powerIndex() >= 0)
                    powers->setCurrentIndex(option->powerIndex());
            }
            CQuellonUSBDevice* device = m_devices[index].device;
            if (device->isWireless() && device->commandChannel().isOpen()) {
                device->commandChannel().setSuspended(false);
                option->timers().setTimer(kTimerPower, kKeepAliveRestartMs, true);
            }
        }
        option->setSelected(select);
    }
    if (onlineCount() == 0) {
        showNoDeviceLayout(true, "DeviceSelectChanger>pNoDeviceLinkLyout    true");
        if (auto* pages = qobject_cast<QStackedWidget*>(control(kPageContainer)))
            pages->setCurrentIndex(0);
        if (auto* powers = qobject_cast<QStackedWidget*>(control(kPowerContainer)))
            powers->setCurrentIndex(0);
    } else {
        showNoDeviceLayout(false, "DeviceSelectChanger>pNoDeviceLinkLyout    false");
    }
}

void CMainWnd::hideDevice(int index)
{
    ui::CDeviceOptionUI* option = entry(index);
    if (!option)
        return;
    int other = -1;
    if (option->isOnline() && option->isSelected()) {
        for (int i = 0; i < static_cast<int>(m_devices.size()); ++i) {
            if (i != index && m_devices[i].entry->isOnline())
                other = i;
        }
    }
    selectDevice(index, false, false);
    if (other >= 0)
        selectDevice(other, true, true);
}

int CMainWnd::onlineCount() const
{
    int count = 0;
    for (const DeviceRecord& record : m_devices)
        count += record.entry->isOnline() ? 1 : 0;
    return count;
}

void CMainWnd::refreshDeviceLayout()
{
    if (onlineCount() > 0) {
        showNoDeviceLayout(false, "Open>pNoDeviceLinkLyout    false");
        if (m_firmwarePromptShown) {
            m_firmwarePromptShown = false;
            if (CQuellonUSBDevice* device = selectedDevice(); device && !m_lastNotificationPath.empty())
                device->attachNotificationLink(m_lastNotificationPath, kMouseKind);
        }
    } else {
        showNoDeviceLayout(true, "Open>pNoDeviceLinkLyout    true");
    }
    activate();
}

void CMainWnd::showNoDeviceLayout(bool shown, const char* logLine)
{
    if (!m_layoutGate)
        return;
    if (QWidget* noDevice = control(kNoDevice))
        noDevice->setVisible(shown);
    if (QWidget* hint = control(kAccessHint))
        hint->setVisible(shown && !m_deniedPath.empty());
    writeLog(logLine);
}

// --- Messages from the devices --------------------------------------------------------------

void CMainWnd::onDeviceOnline(int index, bool online)
{
    if (!online) {
        hideDevice(index);
        return;
    }
    ui::CDeviceOptionUI* option = entry(index);
    if (option && option->device() && !option->isOnline())
        selectDevice(index, true, onlineCount() == 0);
}

void CMainWnd::onFirmwareVersion(int version)
{
    if (version >= kCurrentFirmware) {
        if (QWidget* noDevice = control(kNoDevice))
            noDevice->hide();
        return;
    }
    m_firmwarePromptShown = true;
    m_layoutGate = true;
    if (QWidget* error = control(kErrorDevice))
        error->hide();
    showNoDeviceLayout(true, "UpdateMacroKbDevice>pNoDeviceLinkLyout    true");
    if (prompt(QStringLiteral("UpdateTiShi"), QStringLiteral("UpdateTiShiText")) == 1) {
        const QString folder = QCoreApplication::applicationDirPath() + QStringLiteral("/Update/");
        QProcess::startDetached(folder + kUpdater, {kUpdaterArgument}, folder);
        return;
    }
    emit exitRequested();
}

void CMainWnd::onDeviceState(bool usable)
{
    m_layoutGate = usable;
    if (QWidget* error = control(kErrorDevice))
        error->setVisible(!usable);
}

// --- Routing ---------------------------------------------------------------------------------

void CMainWnd::onClick(const QString& name)
{
    if (runProfileCommand(name))
        return;
    if (name == QLatin1String("closebtn")) {
        hideToTray();
    } else if (name == QLatin1String("control_light_status")) {
        toggleLightControl();
    } else if (name == QLatin1String("minbtn")) {
        showMinimized();
    } else if (name == QLatin1String("nodevice_ok_btn") || name == QLatin1String("errordevice_ok_btn")) {
        hideToTray();
    } else if (name == QLatin1String("errordevice_connect_btn")) {
        if (auto* device = qobject_cast<CQuellonMouseDevice*>(selectedDevice()))
            device->writeDeviceInfoAndStart();
    } else if (name == QLatin1String("default_btn")) {
        restoreFactorySettings();
    } else if (name == QLatin1String("device_select_prev")) {
        selectNeighbour(-1);
    } else if (name == QLatin1String("device_select_next")) {
        selectNeighbour(1);
    }
}

void CMainWnd::onSelectChanged(const QString& name, QWidget* control)
{
    auto* mouse = qobject_cast<CQuellonMouseDevice*>(selectedDevice());
    for (const FunctionTab& tab : kFunctionTabs) {
        if (name == QLatin1String(tab.name)) {
            if (CQuellonUSBDevice* device = selectedDevice())
                device->showFunctionPage(tab.page);
            return;
        }
    }
    if (name == QLatin1String("device_select")) {
        for (int i = 0; i < static_cast<int>(m_devices.size()); ++i) {
            if (m_devices[i].entry->selectOption() == control)
                selectDevice(i, true, true);
        }
        return;
    }
    if (!mouse)
        return;
    const ui::FamilyName family = ui::splitFamilyName(name);
    if (family.prefix == QLatin1String("DPI_select_check_")) {
        mouse->selectStage(family.index);
        applyAndSave();
        return;
    }
    for (const char* prefix : kAppliedOptionFamilies) {
        if (family.prefix == QLatin1String(prefix)) {
            applyAndSave();
            return;
        }
    }
}

void CMainWnd::onValueChanged(const QString& name)
{
    if (ui::splitFamilyName(name).prefix == QLatin1String("DPI_slider_"))
        applyAndSave();
}

void CMainWnd::onKillFocus(const QString& name)
{
    const ui::FamilyName family = ui::splitFamilyName(name);
    auto* mouse = qobject_cast<CQuellonMouseDevice*>(selectedDevice());
    if (mouse && family.prefix == QLatin1String("DPI_edit_")) {
        mouse->applyDpiEdit(family.index);
        applyAndSave();
    }
}

void CMainWnd::onItemSelect(const QString& name)
{
    if (name == QLatin1String("device_profile_combo")) {
        if (ui::CDeviceProfileUI* selector = selectedProfileSelector())
            selector->selectProfile(selector->selector()->currentIndex());
        return;
    }
    for (const char* combo : kAppliedCombos) {
        if (name == QLatin1String(combo)) {
            applyAndSave();
            break;
        }
    }
    if (name.startsWith(QLatin1String("device_sleep"))) {
        for (DeviceRecord& record : m_devices) {
            if (record.device == selectedDevice())
                record.entry->timers().setTimer(kTimerKeepAlive, kKeepAliveRestartMs, true);
        }
    }
}

// The page already shows the change: into the record, onto the disk, then to the device.
void CMainWnd::applyAndSave()
{
    auto* mouse = qobject_cast<CQuellonMouseDevice*>(selectedDevice());
    if (!mouse)
        return;
    mouse->collectPage();
    mouse->profile().SaveProfile();
    mouse->writeSettingsPage(0, 0);
}

void CMainWnd::toggleLightControl()
{
    m_lightControl = !m_lightControl;
    if (QWidget* status = control(QStringLiteral("control_light_status")))
        m_resources.language.setTextId(status, m_lightControl ? QStringLiteral("control_light_on_text")
                                                              : QStringLiteral("control_light_off_text"));
}

ui::CDeviceProfileUI* CMainWnd::selectedProfileSelector() const
{
    auto* mouse = qobject_cast<CQuellonMouseDevice*>(selectedDevice());
    return mouse ? mouse->profileSelector() : nullptr;
}

bool CMainWnd::runProfileCommand(const QString& name)
{
    using Command = void (ui::CDeviceProfileUI::*)();
    struct ProfileButton {
        const char* name;
        Command command;
    };
    static constexpr ProfileButton kButtons[] = {
        {"device_add_btn", &ui::CDeviceProfileUI::addProfile},
        {"device_sub_btn", &ui::CDeviceProfileUI::deleteProfile},
        {"device_export_btn", &ui::CDeviceProfileUI::exportProfile},
        {"device_import_btn", &ui::CDeviceProfileUI::importProfile},
        {"device_copy_btn", &ui::CDeviceProfileUI::copyProfile},
        {"device_reset_btn", &ui::CDeviceProfileUI::resetProfile},
        {"device_profile_edit_save_btn", &ui::CDeviceProfileUI::renameProfile},
    };
    ui::CDeviceProfileUI* selector = selectedProfileSelector();
    if (name == QLatin1String("profile_fun_spread_btn")) {
        if (selector)
            selector->showProfileMenu(!selector->isProfileMenuVisible());
        return true;
    }
    for (const ProfileButton& button : kButtons) {
        if (name == QLatin1String(button.name)) {
            if (selector)
                (selector->*button.command)();
            return true;
        }
    }
    return false;
}

void CMainWnd::selectNeighbour(int step)
{
    int selected = -1;
    for (int i = 0; i < static_cast<int>(m_devices.size()); ++i) {
        if (m_devices[i].entry->isOnline() && m_devices[i].entry->isSelected())
            selected = i;
    }
    if (selected < 0)
        return;
    for (int i = selected + step; i >= 0 && i < static_cast<int>(m_devices.size()); i += step) {
        if (m_devices[i].entry->isOnline()) {
            selectDevice(i, true, true);
            return;
        }
    }
}

void CMainWnd::restoreFactorySettings()
{
    auto* mouse = qobject_cast<CQuellonMouseDevice*>(selectedDevice());
    if (!mouse || prompt(QString(), QStringLiteral("message_text_22")) != 1)
        return;
    mouse->reloadProfile();
    mouse->writeSettingsPage(0, 0);
}

int CMainWnd::prompt(const QString& titleId, const QString& textId)
{
    if (m_prompt)
        return m_prompt(titleId, textId);
    const QString title = titleId.isEmpty() ? QString() : m_resources.language.text(titleId);
    return ui::showPrompt(m_resources, this, title, textId, 96, true, ui::CMsgWnd::Question);
}

QWidget* CMainWnd::control(const QString& name) const
{
    return m_frame ? m_frame->findChild<QWidget*>(name) : nullptr;
}

}  // namespace kestrion
