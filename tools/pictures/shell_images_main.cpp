// Draws the pictures of the main window, the device selector and the battery display into the
// skin's image folder. Run by hand when the artwork changes; the PNG files are kept in the tree.
#include <QConicalGradient>
#include <QImage>
#include <QPainter>
#include <QPainterPath>

#include <functional>
#include <vector>

#include "pictures/picture_writer.h"

namespace {

const QColor kAccent(0x2e, 0xe6, 0xd6);
const QColor kIdle(0x9a, 0xa2, 0xb1);
const QColor kDim(0x4a, 0x52, 0x61);
const QColor kWarm(0xff, 0xb0, 0x2e);

using Draw = std::function<void(QPainter&, QSizeF)>;

using kestrion::ui::Picture;

QPen line(const QColor& colour, qreal width)
{
    return QPen(colour, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

// Device glyphs, drawn in a 24 x 24 box.
void glyphMouse(QPainter& p)
{
    p.drawRoundedRect(QRectF(7, 2, 10, 20), 5, 5);
    p.drawLine(QPointF(12, 2.5), QPointF(12, 9));
}

void glyphKeyboard(QPainter& p)
{
    p.drawRoundedRect(QRectF(1.5, 6, 21, 12), 2, 2);
    for (int x = 0; x < 5; ++x)
        p.drawPoint(QPointF(5 + x * 3.5, 10));
    p.drawLine(QPointF(7, 14.5), QPointF(17, 14.5));
}

void glyphPad(QPainter& p, bool charging)
{
    p.drawRoundedRect(QRectF(1.5, 5, 21, 14), 3, 3);
    if (charging) {
        QPainterPath bolt;
        bolt.moveTo(13, 7.5);
        bolt.lineTo(9.5, 12.5);
        bolt.lineTo(12.5, 12.5);
        bolt.lineTo(11, 16.5);
        bolt.lineTo(14.5, 11.5);
        bolt.lineTo(11.5, 11.5);
        bolt.closeSubpath();
        p.drawPath(bolt);
    } else {
        p.drawLine(QPointF(4.5, 15.5), QPointF(19.5, 15.5));
    }
}

void glyphHeadset(QPainter& p)
{
    QPainterPath band;
    band.moveTo(4, 15);
    band.cubicTo(4, 1, 20, 1, 20, 15);
    p.drawPath(band);
    p.drawRoundedRect(QRectF(2.5, 13, 5, 8), 2, 2);
    p.drawRoundedRect(QRectF(16.5, 13, 5, 8), 2, 2);
}

void glyphHub(QPainter& p)
{
    p.drawRoundedRect(QRectF(7, 9, 10, 6), 1.5, 1.5);
    p.drawLine(QPointF(12, 9), QPointF(12, 3));
    p.drawLine(QPointF(7, 12), QPointF(2, 12));
    p.drawLine(QPointF(17, 12), QPointF(22, 12));
    p.drawLine(QPointF(12, 15), QPointF(12, 21));
}

void glyphUnknown(QPainter& p)
{
    p.drawEllipse(QRectF(3, 3, 18, 18));
    QPainterPath mark;
    mark.moveTo(9.5, 9.5);
    mark.cubicTo(9.5, 6.5, 14.5, 6.5, 14.5, 9.5);
    mark.cubicTo(14.5, 11.5, 12, 11.5, 12, 14);
    p.drawPath(mark);
    p.drawPoint(QPointF(12, 17.5));
}

struct Glyph {
    const char* prefix;
    std::function<void(QPainter&)> draw;
};

const std::vector<Glyph> kGlyphs{
    {"kb", glyphKeyboard},
    {"ms", glyphMouse},
    {"hard_mp", [](QPainter& p) { glyphPad(p, false); }},
    {"soft_mp", [](QPainter& p) { glyphPad(p, true); }},
    {"hd", glyphHeadset},
    {"hub", glyphHub},
    {"unknow", glyphUnknown},
};

// A selector picture: the glyph centred, and for synchronised lighting a colour ring behind it.
Draw deviceIcon(const Glyph& glyph, bool selected, bool synchro)
{
    return [glyph, selected, synchro](QPainter& p, QSizeF s) {
        const qreal side = qMin(s.width(), s.height());
        if (synchro) {
            QConicalGradient ring(QPointF(s.width() / 2, s.height() / 2), 90);
            for (int i = 0; i <= 6; ++i)
                ring.setColorAt(i / 6.0, QColor::fromHsv((i * 60) % 360, 200, 255));
            p.setPen(QPen(QBrush(ring), 2));
            p.setBrush(Qt::NoBrush);
            p.drawEllipse(QPointF(s.width() / 2, s.height() / 2), side / 2 - 1.5, side / 2 - 1.5);
        }
        p.translate((s.width() - side) / 2 + side * 0.15, side * 0.15);
        p.scale(side * 0.7 / 24, side * 0.7 / 24);
        p.setPen(line(selected ? kAccent : kIdle, 1.8));
        p.setBrush(Qt::NoBrush);
        glyph.draw(p);
    };
}

void drawBattery(QPainter& p, QSizeF s)
{
    p.setPen(line(kIdle, 1.4));
    p.drawRoundedRect(QRectF(1, 4.5, s.width() - 4, s.height() - 9), 1.5, 1.5);
    p.fillRect(QRectF(s.width() - 2.6, 6.5, 1.8, s.height() - 13), kIdle);
    p.fillRect(QRectF(3, 6.5, (s.width() - 8) * 0.6, s.height() - 13), kAccent);
}

void drawBolt(QPainter& p, QSizeF s)
{
    QPainterPath bolt;
    bolt.moveTo(s.width() * 0.62, 1);
    bolt.lineTo(s.width() * 0.22, s.height() * 0.56);
    bolt.lineTo(s.width() * 0.5, s.height() * 0.56);
    bolt.lineTo(s.width() * 0.38, s.height() - 1);
    bolt.lineTo(s.width() * 0.8, s.height() * 0.42);
    bolt.lineTo(s.width() * 0.52, s.height() * 0.42);
    bolt.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(kWarm);
    p.drawPath(bolt);
}

void drawPlug(QPainter& p, QSizeF s)
{
    p.setPen(line(kAccent, 1.5));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(QRectF(s.width() * 0.25, s.height() * 0.3, s.width() * 0.5, s.height() * 0.35), 2, 2);
    p.drawLine(QPointF(s.width() * 0.38, s.height() * 0.3), QPointF(s.width() * 0.38, 1.5));
    p.drawLine(QPointF(s.width() * 0.62, s.height() * 0.3), QPointF(s.width() * 0.62, 1.5));
    p.drawLine(QPointF(s.width() * 0.5, s.height() * 0.65), QPointF(s.width() * 0.5, s.height() - 1));
}

void drawWireless(QPainter& p, QSizeF s)
{
    const QPointF base(s.width() / 2, s.height() * 0.85);
    p.setPen(line(kAccent, 1.5));
    p.setBrush(Qt::NoBrush);
    for (int i = 1; i <= 3; ++i) {
        const qreal r = s.width() * 0.16 * i;
        p.drawArc(QRectF(base.x() - r, base.y() - r, 2 * r, 2 * r), 45 * 16, 90 * 16);
    }
    p.setBrush(kAccent);
    p.drawEllipse(base, 1.2, 1.2);
}

void drawPhone(QPainter& p, QSizeF s, const QColor& colour, const char* mark)
{
    const QRectF body(s.width() * 0.25, 1, s.width() * 0.5, s.height() - 2);
    p.setPen(line(colour, 1.4));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(body, 2.5, 2.5);
    QFont font = p.font();
    font.setPixelSize(int(s.height() * 0.42));
    font.setBold(true);
    p.setFont(font);
    p.drawText(body, Qt::AlignCenter, QString::fromLatin1(mark));
}

void drawTitleGlyph(QPainter& p, QSizeF s, const std::function<void(QPainter&)>& glyph)
{
    p.scale(s.width() / 16, s.height() / 16);
    p.setPen(line(QColor(0xc8, 0xcd, 0xd6), 1.4));
    p.setBrush(Qt::NoBrush);
    glyph(p);
}

void drawArrow(QPainter& p, QSizeF s, bool left)
{
    QPainterPath arrow;
    const qreal tip = left ? 1.5 : s.width() - 1.5;
    const qreal back = left ? s.width() - 1.5 : 1.5;
    arrow.moveTo(back, 1.5);
    arrow.lineTo(tip, s.height() / 2);
    arrow.lineTo(back, s.height() - 1.5);
    p.setPen(line(kAccent, 1.8));
    p.drawPath(arrow);
}

// The no-device picture: a mouse outline with a loose cable, in dim lines.
void drawNoDevice(QPainter& p, QSizeF s)
{
    p.scale(s.width() / 150, s.height() / 150);
    p.setPen(line(kDim, 3));
    p.setBrush(QColor(0x14, 0x18, 0x20));
    p.drawRoundedRect(QRectF(48, 30, 54, 100), 27, 27);
    p.drawLine(QPointF(75, 31), QPointF(75, 64));
    p.setPen(line(kAccent, 3));
    QPainterPath cable;
    cable.moveTo(75, 30);
    cable.cubicTo(75, 12, 105, 20, 112, 8);
    p.drawPath(cable);
    p.setPen(line(kAccent, 2.5));
    p.drawEllipse(QPointF(116, 44), 9, 9);
    p.drawLine(QPointF(110, 50), QPointF(122, 38));
}

void drawErrorDevice(QPainter& p, QSizeF s)
{
    p.scale(s.width() / 120, s.height() / 120);
    QPainterPath triangle;
    triangle.moveTo(60, 12);
    triangle.lineTo(108, 100);
    triangle.lineTo(12, 100);
    triangle.closeSubpath();
    p.setPen(line(kWarm, 5));
    p.setBrush(QColor(0x22, 0x1d, 0x12));
    p.drawPath(triangle);
    p.drawLine(QPointF(60, 44), QPointF(60, 72));
    p.drawPoint(QPointF(60, 86));
}

std::vector<Picture> pictures()
{
    std::vector<Picture> out;
    for (const auto& glyph : kGlyphs) {
        const QString stem = QStringLiteral("common/device_ico/%1_device_").arg(glyph.prefix);
        out.push_back({stem + "normal.png", {40, 30}, deviceIcon(glyph, false, false)});
        out.push_back({stem + "selected.png", {40, 30}, deviceIcon(glyph, true, false)});
        out.push_back({stem + "synchro_normal.png", {40, 30}, deviceIcon(glyph, false, true)});
        out.push_back({stem + "synchro_selected.png", {40, 30}, deviceIcon(glyph, true, true)});
    }
    out.push_back({"power/power.png", {16, 16}, drawBattery});
    out.push_back({"power/powering.png", {16, 16}, drawBolt});
    out.push_back({"power/powered.png", {16, 16}, drawPlug});
    out.push_back({"power/wireless.png", {16, 16}, drawWireless});
    out.push_back({"power/Phone_type_iphone.png", {18, 18}, [](QPainter& p, QSizeF s) { drawPhone(p, s, kAccent, "i"); }});
    out.push_back({"power/Phone_type_samsung.png", {18, 18}, [](QPainter& p, QSizeF s) { drawPhone(p, s, kAccent, "S"); }});
    out.push_back({"power/Phone_type_other.png", {18, 18}, [](QPainter& p, QSizeF s) { drawPhone(p, s, kAccent, ""); }});
    out.push_back({"power/Phone_type_no_device.png", {18, 18}, [](QPainter& p, QSizeF s) { drawPhone(p, s, kDim, ""); }});
    const std::vector<std::pair<const char*, std::function<void(QPainter&)>>> title{
        {"title_min.png", [](QPainter& p) { p.drawLine(QPointF(3, 8), QPointF(13, 8)); }},
        {"title_max.png", [](QPainter& p) { p.drawRect(QRectF(3, 3, 10, 10)); }},
        {"title_restore.png", [](QPainter& p) {
             p.drawRect(QRectF(3, 5.5, 7.5, 7.5));
             p.drawPolyline(QPolygonF({QPointF(5.5, 5.5), QPointF(5.5, 3), QPointF(13, 3), QPointF(13, 10.5), QPointF(10.5, 10.5)}));
         }},
        {"title_skin.png", [](QPainter& p) {
             p.drawEllipse(QRectF(2, 2, 12, 12));
             p.drawEllipse(QPointF(6, 6.5), 1, 1);
             p.drawEllipse(QPointF(10, 6.5), 1, 1);
             p.drawEllipse(QPointF(6.5, 10.5), 1, 1);
         }},
        {"title_set.png", [](QPainter& p) {
             p.drawEllipse(QPointF(8, 8), 2.5, 2.5);
             for (int i = 0; i < 8; ++i) {
                 p.save();
                 p.translate(8, 8);
                 p.rotate(i * 45);
                 p.drawLine(QPointF(0, -4.5), QPointF(0, -6.5));
                 p.restore();
             }
             p.drawEllipse(QPointF(8, 8), 4.5, 4.5);
         }},
        {"title_game.png", [](QPainter& p) {
             p.drawRoundedRect(QRectF(1.5, 4.5, 13, 8), 3.5, 3.5);
             p.drawLine(QPointF(4, 8.5), QPointF(7, 8.5));
             p.drawLine(QPointF(5.5, 7), QPointF(5.5, 10));
             p.drawPoint(QPointF(11, 7.5));
             p.drawPoint(QPointF(12, 9.5));
         }},
        {"title_cloud.png", [](QPainter& p) {
             QPainterPath cloud;
             cloud.moveTo(4, 12.5);
             cloud.cubicTo(0.5, 12.5, 0.5, 7.5, 4, 7.5);
             cloud.cubicTo(4.5, 3, 10.5, 3, 11, 6.5);
             cloud.cubicTo(15.5, 6.5, 15.5, 12.5, 12, 12.5);
             cloud.closeSubpath();
             p.drawPath(cloud);
         }},
        {"title_eye.png", [](QPainter& p) {
             QPainterPath eye;
             eye.moveTo(1.5, 8);
             eye.cubicTo(5, 2.5, 11, 2.5, 14.5, 8);
             eye.cubicTo(11, 13.5, 5, 13.5, 1.5, 8);
             p.drawPath(eye);
             p.drawEllipse(QPointF(8, 8), 2, 2);
         }},
        {"title_music.png", [](QPainter& p) {
             p.drawLine(QPointF(6, 12), QPointF(6, 3));
             p.drawLine(QPointF(6, 3), QPointF(13, 1.5));
             p.drawLine(QPointF(13, 1.5), QPointF(13, 10.5));
             p.drawEllipse(QPointF(4.5, 12.5), 2, 1.6);
             p.drawEllipse(QPointF(11.5, 11), 2, 1.6);
         }},
    };
    for (const auto& [file, glyph] : title)
        out.push_back({file, {16, 16}, [glyph](QPainter& p, QSizeF s) { drawTitleGlyph(p, s, glyph); }});
    out.push_back({"arrow_left.png", {8, 12}, [](QPainter& p, QSizeF s) { drawArrow(p, s, true); }});
    out.push_back({"arrow_right.png", {8, 12}, [](QPainter& p, QSizeF s) { drawArrow(p, s, false); }});
    out.push_back({"no_device.png", {150, 150}, drawNoDevice});
    out.push_back({"error_device.png", {120, 120}, drawErrorDevice});
    return out;
}

}  // namespace

int main(int argc, char** argv)
{
    return kestrion::ui::writePictures(argc, argv, pictures(), 2);
}
