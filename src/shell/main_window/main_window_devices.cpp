// The device manager's window side: device objects and their entries, arrival and removal,
// the cable/receiver link switch, the selector and the no-device layout.
#include "shell/main_window/main_window.h"

#include <QLayout>
#include <QStackedWidget>

#include "devices/hs6533_device.h"
#include "devices/mouse_pad_device.h"
#include "devices/keyboard_device.h"
#include "devices/mouse_device.h"
#include "pages/headset_view.h"
#include "pages/keyboard_view.h"
#include "pages/mouse_view.h"
#include "pages/pad_view.h"
#include "platform/audio/system_audio_effects.h"
#include "platform/log.h"
#include "profiles/program_folders.h"
#include "shell/device_manager/device_models.h"
#include "shell/main_window/main_window_names.h"
#include "ui/device_option.h"
#include "ui/device_profile.h"
#include "ui/language_manager.h"
#include "ui/notification_bridge.h"
#include "ui/power_display.h"
#include "ui/skin.h"

namespace kestrion {
namespace {

using namespace main_window;

constexpr const char* kNoDeviceTitle = "nodevice_title_label";
constexpr const char* kNoDeviceHint = "nodevice_hint_label";

struct NoDeviceTexts {
    const char* title;
    const char* hint;
};
// Nothing plugged in; a receiver without its mouse.
constexpr NoDeviceTexts kNoDeviceTexts[] = {
    {"no_device_link_text", "no_device_link_hint_text"},
    {"receiver_mouse_off_text", "receiver_mouse_off_hint_text"},
};

// The device's timers run on its selector entry.
class EntrySelector : public DeviceSelector {
public:
    explicit EntrySelector(ui::CDeviceOptionUI& entry) : m_entry(entry) {}
    void setTimer(int id, int ms, bool oneShot) override { m_entry.timers().setTimer(id, ms, oneShot); }
    void killTimer(int id) override { m_entry.timers().killTimer(id); }
    // An entry shown asleep waits for its device: the device is not reached.
    bool isOnline() const override { return m_entry.isOnline() && !m_entry.isAsleep(); }

private:
    ui::CDeviceOptionUI& m_entry;
};

// A device object, once its setup is given, and the page that shows it.
struct DeviceMaker {
    DeviceKind kind;
    std::unique_ptr<CQuellonUSBDevice> (*make)();
    void (*prepare)(CQuellonUSBDevice& device);
    DeviceView* (*view)(CQuellonUSBDevice& device);
};

template <typename Device>
std::unique_ptr<CQuellonUSBDevice> makeDevice()
{
    return std::make_unique<Device>();
}

// The headset's audio side is the system's sound cards and equaliser; none found, its page says so.
std::unique_ptr<CQuellonUSBDevice> makeHeadset()
{
    auto headset = std::make_unique<CQuellonHS6533Device>();
    headset->setAudioEffects(audio::openSystemAudioEffects());
    return headset;
}

template <typename Device>
void prepare(CQuellonUSBDevice& device)
{
    static_cast<Device&>(device).prepare();
}

template <typename View, typename Device>
DeviceView* pageOf(CQuellonUSBDevice& device)
{
    return new View(static_cast<Device&>(device));
}

// The products that have a page so far; others are found but get no object.
constexpr DeviceMaker kDeviceMakers[] = {
    {DeviceKind::Mouse, makeDevice<CQuellonMouseDevice>, prepare<CQuellonMouseDevice>,
     pageOf<MouseView, CQuellonMouseDevice>},
    {DeviceKind::MousePad, makeDevice<CQuellonMousePadDevice>, prepare<CQuellonMousePadDevice>,
     pageOf<PadView, CQuellonMousePadDevice>},
    {DeviceKind::Keyboard, makeDevice<CQuellonKeyboardDevice>, prepare<CQuellonKeyboardDevice>,
     pageOf<KeyboardView, CQuellonKeyboardDevice>},
    {DeviceKind::Headset, makeHeadset, prepare<CQuellonHS6533Device>, pageOf<HeadsetView, CQuellonHS6533Device>},
};

const DeviceMaker* makerOf(DeviceKind kind)
{
    for (const DeviceMaker& maker : kDeviceMakers) {
        if (maker.kind == kind)
            return &maker;
    }
    return nullptr;
}

}  // namespace

bool CMainWnd::createDevice(int modelIndex)
{
    const DeviceModel& model = kDeviceModelTable[modelIndex];
    const DevicePage& pageRow = kDevicePageTable[modelIndex];
    const DeviceMaker* maker = makerOf(model.deviceKind);
    if (!maker)
        return false;
    std::unique_ptr<CQuellonUSBDevice> device = maker->make();
    auto* pages = qobject_cast<QStackedWidget*>(control(kPageContainer));
    auto* powers = qobject_cast<QStackedWidget*>(control(kPowerContainer));
    QWidget* selector = control(kSelectorContainer);
    if (!pages || !powers || !selector)
        return false;

    auto power = std::make_unique<ui::CMpDevicePowerUI>(m_resources);
    auto option = std::make_unique<ui::CDeviceOptionUI>(m_resources);
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
    device->setHost(this);
    // Messages about the device name it by its place in the device list.
    device->setDeviceIndex(static_cast<int>(m_devices.size()));
    device->setWireless(pageRow.wireless != 0);
    device->setModelValue(model.deviceParameter);
    maker->prepare(*device);
    std::unique_ptr<DeviceView> view(maker->view(*device));
    view->setLanguage(&m_resources.language);
    if (!power->isBuilt() || !option->isBuilt() || !view->build(m_resources.skin, m_resources.factory))
        return false;
    m_resources.language.apply(view.get());
    if (ui::CDeviceProfileUI* selector = view->profileSelector())
        selector->setResources(m_resources);

    power->setKind(setup.deviceKind, static_cast<int>(model.interfaceRole));
    power->showWireless(pageRow.wireless != 0);
    connect(device.get(), &CQuellonUSBDevice::powerRead, power.get(), [power = power.get()](const QByteArray& record) {
        power->showPowerRecord(std::span(reinterpret_cast<const std::uint8_t*>(record.constData()),
                                         static_cast<std::size_t>(record.size())));
    });
    connect(power.get(), &ui::CMpDevicePowerUI::recordShown, this,
            [this, deviceObject = device.get()](int percent, bool onBattery) {
                onPowerShown(deviceObject, percent, onBattery);
            });
    const int powerIndex = powers->addWidget(power.get());
    const int pageIndex = pages->addWidget(view.get());

    option->showSynchroOption(false);
    option->setGroup(QString::fromUtf8(model.selectorGroup.data(), model.selectorGroup.size()));
    option->bindPage(pages, pageIndex);
    option->bindPower(kPowerContainer, powerIndex);
    option->setIcons(setup.deviceKind, static_cast<int>(model.interfaceRole));
    const std::optional<SelectorIcons> icons = selectorIcons(setup.deviceKind, static_cast<int>(model.interfaceRole));
    option->setName(m_resources.language.text(QString::fromStdString(icons ? icons->tooltipTextId : "")));
    option->setOnline(false);
    option->setDevice(view.get());
    CQuellonUSBDevice* deviceObject = device.get();
    option->setTimerHandler([deviceObject](int id) { deviceObject->runSelectorTimer(id); });
    if (selector->layout())
        selector->layout()->addWidget(option.get());
    else
        option->setParent(selector);
    auto selectorLink = std::make_unique<EntrySelector>(*option);
    device->setSelectorEntry(selectorLink.get());
    m_bridge->attach(view.get());
    m_bridge->attach(option.get());
    bindMacroPage(*view);

    // The device object goes with the window, after its page (the page container's child).
    device->setParent(this);
    m_devices.push_back({device.release(), view.release(), option.release(), power.release(), std::move(selectorLink),
                         modelIndex});
    emit deviceCreated(static_cast<int>(m_devices.size()) - 1);
    return true;
}

// The device object of the slot's product (a receiver's and a notification row's included).
CMainWnd::DeviceRecord* CMainWnd::recordForSlot(int slot)
{
    const std::optional<int> model = modelForTableRow(kSupportedDeviceTable[slot], InterfaceRole::Command);
    for (DeviceRecord& record : m_devices) {
        if (model && record.modelIndex == *model)
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
    followRemainingLink();
}

// A form of the mouse went while the other carries on (the cable pulled after the firmware
// prompt, the receiver still linked): the page shows the mouse again.
void CMainWnd::followRemainingLink()
{
    if (onlineCount() > 0 && isControlShown(QString::fromLatin1(kNoDevice)))
        showNoDeviceLayout(false, "DeviceRemoved>pNoDeviceLinkLyout    false");
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
            switchLink(slot, LinkKind::Wired);
        return;
    }
    DeviceRecord* record = recordForSlot(slot);
    if (record->device->commandChannel().isOpen())
        return;
    if (!record->device->attachCommandLink(arrived->devicePath, kind))
        return;
    // The headset's one interface carries its notices next to the command replies.
    if (kind == kHeadsetKind)
        record->device->attachNotificationLink(arrived->devicePath, kind);
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
            switchLink(slot, LinkKind::Receiver);
        return;
    }
    record->device->closeCommandLinks();
    if (kind == kHeadsetKind)
        record->device->detachNotificationLink(kind);
    hideDevice(indexOf(record));
}

// `slot` is the mouse's cable: it arrived (to the cable) or went (back to its receiver).
void CMainWnd::switchLink(int slot, LinkKind target)
{
    CQuellonUSBDevice& device = *recordForSlot(slot)->device;
    const int chosenSlot = target == LinkKind::Wired ? slot : kSupportedDeviceTable[slot].partnerIndex;
    if (const std::optional<DeviceSlot> chosen = m_discovery->slot(chosenSlot))
        device.switchCommandLink(chosen->devicePath, target);
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
            emit batteryChanged(-1, false);
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
        // No device is left whose battery could be shown.
        if (auto* powers = qobject_cast<QStackedWidget*>(control(kPowerContainer)))
            powers->hide();
        emit batteryChanged(-1, false);
    } else {
        showNoDeviceLayout(false, "DeviceSelectChanger>pNoDeviceLinkLyout    false");
    }
}

void CMainWnd::hideDevice(int index)
{
    ui::CDeviceOptionUI* option = entry(index);
    if (!option)
        return;
    option->setAsleep(false);
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
    refreshLightSync();
    activate();
}

void CMainWnd::showNoDeviceLayout(bool shown, const char* logLine)
{
    if (!m_layoutGate)
        return;
    if (shown)
        showNoDeviceTexts();
    if (QWidget* noDevice = control(kNoDevice))
        noDevice->setVisible(shown);
    if (QWidget* hint = control(kAccessHint))
        hint->setVisible(shown && !m_deniedPath.empty());
    writeLog(logLine);
}

// A receiver whose mouse does not answer is no missing device: the layout says the mouse is off
// or asleep instead of asking to plug it in.
void CMainWnd::showNoDeviceTexts()
{
    const bool waiting = receiverWaitsForMouse();
    const NoDeviceTexts& texts = kNoDeviceTexts[waiting ? 1 : 0];
    if (QWidget* title = control(kNoDeviceTitle))
        m_resources.language.setTextId(title, QString::fromLatin1(texts.title));
    if (QWidget* hint = control(kNoDeviceHint))
        m_resources.language.setTextId(hint, QString::fromLatin1(texts.hint));
}

bool CMainWnd::receiverWaitsForMouse() const
{
    for (const DeviceRecord& record : m_devices) {
        CommandChannel& channel = record.device->commandChannel();
        if (channel.isOpen() && channel.receiverMode() && !record.entry->isOnline())
            return true;
    }
    return false;
}

void CMainWnd::onPowerShown(const CQuellonUSBDevice* device, int percent, bool onBattery)
{
    if (device == selectedDevice())
        emit batteryChanged(percent, onBattery);
}

}  // namespace kestrion
