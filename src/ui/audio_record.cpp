#include "ui/audio_record.h"

#include <QPainter>

#include <algorithm>

namespace kestrion::ui {

CAudioRecordUI::CAudioRecordUI(QWidget* parent) : QLabel(parent) {}

void CAudioRecordUI::setBackgroundColour(const QColor& colour)
{
    m_background = colour;
    update();
}

void CAudioRecordUI::addLevel(int level)
{
    m_levels.push_back(std::clamp(level, 0, kFullLevel));
    if (m_levels.size() > kMaxLevels)
        m_levels.pop_front();
    update();
}

void CAudioRecordUI::clearLevels()
{
    m_levels.clear();
    update();
}

void CAudioRecordUI::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), m_background);
    painter.setPen(Qt::black);
    const int bottom = height() - 1;
    int x = 0;
    for (const int level : m_levels) {
        const int tall = level * height() / kFullLevel;
        if (tall > 0)
            painter.drawLine(x, bottom, x, bottom - tall + 1);
        x += kLineSpacing;
    }
}

}  // namespace kestrion::ui
