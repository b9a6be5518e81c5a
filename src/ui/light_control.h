#pragma once

#include <QColor>
#include <QWidget>

#include <functional>
#include <optional>
#include <vector>

#include "profiles/profile_records.h"

class QAbstractButton;
class QAbstractSlider;
class QComboBox;
class QLineEdit;
class QScrollArea;

namespace kestrion {
class CustomLightLists;
}

namespace kestrion::lighting_editor {
struct KeyboardLayouts;
}

namespace kestrion::ui {

class CColourPaletteUI;
class CCustomLightEditor;

// The lighting editor of a device page ("LightControlItem"): mode list, brightness, speed,
// direction, seven-colour option and colour (palette, preset buttons, three edits). It shows a
// lighting record, enables the groups the mode uses for the device kind, and raises
// lightChanged with the edited record after every change the user makes; the device stores,
// writes and previews it. Controls the layout lacks are skipped.
class CLightControlUI : public QWidget {
    Q_OBJECT
public:
    explicit CLightControlUI(QWidget* parent = nullptr);

    // Takes a built layout as its content and binds its controls by name.
    void setContent(QWidget* content);

    // Mode names are language text ids; item i is mode i, shown when its flag is set.
    void fillModes(const std::vector<QString>& names, const std::vector<bool>& visible, int maxBrightness,
                   int maxSpeed);
    void setDeviceKind(int kind);
    // "deng_same_mode" shows only while more than one device is online.
    void setSameModeOffered(bool offered);
    void showLight(const LightInfo& light);
    const LightInfo& light() const { return m_light; }
    // Enables the groups of a mode for the device kind.
    void applyMode(int mode);
    // The device's custom effect lists, offered as the mode after the fixed ones; nullptr: none.
    // ask and notice put the editor's questions and failures to the user.
    void setCustomLists(CustomLightLists* lists, std::function<bool(const QString&)> ask,
                        std::function<void(const QString&)> notice);

    // The music light's controls show only for a device that plays it.
    void offerAudioLight(bool offered);
    // The music light: shows a record, the colour being edited (foreground when its
    // "ColorTypeFlags" is set) in the edits, the palette and the colour button; false, and
    // nothing changed, when the layout lacks one of its controls.
    bool showAudioLight(const AudioLightInfo& light);
    // The record the controls show: the mode, the seven-colour flag, which colour is edited and,
    // with takeButtonColour, the colour button's colour stored as that colour. nullopt when the
    // layout lacks one of the controls.
    std::optional<AudioLightInfo> readAudioLight(bool takeButtonColour);
    const AudioLightInfo& audioLight() const { return m_audio; }

signals:
    void lightChanged(const LightInfo& light);
    // A custom list's files changed: what the preview plays is to be read again.
    void customListsEdited();
    // The music light record after a change the user made on its controls.
    void audioLightChanged(const AudioLightInfo& light);

private:
    void bindControls();
    void connectSlider(QAbstractSlider* slider, std::uint8_t LightInfo::*field);
    void connectEdit(QLineEdit* edit);
    void applyKeyboardLayouts(const lighting_editor::KeyboardLayouts& layouts);
    void takeColour(const QColor& colour);
    void showColour(const QColor& colour);
    void takeEdits();
    void setDirection(bool left);
    void changed();
    void bindCustomLists();
    void offerCustomMode();
    void chooseCustomList(int group);
    void followRemovedList(int removed);
    void bindAudioControls();
    bool audioControlsComplete() const;
    void applyAudioMode(int mode);
    // Reads the record back, hands it on and shows the colour now being edited.
    void takeAudioRecord(bool takeButtonColour);
    void takeAudioColour(const QColor& colour);
    void takeAudioEdits();
    void showAudioColour(const QColor& colour);
    QColor editedAudioColour() const;
    template <typename T>
    T* find(const char* name) const;

    QScrollArea* m_scroll;
    QComboBox* m_modes = nullptr;
    QAbstractSlider* m_brightness = nullptr;
    QAbstractSlider* m_speed = nullptr;
    CColourPaletteUI* m_palette = nullptr;
    QAbstractButton* m_colourButton = nullptr;
    std::array<QLineEdit*, 3> m_edits{};
    QAbstractButton* m_sevenColour = nullptr;
    QAbstractButton* m_left = nullptr;
    QAbstractButton* m_right = nullptr;
    QWidget* m_same = nullptr;
    CCustomLightEditor* m_custom = nullptr;
    bool m_customOffered = false;
    LightInfo m_light{};
    struct AudioControls {
        QComboBox* modes = nullptr;
        CColourPaletteUI* palette = nullptr;
        QAbstractButton* colourButton = nullptr;
        std::array<QLineEdit*, 3> edits{};
        QAbstractButton* sevenColour = nullptr;
        QAbstractButton* background = nullptr;
        QAbstractButton* foreground = nullptr;
        QWidget* colourLayout = nullptr;
        QWidget* paletteLayout = nullptr;
    };
    AudioControls m_audioControls;
    AudioLightInfo m_audio{};
    QColor m_audioButtonColour;
    int m_kind = 2;
    bool m_sameOffered = false;
    bool m_showing = false;
};

}  // namespace kestrion::ui
