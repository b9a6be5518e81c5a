#pragma once

#include <QObject>

#include <functional>
#include <vector>

#include "profiles/profile_records.h"

class QAbstractButton;
class QComboBox;
class QLineEdit;
class QListWidget;
class QSpinBox;
class QWidget;

namespace kestrion {
class CustomLightLists;
}

namespace kestrion::ui {

// The custom effect lists on the lighting page ("light_custom_group"): choose, create, rename
// and delete a list, and edit its frames (effect, time, and the colour, brightness, speed,
// direction and seven-colour option the lighting controls above it show). Every edit is written
// to the device's light configuration at once; a write that fails or a damaged configuration is
// told, and a damaged one is replaced only when the user agrees.
class CCustomLightEditor : public QObject {
    Q_OBJECT
public:
    struct Hooks {
        std::function<bool(const QString& textId)> ask;
        std::function<void(const QString& textId)> notice;
        // The lighting the controls above show, copied into a frame.
        std::function<LightInfo()> currentLight;
    };

    // Binds the controls inside root; available() is false when the layout has none.
    CCustomLightEditor(QWidget& root, QObject* parent);
    bool available() const { return m_group != nullptr; }

    // The device's lists (loaded here; nullptr hides the group) and the list its profile plays.
    void setLists(CustomLightLists* lists, Hooks hooks);
    void showGroup(int group);

signals:
    // The user chose list group to play.
    void listChosen(int group);
    // The files changed; a removed list's index is given (else -1) so the profile can follow.
    void listsEdited(int removed);

private:
    void bindControls(QWidget& root);
    void fillEffects();
    void showLists(int selected);
    void showFrames();
    void showFrame(int row);
    void createList();
    void renameList();
    void removeList();
    void addFrame();
    void removeFrame();
    void takeLightIntoFrame();
    void frameFieldsChanged();
    void copyCurrentLight(LedEffect& effect) const;
    bool writeFrames();
    bool usable();
    int listIndex() const;
    int frameIndex() const;
    QString frameLabel(const LedEffect& effect) const;

    CustomLightLists* m_lists = nullptr;
    Hooks m_hooks;
    std::vector<LedEffect> m_frames;
    QWidget* m_group = nullptr;
    QComboBox* m_listChoice = nullptr;
    QLineEdit* m_name = nullptr;
    QListWidget* m_frameList = nullptr;
    QComboBox* m_frameEffect = nullptr;
    QSpinBox* m_frameTime = nullptr;
    bool m_showing = false;
};

}  // namespace kestrion::ui
