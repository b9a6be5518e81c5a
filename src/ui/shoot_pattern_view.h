#pragma once

#include <QPointF>
#include <QWidget>

#include <vector>

#include "editors/shoot_pattern.h"

namespace kestrion::ui {

// The picture of a recoil pattern: from the start mark, the path the pointer is pulled along,
// one dot per bullet, the current bullet ringed. A click on a dot chooses that bullet.
class ShootPatternView : public QWidget {
    Q_OBJECT
public:
    explicit ShootPatternView(QWidget* parent = nullptr);

    void setBullets(const std::vector<Bullet>& bullets);
    void setCurrent(int bullet);
    // Where the pointer stands after each bullet, in the pattern's own units (right and down
    // positive), starting after bullet 0.
    const std::vector<QPointF>& path() const { return m_path; }
    // The widget position of the dot of a bullet under the current size.
    QPointF dotPosition(int bullet) const;

signals:
    void bulletClicked(int bullet);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    struct Mapping {
        QPointF origin;
        qreal scale = 1;
    };
    Mapping mapping() const;
    QPointF toWidget(const QPointF& point, const Mapping& map) const;

    std::vector<QPointF> m_path;
    int m_current = 0;
};

}  // namespace kestrion::ui
