#pragma once

#include <QColor>
#include <QLabel>

#include <deque>

namespace kestrion::ui {

// A level trace: the newest levels (at most 500) as black vertical lines 2 pixels apart from the
// left edge, each as tall as its level's share of 8192 of the control's height.
class CAudioRecordUI : public QLabel {
    Q_OBJECT
    Q_PROPERTY(QColor bkcolor READ backgroundColour WRITE setBackgroundColour)

public:
    static constexpr std::size_t kMaxLevels = 500;
    static constexpr int kLineSpacing = 2;
    static constexpr int kFullLevel = 8192;

    explicit CAudioRecordUI(QWidget* parent = nullptr);

    QColor backgroundColour() const { return m_background; }
    void setBackgroundColour(const QColor& colour);

    // Appends a level, dropping the oldest beyond the limit.
    void addLevel(int level);
    void clearLevels();
    const std::deque<int>& levels() const { return m_levels; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QColor m_background = Qt::white;
    std::deque<int> m_levels;
};

}  // namespace kestrion::ui
