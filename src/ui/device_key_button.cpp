#include "ui/device_key_button.h"

#include <QMouseEvent>
#include <QPainter>
#include <QStyle>

namespace kestrion::ui {

namespace {

// The ring drawn around a selected button, in the skin's accent colour.
constexpr QRgb kSelectionColour = 0xff2ee6d6;
constexpr qreal kSelectionWidth = 2.0;
constexpr qreal kLightInset = 3.0;

}  // namespace

CDeviceKeyButtonUI::CDeviceKeyButtonUI(QWidget* parent) : QPushButton(parent) {}

void CDeviceKeyButtonUI::setLightImage(const QString& file)
{
    m_lightImage = file;
    m_lightPixmap = QPixmap(file);
    update();
}

void CDeviceKeyButtonUI::setKeySetImage(const QString& file)
{
    m_keySetImage = file;
    m_keySetPixmap = QPixmap(file);
    update();
}

void CDeviceKeyButtonUI::setLightFlag(bool on)
{
    m_lightFlag = on;
    update();
}

void CDeviceKeyButtonUI::setKeyImageFlag(bool on)
{
    m_keyImageFlag = on;
    update();
}

// The style sheet can tell selected buttons apart through the property as well.
void CDeviceKeyButtonUI::setKeySelected(bool selected)
{
    if (m_selected == selected)
        return;
    m_selected = selected;
    style()->unpolish(this);
    style()->polish(this);
    update();
}

void CDeviceKeyButtonUI::setLightColour(const QColor& colour)
{
    if (colour == m_lightColour)
        return;
    m_lightColour = colour;
    update();
}

void CDeviceKeyButtonUI::paintEvent(QPaintEvent* event)
{
    QPushButton::paintEvent(event);
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    if (m_lightColour.alpha() > 0) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(m_lightColour);
        painter.drawEllipse(QRectF(rect()).adjusted(kLightInset, kLightInset, -kLightInset, -kLightInset));
    }
    if (m_lightFlag && !m_lightPixmap.isNull())
        painter.drawPixmap(rect(), m_lightPixmap);
    if (!m_keyImageFlag && !m_keySetPixmap.isNull())
        painter.drawPixmap(rect(), m_keySetPixmap);
    if (m_selected) {
        painter.setPen(QPen(QColor::fromRgba(kSelectionColour), kSelectionWidth));
        painter.setBrush(Qt::NoBrush);
        const qreal inset = kSelectionWidth / 2;
        painter.drawRoundedRect(QRectF(rect()).adjusted(inset, inset, -inset, -inset), 4, 4);
    }
}

void CDeviceKeyButtonUI::mouseDoubleClickEvent(QMouseEvent* event)
{
    QPushButton::mouseDoubleClickEvent(event);
    if (isEnabled() && event->button() == Qt::LeftButton)
        emit doubleClicked();
}

}  // namespace kestrion::ui
