#include "ui/message_box.h"

#include <QAbstractButton>
#include <QLabel>
#include <QMouseEvent>
#include <QScreen>

#include <array>

#include "platform/diagnostics.h"
#include "ui/focus_ring.h"
#include "ui/language_manager.h"
#include "ui/skin.h"

namespace kestrion::ui {

namespace {

constexpr const char* kLayout = "XML_MSG";
constexpr int kDefaultDpi = 96;
constexpr std::array kDpiSteps{48, 72, 96, 120, 144, 168, 192};

struct ButtonRole {
    const char* name;
    int result;
};

constexpr std::array kButtons{
    ButtonRole{"confirm_btn", 1},
    ButtonRole{"cancel_btn", 0},
    ButtonRole{"closebtn", 0},
};

}  // namespace

CMsgWnd::CMsgWnd(const UiResources& resources, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint), m_language(resources.language)
{
    setObjectName("msgwnd");
    setModal(true);
    QWidget* root = resources.skin.buildInto(kLayout, resources.factory, *this);
    if (!root)
        return;
    m_title = root->findChild<QLabel*>("MessageTitle");
    m_message = root->findChild<QLabel*>("MessageText");
    m_confirm = root->findChild<QAbstractButton*>("confirm_btn");
    m_cancel = root->findChild<QAbstractButton*>("cancel_btn");
    bindButtons(root);
    new FocusRing(this);
    m_language.apply(root);
    m_baseSize = root->size();
    setDpi(kDefaultDpi);
}

void CMsgWnd::bindButtons(QWidget* root)
{
    for (auto* button : root->findChildren<QAbstractButton*>()) {
        const QString name = button->objectName().toLower();
        connect(button, &QAbstractButton::clicked, this, [this, name] { onButton(name); });
    }
}

void CMsgWnd::onButton(const QString& name)
{
    for (const auto& role : kButtons) {
        if (name == QLatin1String(role.name)) {
            done(role.result);
            return;
        }
    }
}

// A title that is a text id of the language shows its text; any other title shows as given.
void CMsgWnd::setTitle(const QString& title)
{
    if (!m_title || title.isEmpty())
        return;
    if (m_language.contains(title)) {
        m_language.setTextId(m_title, title);
        return;
    }
    LanguageManager::setLiteralText(m_title, title);
}

void CMsgWnd::setMessage(const QString& text, bool textIsId)
{
    if (!m_message || text.isEmpty())
        return;
    if (textIsId) {
        m_language.setTextId(m_message, text);
        return;
    }
    LanguageManager::setLiteralText(m_message, text);
}

void CMsgWnd::setMode(int mode)
{
    if (m_cancel)
        m_cancel->setVisible(mode == Question);
    if (m_confirm)
        m_confirm->setVisible(true);
}

int CMsgWnd::acceptedDpi(int dpi)
{
    for (int step : kDpiSteps) {
        if (dpi == step)
            return dpi;
    }
    return kDefaultDpi;
}

void CMsgWnd::setDpi(int dpi)
{
    m_dpi = acceptedDpi(dpi);
    if (m_dpi != dpi)
        debugTrace("MSG_WND DPI SET ERROR");
    if (!m_baseSize.isEmpty())
        setFixedSize(m_baseSize * m_dpi / kDefaultDpi);
}

void CMsgWnd::centreOnParent()
{
    const QWidget* owner = parentWidget() ? parentWidget()->window() : nullptr;
    const QRect area = owner ? owner->frameGeometry() : screen()->availableGeometry();
    move(area.center() - rect().center());
}

int CMsgWnd::run()
{
    if (!isBuilt())
        return 0;
    centreOnParent();
    return exec();
}

void CMsgWnd::openOverParent()
{
    centreOnParent();
    setWindowModality(Qt::WindowModal);
    open();
}

void CMsgWnd::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        m_dragOffset = event->globalPosition().toPoint() - frameGeometry().topLeft();
    QDialog::mousePressEvent(event);
}

void CMsgWnd::mouseMoveEvent(QMouseEvent* event)
{
    if (event->buttons() & Qt::LeftButton)
        move(event->globalPosition().toPoint() - m_dragOffset);
    QDialog::mouseMoveEvent(event);
}

int showPrompt(const UiResources& resources, QWidget* parent, const QString& title, const QString& text,
               int dpi, bool textIsId, int mode)
{
    CMsgWnd box(resources, parent);
    box.setTitle(title);
    box.setMessage(text, textIsId);
    box.setDpi(dpi);
    box.setMode(mode);
    return box.run();
}

void showPromptLater(const UiResources& resources, QWidget* parent, const QString& title, const QString& text,
                     bool textIsId, int mode, std::function<void(int)> answered)
{
    auto* box = new CMsgWnd(resources, parent);
    if (!box->isBuilt()) {
        delete box;
        answered(0);
        return;
    }
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setTitle(title);
    box->setMessage(text, textIsId);
    box->setMode(mode);
    QObject::connect(box, &QDialog::finished, box, [answered = std::move(answered)](int result) { answered(result); });
    box->openOverParent();
}

}  // namespace kestrion::ui
