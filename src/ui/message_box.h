#pragma once

#include <QDialog>
#include <QPoint>
#include <QSize>

#include <functional>

class QAbstractButton;
class QLabel;

namespace kestrion::ui {

class ControlFactory;
class LanguageManager;
class Skin;

// What windows built from the skin need.
struct UiResources {
    const Skin& skin;
    ControlFactory& factory;
    const LanguageManager& language;
};

// The one modal message box, built from the skin's "XML_MSG": a title, a text and a confirm
// button, with a cancel button for questions. Closing through "confirm_btn" gives 1; through
// "cancel_btn", "closebtn" or the window manager, 0.
class CMsgWnd : public QDialog {
    Q_OBJECT
public:
    enum Mode { Notice = 0, Question = 1 };

    CMsgWnd(const UiResources& resources, QWidget* parent);

    // False when the skin could not build the box; run() then answers 0 at once.
    bool isBuilt() const { return m_message != nullptr; }
    void setTitle(const QString& title);
    void setMessage(const QString& text, bool textIsId);
    void setMode(int mode);
    // Accepts 48, 72, 96, 120, 144, 168 or 192; any other value becomes 96.
    void setDpi(int dpi);
    int dpi() const { return m_dpi; }
    int run();
    // Shows the box modal to its parent window and returns at once; finished() brings the answer.
    void openOverParent();

    static int acceptedDpi(int dpi);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    void bindButtons(QWidget* root);
    void onButton(const QString& name);
    void centreOnParent();

    const LanguageManager& m_language;
    QLabel* m_title = nullptr;
    QLabel* m_message = nullptr;
    QAbstractButton* m_confirm = nullptr;
    QAbstractButton* m_cancel = nullptr;
    QSize m_baseSize;
    QPoint m_dragOffset;
    int m_dpi = 96;
};

// Shows a prompt and waits for the answer: 1 confirmed, 0 cancelled or closed. An empty title or
// text keeps the layout's own; textIsId tells whether text is a language text id.
int showPrompt(const UiResources& resources, QWidget* parent, const QString& title, const QString& text,
               int dpi, bool textIsId, int mode);

// Shows a prompt without waiting for it: answered gets 1 when it is confirmed, 0 when cancelled
// or closed (at once when the skin cannot build the box). For answers that a device result, a
// timer or start-up asks for: the UI thread runs on meanwhile.
void showPromptLater(const UiResources& resources, QWidget* parent, const QString& title, const QString& text,
                     bool textIsId, int mode, std::function<void(int)> answered);

}  // namespace kestrion::ui
