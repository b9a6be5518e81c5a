#pragma once

#include <QPixmap>
#include <QPushButton>
#include <QTimer>

namespace kestrion::ui {

// The record button of the macro editor. While recording, its indicator image pulses: every
// 50 ms its opacity steps by 20 between 80 and 255 and back.
class CRedioMacroButtonUI : public QPushButton {
    Q_OBJECT
    Q_PROPERTY(QString redioimage READ redioImage WRITE setRedioImage)

public:
    static constexpr int kPulsePeriodMs = 50;
    static constexpr int kFadeStep = 20;
    static constexpr int kFadeLow = 80;
    static constexpr int kFadeHigh = 255;

    explicit CRedioMacroButtonUI(QWidget* parent = nullptr);

    QString redioImage() const { return m_redioImage; }
    void setRedioImage(const QString& file);

    void startPulse();
    // Stops the pulse and shows the indicator fully opaque again.
    void stopPulse();
    bool isPulsing() const { return m_timer.isActive(); }
    int fade() const { return m_fade; }
    // One tick of the pulse (what the timer runs).
    void stepPulse();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString m_redioImage;
    QPixmap m_redioPixmap;
    QTimer m_timer;
    int m_fade = kFadeHigh;
    int m_direction = -1;
};

}  // namespace kestrion::ui
