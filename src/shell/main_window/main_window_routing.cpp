// Routing of the window's notifications: the title bar, the device selector and the profile
// selector; a page's own controls go to its page.
#include "shell/main_window/main_window.h"

#include <QAbstractButton>
#include <QComboBox>

#include "devices/mouse_device.h"
#include "pages/device_view.h"
#include "shell/main_window/main_window_names.h"
#include "ui/device_option.h"
#include "ui/device_profile.h"
#include "ui/family_name.h"
#include "ui/language_manager.h"

namespace kestrion {

void CMainWnd::onClick(const QString& name)
{
    if (runProfileCommand(name) || routeLightingClick(name))
        return;
    if (name == QLatin1String("closebtn")) {
        hideToTray();
    } else if (name == QLatin1String("control_light_status")) {
        toggleLightControl();
    } else if (name == QLatin1String("skinbtn")) {
        openSkinFrame();
    } else if (name == QLatin1String("setbtn")) {
        openSettings();
    } else if (name == QLatin1String("music_setting_btn")) {
        openAudioStyles();
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

CQuellonUSBDevice* CMainWnd::deviceOf(const QWidget* control) const
{
    if (!control)
        return selectedDevice();
    for (const DeviceRecord& record : m_devices) {
        const QWidget* view = record.view;
        if (view && (view == control || view->isAncestorOf(control)))
            return record.device;
    }
    return nullptr;
}

bool CMainWnd::routeToPage(const ui::UiNotification& notification)
{
    if (!notification.control)
        return false;
    DeviceView* view = viewOf(deviceOf(notification.control));
    return view && view->routeNotification(notification.type, notification.sender, notification.control);
}

void CMainWnd::onSelectChanged(const QString& name, QWidget* control)
{
    if (const int tab = ui::CDeviceProfileUI::tabNumber(name); tab > 0) {
        showFunctionPage(tab);
        return;
    }
    if (name == QLatin1String("synchro_device_select")) {
        refreshLightSync();
        return;
    }
    if (name == QLatin1String("device_select")) {
        for (int i = 0; i < static_cast<int>(m_devices.size()); ++i) {
            if (m_devices[i].entry->selectOption() == control)
                selectDevice(i, true, true);
        }
    }
}

void CMainWnd::showFunctionPage(int tab)
{
    if (DeviceView* view = selectedView())
        view->showFunctionPage(tab);
    if (ui::CDeviceProfileUI* selector = selectedProfileSelector())
        selector->SelectTab(tab);
}

void CMainWnd::onItemSelect(const QString& name, const QWidget* control)
{
    if (name != QLatin1String("device_profile_combo"))
        return;
    if (ui::CDeviceProfileUI* selector = profileSelectorOf(deviceOf(control)))
        selector->selectProfile(selector->selector()->currentIndex());
}

void CMainWnd::toggleLightControl()
{
    setLightControl(!m_lightControl);
}

ui::CDeviceProfileUI* CMainWnd::selectedProfileSelector() const
{
    return profileSelectorOf(selectedDevice());
}

ui::CDeviceProfileUI* CMainWnd::profileSelectorOf(const CQuellonUSBDevice* device) const
{
    const DeviceView* view = viewOf(device);
    return view ? view->profileSelector() : nullptr;
}

QStringList CMainWnd::profileNames() const
{
    return profileNamesOf(selectedDevice());
}

QStringList CMainWnd::profileNamesOf(const CQuellonUSBDevice* device) const
{
    QStringList names;
    if (ui::CDeviceProfileUI* selector = profileSelectorOf(device)) {
        for (int i = 0; i < selector->selector()->count(); ++i)
            names.append(selector->selector()->itemText(i));
    }
    return names;
}

int CMainWnd::selectedProfile() const
{
    return selectedProfileOf(selectedDevice());
}

int CMainWnd::selectedProfileOf(const CQuellonUSBDevice* device) const
{
    ui::CDeviceProfileUI* selector = profileSelectorOf(device);
    return selector ? selector->selectedIndex() : -1;
}

void CMainWnd::chooseProfile(int index)
{
    chooseProfileOf(selectedDevice(), index);
}

void CMainWnd::chooseProfileOf(CQuellonUSBDevice* device, int index)
{
    ui::CDeviceProfileUI* selector = profileSelectorOf(device);
    if (!selector || index < 0 || index >= selector->selector()->count())
        return;
    selector->selector()->setCurrentIndex(index);
    selector->selectProfile(index);
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
            // Resetting a profile also gives the audio light styles their defaults back.
            const QMetaObject::Connection reset =
                selector ? connect(selector, &ui::CDeviceProfileUI::profileReset, this, &CMainWnd::resetAudioStyles)
                         : QMetaObject::Connection();
            if (selector)
                (selector->*button.command)();
            disconnect(reset);
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
    mouse->applyProfileToDevice();
}

}  // namespace kestrion
