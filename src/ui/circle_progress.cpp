#include "ui/circle_progress.h"

#include <QPainter>

#include <algorithm>

namespace kestrion::ui {

namespace {

// QPainter angles are in sixteenths of a degree, counter-clockwise from three o'clock.
constexpr int kSixteenths = 16;
constexpr int kStartAngle = -90 * kSixteenths;

}  // namespace

CCircleProgressUI::CCircleProgressUI(QWidget* parent) : QProgressBar(parent)
{
    setTextVisible(false);
}

void CCircleProgressUI::setBackgroundColour(const QColor& colour)
{
    m_background = colour;
    update();
}

void CCircleProgressUI::setForegroundColour(const QColor& colour)
{
    m_foreground = colour;
    update();
}

double CCircleProgressUI::spanDegrees() const
{
    const int range = maximum() - minimum();
    if (range <= 0)
        return 0;
    return std::clamp(double(value() - minimum()) / range, 0.0, 1.0) * 360.0;
}

void CCircleProgressUI::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    const QRectF disc(rect());
    painter.setBrush(m_background);
    painter.drawEllipse(disc);
    painter.setBrush(m_foreground);
    painter.drawPie(disc, kStartAngle, -qRound(spanDegrees() * kSixteenths));
    painter.setBrush(Qt::white);
    painter.drawEllipse(disc.adjusted(kRingInset, kRingInset, -kRingInset, -kRingInset));
}

}  // namespace kestrion::ui
