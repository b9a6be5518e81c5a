#include "ui/about_window.h"

#include <QAbstractButton>
#include <QLabel>
#include <QScreen>

#include "ui/language_manager.h"
#include "ui/message_box.h"
#include "ui/skin.h"

namespace kestrion::ui {

namespace {

constexpr const char* kLayout = "XML_ABOUT";
constexpr const char* kVersionLabel = "software_ver_label";
constexpr const char* kRevisionLabel = "text_test";
constexpr const char* kRevisionText = "software_rev_text";
constexpr const char* kCloseButton = "closebtn";
constexpr QSize kWindowSize{800, 572};

}  // namespace

AboutWnd::AboutWnd(const UiResources& resources, QWidget* owner)
    : QDialog(owner, Qt::Dialog | Qt::FramelessWindowHint)
{
    setObjectName("AboutWnd");
    setModal(true);
    setFixedSize(kWindowSize);
    QWidget* root = resources.skin.buildInto(kLayout, resources.factory, *this);
    if (!root)
        return;
    if (auto* revision = root->findChild<QLabel*>(kRevisionLabel))
        resources.language.setTextId(revision, kRevisionText);
    if (auto* close = root->findChild<QAbstractButton*>(kCloseButton))
        connect(close, &QAbstractButton::clicked, this, &QDialog::reject);
    resources.language.apply(root);
    m_built = true;
}

void AboutWnd::setVersionText(const QString& text)
{
    if (auto* version = findChild<QLabel*>(kVersionLabel))
        LanguageManager::setLiteralText(version, text);
}

void AboutWnd::centreOnOwner()
{
    const QWidget* owner = parentWidget() ? parentWidget()->window() : nullptr;
    const QRect area = owner ? owner->frameGeometry() : screen()->availableGeometry();
    move(area.center() - rect().center());
}

int AboutWnd::run()
{
    if (!m_built)
        return 0;
    centreOnOwner();
    return exec();
}

}  // namespace kestrion::ui
