#pragma once

#include <QPixmap>
#include <QPoint>
#include <QPushButton>

namespace kestrion::ui {

// A picture larger than the control that the user pans by dragging. The visible part never
// leaves the picture; a picture no larger than the control is drawn whole and does not pan.
// Entering and leaving raise "msenter" and "msleave"; "cursor" names the pointer shown over it.
class CHandImgSelectButtonUI : public QPushButton {
    Q_OBJECT
    Q_PROPERTY(QString handimage READ handImage WRITE setHandImage)
    Q_PROPERTY(QString cursor READ cursorName WRITE setCursorName)

public:
    explicit CHandImgSelectButtonUI(QWidget* parent = nullptr);

    QString handImage() const { return m_handImage; }
    void setHandImage(const QString& file);
    void setHandPixmap(const QPixmap& picture);
    QString cursorName() const { return m_cursorName; }
    // An unknown name keeps the arrow.
    void setCursorName(const QString& name);

    // The part of the picture shown, in picture pixels.
    QRect sourceRect() const;
    bool isPanning() const { return m_panning; }

signals:
    void mouseEntered();
    void mouseLeft();

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    bool pans() const;
    void clampOffset();

    QString m_handImage;
    QString m_cursorName;
    QPixmap m_picture;
    QPoint m_offset;
    QPoint m_panFrom;
    bool m_panning = false;
};

}  // namespace kestrion::ui
