// The main window's frame and life: building it, discovery, showing and hiding, and the
// messages from the device objects.
#include "shell/main_window/main_window.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QMetaObject>
#include <QMouseEvent>
#include <QProcess>
#include <QShortcut>

#include <chrono>
#include <future>

#include "audio/companion_link.h"
#include "devices/mouse_device.h"
#include "platform/diagnostics.h"
#include "platform/log.h"
#include "profiles/update_rows.h"
#include "shell/main_window/main_window_names.h"
#include "ui/device_option.h"
#include "ui/display_scale.h"
#include "ui/focus_ring.h"
#include "ui/language_manager.h"
#include "ui/notification_bridge.h"
#include "ui/product_names.h"
#include "ui/settings_window.h"
#include "ui/skin.h"
#include "shell/tray.h"

namespace kestrion {
namespace {

using namespace main_window;

constexpr auto kHandOverPoll = std::chrono::milliseconds(20);
constexpr int kCurrentFirmware = 0x0104;
constexpr const char* kUpdater = "QXTRAM-V0104-20260129";
constexpr const char* kUpdaterArgument = "On the upgrade";
constexpr const char* kUpdatePromptTitle = "UpdateTiShi";
constexpr const char* kUpdatePromptText = "UpdateTiShiText";
constexpr const char* kNoUpdaterPromptText = "UpdateNeedsUpdaterText";

}  // namespace

CMainWnd::CMainWnd(const ui::UiResources& resources, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint), m_resources(resources)
{
    setObjectName(QStringLiteral("MainWnd"));
    setWindowTitle(QString::fromLatin1(ui::kWindowTitle));

    connect(&m_capture, &InputCapture::captured, this, &CMainWnd::onCaptured);
    connect(&m_capture, &InputCapture::pausedChanged, this, &CMainWnd::onCapturePaused);
}

CMainWnd::~CMainWnd()
{
    // Closing the frame moves the focus out of an edit; its notification must not reach a
    // window that is half gone.
    delete m_bridge;
    m_bridge = nullptr;
    // The settings window's update page holds the devices: it goes while they are all there.
    delete m_settingsWindow;
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
    new ui::FocusRing(this);
    auto* quit = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q), this);
    connect(quit, &QShortcut::activated, this, &CMainWnd::exitRequested);
    if (QWidget* error = control(kErrorDevice))
        error->hide();
    if (QWidget* hint = control(kAccessHint))
        hint->hide();
    setLanguageSwitch(m_languages);
    setSkinSettings(m_skinSettings);
    // The mouse has its object before any device is seen. The keyboard's is made on its first
    // arrival, like the other products': no shipped table row matches a keyboard, and an object
    // made up front would list a keyboard that can never come.
    createDevice(0);
    hide();
    showLightControl();
    emit lightControlChanged(m_lightControl);
    startLightSync();
    loadAudioStyles();
    greetAudioCompanion();
    startDiscovery();
    return true;
}

void CMainWnd::stopThreads()
{
    if (m_discovery)
        m_discovery->stop();
    stopLightSync();
    if (m_audio)
        m_audio->farewell();
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
    if (routeToKeyEditor(notification) || routeToPage(notification))
        return;
    const QString& type = notification.type;
    if (type == QLatin1String("click"))
        onClick(notification.sender);
    else if (type == QLatin1String("selectchanged"))
        onSelectChanged(notification.sender, notification.control);
    else if (type == QLatin1String("itemselect"))
        onItemSelect(notification.sender, notification.control);
}

void CMainWnd::sendMessage(std::uint32_t message, std::intptr_t wParam, std::intptr_t lParam)
{
    switch (message) {
    case ui::WM_USB_MAINMESS_DEVICE_ONLINE:
        onDeviceOnline(static_cast<int>(wParam), lParam != 0);
        refreshLightSync();
        break;
    case ui::WM_USB_MAINMESS_FIRMWARE_VERSION:
        onFirmwareVersion(static_cast<int>(lParam));
        break;
    case ui::WM_USB_MAINMESS_DEVICE_IS_INITUI:
        onDeviceState(wParam == 1);
        break;
    case ui::WM_USB_MAINMESS_HOOK_SWITCH:
        switchCapture(wParam == 1);
        break;
    case ui::WM_USB_MAINMESS_UPDATE_SEEN:
        showUpdateBadge(false);
        break;
    default:
        break;
    }
}

void CMainWnd::showNotice(const QString& textId, std::optional<int> number)
{
    if (m_prompt) {
        m_prompt(QString(), textId);
        return;
    }
    // Shown without waiting for anybody: whatever told it goes on at once. A notice already
    // showing is not shown again.
    const QString text =
        number ? m_resources.language.text(textId).replace(QStringLiteral("%d"), QString::number(*number)) : textId;
    if (m_noticesShown.contains(text))
        return;
    m_noticesShown.insert(text);
    ui::showPromptLater(m_resources, this, QString(), text, !number, ui::CMsgWnd::Notice,
                        [this, text](int) { m_noticesShown.remove(text); });
}

bool CMainWnd::ask(const QString& textId)
{
    return prompt(QString(), textId) == 1;
}

void CMainWnd::askLater(const QString& textId, std::function<void(bool yes)> answered)
{
    promptLater(QString(), textId, [answered = std::move(answered)](int result) { answered(result == 1); });
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
    if (!m_awake)
        return;
    if (onlineCount() > 0)
        showNoDeviceLayout(false, "UIMSG_TRAYICON>pNoDeviceLinkLyout    false");
    else
        showNoDeviceLayout(true, "UIMSG_TRAYICON>pNoDeviceLinkLyout    true");
    if (isVisible() && !isMinimized())
        hideToTray();
    else
        activate();
}

void CMainWnd::attachTray(ui::Tray& tray)
{
    connect(&tray, &ui::Tray::menuAboutToShow, this,
            [this, &tray] { tray.setProfiles(profileNames(), selectedProfile()); });
    connect(&tray, &ui::Tray::profileChosen, this, [this](int index) {
        if (m_awake)
            chooseProfile(index);
    });
    connect(&tray, &ui::Tray::showWindowRequested, this, [this] {
        if (m_awake)
            activate();
    });
    connect(this, &CMainWnd::batteryChanged, &tray, [&tray](int percent) { tray.showBattery(percent); });
}

void CMainWnd::setSystemAwake(bool awake)
{
    if (awake == m_awake)
        return;
    m_awake = awake;
    // Asleep, the devices' lights are left to the system; awake, they take the status again.
    for (DeviceRecord& record : m_devices)
        record.device->setLightControl(awake && m_lightControl);
    if (!awake)
        return;
    for (DeviceRecord& record : m_devices)
        record.device->recheckLink();
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

CQuellonUSBDevice* CMainWnd::deviceAt(int index) const
{
    return index >= 0 && index < static_cast<int>(m_devices.size()) ? m_devices[static_cast<std::size_t>(index)].device
                                                                    : nullptr;
}

DeviceView* CMainWnd::viewOf(const CQuellonUSBDevice* device) const
{
    for (const DeviceRecord& record : m_devices) {
        if (device && record.device == device)
            return record.view;
    }
    return nullptr;
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

// The frameless window moves with a drag that starts on its own background, until the button
// is released; the moves a control's own drag passes on (across the lights of the mouse
// picture) leave it where it is.
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

void CMainWnd::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        m_dragging = false;
    QWidget::mouseReleaseEvent(event);
}

void CMainWnd::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        hideToTray();
        return;
    }
    QWidget::keyPressEvent(event);
}

// A wireless device that stops answering behind its receiver has gone to sleep: it keeps its
// entry, shown asleep, and its page, and the selector stays where the user left it; its changes
// wait and are written when it wakes. A device that was never reached is hidden, as is one
// whose link went.
void CMainWnd::onDeviceOnline(int index, bool online)
{
    ui::CDeviceOptionUI* option = entry(index);
    CQuellonUSBDevice* device = deviceAt(index);
    if (!option || !device)
        return;
    if (!online) {
        if (device->isWireless() && option->isOnline() && device->commandChannel().isOpen())
            option->setAsleep(true);
        else
            hideDevice(index);
        return;
    }
    option->setAsleep(false);
    if (option->device() && !option->isOnline())
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
    const QString folder = updaterFolder();
    const QString updater =
        QString::fromStdString(findUpdateProgram({folder.toStdString()}, kUpdater));
    // Without the maker's updater beside the program the prompt says so instead of promising
    // an update; confirming then keeps the tool running on the old firmware.
    const QString text = QString::fromLatin1(updater.isEmpty() ? kNoUpdaterPromptText : kUpdatePromptText);
    promptLater(QString::fromLatin1(kUpdatePromptTitle), text, [this, updater, folder](int answer) {
        if (answer != 1) {
            emit exitRequested();
            return;
        }
        if (!updater.isEmpty())
            QProcess::startDetached(updater, {QString::fromLatin1(kUpdaterArgument)}, folder);
    });
}

QString CMainWnd::updaterFolder() const
{
    return QCoreApplication::applicationDirPath() + QStringLiteral("/Update");
}

void CMainWnd::onDeviceState(bool usable)
{
    m_layoutGate = usable;
    if (QWidget* error = control(kErrorDevice))
        error->setVisible(!usable);
}

int CMainWnd::prompt(const QString& titleId, const QString& textId)
{
    if (m_prompt)
        return m_prompt(titleId, textId);
    const QString title = titleId.isEmpty() ? QString() : m_resources.language.text(titleId);
    return ui::showPrompt(m_resources, this, title, textId, 96, true, ui::CMsgWnd::Question);
}

void CMainWnd::promptLater(const QString& titleId, const QString& textId, std::function<void(int)> answered)
{
    if (m_prompt) {
        answered(m_prompt(titleId, textId));
        return;
    }
    const QString title = titleId.isEmpty() ? QString() : m_resources.language.text(titleId);
    ui::showPromptLater(m_resources, this, title, textId, true, ui::CMsgWnd::Question, std::move(answered));
}

QWidget* CMainWnd::control(const QString& name) const
{
    return m_frame ? m_frame->findChild<QWidget*>(name) : nullptr;
}

}  // namespace kestrion
