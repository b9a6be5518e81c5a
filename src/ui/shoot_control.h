#pragma once

#include <QString>
#include <QWidget>

#include <array>
#include <functional>
#include <memory>

#include "editors/shoot_pattern.h"

class QAbstractButton;
class QLabel;
class QLineEdit;

namespace kestrion::ui {

class Skin;
class LanguageManager;
class ShootPatternView;

// The shoot page of a mouse ("ShootControlItem"), built from the skin's "ShootControl.xml": the
// four recoil patterns, bullet by bullet, with their picture; import, export and reset of a
// pattern file; and the request to write all four to the mouse, which the device page carries out.
// Every edit is saved to the gun's file as soon as it is made.
class CShootControlUI : public QWidget {
    Q_OBJECT
public:
    enum class FileDialogMode { Open, Save };
    // Lets the user choose a pattern file; an empty path when cancelled. Tests replace the dialog.
    using FileChooser = std::function<QString(FileDialogMode mode, const QString& filter)>;
    // Tells the user something (a language text id); without one nothing is shown.
    using Notifier = std::function<void(const QString& textId)>;

    static constexpr const char* kFileFilter = "Shoot Files (*.shoot *.Shoot)";
    static constexpr const char* kLayout = "XML\\CustomControlXML\\ShootControl.xml";

    CShootControlUI(const Skin& skin, QWidget* parent = nullptr);
    ~CShootControlUI() override;

    // False when the skin could not build the layout or it lacks one of its controls.
    bool isBuilt() const { return m_built; }
    void setLanguage(const LanguageManager* language) { m_language = language; }
    void setFileChooser(FileChooser chooser) { m_chooser = std::move(chooser); }
    void setNotifier(Notifier notifier) { m_notify = std::move(notifier); }

    // The device's data folder and the factory folder; guns without a file get their factory
    // copy, and the page shows gun 0, bullet 0.
    void setFolders(const std::string& dataFolder, const std::string& factoryFolder);

    int currentGun() const { return m_gun; }
    int currentBullet() const { return m_bullet; }
    void selectGun(int gun);
    void selectBullet(int bullet);
    // Writes the shown values into the current bullet of the current gun's file.
    void saveBullet();
    void resetGun();
    void importGun();
    void exportGun();

signals:
    // "shootdate_save_btn": the four patterns should go to the mouse.
    void writeRequested();

private:
    void bind();
    template <typename T>
    T* child(const QString& name) const;
    void showBullet();
    void showDirection();
    Bullet shownBullet() const;
    void tell(const char* textId) const;

    const LanguageManager* m_language = nullptr;
    std::unique_ptr<ShootPatternFiles> m_files;
    FileChooser m_chooser;
    Notifier m_notify;
    std::array<QAbstractButton*, kShootGuns> m_guns{};
    std::array<QAbstractButton*, kBulletsPerGun> m_bullets{};
    QAbstractButton* m_xCheck = nullptr;
    QAbstractButton* m_yCheck = nullptr;
    QLineEdit* m_xEdit = nullptr;
    QLineEdit* m_yEdit = nullptr;
    QLineEdit* m_delayEdit = nullptr;
    QLabel* m_index = nullptr;
    QLabel* m_damaged = nullptr;
    ShootPatternView* m_view = nullptr;
    int m_gun = 0;
    int m_bullet = 0;
    bool m_built = false;
};

}  // namespace kestrion::ui
