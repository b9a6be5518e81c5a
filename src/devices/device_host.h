#pragma once

#include <QString>

#include <cstdint>
#include <functional>
#include <optional>

namespace kestrion {

// The numbers of the messages the device objects and the windows send to the main window.
enum MainMessage : std::uint32_t {
    UIMSG_TRAYICON = 0x0401,
    WM_USB_MAINMESS_HOOK_SWITCH = 0x041E,
    UIMSG_MENU_COMMAND = 0x0479,
    WM_USB_MAINMESS_LANGUAGE_CHANGED = 0x0C11,
    WM_USB_MAINMESS_DEVICE_ARRIVED = 0x0C12,
    WM_USB_MAINMESS_DEVICE_REMOVED = 0x0C13,
    WM_USB_MAINMESS_UPDATE_SEEN = 0x0C16,
    WM_USB_MAINMESS_PROFILE_INDEX = 0x0D00,
    WM_USB_MAINMESS_POWER_STATUS = 0x0D01,
    WM_USB_MAINMESS_DEVICE_ONLINE = 0x0D03,
    WM_USB_MAINMESS_FIRMWARE_VERSION = 0x0D04,
    WM_USB_MAINMESS_DEVICE_IS_INITUI = 0x0D05,
};

// Whoever keeps the device objects: it hears their messages and shows what they have to tell.
class DeviceHost {
public:
    virtual ~DeviceHost() = default;
    virtual void sendMessage(std::uint32_t message, std::intptr_t wParam, std::intptr_t lParam) = 0;
    // A notice the user must see (a language text id, with `number` put in for its "%d").
    virtual void showNotice(const QString& textId, std::optional<int> number) = 0;
    // A yes-or-no question (a language text id); true for yes.
    virtual bool ask(const QString& textId) = 0;
    // The same without waiting: `answered` gets the answer when the user gives it (at once, or
    // later from the event loop).
    virtual void askLater(const QString& textId, std::function<void(bool yes)> answered) = 0;
};

}  // namespace kestrion
