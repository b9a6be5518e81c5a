#include "ui/focus_ring.h"

#include <QApplication>
#include <QFocusEvent>
#include <QPainter>

namespace kestrion::ui {

namespace {

constexpr int kMargin = 2;
constexpr qreal kPenWidth = 1.5;
constexpr qreal kRadius = 4.0;
constexpr QRgb kRingColour = 0xfff5f7fa;

bool isKeyboardReason(Qt::FocusReason reason)
{
    return reason == Qt::TabFocusReason || reason == Qt::BacktabFocusReason || reason == Qt::ShortcutFocusReason;
}

}  // namespace

FocusRing::FocusRing(QWidget* window) : QWidget(window)
{
    setObjectName(QStringLiteral("focus_ring"));
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_NoSystemBackground);
    setFocusPolicy(Qt::NoFocus);
    hide();
    qApp->installEventFilter(this);
}

FocusRing::~FocusRing()
{
    qApp->removeEventFilter(this);
}

bool FocusRing::eventFilter(QObject* watched, QEvent* event)
{
    auto* control = qobject_cast<QWidget*>(watched);
    if (!control || control == this || control->window() != parentWidget())
        return false;
    switch (event->type()) {
    case QEvent::FocusIn:
        if (isKeyboardReason(static_cast<QFocusEvent*>(event)->reason()))
            surround(control);
        else
            hide();
        break;
    case QEvent::FocusOut:
    case QEvent::Hide:
        if (control == m_target)
            hide();
        break;
    case QEvent::Move:
    case QEvent::Resize:
        if (control == m_target && isVisible())
            place();
        break;
    default:
        break;
    }
    return false;
}

void FocusRing::surround(QWidget* control)
{
    m_target = control;
    place();
    show();
    raise();
}

void FocusRing::place()
{
    const QPoint corner = m_target->mapTo(parentWidget(), QPoint(0, 0));
    setGeometry(QRect(corner, m_target->size()).adjusted(-kMargin, -kMargin, kMargin, kMargin));
}

void FocusRing::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor::fromRgba(kRingColour), kPenWidth, Qt::DotLine));
    painter.setBrush(Qt::NoBrush);
    painter.drawRoundedRect(QRectF(rect()).adjusted(kPenWidth, kPenWidth, -kPenWidth, -kPenWidth), kRadius, kRadius);
}

}  // namespace kestrion::ui
