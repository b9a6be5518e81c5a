#include "ui/device_profile.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QFileDialog>
#include <QKeyEvent>
#include <QLineEdit>
#include <QSignalBlocker>

#include <algorithm>
#include <array>

#include "profiles/profile_list_store.h"
#include "profiles/profile_names.h"
#include "ui/control_factory.h"
#include "ui/language_manager.h"
#include "ui/skin.h"

namespace kestrion::ui {

namespace {

constexpr const char* kLayout = "XML\\CustomControlXML\\DeviceProfile.xml";
constexpr const char* kClassName = "DeviceProfile";
constexpr const char* kCombo = "device_profile_combo";
constexpr const char* kNameEdit = "device_profile_name_edit";
constexpr const char* kMenu = "profile_menu_layout";
constexpr const char* kSpread = "profile_fun_spread_btn";
constexpr const char* kSave = "device_profile_edit_save_btn";
constexpr const char* kDelete = "device_sub_btn";
constexpr std::array kMenuButtons{kSave, "device_add_btn", "device_copy_btn", kDelete,
                                  "device_import_btn", "device_export_btn", "device_reset_btn"};

// The tab options of a device page, in the order SelectTab numbers them from 1.
constexpr std::array kTabNames{"deng_Op_tab",   "key_Op_tab",    "macro_Op_tab",
                               "system_Op_tab", "cursor_Op_tab", "6533_voice_Op_tab",
                               "magic_Op_tab",  "Virtual7.1_Op_tab", "otherset_Op_tab"};
constexpr int kTabCount = static_cast<int>(kTabNames.size());

constexpr int kItemHeight = 30;
constexpr int kMenuGap = 4;
constexpr int kPromptDpi = 96;
constexpr const char* kSaveSuffix = "json";

constexpr const char* kAddQuestion = "message_text_28";
constexpr const char* kCopyQuestion = "message_text_27";
constexpr const char* kDeleteQuestion = "message_text_30";
constexpr const char* kResetQuestion = "message_text_22";
constexpr const char* kLimitNotice = "message_text_32";
constexpr const char* kNameTooLongNotice = "message_text_34";
constexpr const char* kWriteFailedNotice = "profile_write_failed_text";
constexpr const char* kExportFailedNotice = "profile_export_failed_text";
constexpr const char* kNotAProfileNotice = "profile_import_invalid_text";
constexpr const char* kSpaceWord = "profile_name_space_text";

template <typename Result>
struct Notice {
    Result result;
    const char* textId;
};

constexpr std::array kRenameNotices{
    Notice<ProfileRenameResult>{ProfileRenameResult::Empty, "message_text_5_1"},
    Notice<ProfileRenameResult>{ProfileRenameResult::TooLong, kNameTooLongNotice},
    Notice<ProfileRenameResult>{ProfileRenameResult::ForbiddenCharacter, "message_text_35"},
    Notice<ProfileRenameResult>{ProfileRenameResult::Blank, "message_text_25"},
    Notice<ProfileRenameResult>{ProfileRenameResult::Taken, "message_text_5"},
    Notice<ProfileRenameResult>{ProfileRenameResult::WriteFailed, kWriteFailedNotice},
};

constexpr std::array kImportNotices{
    Notice<ProfileImportResult>{ProfileImportResult::NotAProfile, kNotAProfileNotice},
    Notice<ProfileImportResult>{ProfileImportResult::NameTooLong, kNameTooLongNotice},
    Notice<ProfileImportResult>{ProfileImportResult::LimitReached, kLimitNotice},
    Notice<ProfileImportResult>{ProfileImportResult::WriteFailed, kWriteFailedNotice},
};

constexpr std::array kAddNotices{
    Notice<ProfileAddResult>{ProfileAddResult::LimitReached, kLimitNotice},
    Notice<ProfileAddResult>{ProfileAddResult::WriteFailed, kWriteFailedNotice},
};

// The notice of a result; null for the results that need none.
template <typename Result, std::size_t N>
const char* noticeOf(const std::array<Notice<Result>, N>& table, Result result)
{
    const auto row = std::find_if(table.begin(), table.end(), [result](const auto& r) { return r.result == result; });
    return row == table.end() ? nullptr : row->textId;
}

std::string localPath(const QString& path)
{
    return QFile::encodeName(path).toStdString();
}

QString chooseWithDialog(QWidget* parent, CDeviceProfileUI::FileDialogMode mode, const QString& filter,
                         const QString& suggestedName)
{
    QFileDialog dialog(parent, QString(), QString(), filter);
    if (mode == CDeviceProfileUI::FileDialogMode::Open) {
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        dialog.setFileMode(QFileDialog::ExistingFile);
    } else {
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
        dialog.setDefaultSuffix(QString::fromLatin1(kSaveSuffix));
        dialog.selectFile(suggestedName);
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return QString();
    return dialog.selectedFiles().constFirst();
}

}  // namespace

CDeviceProfileUI::CDeviceProfileUI(const Skin& skin, QWidget* parent)
    : QWidget(parent),
      m_prompter([this](const QString& textId, int mode, const QString& word) {
          if (!m_resources)
              return 0;
          const QString text = m_resources->language.textWithWord(textId, word);
          return showPrompt(*m_resources, window(), QString(), text, kPromptDpi, false, mode);
      }),
      m_chooser([this](FileDialogMode mode, const QString& filter, const QString& suggestedName) {
          return chooseWithDialog(window(), mode, filter, suggestedName);
      })
{
    setProperty("controlClass", QString::fromLatin1(kClassName));
    // Its own factory: this control is itself built while the page's factory is loading.
    ControlFactory factory(&skin);
    if (QWidget* root = skin.buildInto(QString::fromLatin1(kLayout), factory, *this))
        bindControls(root);
}

// The panel may have moved over the page; it belongs to this control all the same.
CDeviceProfileUI::~CDeviceProfileUI()
{
    delete m_menu;
}

void CDeviceProfileUI::bindControls(QWidget* root)
{
    m_combo = root->findChild<QComboBox*>(kCombo);
    m_nameEdit = root->findChild<QLineEdit*>(kNameEdit);
    m_spread = root->findChild<QAbstractButton*>(kSpread);
    m_menu = root->findChild<QWidget*>(kMenu);
    if (m_menu)
        m_menu->hide();
    if (QAbstractButton* save = button(QString::fromLatin1(kSave)); save && m_nameEdit)
        connect(m_nameEdit, &QLineEdit::returnPressed, save, &QAbstractButton::click);
    updateButtons();
}

bool CDeviceProfileUI::isBuilt() const
{
    if (!m_combo || !m_nameEdit || !m_spread || !m_menu)
        return false;
    return std::all_of(kMenuButtons.begin(), kMenuButtons.end(),
                       [this](const char* name) { return button(QString::fromLatin1(name)) != nullptr; });
}

QAbstractButton* CDeviceProfileUI::button(const QString& name) const
{
    return m_menu ? m_menu->findChild<QAbstractButton*>(name) : nullptr;
}

void CDeviceProfileUI::setResources(const UiResources& resources)
{
    m_resources.emplace(resources);
}

void CDeviceProfileUI::InitProfileList()
{
    if (!m_store)
        return;
    m_store->init();
    showProfiles();
}

void CDeviceProfileUI::showProfiles()
{
    if (!m_combo || !m_store)
        return;
    const auto profiles = m_store->profiles();
    {
        const QSignalBlocker quiet(m_combo);
        m_combo->clear();
        for (const auto& profile : profiles) {
            const QString name = QString::fromStdString(profile.name);
            m_combo->addItem(name, name);
            const int row = m_combo->count() - 1;
            m_combo->setItemData(row, name, Qt::ToolTipRole);
            m_combo->setItemData(row, QSize(0, kItemHeight), Qt::SizeHintRole);
        }
        m_combo->setCurrentIndex(m_store->selectedIndex());
    }
    setNameEditText(m_combo->currentText());
    updateButtons();
}

// The last profile cannot be deleted: its button says so instead of a question that does nothing.
void CDeviceProfileUI::updateButtons()
{
    if (QAbstractButton* remove = button(QString::fromLatin1(kDelete)))
        remove->setEnabled(m_combo && m_combo->count() > 1);
}

bool CDeviceProfileUI::hasSelection() const
{
    return m_store && m_store->selectedIndex() >= 0;
}

bool CDeviceProfileUI::confirm(const char* textId, const QString& word)
{
    return m_prompter(QString::fromLatin1(textId), CMsgWnd::Question, word) == 1;
}

void CDeviceProfileUI::notify(const char* textId, const QString& word)
{
    if (textId)
        m_prompter(QString::fromLatin1(textId), CMsgWnd::Notice, word);
}

QString CDeviceProfileUI::chooseFile(FileDialogMode mode, const QString& suggestedName)
{
    return m_chooser(mode, QString::fromLatin1(kFileFilter), suggestedName);
}

void CDeviceProfileUI::selectProfile(int index)
{
    if (!m_store)
        return;
    const std::string before = m_store->selectedUuid();
    const bool selected = m_store->select(index);
    showProfiles();
    if (selected && m_store->selectedUuid() != before)
        emit profileChanged();
}

void CDeviceProfileUI::addProfile()
{
    if (!hasSelection() || !confirm(kAddQuestion))
        return;
    const ProfileAddResult result = m_store->add();
    notify(noticeOf(kAddNotices, result));
    if (result == ProfileAddResult::Added)
        selectProfile(m_store->count() - 1);
}

void CDeviceProfileUI::copyProfile()
{
    if (!hasSelection() || !confirm(kCopyQuestion))
        return;
    const ProfileAddResult result = m_store->copy();
    notify(noticeOf(kAddNotices, result));
    showProfiles();
}

void CDeviceProfileUI::deleteProfile()
{
    if (!hasSelection() || m_store->profiles().size() < 2 || !confirm(kDeleteQuestion, quoted(selectedName())))
        return;
    if (!m_store->removeSelected()) {
        notify(kWriteFailedNotice);
        return;
    }
    showProfiles();
    emit profileChanged();
}

void CDeviceProfileUI::renameProfile()
{
    if (!hasSelection())
        return;
    const std::string name = nameEditText().toStdString();
    const ProfileRenameResult result = m_store->rename(name);
    if (result != ProfileRenameResult::Renamed) {
        const bool forbidden = result == ProfileRenameResult::ForbiddenCharacter;
        notify(noticeOf(kRenameNotices, result), forbidden ? forbiddenWord(name) : QString());
        return;
    }
    showProfiles();
}

void CDeviceProfileUI::resetProfile()
{
    if (!hasSelection() || !confirm(kResetQuestion))
        return;
    if (!m_store->resetSelected()) {
        notify(kWriteFailedNotice);
        return;
    }
    emit profileChanged();
    emit profileReset();
}

void CDeviceProfileUI::importProfile()
{
    if (!hasSelection())
        return;
    const QString path = chooseFile(FileDialogMode::Open, QString());
    if (path.isEmpty())
        return;
    notify(noticeOf(kImportNotices, importFile(path)));
}

ProfileImportResult CDeviceProfileUI::importFile(const QString& path)
{
    if (!m_store)
        return ProfileImportResult::NotAProfile;
    const std::string source = localPath(path);
    const ProfileImportResult result = m_store->importProfile(source, baseNameOf(source));
    showProfiles();
    return result;
}

bool CDeviceProfileUI::exportFile(const QString& path)
{
    return m_store && m_store->exportSelected(localPath(path));
}

void CDeviceProfileUI::exportProfile()
{
    if (!hasSelection())
        return;
    const QString suggestedName = selectedName() + QLatin1Char('.') + QString::fromLatin1(kSaveSuffix);
    const QString path = chooseFile(FileDialogMode::Save, suggestedName);
    if (!path.isEmpty() && !exportFile(path))
        notify(kExportFailedNotice);
}

int CDeviceProfileUI::selectedIndex() const
{
    return m_combo ? m_combo->currentIndex() : -1;
}

QString CDeviceProfileUI::nameEditText() const
{
    return m_nameEdit ? m_nameEdit->text() : QString();
}

void CDeviceProfileUI::setNameEditText(const QString& text)
{
    if (m_nameEdit)
        m_nameEdit->setText(text);
}

QString CDeviceProfileUI::selectedName() const
{
    return m_combo ? m_combo->currentText() : QString();
}

QString CDeviceProfileUI::quoted(const QString& word)
{
    return QStringLiteral("\u201C%1\u201D").arg(word);
}

// The refused character as the notice names it; a space, being invisible, by a word.
QString CDeviceProfileUI::forbiddenWord(const std::string& name) const
{
    const std::string character = firstForbiddenCharacter(name);
    if (character.empty())
        return QString();
    if (character != " ")
        return quoted(QString::fromStdString(character));
    const QString id = QString::fromLatin1(kSpaceWord);
    return m_resources ? m_resources->language.text(id) : id;
}

void CDeviceProfileUI::bindTabs(QWidget* page)
{
    m_tabs.clear();
    for (const char* name : kTabNames)
        m_tabs.append(page ? page->findChild<QAbstractButton*>(QString::fromLatin1(name)) : nullptr);
}

QAbstractButton* CDeviceProfileUI::tab(int n) const
{
    return n >= 1 && n <= m_tabs.size() ? m_tabs[n - 1].data() : nullptr;
}

int CDeviceProfileUI::tabNumber(const QString& name)
{
    const auto row = std::find_if(kTabNames.begin(), kTabNames.end(),
                                  [&name](const char* tabName) { return name == QLatin1String(tabName); });
    return row == kTabNames.end() ? 0 : static_cast<int>(row - kTabNames.begin()) + 1;
}

void CDeviceProfileUI::SelectTab(int n)
{
    for (int i = 1; i <= kTabCount; ++i) {
        QAbstractButton* option = tab(i);
        if (!option)
            continue;
        // The checked option of an exclusive group cannot be cleared while it stays exclusive.
        const bool exclusive = option->autoExclusive();
        option->setAutoExclusive(false);
        option->setChecked(i == n);
        option->setAutoExclusive(exclusive);
    }
}

int CDeviceProfileUI::firstShownTab(int n) const
{
    if (QAbstractButton* wanted = tab(n); wanted && !wanted->isHidden())
        return n;
    for (int i = 1; i <= kTabCount; ++i) {
        if (QAbstractButton* option = tab(i); option && !option->isHidden())
            return i;
    }
    return 0;
}

void CDeviceProfileUI::showProfileMenu(bool visible)
{
    if (!m_menu)
        return;
    if (visible)
        placeMenu();
    m_menu->setVisible(visible);
    // While it is open, a click elsewhere or Esc closes it.
    if (visible)
        qApp->installEventFilter(this);
    else
        qApp->removeEventFilter(this);
}

bool CDeviceProfileUI::isInsideMenu(QObject* target) const
{
    auto* widget = qobject_cast<QWidget*>(target);
    return widget && (widget == m_menu || m_menu->isAncestorOf(widget) || widget == m_spread);
}

bool CDeviceProfileUI::eventFilter(QObject* watched, QEvent* event)
{
    if (!isProfileMenuVisible())
        return QWidget::eventFilter(watched, event);
    if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
        showProfileMenu(false);
        return true;
    }
    // A press reaches the window first, then the widget under the pointer: only the widget says where.
    if (event->type() == QEvent::MouseButtonPress && watched->isWidgetType() && !isInsideMenu(watched))
        showProfileMenu(false);
    return QWidget::eventFilter(watched, event);
}

bool CDeviceProfileUI::isProfileMenuVisible() const
{
    return m_menu && m_menu->isVisible();
}

// The header row is too low for the panel: it moves to the window and drops down below this
// control's right edge, kept inside the window.
void CDeviceProfileUI::placeMenu()
{
    QWidget* host = window();
    if (m_menu->parentWidget() != host)
        m_menu->setParent(host);
    m_menu->adjustSize();
    const QPoint corner = mapTo(host, QPoint(width(), height() + kMenuGap));
    const int x = std::clamp(corner.x() - m_menu->width(), 0, std::max(0, host->width() - m_menu->width()));
    m_menu->move(x, corner.y());
    m_menu->raise();
}

void CDeviceProfileUI::hideEvent(QHideEvent* event)
{
    showProfileMenu(false);
    QWidget::hideEvent(event);
}

void CDeviceProfileUI::moveEvent(QMoveEvent* event)
{
    if (isProfileMenuVisible())
        placeMenu();
    QWidget::moveEvent(event);
}

void CDeviceProfileUI::resizeEvent(QResizeEvent* event)
{
    if (isProfileMenuVisible())
        placeMenu();
    QWidget::resizeEvent(event);
}

}  // namespace kestrion::ui
