#pragma once

#include <QDialog>

namespace kestrion::ui {

struct UiResources;
class LanguageManager;

// The about window ("AboutWnd"), built from the skin's "XML_ABOUT": the program's version and
// revision text, a close button. Modal over the main window and centred on it.
class AboutWnd : public QDialog {
    Q_OBJECT
public:
    AboutWnd(const UiResources& resources, QWidget* owner);

    // False when the skin could not build the window; run() then returns at once.
    bool isBuilt() const { return m_built; }
    // The version text of the program (the update page's application row, "V0.1.0").
    void setVersionText(const QString& text);
    int run();

private:
    void centreOnOwner();

    bool m_built = false;
};

}  // namespace kestrion::ui
