#pragma once

#include <QList>
#include <QPointer>
#include <QString>
#include <QWidget>

#include <functional>
#include <optional>
#include <string>

#include "profiles/profile_list_store.h"
#include "ui/message_box.h"

class QAbstractButton;
class QComboBox;
class QLineEdit;

namespace kestrion {
class ProfileListStore;
}

namespace kestrion::ui {

class Skin;

// The profile selector of a device page, built from the skin's
// "XML\CustomControlXML\DeviceProfile.xml": the selector "device_profile_combo", the button
// "profile_fun_spread_btn" and the panel "profile_menu_layout" holding the name edit, its save
// button and the add, copy, delete, import, export and reset buttons. The profiles themselves live
// in a ProfileListStore; this control shows them and runs the buttons' commands with their
// questions and notices. It also carries the page's row of tab options. The main window routes
// the buttons' clicks and the selector's "itemselect" to the public commands below; the control
// itself only lets Return in the name edit press its save button, and closes its drop-down panel
// on Esc or on a click elsewhere.
class CDeviceProfileUI : public QWidget {
    Q_OBJECT
public:
    enum class FileDialogMode { Open, Save };
    // Asks or tells the user; text is a language text id whose "%s" stands for word, mode a
    // CMsgWnd::Mode. 1 confirmed.
    using Prompter = std::function<int(const QString& textId, int mode, const QString& word)>;
    // Lets the user choose a profile file, offering suggestedName; an empty path when cancelled.
    using FileChooser =
        std::function<QString(FileDialogMode mode, const QString& filter, const QString& suggestedName)>;

    static constexpr const char* kFileFilter = "Profile Files(*.json)";

    explicit CDeviceProfileUI(const Skin& skin, QWidget* parent = nullptr);
    ~CDeviceProfileUI() override;

    // False when the skin could not build the layout or it lacks one of its controls.
    bool isBuilt() const;

    // Prompts go through the skin's message box once the page's resources are known; until then
    // every question is answered "cancel" and notices are not shown.
    void setResources(const UiResources& resources);
    void setPrompter(Prompter prompter) { m_prompter = std::move(prompter); }
    void setFileChooser(FileChooser chooser) { m_chooser = std::move(chooser); }

    // The store stays owned by the caller and must outlive this control or be replaced first.
    void setStore(ProfileListStore* store) { m_store = store; }
    // Loads the store and shows its profiles, selecting the stored selection.
    void InitProfileList();

    // The commands of the page's buttons.
    void selectProfile(int index);
    void addProfile();
    void copyProfile();
    void deleteProfile();
    void renameProfile();
    void resetProfile();
    void importProfile();
    void exportProfile();
    // The same without the file dialog and the notices, for scripts.
    ProfileImportResult importFile(const QString& path);
    bool exportFile(const QString& path);

    int selectedIndex() const;
    QString nameEditText() const;
    void setNameEditText(const QString& text);

    // The page's tab options, found by name under page.
    void bindTabs(QWidget* page);
    // Checks tab option n alone (1 lighting, 2 keys, 3 macros, 4 performance, 5 pointer, 6 voice,
    // 7 voice effects, 8 virtual surround, 9 other settings) without raising a notification;
    // any other n clears every option.
    void SelectTab(int n);
    // n when its tab option is shown, else the lowest shown one; 0 when the page shows none.
    int firstShownTab(int n) const;
    // The number SelectTab gives the tab option of that name; 0 for any other name.
    static int tabNumber(const QString& name);

    // The panel drops down below the selector, over the page, and hides with it.
    void showProfileMenu(bool visible);
    bool isProfileMenuVisible() const;

    QComboBox* selector() const { return m_combo; }
    QLineEdit* nameEdit() const { return m_nameEdit; }
    QWidget* profileMenu() const { return m_menu; }
    QAbstractButton* button(const QString& name) const;

signals:
    // The selected profile is another one, or its stored settings were replaced: the device
    // reloads it and applies it.
    void profileChanged();
    // The selected profile went back to the factory values.
    void profileReset();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void bindControls(QWidget* root);
    void showProfiles();
    void updateButtons();
    void placeMenu();
    bool hasSelection() const;
    bool confirm(const char* textId, const QString& word = QString());
    void notify(const char* textId, const QString& word = QString());
    bool isInsideMenu(QObject* target) const;
    QAbstractButton* tab(int n) const;
    QString chooseFile(FileDialogMode mode, const QString& suggestedName);
    QString selectedName() const;
    QString forbiddenWord(const std::string& name) const;
    static QString quoted(const QString& word);

    Prompter m_prompter;
    FileChooser m_chooser;
    std::optional<UiResources> m_resources;
    ProfileListStore* m_store = nullptr;
    QComboBox* m_combo = nullptr;
    QLineEdit* m_nameEdit = nullptr;
    QAbstractButton* m_spread = nullptr;
    QPointer<QWidget> m_menu;
    QList<QPointer<QAbstractButton>> m_tabs;
};

}  // namespace kestrion::ui
