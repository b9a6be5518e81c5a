#pragma once

#include <QFrame>

namespace kestrion::ui {

struct UiResources;
class SkinSettings;

// The skin pop-up ("skinframe"), built from the skin's "skin.xml" under the title bar's skin
// button: stock images, plain colours, the user's own image and back to the default. It closes
// itself on a click elsewhere and is deleted when closed.
class CSkinFrame : public QFrame {
    Q_OBJECT
public:
    CSkinFrame(const UiResources& resources, SkinSettings& settings, QWidget* anchor);

    bool isBuilt() const { return m_built; }
    // Shows the pop-up with its top-right corner at the anchor's bottom-right corner.
    void showAtAnchor();

signals:
    // "skin_Custom": the owner asks for the file once the pop-up has closed, so that the pop-up
    // is not under the file dialog when it loses the focus.
    void ownImageRequested();

private:
    void bind(QWidget* root);
    void showPage(int page);

    SkinSettings& m_settings;
    QWidget* m_anchor;
    bool m_built = false;
};

}  // namespace kestrion::ui
