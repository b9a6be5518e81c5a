#include "ui/device_option.h"

#include <QAbstractButton>
#include <QLabel>
#include <QStackedWidget>
#include <QStyle>

#include "ui/device_icons.h"
#include "ui/language_manager.h"
#include "ui/message_box.h"
#include "ui/skin.h"

namespace kestrion::ui {

namespace {

constexpr const char* kLayout = "XML\\CustomControlXML\\DeviceOption.xml";
constexpr const char* kClassName = "DeviceOption";
constexpr const char* kSelect = "device_select";
constexpr const char* kSynchro = "synchro_device_select";
constexpr const char* kName = "device_select_name";
constexpr const char* kToolTipId = "toolTipId";
constexpr const char* kAsleepProperty = "asleep";
constexpr const char* kAsleepTextId = "device_asleep_text";

constexpr const char* kIconStyle =
    "QAbstractButton { image: url(skin:images/%1); }"
    "QAbstractButton:checked { image: url(skin:images/%2); }"
    "QAbstractButton:disabled { image: url(skin:images/%1); }";

}  // namespace

CDeviceOptionUI::CDeviceOptionUI(const UiResources& resources, QWidget* parent)
    : QWidget(parent),
      m_language(resources.language),
      m_timers([this](int id) {
          if (m_timerHandler)
              m_timerHandler(id);
      })
{
    setProperty("controlClass", QString::fromLatin1(kClassName));
    QWidget* root = resources.skin.buildInto(kLayout, resources.factory, *this);
    if (!root)
        return;
    m_language.apply(root);
    m_select = root->findChild<QAbstractButton*>(kSelect);
    m_synchro = root->findChild<QAbstractButton*>(kSynchro);
    if (m_select) {
        m_select->setCheckable(true);
        connect(m_select, &QAbstractButton::clicked, this, &CDeviceOptionUI::onSelectClicked);
        connect(m_select, &QAbstractButton::toggled, this, &CDeviceOptionUI::onSelectToggled);
    }
    if (m_synchro) {
        m_synchro->setCheckable(true);
        connect(m_synchro, &QAbstractButton::toggled, this, &CDeviceOptionUI::showIcons);
    }
}

bool CDeviceOptionUI::isSelected() const
{
    return m_select && m_select->isChecked();
}

void CDeviceOptionUI::setSelected(bool selected)
{
    if (m_select)
        m_select->setChecked(selected);
}

bool CDeviceOptionUI::isSynchro() const
{
    return m_synchro && m_synchro->isChecked();
}

void CDeviceOptionUI::setSynchro(bool synchro)
{
    if (m_synchro)
        m_synchro->setChecked(synchro);
}

void CDeviceOptionUI::showSynchroOption(bool show)
{
    if (m_synchro)
        m_synchro->setVisible(show);
}

void CDeviceOptionUI::setGroup(const QString& group)
{
    m_group = group;
}

void CDeviceOptionUI::bindPage(QStackedWidget* container, int index)
{
    m_pageContainer = container;
    m_pageIndex = index;
}

QString CDeviceOptionUI::pageContainerName() const
{
    return m_pageContainer ? m_pageContainer->objectName() : QString();
}

void CDeviceOptionUI::bindPower(const QString& containerName, int index)
{
    m_powerContainer = containerName;
    m_powerIndex = index;
}

// A click on the selected option of a group would clear it; the group always keeps one.
void CDeviceOptionUI::onSelectClicked()
{
    if (!m_group.isEmpty() && !m_select->isChecked())
        m_select->setChecked(true);
}

void CDeviceOptionUI::onSelectToggled(bool checked)
{
    if (!checked)
        return;
    clearGroupSiblings();
    if (m_pageContainer && m_pageIndex >= 0 && m_pageIndex < m_pageContainer->count())
        m_pageContainer->setCurrentIndex(m_pageIndex);
}

void CDeviceOptionUI::clearGroupSiblings()
{
    if (m_group.isEmpty() || !parentWidget())
        return;
    const auto siblings = parentWidget()->findChildren<CDeviceOptionUI*>(QString(), Qt::FindDirectChildrenOnly);
    for (auto* sibling : siblings) {
        if (sibling != this && sibling->m_group == m_group)
            sibling->setSelected(false);
    }
}

void CDeviceOptionUI::setIcons(int kind, int role)
{
    const auto icons = deviceIcons(kind, role);
    m_normal = icons ? QString::fromStdString(icons->normal) : QString();
    m_selected = icons ? QString::fromStdString(icons->selected) : QString();
    m_synchroNormal = icons ? QString::fromStdString(icons->synchroNormal) : QString();
    m_synchroSelected = icons ? QString::fromStdString(icons->synchroSelected) : QString();
    if (m_select) {
        m_select->setProperty(kToolTipId, icons ? QString::fromStdString(icons->toolTipId) : QString());
        if (!icons)
            m_select->setToolTip(QString());
        m_language.apply(m_select);
    }
    showIcons();
}

void CDeviceOptionUI::showIcons()
{
    const bool synchro = isSynchro();
    m_shownNormal = synchro ? m_synchroNormal : m_normal;
    m_shownSelected = synchro ? m_synchroSelected : m_selected;
    if (!m_select)
        return;
    m_select->setStyleSheet(m_shownNormal.isEmpty() ? QString()
                                                    : QString::fromLatin1(kIconStyle).arg(m_shownNormal, m_shownSelected));
}

void CDeviceOptionUI::setName(const QString& name)
{
    if (auto* label = findChild<QLabel*>(kName))
        LanguageManager::setLiteralText(label, name);
}

void CDeviceOptionUI::setAsleep(bool asleep)
{
    if (asleep == m_asleep)
        return;
    m_asleep = asleep;
    setProperty(kAsleepProperty, asleep);
    setProperty(kToolTipId, asleep ? QString::fromLatin1(kAsleepTextId) : QString());
    if (asleep)
        m_language.apply(this);
    else
        setToolTip(QString());
    // The style sheet dims an entry by this property; it is read again only when polished.
    for (QWidget* widget : findChildren<QWidget*>()) {
        style()->unpolish(widget);
        style()->polish(widget);
    }
}

void CDeviceOptionUI::repaintIcon()
{
    if (m_iconControl)
        m_iconControl->update();
}

}  // namespace kestrion::ui
