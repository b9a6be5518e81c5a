#pragma once

#include <QPoint>
#include <QRect>
#include <QWidget>

namespace kestrion::ui {

class SelectionOverlay;

// The container of a device page's key and light buttons. Dragging over it draws a selection
// rectangle; on release every "DeviceKeyButton" child it touches becomes selected, every other
// one unselected, and the panel raises "click_select_end".
class CSelectPanelUI : public QWidget {
    Q_OBJECT
public:
    explicit CSelectPanelUI(QWidget* parent = nullptr);

    bool isDragging() const { return m_dragging; }
    QRect selectionRect() const { return m_selection; }

signals:
    void selectEnd();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void applySelection();

    SelectionOverlay* m_overlay;
    QPoint m_start;
    QRect m_selection;
    bool m_dragging = false;
};

}  // namespace kestrion::ui
