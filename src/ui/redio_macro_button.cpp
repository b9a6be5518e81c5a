#include "ui/redio_macro_button.h"

#include <QPainter>

namespace kestrion::ui {

CRedioMacroButtonUI::CRedioMacroButtonUI(QWidget* parent) : QPushButton(parent)
{
    m_timer.setInterval(kPulsePeriodMs);
    connect(&m_timer, &QTimer::timeout, this, &CRedioMacroButtonUI::stepPulse);
}

void CRedioMacroButtonUI::setRedioImage(const QString& file)
{
    m_redioImage = file;
    m_redioPixmap = QPixmap(file);
    update();
}

void CRedioMacroButtonUI::startPulse()
{
    m_timer.start();
}

void CRedioMacroButtonUI::stopPulse()
{
    m_timer.stop();
    m_fade = kFadeHigh;
    m_direction = -1;
    update();
}

void CRedioMacroButtonUI::stepPulse()
{
    m_fade += m_direction * kFadeStep;
    if (m_fade <= kFadeLow) {
        m_fade = kFadeLow;
        m_direction = 1;
    } else if (m_fade >= kFadeHigh) {
        m_fade = kFadeHigh;
        m_direction = -1;
    }
    update();
}

void CRedioMacroButtonUI::paintEvent(QPaintEvent* event)
{
    QPushButton::paintEvent(event);
    if (m_redioPixmap.isNull())
        return;
    QPainter painter(this);
    painter.setOpacity(m_fade / double(kFadeHigh));
    painter.drawPixmap(rect(), m_redioPixmap);
}

}  // namespace kestrion::ui
