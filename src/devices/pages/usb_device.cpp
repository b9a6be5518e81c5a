#include "devices/pages/usb_device.h"

#include <QMetaObject>
#include <QPointer>
#include <QStackedWidget>

#include <algorithm>
#include <utility>

#include "platform/diagnostics.h"
#include "ui/control_factory.h"
#include "ui/device_key_button.h"
#include "ui/family_name.h"
#include "ui/main_window_sink.h"
#include "ui/skin.h"

namespace kestrion {
namespace {

constexpr int kReceiverKind = 6;
constexpr int kKeyboardReceiverKind = 9;

constexpr int kLinkRetryMs = 5000;
constexpr int kKeepAliveStartMs = 50;
constexpr int kLightFrameWiredMs = 5;
constexpr int kLightFrameReceiverMs = 500;
constexpr int kLinkWatchFirstMs = 2000;
constexpr int kLinkWatchMs = 3000;
constexpr int kPowerPollMs = 3000;
constexpr int kMinuteMs = 60000;
constexpr int kKeepAliveLeadMs = 10000;

constexpr const char* kKeyPrefix = "key_";
constexpr const char* kLightPrefix = "light_";
constexpr const char* kSelectPanelClass = "SelectPanel";
constexpr const char* kFunctionPageProperty = "functionPage";

void placeAt(QList<ui::CDeviceKeyButtonUI*>& list, int index, ui::CDeviceKeyButtonUI* button)
{
    if (list.size() <= index)
        list.resize(index + 1);
    list[index] = button;
}

QColor previewColour(std::uint32_t colour)
{
    return QColor((colour >> 16) & 0xFF, (colour >> 8) & 0xFF, colour & 0xFF, colour >> 24);
}

}  // namespace

LinkKind linkKindOf(int deviceKind)
{
    return deviceKind == kReceiverKind || deviceKind == kKeyboardReceiverKind ? LinkKind::Receiver
                                                                              : LinkKind::Wired;
}

CQuellonUSBDevice::CQuellonUSBDevice(QWidget* parent) : QWidget(parent)
{
    setProperty("controlClass", QStringLiteral("QuellonUSBDevice"));
}

CQuellonUSBDevice::~CQuellonUSBDevice()
{
    closeLinks();
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

bool CQuellonUSBDevice::switchCommandLink(const std::string& path)
{
    std::lock_guard lock(m_channel.ioLock());
    const bool toWired = m_channel.receiverMode();
    m_channel.setOpen(false);
    HidDevice& link = toWired ? m_channel.wiredLink() : m_channel.receiverLink();
    link.close();
    if (!link.open(path, true, true, true, false))
        return false;
    m_channel.setOpen(true);
    m_channel.setLinkMode(toWired ? 1 : 2);
    return true;
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
    std::lock_guard lock(m_channel.ioLock());
    m_channel.setOpen(false);
    m_channel.wiredLink().close();
    m_channel.receiverLink().close();
}

bool CQuellonUSBDevice::notificationLinkOpen(LinkKind kind) const
{
    return m_notify[kind == LinkKind::Receiver ? 1 : 0].open;
}

void CQuellonUSBDevice::setWindowHidden(bool hidden)
{
    const bool changed = hidden != m_windowHidden;
    m_windowHidden = hidden;
    if (!changed)
        return;
    if (hidden)
        killSelectorTimer(kTimerLightFrame);
    else if (m_channel.isOpen())
        armSelectorTimer(kTimerLightFrame, lightFramePeriod(), false);
}

bool CQuellonUSBDevice::buildPage(const ui::Skin& skin, ui::ControlFactory& factory)
{
    delete m_page;
    m_page = skin.buildInto(m_setup.pageLayout, factory, *this);
    if (!m_page)
        return false;
    initPage();
    return true;
}

void CQuellonUSBDevice::showFunctionPage(int page)
{
    m_functionPage = page;
    if (!m_page)
        return;
    for (QStackedWidget* pages : m_page->findChildren<QStackedWidget*>()) {
        for (int i = 0; i < pages->count(); ++i) {
            if (pages->widget(i)->property(kFunctionPageProperty).toInt() == page) {
                pages->setCurrentIndex(i);
                return;
            }
        }
    }
}

void CQuellonUSBDevice::initPage()
{
    if (m_page)
        bindKeyButtons(m_page);
}

void CQuellonUSBDevice::bindKeyButtons(QWidget* root)
{
    m_keyButtons.clear();
    m_lightButtons.clear();
    for (QWidget* panel : root->findChildren<QWidget*>()) {
        if (panel->property("controlClass").toString() != kSelectPanelClass)
            continue;
        for (auto* button : panel->findChildren<ui::CDeviceKeyButtonUI*>()) {
            const ui::FamilyName family = ui::splitFamilyName(button->objectName());
            if (family.prefix == QLatin1String(kKeyPrefix))
                placeAt(m_keyButtons, family.index, button);
            else if (family.prefix == QLatin1String(kLightPrefix))
                placeAt(m_lightButtons, family.index, button);
        }
    }
    m_keyColours.assign(m_lightButtons.size(), 0);
}

void CQuellonUSBDevice::pushLightFrame()
{
    for (int i = 0; i < m_lightButtons.size(); ++i) {
        if (m_lightButtons[i])
            m_lightButtons[i]->setLightColour(previewColour(getKeyColour(i)));
    }
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

void CQuellonUSBDevice::runFirstRead()
{
    if (m_channel.receiverMode() && m_channel.isOpen()) {
        if (!isLinkAlive()) {
            if (m_selector && m_selector->isOnline())
                reportOnline(false);
            armSelectorTimer(kTimerFirstRead, kLinkRetryMs, true);
            return;
        }
        armSelectorTimer(kTimerKeepAlive, kKeepAliveStartMs, true);
        reportOnline(true);
    }
    readAll();
    if (!m_windowHidden)
        armSelectorTimer(kTimerLightFrame, lightFramePeriod(), false);
    m_channel.sendReadyNotice();
    if (m_channel.receiverMode())
        armSelectorTimer(kTimerLinkWatch, kLinkWatchFirstMs, true);
}

void CQuellonUSBDevice::watchLink()
{
    if (!m_channel.isOpen() || !m_channel.receiverMode())
        return;
    armSelectorTimer(kTimerLinkWatch, kLinkWatchMs, true);
    const bool online = m_selector && m_selector->isOnline();
    if (isLinkAlive()) {
        if (online)
            return;
        reportOnline(true);
        if (m_wireless) {
            m_channel.sendReadyNotice();
            readPowerStatus();
        }
    } else if (online) {
        reportOnline(false);
    }
}

// A device that never sleeps (a sleep time of 0) needs no keep-alive: the timer stops.
void CQuellonUSBDevice::keepAlive()
{
    m_channel.beginConfig();
    m_channel.endConfig();
    armSelectorTimer(kTimerKeepAlive, keepAliveMinutes() * kMinuteMs - kKeepAliveLeadMs, true);
}

void CQuellonUSBDevice::reportOnline(bool online)
{
    sendToMainWindow(ui::WM_USB_MAINMESS_DEVICE_ONLINE, m_deviceIndex, online ? 1 : 0);
}

int CQuellonUSBDevice::lightFramePeriod() const
{
    return m_channel.receiverMode() ? kLightFrameReceiverMs : kLightFrameWiredMs;
}

void CQuellonUSBDevice::handleNotification(LinkKind, const std::uint8_t*, std::size_t) {}

void CQuellonUSBDevice::runOnUiThread(std::function<void()> call)
{
    QMetaObject::invokeMethod(this, std::move(call), Qt::QueuedConnection);
}

void CQuellonUSBDevice::sendToMainWindow(std::uint32_t message, std::intptr_t wParam, std::intptr_t lParam)
{
    if (m_mainWindow)
        m_mainWindow->sendMessage(message, wParam, lParam);
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

}  // namespace kestrion
