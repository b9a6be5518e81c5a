#include "ui/hand_img_select_button.h"

#include <QMouseEvent>
#include <QPainter>

#include <algorithm>
#include <array>

namespace kestrion::ui {

namespace {

struct CursorName {
    const char* name;
    Qt::CursorShape shape;
};

constexpr std::array kCursors{
    CursorName{"arrow", Qt::ArrowCursor},      CursorName{"ibeam", Qt::IBeamCursor},
    CursorName{"wait", Qt::WaitCursor},        CursorName{"cross", Qt::CrossCursor},
    CursorName{"uparrow", Qt::UpArrowCursor},  CursorName{"size", Qt::SizeAllCursor},
    CursorName{"icon", Qt::ArrowCursor},       CursorName{"sizenwse", Qt::SizeFDiagCursor},
    CursorName{"sizenesw", Qt::SizeBDiagCursor}, CursorName{"sizewe", Qt::SizeHorCursor},
    CursorName{"sizens", Qt::SizeVerCursor},   CursorName{"sizeall", Qt::SizeAllCursor},
    CursorName{"no", Qt::ForbiddenCursor},     CursorName{"hand", Qt::PointingHandCursor},
};

}  // namespace

CHandImgSelectButtonUI::CHandImgSelectButtonUI(QWidget* parent) : QPushButton(parent) {}

void CHandImgSelectButtonUI::setHandImage(const QString& file)
{
    m_handImage = file;
    setHandPixmap(QPixmap(file));
}

void CHandImgSelectButtonUI::setHandPixmap(const QPixmap& picture)
{
    m_picture = picture;
    m_offset = QPoint();
    update();
}

void CHandImgSelectButtonUI::setCursorName(const QString& name)
{
    m_cursorName = name;
    const auto* row = std::find_if(kCursors.begin(), kCursors.end(), [&name](const CursorName& entry) {
        return name.compare(QLatin1String(entry.name), Qt::CaseInsensitive) == 0;
    });
    setCursor(row == kCursors.end() ? Qt::ArrowCursor : row->shape);
}

bool CHandImgSelectButtonUI::pans() const
{
    return m_picture.width() > width() || m_picture.height() > height();
}

QRect CHandImgSelectButtonUI::sourceRect() const
{
    if (!pans())
        return m_picture.rect();
    return QRect(m_offset, QSize(std::min(width(), m_picture.width()), std::min(height(), m_picture.height())));
}

void CHandImgSelectButtonUI::clampOffset()
{
    m_offset.setX(std::clamp(m_offset.x(), 0, std::max(0, m_picture.width() - width())));
    m_offset.setY(std::clamp(m_offset.y(), 0, std::max(0, m_picture.height() - height())));
}

void CHandImgSelectButtonUI::paintEvent(QPaintEvent* event)
{
    QPushButton::paintEvent(event);
    if (m_picture.isNull())
        return;
    QPainter painter(this);
    const QRect source = sourceRect();
    painter.drawPixmap(pans() ? QRect(QPoint(), source.size()) : rect(), m_picture, source);
}

void CHandImgSelectButtonUI::enterEvent(QEnterEvent* event)
{
    QPushButton::enterEvent(event);
    emit mouseEntered();
}

void CHandImgSelectButtonUI::leaveEvent(QEvent* event)
{
    QPushButton::leaveEvent(event);
    emit mouseLeft();
}

void CHandImgSelectButtonUI::mousePressEvent(QMouseEvent* event)
{
    QPushButton::mousePressEvent(event);
    if (event->button() != Qt::LeftButton)
        return;
    m_panning = true;
    m_panFrom = event->position().toPoint();
}

// Dragging right shows more of the picture's left side, as when a sheet is pushed by hand.
void CHandImgSelectButtonUI::mouseMoveEvent(QMouseEvent* event)
{
    QPushButton::mouseMoveEvent(event);
    if (!m_panning || !pans())
        return;
    const QPoint at = event->position().toPoint();
    m_offset -= at - m_panFrom;
    m_panFrom = at;
    clampOffset();
    update();
}

void CHandImgSelectButtonUI::mouseReleaseEvent(QMouseEvent* event)
{
    QPushButton::mouseReleaseEvent(event);
    m_panning = false;
}

void CHandImgSelectButtonUI::resizeEvent(QResizeEvent* event)
{
    QPushButton::resizeEvent(event);
    clampOffset();
}

}  // namespace kestrion::ui
