#pragma once

#include <QDialog>

#include <array>

#include "editors/audio_styles.h"
#include "ui/message_box.h"

class QAbstractButton;
class QAbstractSlider;
class QLabel;
class QLineEdit;

namespace kestrion::ui {

class LanguageManager;

// The audio light styles window ("music.xml"): four style tabs, the active style's red, green and
// blue levels (0 to 9) and the four names. It edits a copy of the styles; okbtn confirms, the
// close button drops the edits.
class MusicWnd : public QDialog {
    Q_OBJECT
public:
    static constexpr int kConfirmed = 1;
    static constexpr int kClosed = 0;

    MusicWnd(const UiResources& resources, AudioStyles styles, QWidget* owner);

    bool isBuilt() const { return m_root != nullptr; }
    // Runs the window modally: kConfirmed or kClosed.
    int showModal();
    const AudioStyles& styles() const { return m_styles; }

private:
    void bindControls();
    void selectStyle(int style);
    void showLevels();
    void takeLevel(int component, int value);
    void takeName(int style);

    const LanguageManager& m_language;
    AudioStyles m_styles;
    QWidget* m_root = nullptr;
    std::array<QAbstractSlider*, 3> m_sliders{};
    std::array<QLabel*, 3> m_values{};
    std::array<QAbstractButton*, AudioStyles::kStyleCount> m_tabs{};
    std::array<QLineEdit*, AudioStyles::kStyleCount> m_names{};
    bool m_showing = false;
};

}  // namespace kestrion::ui
