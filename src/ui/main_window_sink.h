#pragma once

#include <QPointer>
#include <QString>
#include <QWidget>

#include <cstdint>
#include <optional>

namespace kestrion::ui {

// The main window's own message numbers.
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

// A control notification: its type ("click", "selectchanged", "valuechanged", ...) and the
// control that raised it. The control may be gone by the time a queued notification is read.
struct UiNotification {
    QString type;
    QString sender;
    QPointer<QWidget> control;
};

// What the main window receives from pages, controls and device objects.
class MainWindowSink {
public:
    virtual ~MainWindowSink() = default;
    virtual void notify(const UiNotification& notification) = 0;
    virtual void sendMessage(std::uint32_t message, std::intptr_t wParam, std::intptr_t lParam) = 0;
    // A notice the user must see (a language text id, with `number` put in for its "%d"), shown
    // with only an OK button.
    virtual void showNotice(const QString& textId, std::optional<int> number) = 0;
    // A yes-or-no question (a language text id); true for yes.
    virtual bool ask(const QString& textId) = 0;
};

}  // namespace kestrion::ui
