// Draws the skin's pictures into a folder (normally skin/images). Run by hand when the
// artwork changes; the PNG files are kept in the tree.
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

#include "pictures/picture_writer.h"

#include <functional>

namespace {

constexpr QRgb kAccent = 0xff2ee6d6;
constexpr QRgb kAccentDeep = 0xff0f8f86;

using kestrion::ui::Picture;

void drawMouse(QPainter& p, QSizeF s)
{
    const qreal w = s.width();
    const qreal h = s.height();
    QPainterPath body;
    body.moveTo(w * 0.5, h * 0.02);
    body.cubicTo(w * 0.86, h * 0.02, w * 0.95, h * 0.22, w * 0.93, h * 0.45);
    body.cubicTo(w * 0.91, h * 0.70, w * 0.86, h * 0.97, w * 0.5, h * 0.98);
    body.cubicTo(w * 0.14, h * 0.97, w * 0.09, h * 0.70, w * 0.07, h * 0.45);
    body.cubicTo(w * 0.05, h * 0.22, w * 0.14, h * 0.02, w * 0.5, h * 0.02);
    QLinearGradient shell(0, 0, w, h);
    shell.setColorAt(0, QColor(0x3a, 0x3f, 0x4a));
    shell.setColorAt(0.55, QColor(0x1e, 0x22, 0x2a));
    shell.setColorAt(1, QColor(0x12, 0x14, 0x19));
    p.setPen(QPen(QColor(0x55, 0x5c, 0x6a), 2));
    p.setBrush(shell);
    p.drawPath(body);

    // Button split, palm line and side grips.
    p.setPen(QPen(QColor(0x0b, 0x0d, 0x11), 3));
    p.drawLine(QPointF(w * 0.5, h * 0.03), QPointF(w * 0.5, h * 0.36));
    QPainterPath palm;
    palm.moveTo(w * 0.09, h * 0.38);
    palm.cubicTo(w * 0.3, h * 0.42, w * 0.7, h * 0.42, w * 0.91, h * 0.38);
    p.setBrush(Qt::NoBrush);
    p.drawPath(palm);

    // Light strips along both flanks.
    for (const qreal side : {0.12, 0.88}) {
        QLinearGradient strip(0, h * 0.45, 0, h * 0.9);
        strip.setColorAt(0, QColor::fromRgba(kAccent));
        strip.setColorAt(1, QColor::fromRgba(0x00ffffff & kAccent));
        p.setPen(QPen(QBrush(strip), 4, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(w * side, h * 0.47), QPointF(w * side + (side < 0.5 ? 0.04 : -0.04) * w, h * 0.86));
    }

    // Wheel.
    const QRectF wheel(w * 0.44, h * 0.1, w * 0.12, h * 0.16);
    QLinearGradient rubber(wheel.topLeft(), wheel.bottomLeft());
    rubber.setColorAt(0, QColor(0x60, 0x66, 0x72));
    rubber.setColorAt(0.5, QColor(0x26, 0x2a, 0x31));
    rubber.setColorAt(1, QColor(0x60, 0x66, 0x72));
    p.setPen(QPen(QColor::fromRgba(kAccentDeep), 2));
    p.setBrush(rubber);
    p.drawRoundedRect(wheel, w * 0.05, w * 0.05);
    p.setPen(QPen(QColor(0x0b, 0x0d, 0x11), 1));
    for (int i = 1; i < 8; ++i) {
        const qreal y = wheel.top() + wheel.height() * i / 8;
        p.drawLine(QPointF(wheel.left() + 3, y), QPointF(wheel.right() - 3, y));
    }

    // DPI button.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x0b, 0x0d, 0x11));
    p.drawRoundedRect(QRectF(w * 0.46, h * 0.29, w * 0.08, h * 0.05), 3, 3);
}

void drawLogo(QPainter& p, QSizeF s)
{
    const QRectF r(QPointF(2, 2), s - QSizeF(4, 4));
    QPainterPath gem;
    gem.moveTo(r.center().x(), r.top());
    gem.lineTo(r.right(), r.center().y());
    gem.lineTo(r.center().x(), r.bottom());
    gem.lineTo(r.left(), r.center().y());
    gem.closeSubpath();
    p.setPen(QPen(QColor::fromRgba(kAccent), 2));
    p.setBrush(QColor(0x12, 0x14, 0x19));
    p.drawPath(gem);
    QPainterPath k;
    const qreal cx = r.center().x();
    const qreal cy = r.center().y();
    const qreal u = r.width() / 8;
    k.moveTo(cx - u, cy - 2 * u);
    k.lineTo(cx - u, cy + 2 * u);
    k.moveTo(cx + 1.5 * u, cy - 2 * u);
    k.lineTo(cx - u, cy);
    k.lineTo(cx + 1.5 * u, cy + 2 * u);
    p.setPen(QPen(QColor::fromRgba(kAccent), 2.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    p.drawPath(k);
}

void drawCheck(QPainter& p, QSizeF s)
{
    QPainterPath tick;
    tick.moveTo(s.width() * 0.18, s.height() * 0.52);
    tick.lineTo(s.width() * 0.42, s.height() * 0.76);
    tick.lineTo(s.width() * 0.84, s.height() * 0.26);
    p.setPen(QPen(QColor(0x0b, 0x0d, 0x11), 2.4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPath(tick);
}

void drawArrow(QPainter& p, QSizeF s, QColor colour)
{
    QPainterPath arrow;
    arrow.moveTo(1, 1);
    arrow.lineTo(s.width() / 2, s.height() - 1);
    arrow.lineTo(s.width() - 1, 1);
    p.setPen(QPen(colour, 1.8, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPath(arrow);
}

void drawClose(QPainter& p, QSizeF s)
{
    p.setPen(QPen(QColor(0xc8, 0xcd, 0xd6), 1.8, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(2, 2), QPointF(s.width() - 2, s.height() - 2));
    p.drawLine(QPointF(s.width() - 2, 2), QPointF(2, s.height() - 2));
}

void drawGlow(QPainter& p, QSizeF s)
{
    QRadialGradient glow(QPointF(s.width() / 2, s.height() / 2), s.width() / 2);
    glow.setColorAt(0, QColor::fromRgba(kAccent));
    glow.setColorAt(0.45, QColor::fromRgba(0x902ee6d6));
    glow.setColorAt(1, QColor::fromRgba(0x002ee6d6));
    p.setPen(Qt::NoPen);
    p.setBrush(glow);
    p.drawEllipse(QRectF(QPointF(0, 0), s));
}

void drawKeySetMark(QPainter& p, QSizeF s)
{
    const qreal d = s.height() * 0.34;
    p.setPen(QPen(QColor(0x0b, 0x0d, 0x11), 1));
    p.setBrush(QColor(0xff, 0xb0, 0x2e));
    p.drawEllipse(QRectF(s.width() - d - 1, 1, d, d));
}

// A main-window background: a dark vertical gradient lit by two soft glows of one hue and a few
// faint diagonal strokes.
void drawBackground(QPainter& p, QSizeF s, QColor glow)
{
    QLinearGradient base(0, 0, 0, s.height());
    base.setColorAt(0, glow.darker(520));
    base.setColorAt(1, QColor(0x0b, 0x0d, 0x11));
    p.fillRect(QRectF(QPointF(0, 0), s), base);
    p.setPen(Qt::NoPen);
    for (const QPointF centre : {QPointF(s.width() * 0.82, s.height() * 0.18), QPointF(s.width() * 0.1, s.height() * 0.9)}) {
        QRadialGradient light(centre, s.width() * 0.45);
        QColor inner = glow;
        inner.setAlpha(70);
        QColor outer = glow;
        outer.setAlpha(0);
        light.setColorAt(0, inner);
        light.setColorAt(1, outer);
        p.setBrush(light);
        p.drawRect(QRectF(QPointF(0, 0), s));
    }
    QColor stroke = glow;
    stroke.setAlpha(22);
    p.setPen(QPen(stroke, 2));
    for (int i = 0; i < 9; ++i) {
        const qreal x = s.width() * (0.35 + i * 0.08);
        p.drawLine(QPointF(x, 0), QPointF(x - s.height() * 0.6, s.height()));
    }
}

constexpr QSize kBackgroundSize{800, 572};

const Picture kPictures[] = {
    {"skins/teal.png", kBackgroundSize, [](QPainter& p, QSizeF s) { drawBackground(p, s, QColor(0x2e, 0xe6, 0xd6)); }},
    {"skins/ember.png", kBackgroundSize, [](QPainter& p, QSizeF s) { drawBackground(p, s, QColor(0xff, 0x6a, 0x2e)); }},
    {"skins/violet.png", kBackgroundSize, [](QPainter& p, QSizeF s) { drawBackground(p, s, QColor(0x9b, 0x5c, 0xff)); }},
    {"skins/steel.png", kBackgroundSize, [](QPainter& p, QSizeF s) { drawBackground(p, s, QColor(0x8a, 0xa4, 0xc8)); }},
    {"mouse_top.png", {220, 380}, drawMouse},
    {"logo.png", {36, 36}, drawLogo},
    {"check.png", {14, 14}, drawCheck},
    {"arrow_down.png", {10, 6}, [](QPainter& p, QSizeF s) { drawArrow(p, s, QColor::fromRgba(kAccent)); }},
    {"close.png", {12, 12}, drawClose},
    {"light_glow.png", {24, 24}, drawGlow},
    {"keyset_mark.png", {60, 24}, drawKeySetMark},
};

}  // namespace

int main(int argc, char** argv)
{
    return kestrion::ui::writePictures(argc, argv, kPictures, 1);
}
