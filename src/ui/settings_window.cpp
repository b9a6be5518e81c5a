#include "ui/settings_window.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QDate>
#include <QGridLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QScreen>

#include "profiles/update_date.h"
#include "ui/focus_ring.h"
#include "ui/language_manager.h"
#include "ui/language_switch.h"
#include "ui/message_box.h"
#include "ui/skin.h"

namespace kestrion::ui {

namespace {

constexpr const char* kLayout = "setwnd.xml";
constexpr const char* kLanguageCombo = "Language_combox_info";
constexpr const char* kVersionList = "device_update_list_info";
constexpr const char* kStatusLabel = "Update_Status_text";
constexpr const char* kDateTextId = "setwnd_first_opened_text";
constexpr const char* kNotConnectedTextId = "setwnd_not_connected_text";
constexpr const char* kLanguageFailedTextId = "setwnd_language_failed_text";
constexpr int kOwnerGap = 8;

}  // namespace

CSetWnd::CSetWnd(const UiResources& resources, LanguageSwitch& languages, const std::string& dataFolder,
                 QWidget* owner)
    : QDialog(owner, Qt::Dialog | Qt::FramelessWindowHint),
      m_resources(resources),
      m_language(resources.language),
      m_languages(languages)
{
    setObjectName("SetWnd");
    setAttribute(Qt::WA_DeleteOnClose);
    setFixedSize(kWindowSize);
    QWidget* root = resources.skin.buildInto(kLayout, resources.factory, *this);
    if (!root)
        return;
    m_combo = root->findChild<QComboBox*>(kLanguageCombo);
    auto* list = root->findChild<QWidget*>(kVersionList);
    m_versions = list ? qobject_cast<QGridLayout*>(list->layout()) : nullptr;
    m_status = root->findChild<QLabel*>(kStatusLabel);
    if (auto* close = root->findChild<QAbstractButton*>("closebtn"))
        connect(close, &QAbstractButton::clicked, this, &QDialog::close);
    if (auto* minimise = root->findChild<QAbstractButton*>("minbtn"))
        connect(minimise, &QAbstractButton::clicked, this, &QWidget::showMinimized);
    new FocusRing(this);
    resources.language.apply(root);
    if (!isBuilt())
        return;
    fillLanguages();
    const QDate today = QDate::currentDate();
    m_date = QString::fromStdString(storedUpdateDate(dataFolder, today.year(), today.month(), today.day()));
    showDate();
    connect(&m_language, &LanguageManager::languageChanged, this, &CSetWnd::showDate);
    connect(&m_languages, &LanguageSwitch::languageSwitched, m_combo, [this](int index) {
        const QSignalBlocker quiet(m_combo);
        m_combo->setCurrentIndex(index);
    });
}

void CSetWnd::fillLanguages()
{
    const QSignalBlocker quiet(m_combo);
    m_combo->clear();
    for (const LanguageEntry& entry : m_languages.languages())
        m_combo->addItem(QString::fromStdString(entry.text));
    m_combo->setCurrentIndex(m_languages.currentIndex());
    connect(m_combo, &QComboBox::activated, this, &CSetWnd::chooseLanguage);
}

// A language whose file the skin lacks is told, and the list goes back to the one in use.
void CSetWnd::chooseLanguage(int index)
{
    if (m_languages.setLanguage(index))
        return;
    const QSignalBlocker quiet(m_combo);
    m_combo->setCurrentIndex(m_languages.currentIndex());
    showPrompt(m_resources, this, QString(), kLanguageFailedTextId, 96, true, CMsgWnd::Notice);
}

void CSetWnd::showDate()
{
    m_status->setText(m_language.textWithWord(kDateTextId, m_date));
}

void CSetWnd::clearVersions()
{
    while (QLayoutItem* item = m_versions->takeAt(0)) {
        delete item->widget();
        delete item;
    }
}

void CSetWnd::setVersionRows(const std::vector<VersionRow>& rows)
{
    if (!isBuilt())
        return;
    clearVersions();
    int line = 0;
    for (const VersionRow& row : rows) {
        auto* name = new QLabel(row.shortName);
        auto* version = new QLabel;
        version->setProperty("role", QStringLiteral("version"));
        if (row.version.isEmpty())
            m_language.setTextId(version, kNotConnectedTextId);
        else
            version->setText(row.version);
        m_versions->addWidget(name, line, 0);
        m_versions->addWidget(version, line, 1);
        ++line;
    }
    m_versions->setColumnStretch(2, 1);
}

void CSetWnd::showBesideOwner()
{
    const QWidget* owner = parentWidget() ? parentWidget()->window() : nullptr;
    if (owner) {
        const QRect area = owner->frameGeometry();
        const QRect screenArea = owner->screen()->availableGeometry();
        QPoint at(area.right() + kOwnerGap, area.top());
        if (at.x() + width() > screenArea.right())
            at = area.center() - rect().center();
        move(at);
    }
    show();
    raise();
    activateWindow();
}

void CSetWnd::mousePressEvent(QMouseEvent* event)
{
    m_dragOffset = event->globalPosition().toPoint() - frameGeometry().topLeft();
}

void CSetWnd::mouseMoveEvent(QMouseEvent* event)
{
    if (event->buttons() & Qt::LeftButton)
        move(event->globalPosition().toPoint() - m_dragOffset);
}

}  // namespace kestrion::ui
