#pragma once

#include <QColor>
#include <QProgressBar>

namespace kestrion::ui {

// A progress bar drawn as a ring: a disc in the background colour, a slice in the foreground
// colour from the bottom clockwise for the done share, and a white disc 10 pixels inside.
class CCircleProgressUI : public QProgressBar {
    Q_OBJECT
    Q_PROPERTY(QColor bkcolor READ backgroundColour WRITE setBackgroundColour)
    Q_PROPERTY(QColor forecolor READ foregroundColour WRITE setForegroundColour)

public:
    static constexpr int kRingInset = 10;

    explicit CCircleProgressUI(QWidget* parent = nullptr);

    QColor backgroundColour() const { return m_background; }
    void setBackgroundColour(const QColor& colour);
    QColor foregroundColour() const { return m_foreground; }
    void setForegroundColour(const QColor& colour);

    // The slice's span in degrees, 0 to 360.
    double spanDegrees() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QColor m_background{0xd0, 0xd0, 0xd0};
    QColor m_foreground{0x2e, 0xe6, 0xd6};
};

}  // namespace kestrion::ui
