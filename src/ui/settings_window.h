#pragma once

#include <QDialog>
#include <QPoint>
#include <QString>

#include <memory>
#include <string>
#include <vector>

#include "ui/message_box.h"

class QAbstractButton;
class QComboBox;
class QLabel;
class QStackedWidget;

namespace kestrion::ui {

class LanguageManager;
class LanguageSwitch;
class UpdateModel;
struct UpdateRow;

// The settings window ("SetWnd"), built from the skin's "setwnd.xml": the language list, which
// switches every open window at once, and the update page, which shows an UpdateModel: one row
// per updatable part with its version and state, the page's status, and the controls that start
// an update. Not modal; the owner keeps one and raises it when asked again. It will not close
// while a row is updating.
class CSetWnd : public QDialog {
    Q_OBJECT
public:
    static constexpr QSize kWindowSize{630, 500};

    // dataFolder holds the date file; the window remembers there the day it first showed. The
    // window owns the model and starts its check when it first shows.
    CSetWnd(const UiResources& resources, LanguageSwitch& languages, const std::string& dataFolder,
            std::unique_ptr<UpdateModel> model, QWidget* owner);
    ~CSetWnd() override;

    // False when the skin could not build the window or it lacks one of its controls.
    bool isBuilt() const;
    UpdateModel& model() { return *m_model; }
    // Builds the rows again from the devices as they are now, unless an update runs.
    void recheck();
    // Shows the window beside its owner (to its right when the screen has room, else centred on it).
    void showBesideOwner();

public slots:
    void reject() override;

signals:
    // The check found an update.
    void updatesOffered();
    // The page showed that everything is up to date (WM_USB_MAINMESS_UPDATE_SEEN).
    void updateSeen();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    void findControls(QWidget* root);
    void bindButtons();
    void bindModel();
    void fillLanguages();
    void chooseLanguage(int index);
    void buildRows();
    void showRow(int index);
    QString stateText(const UpdateRow& row) const;
    void showStatus();
    void showUpdateButton();
    void startUpdate();
    void showZoomButtons();

    UiResources m_resources;
    const LanguageManager& m_language;
    LanguageSwitch& m_languages;
    std::unique_ptr<UpdateModel> m_model;
    QComboBox* m_combo = nullptr;
    QWidget* m_list = nullptr;
    QLabel* m_status = nullptr;
    QWidget* m_ring = nullptr;
    QWidget* m_statusImage = nullptr;
    QWidget* m_hint = nullptr;
    QStackedWidget* m_tabs = nullptr;
    QAbstractButton* m_updateButton = nullptr;
    QAbstractButton* m_maximise = nullptr;
    QAbstractButton* m_restore = nullptr;
    std::vector<QWidget*> m_items;
    QString m_date;
    bool m_hintDismissed = false;
    bool m_checkStarted = false;
    QPoint m_dragOffset;
};

}  // namespace kestrion::ui
