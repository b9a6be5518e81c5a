#include "ui/notification_bridge.h"

#include <QAbstractButton>
#include <QAbstractSlider>
#include <QComboBox>
#include <QEvent>
#include <QLineEdit>
#include <QPointer>

#include "ui/device_key_button.h"
#include "ui/hand_img_button.h"
#include "ui/hand_img_select_button.h"
#include "ui/main_window_sink.h"
#include "ui/select_panel.h"

namespace kestrion::ui {

NotificationBridge::NotificationBridge(MainWindowSink& sink, QObject* parent) : QObject(parent), m_sink(sink) {}

void NotificationBridge::attach(QWidget* root)
{
    if (!root)
        return;
    attachOne(root);
    for (QWidget* child : root->findChildren<QWidget*>())
        attachOne(child);
}

void NotificationBridge::raise(const char* type, QWidget* control)
{
    m_sink.notify(UiNotification{QString::fromLatin1(type), control->objectName(), control});
}

void NotificationBridge::attachOne(QWidget* control)
{
    if (control->objectName().isEmpty() || control->objectName().startsWith(QLatin1String("qt_")))
        return;
    if (auto* key = qobject_cast<CDeviceKeyButtonUI*>(control))
        connect(key, &CDeviceKeyButtonUI::doubleClicked, this, [this, key] { raise("dbclick", key); });
    if (auto* panel = qobject_cast<CSelectPanelUI*>(control))
        connect(panel, &CSelectPanelUI::selectEnd, this, [this, panel] { raise("click_select_end", panel); });
    if (auto* tile = qobject_cast<CHandImgButtonUI*>(control)) {
        connect(tile, &CHandImgButtonUI::deleteClicked, this, [this, tile] { raise("click_handdelete", tile); });
        connect(tile, &CHandImgButtonUI::mouseEntered, this, [this, tile] { raise("msenter", tile); });
        connect(tile, &CHandImgButtonUI::mouseLeft, this, [this, tile] { raise("msleave", tile); });
    }
    if (auto* picture = qobject_cast<CHandImgSelectButtonUI*>(control)) {
        connect(picture, &CHandImgSelectButtonUI::mouseEntered, this, [this, picture] { raise("msenter", picture); });
        connect(picture, &CHandImgSelectButtonUI::mouseLeft, this, [this, picture] { raise("msleave", picture); });
    }
    if (auto* button = qobject_cast<QAbstractButton*>(control)) {
        connect(button, &QAbstractButton::clicked, this, [this, button] {
            raise(button->isCheckable() ? "selectchanged" : "click", button);
        });
    }
    if (auto* slider = qobject_cast<QAbstractSlider*>(control)) {
        connect(slider, &QAbstractSlider::sliderMoved, this, [this, slider] { raise("movevaluechanged", slider); });
        connect(slider, &QAbstractSlider::sliderReleased, this, [this, slider] { raise("valuechanged", slider); });
        // Keys, wheel and page clicks: the value is applied after this signal, so report it
        // once the event has been handled.
        connect(slider, &QAbstractSlider::actionTriggered, this, [this, slider](int action) {
            if (action == QAbstractSlider::SliderMove)
                return;
            QMetaObject::invokeMethod(this, [this, guarded = QPointer<QAbstractSlider>(slider)] {
                if (guarded)
                    raise("valuechanged", guarded);
            }, Qt::QueuedConnection);
        });
    }
    if (auto* combo = qobject_cast<QComboBox*>(control))
        connect(combo, &QComboBox::activated, this, [this, combo] { raise("itemselect", combo); });
    if (auto* edit = qobject_cast<QLineEdit*>(control)) {
        connect(edit, &QLineEdit::textEdited, this, [this, edit] { raise("textchanged", edit); });
        connect(edit, &QLineEdit::returnPressed, this, [this, edit] { raise("return", edit); });
        edit->installEventFilter(this);
    }
}

bool NotificationBridge::eventFilter(QObject* watched, QEvent* event)
{
    auto* edit = qobject_cast<QLineEdit*>(watched);
    if (edit && event->type() == QEvent::FocusIn)
        raise("setfocus", edit);
    else if (edit && event->type() == QEvent::FocusOut)
        raise("killfocus", edit);
    return QObject::eventFilter(watched, event);
}

}  // namespace kestrion::ui
