#include "ui/settings_window.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDate>
#include <QLabel>
#include <QLayout>
#include <QMouseEvent>
#include <QProgressBar>
#include <QScreen>
#include <QStackedWidget>
#include <QStyle>

#include "profiles/update_date.h"
#include "ui/focus_ring.h"
#include "ui/language_manager.h"
#include "ui/language_switch.h"
#include "ui/message_box.h"
#include "ui/skin.h"
#include "ui/update_model.h"

namespace kestrion::ui {

namespace {

constexpr const char* kLayout = "setwnd.xml";
constexpr const char* kItemLayout = "XML\\CustomControlXML\\device_Update_list_item.xml";
constexpr const char* kLanguageCombo = "Language_combox_info";
constexpr const char* kUpdateList = "device_update_list_info";
constexpr const char* kStatusLabel = "Update_Status_text";
constexpr const char* kStatusRing = "update_status_ring";
constexpr const char* kStatusImage = "update_status_image";
constexpr const char* kHint = "update_tishi_layout";
constexpr const char* kTabs = "get_update_tab_layout";
constexpr const char* kUpdateButton = "update_fw_and_ap";
constexpr const char* kTick = "check_name_select";
constexpr const char* kItemName = "update_item_name";
constexpr const char* kItemVersion = "update_item_version";
constexpr const char* kItemState = "update_item_state";
constexpr const char* kItemProgress = "update_item_progress";
constexpr const char* kNotConnectedTextId = "setwnd_not_connected_text";
constexpr const char* kLanguageFailedTextId = "setwnd_language_failed_text";
constexpr const char* kOfferedTextId = "update_state_offered_text";
constexpr const char* kFailedTextId = "update_state_failed_text";
constexpr const char* kUpdatingTextId = "update_state_updating_text";
constexpr const char* kLatestTextId = "update_state_latest_text";
constexpr const char* kFinishedTextId = "update_state_finished_text";
constexpr int kListPage = 0;
constexpr int kConfirmPage = 1;
constexpr int kOwnerGap = 8;

template <typename T>
T* child(QWidget* root, const char* name)
{
    return root->findChild<T*>(QString::fromLatin1(name));
}

}  // namespace

CSetWnd::CSetWnd(const UiResources& resources, LanguageSwitch& languages, const std::string& dataFolder,
                 std::unique_ptr<UpdateModel> model, QWidget* owner)
    : QDialog(owner, Qt::Dialog | Qt::FramelessWindowHint),
      m_resources(resources),
      m_language(resources.language),
      m_languages(languages),
      m_model(std::move(model))
{
    setObjectName("SetWnd");
    setAttribute(Qt::WA_DeleteOnClose);
    setMinimumSize(kWindowSize);
    resize(kWindowSize);
    QWidget* root = resources.skin.buildInto(kLayout, resources.factory, *this);
    if (!root)
        return;
    findControls(root);
    new FocusRing(this);
    resources.language.apply(root);
    if (!isBuilt())
        return;
    bindButtons();
    fillLanguages();
    const QDate today = QDate::currentDate();
    m_date = QString::fromStdString(storedUpdateDate(dataFolder, today.year(), today.month(), today.day()));
    m_hint->hide();
    showZoomButtons();
    bindModel();
}

CSetWnd::~CSetWnd() = default;

bool CSetWnd::isBuilt() const
{
    return m_combo && m_list && m_list->layout() && m_status && m_ring && m_statusImage && m_hint && m_tabs
        && m_updateButton;
}

void CSetWnd::findControls(QWidget* root)
{
    m_combo = child<QComboBox>(root, kLanguageCombo);
    m_list = child<QWidget>(root, kUpdateList);
    m_status = child<QLabel>(root, kStatusLabel);
    m_ring = child<QWidget>(root, kStatusRing);
    m_statusImage = child<QWidget>(root, kStatusImage);
    m_hint = child<QWidget>(root, kHint);
    m_tabs = child<QStackedWidget>(root, kTabs);
    m_updateButton = child<QAbstractButton>(root, kUpdateButton);
    m_maximise = child<QAbstractButton>(root, "maxbtn");
    m_restore = child<QAbstractButton>(root, "restorebtn");
}

void CSetWnd::bindButtons()
{
    for (const char* name : {"closebtn", "laterbtn"}) {
        if (auto* button = findChild<QAbstractButton*>(QString::fromLatin1(name)))
            connect(button, &QAbstractButton::clicked, this, &QDialog::close);
    }
    if (auto* minimise = findChild<QAbstractButton*>("minbtn"))
        connect(minimise, &QAbstractButton::clicked, this, &QWidget::showMinimized);
    if (m_maximise)
        connect(m_maximise, &QAbstractButton::clicked, this, &QWidget::showMaximized);
    if (m_restore)
        connect(m_restore, &QAbstractButton::clicked, this, &QWidget::showNormal);
    if (auto* showHint = findChild<QAbstractButton*>("set_in_update_wnd_btn")) {
        connect(showHint, &QAbstractButton::clicked, this, [this] {
            m_hintDismissed = true;
            m_hint->hide();
            showNormal();
            resize(kWindowSize);
        });
    }
    connect(m_updateButton, &QAbstractButton::clicked, this, [this] { m_tabs->setCurrentIndex(kConfirmPage); });
    if (auto* confirm = findChild<QAbstractButton*>("update_OK_btn"))
        connect(confirm, &QAbstractButton::clicked, this, &CSetWnd::startUpdate);
}

void CSetWnd::bindModel()
{
    connect(m_model.get(), &UpdateModel::rowsChanged, this, &CSetWnd::buildRows);
    connect(m_model.get(), &UpdateModel::rowChanged, this, &CSetWnd::showRow);
    connect(m_model.get(), &UpdateModel::statusChanged, this, &CSetWnd::showStatus);
    connect(&m_language, &LanguageManager::languageChanged, this, [this] {
        for (int index = 0; index < static_cast<int>(m_items.size()); ++index)
            showRow(index);
        showStatus();
    });
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

void CSetWnd::buildRows()
{
    for (QWidget* item : m_items)
        delete item;
    m_items.clear();
    const std::vector<UpdateRow>& rows = m_model->rows();
    for (int index = 0; index < static_cast<int>(rows.size()); ++index) {
        QWidget* item = m_resources.skin.build(kItemLayout, m_resources.factory, m_list);
        if (!item)
            return;
        m_language.apply(item);
        if (auto* tick = child<QCheckBox>(item, kTick)) {
            QSizePolicy keepPlace = tick->sizePolicy();
            keepPlace.setRetainSizeWhenHidden(true);
            tick->setSizePolicy(keepPlace);
            connect(tick, &QCheckBox::toggled, this, [this, index](bool ticked) { m_model->setTicked(index, ticked); });
        }
        m_list->layout()->addWidget(item);
        m_items.push_back(item);
        showRow(index);
    }
    showUpdateButton();
}

void CSetWnd::showRow(int index)
{
    if (index < 0 || index >= static_cast<int>(m_items.size()))
        return;
    const UpdateRow& row = m_model->rows()[static_cast<std::size_t>(index)];
    QWidget* item = m_items[static_cast<std::size_t>(index)];
    if (auto* tick = child<QCheckBox>(item, kTick)) {
        const QSignalBlocker quiet(tick);
        tick->setChecked(row.ticked);
        tick->setVisible(rowOffersUpdate(row.state));
    }
    if (auto* name = child<QLabel>(item, kItemName))
        name->setText(QString::fromLatin1(row.entry.shortName.data(), static_cast<int>(row.entry.shortName.size())));
    if (auto* version = child<QLabel>(item, kItemVersion))
        version->setText(row.versionText.isEmpty() ? m_language.text(kNotConnectedTextId) : row.versionText);
    if (auto* state = child<QLabel>(item, kItemState)) {
        state->setText(stateText(row));
        state->setProperty("failed", row.failed);
        state->style()->unpolish(state);
        state->style()->polish(state);
    }
    if (auto* progress = child<QProgressBar>(item, kItemProgress)) {
        progress->setVisible(row.state == kRowUpdating);
        progress->setValue(row.progress);
    }
    showUpdateButton();
}

// A row with nothing to update with says nothing.
QString CSetWnd::stateText(const UpdateRow& row) const
{
    switch (row.state) {
    case kRowFirmwareUpdate:
    case kRowApplicationUpdate:
        return m_language.textWithWord(row.failed ? kFailedTextId : kOfferedTextId, row.offered);
    case kRowUpdating:
        return m_language.textWithNumber(kUpdatingTextId, row.progress);
    case kRowFinished:
        return m_language.text(kFinishedTextId);
    default:
        return row.offered.isEmpty() || row.versionText.isEmpty() ? QString() : m_language.text(kLatestTextId);
    }
}

void CSetWnd::showStatus()
{
    const int status = m_model->status();
    const QString id = QString::fromLatin1(kUpdateStatusTextIds[static_cast<std::size_t>(status)].data());
    const bool busy = status == kStatusChecking || status == kStatusUpdating;
    m_ring->setVisible(busy);
    m_statusImage->setVisible(!busy);
    m_hint->setVisible(status == kStatusAvailable && !m_hintDismissed);
    if (status == kStatusAvailable)
        emit updatesOffered();
    if (status == kStatusLatest) {
        m_status->setText(m_language.text(id) + m_date);
        emit updateSeen();
    } else {
        m_status->setText(m_language.text(id));
    }
    showUpdateButton();
}

void CSetWnd::showUpdateButton()
{
    const bool shown = m_model->anyTicked() && m_model->closable();
    m_updateButton->setEnabled(shown);
    m_updateButton->setVisible(shown);
}

void CSetWnd::startUpdate()
{
    m_model->startUpdate();
    m_updateButton->setEnabled(false);
    m_tabs->setCurrentIndex(kListPage);
}

void CSetWnd::recheck()
{
    m_model->check();
}

// Esc and the window manager's close come here too.
void CSetWnd::reject()
{
    if (m_model->closable())
        QDialog::reject();
}

// The first check waits for the window to show, so that its owner hears how it ends.
void CSetWnd::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (m_checkStarted)
        return;
    m_checkStarted = true;
    m_model->check();
}

void CSetWnd::closeEvent(QCloseEvent* event)
{
    if (!m_model->closable()) {
        event->ignore();
        return;
    }
    m_model->stop();
    QDialog::closeEvent(event);
}

void CSetWnd::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::WindowStateChange)
        showZoomButtons();
    QDialog::changeEvent(event);
}

void CSetWnd::showZoomButtons()
{
    const bool zoomed = isMaximized();
    if (m_maximise)
        m_maximise->setVisible(!zoomed);
    if (m_restore)
        m_restore->setVisible(zoomed);
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
