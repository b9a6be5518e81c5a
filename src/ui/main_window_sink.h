#pragma once

#include <QPointer>
#include <QString>
#include <QWidget>

#include <cstdint>
#include <optional>

#include "devices/device_host.h"

namespace kestrion::ui {

// The message numbers, by their names in this namespace too.
using kestrion::MainMessage;
using enum kestrion::MainMessage;

// A control notification: its type ("click", "selectchanged", "valuechanged", ...) and the
// control that raised it. The control may be gone by the time a queued notification is read.
struct UiNotification {
    QString type;
    QString sender;
    QPointer<QWidget> control;
};

// What the main window receives from pages and controls, besides what device objects send.
class MainWindowSink : public DeviceHost {
public:
    virtual void notify(const UiNotification& notification) = 0;
};

}  // namespace kestrion::ui
