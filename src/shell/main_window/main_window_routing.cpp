// Routing of the pages' notifications: apply-and-save for the mouse settings, the title bar,
// the device selector and the profile selector.
#include "shell/main_window/main_window.h"

#include <QAbstractButton>
#include <QComboBox>

#include "devices/pages/mouse_device.h"
#include "shell/main_window/main_window_names.h"
#include "ui/device_option.h"
#include "ui/device_profile.h"
#include "ui/family_name.h"
#include "ui/language_manager.h"

namespace kestrion {
namespace {

using namespace main_window;

// Settings whose change is applied to the selected device and saved, by family prefix or name.
constexpr const char* kAppliedOptionFamilies[] = {
    "DPI_enable_check_", "polling_rate_option_", "Silent_Altitude_option_", "Linear_Calibration_option_",
    "Ripple_option_",
};

// Settings kept in the profile only, by control name.
constexpr const char* kProfileOnlyChecks[] = {"pointer_precision_check", "scrolls_page_check"};
constexpr const char* kProfileOnlySliders[] = {"pointer_speed_slider", "scroll_speed_slider", "double_click_slider"};

constexpr const char* kAppliedCombos[] = {
    "Anti_Shake_combo_timeSelect", "ble_sleep1_combo", "ble_sleep2_combo", "device_sleep1_combo",
    "device_sleep2_combo", "logo_led_mode_combo",
};

}  // namespace

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

CQuellonMouseDevice* CMainWnd::mouseOf(const QWidget* control) const
{
    return qobject_cast<CQuellonMouseDevice*>(deviceOf(control));
}

void CMainWnd::onSelectChanged(const QString& name, QWidget* control)
{
    CQuellonMouseDevice* mouse = mouseOf(control);
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
        return;
    }
    if (!mouse)
        return;
    const ui::FamilyName family = ui::splitFamilyName(name);
    if (family.prefix == QLatin1String("DPI_select_check_")) {
        mouse->selectStage(family.index);
        applyAndSave(*mouse);
        return;
    }
    if (ui::isOneOf(family.prefix, kAppliedOptionFamilies))
        applyAndSave(*mouse);
    else if (ui::isOneOf(name, kProfileOnlyChecks))
        saveToProfile(*mouse);
}

void CMainWnd::onValueChanged(const QString& name, const QWidget* control)
{
    CQuellonMouseDevice* mouse = mouseOf(control);
    if (!mouse)
        return;
    if (ui::splitFamilyName(name).prefix == QLatin1String("DPI_slider_")) {
        applyAndSave(*mouse);
        return;
    }
    if (!ui::isOneOf(name, kProfileOnlySliders))
        return;
    // Choosing a number of lines turns scrolling by page off.
    if (name == QLatin1String("scroll_speed_slider")) {
        if (auto* byPage = mouse->page()->findChild<QAbstractButton*>(QStringLiteral("scrolls_page_check")))
            byPage->setChecked(false);
    }
    saveToProfile(*mouse);
}

void CMainWnd::showFunctionPage(int tab)
{
    if (DeviceView* view = selectedView())
        view->showFunctionPage(tab);
    if (ui::CDeviceProfileUI* selector = selectedProfileSelector())
        selector->SelectTab(tab);
}

void CMainWnd::onKillFocus(const QString& name, const QWidget* control)
{
    const ui::FamilyName family = ui::splitFamilyName(name);
    CQuellonMouseDevice* mouse = mouseOf(control);
    if (mouse && family.prefix == QLatin1String("DPI_edit_")) {
        mouse->applyDpiEdit(family.index);
        applyAndSave(*mouse);
    }
}

// A DPI confirmed with Enter counts as much as one confirmed by leaving the box.
void CMainWnd::onReturn(const QString& name, const QWidget* control)
{
    if (ui::splitFamilyName(name).prefix == QLatin1String("DPI_edit_"))
        onKillFocus(name, control);
}

void CMainWnd::onItemSelect(const QString& name, const QWidget* control)
{
    CQuellonUSBDevice* device = deviceOf(control);
    if (name == QLatin1String("device_profile_combo")) {
        if (ui::CDeviceProfileUI* selector = profileSelectorOf(device))
            selector->selectProfile(selector->selector()->currentIndex());
        return;
    }
    auto* mouse = qobject_cast<CQuellonMouseDevice*>(device);
    if (mouse && ui::isOneOf(name, kAppliedCombos))
        applyAndSave(*mouse);
    if (name.startsWith(QLatin1String("device_sleep"))) {
        for (DeviceRecord& record : m_devices) {
            if (record.device == device)
                record.entry->timers().setTimer(kTimerKeepAlive, kKeepAliveRestartMs, true);
        }
    }
}

// Values the device does not hold (the desktop-pointer ones): into the record and onto the disk.
void CMainWnd::saveToProfile(CQuellonMouseDevice& mouse)
{
    mouse.collectPage();
    saveProfileOf(mouse);
}

// A change the profile file did not take is told: the user would lose it at the next start.
void CMainWnd::saveProfileOf(CQuellonMouseDevice& mouse)
{
    if (!mouse.profile().SaveProfile())
        showNotice(QStringLiteral("profile_write_failed_text"), std::nullopt);
}

// The page already shows the change: into the record, onto the disk, then to the device.
void CMainWnd::applyAndSave(CQuellonMouseDevice& mouse)
{
    mouse.collectPage();
    saveProfileOf(mouse);
    mouse.writeSettingsToDevice();
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
