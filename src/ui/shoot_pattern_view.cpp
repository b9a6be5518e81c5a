#include "ui/shoot_pattern_view.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>

namespace kestrion::ui {

namespace {

constexpr qreal kMargin = 22;
// Small patterns are not blown up past this many units across, so that a short pull looks short.
constexpr qreal kMinimumExtent = 40;
constexpr qreal kDotRadius = 3.5;
constexpr qreal kCurrentRadius = 7;
constexpr qreal kHitRadius = 9;
const QColor kAccent(0x2e, 0xe6, 0xd6);
const QColor kPathColour(0x2e, 0xe6, 0xd6, 150);
const QColor kGrid(0x26, 0x2b, 0x36);
const QColor kPanel(0x14, 0x18, 0x20);
const QColor kStart(0xff, 0xb0, 0x2e);

}  // namespace

ShootPatternView::ShootPatternView(QWidget* parent) : QWidget(parent)
{
    setCursor(Qt::PointingHandCursor);
}

void ShootPatternView::setBullets(const std::vector<Bullet>& bullets)
{
    m_path.clear();
    QPointF at(0, 0);
    for (const Bullet& bullet : bullets) {
        at += QPointF(bullet.left ? -bullet.x : bullet.x, bullet.up ? -bullet.y : bullet.y);
        m_path.push_back(at);
    }
    update();
}

void ShootPatternView::setCurrent(int bullet)
{
    m_current = bullet;
    update();
}

// The path with the start point fits the widget, centred, the same scale both ways.
ShootPatternView::Mapping ShootPatternView::mapping() const
{
    QRectF bounds(0, 0, 0, 0);
    for (const QPointF& point : m_path)
        bounds = bounds.united(QRectF(point, QSizeF(0, 0)));
    const QRectF area = QRectF(rect()).adjusted(kMargin, kMargin, -kMargin, -kMargin);
    const qreal extent = std::max({bounds.width(), bounds.height(), kMinimumExtent});
    Mapping map;
    map.scale = std::min(area.width(), area.height()) / extent;
    map.origin = area.center() - bounds.center() * map.scale;
    return map;
}

QPointF ShootPatternView::toWidget(const QPointF& point, const Mapping& map) const
{
    return map.origin + point * map.scale;
}

QPointF ShootPatternView::dotPosition(int bullet) const
{
    if (bullet < 0 || bullet >= static_cast<int>(m_path.size()))
        return {};
    return toWidget(m_path[static_cast<std::size_t>(bullet)], mapping());
}

void ShootPatternView::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(kGrid, 1));
    p.setBrush(kPanel);
    p.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), 6, 6);
    const Mapping map = mapping();
    const QPointF start = toWidget(QPointF(0, 0), map);
    p.drawLine(QPointF(start.x(), 8), QPointF(start.x(), height() - 8));
    p.drawLine(QPointF(8, start.y()), QPointF(width() - 8, start.y()));

    QPainterPath line(start);
    for (const QPointF& point : m_path)
        line.lineTo(toWidget(point, map));
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(kPathColour, 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPath(line);

    p.setPen(Qt::NoPen);
    p.setBrush(kStart);
    p.drawEllipse(start, kDotRadius + 1, kDotRadius + 1);
    p.setBrush(kAccent);
    for (const QPointF& point : m_path)
        p.drawEllipse(toWidget(point, map), kDotRadius, kDotRadius);
    if (m_current >= 0 && m_current < static_cast<int>(m_path.size())) {
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(Qt::white, 2));
        p.drawEllipse(toWidget(m_path[static_cast<std::size_t>(m_current)], map), kCurrentRadius, kCurrentRadius);
    }
}

// The nearest dot within reach of the click; a later bullet wins where dots overlap.
void ShootPatternView::mousePressEvent(QMouseEvent* event)
{
    const Mapping map = mapping();
    int hit = -1;
    qreal best = kHitRadius * kHitRadius;
    for (int b = 0; b < static_cast<int>(m_path.size()); ++b) {
        const QPointF delta = toWidget(m_path[static_cast<std::size_t>(b)], map) - event->position();
        const qreal distance = QPointF::dotProduct(delta, delta);
        if (distance <= best) {
            best = distance;
            hit = b;
        }
    }
    if (hit >= 0)
        emit bulletClicked(hit);
}

}  // namespace kestrion::ui
