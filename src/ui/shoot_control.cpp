#include "ui/shoot_control.h"

#include <QAbstractButton>
#include <QFileDialog>
#include <QFileInfo>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>

#include <algorithm>

#include "ui/control_factory.h"
#include "ui/language_manager.h"
#include "ui/shoot_pattern_view.h"
#include "ui/skin.h"

namespace kestrion::ui {

namespace {

constexpr const char* kGunPrefix = "shoot_gun_op_";
constexpr const char* kBulletPrefix = "bullet_op_";
constexpr const char* kLeftText = "mouse_move_to_left_text";
constexpr const char* kRightText = "mouse_move_to_right_text";
constexpr const char* kUpText = "mouse_move_to_up_text";
constexpr const char* kDownText = "mouse_move_to_down_text";
constexpr const char* kImportFailedText = "shoot_import_failed_text";
constexpr const char* kFileFailedText = "shoot_file_failed_text";
constexpr const char* kSuffix = ".shoot";

QString numbered(const char* prefix, int n)
{
    return QString::fromLatin1(prefix) + QString::number(n);
}

int editValue(const QLineEdit* edit)
{
    return edit->text().toInt();
}

QString systemDialog(QWidget* parent, CShootControlUI::FileDialogMode mode, const QString& filter)
{
    if (mode == CShootControlUI::FileDialogMode::Open)
        return QFileDialog::getOpenFileName(parent, QString(), QString(), filter);
    QString path = QFileDialog::getSaveFileName(parent, QString(), QString(), filter);
    if (!path.isEmpty() && QFileInfo(path).suffix().isEmpty())
        path += QLatin1String(kSuffix);
    return path;
}

}  // namespace

CShootControlUI::CShootControlUI(const Skin& skin, QWidget* parent) : QWidget(parent)
{
    setProperty("controlClass", QStringLiteral("ShootControl"));
    ControlFactory factory(&skin);
    if (!skin.buildInto(QString::fromLatin1(kLayout), factory, *this))
        return;
    bind();
}

CShootControlUI::~CShootControlUI() = default;

template <typename T>
T* CShootControlUI::child(const QString& name) const
{
    return findChild<T*>(name);
}

void CShootControlUI::bind()
{
    for (int g = 0; g < kShootGuns; ++g)
        m_guns[static_cast<std::size_t>(g)] = child<QAbstractButton>(numbered(kGunPrefix, g));
    for (int b = 0; b < kBulletsPerGun; ++b)
        m_bullets[static_cast<std::size_t>(b)] = child<QAbstractButton>(numbered(kBulletPrefix, b));
    m_xCheck = child<QAbstractButton>("bullet_x_check");
    m_yCheck = child<QAbstractButton>("bullet_y_check");
    m_xEdit = child<QLineEdit>("bullet_x_eidt");
    m_yEdit = child<QLineEdit>("bullet_y_eidt");
    m_delayEdit = child<QLineEdit>("bullet_delay_eidt");
    m_index = child<QLabel>("bullet_select_index");
    m_damaged = child<QLabel>("shoot_damaged_label");
    m_view = child<ShootPatternView>("shoot_pattern_view");
    auto* prev = child<QAbstractButton>("bullet_selected_prev");
    auto* next = child<QAbstractButton>("bullet_selected_next");
    QAbstractButton* actions[] = {child<QAbstractButton>("shootdate_import_btn"),
                                  child<QAbstractButton>("shootdate_export_btn"),
                                  child<QAbstractButton>("shootdate_reset_btn"),
                                  child<QAbstractButton>("shootdate_save_btn")};
    const bool found = std::all_of(m_guns.begin(), m_guns.end(), [](auto* b) { return b; })
        && std::all_of(m_bullets.begin(), m_bullets.end(), [](auto* b) { return b; })
        && std::all_of(std::begin(actions), std::end(actions), [](auto* b) { return b; }) && m_xCheck && m_yCheck
        && m_xEdit && m_yEdit && m_delayEdit && m_index && m_damaged && m_view && prev && next;
    if (!found)
        return;
    for (int g = 0; g < kShootGuns; ++g)
        connect(m_guns[static_cast<std::size_t>(g)], &QAbstractButton::clicked, this, [this, g] { selectGun(g); });
    for (int b = 0; b < kBulletsPerGun; ++b)
        connect(m_bullets[static_cast<std::size_t>(b)], &QAbstractButton::clicked, this, [this, b] { selectBullet(b); });
    connect(prev, &QAbstractButton::clicked, this, [this] { selectBullet(m_bullet - 1); });
    connect(next, &QAbstractButton::clicked, this, [this] { selectBullet(m_bullet + 1); });
    connect(m_view, &ShootPatternView::bulletClicked, this, &CShootControlUI::selectBullet);
    for (QAbstractButton* direction : {m_xCheck, m_yCheck}) {
        connect(direction, &QAbstractButton::clicked, this, [this] {
            showDirection();
            saveBullet();
        });
    }
    m_xEdit->setValidator(new QIntValidator(0, kMaxBulletDistance, m_xEdit));
    m_yEdit->setValidator(new QIntValidator(0, kMaxBulletDistance, m_yEdit));
    m_delayEdit->setValidator(new QIntValidator(0, kMaxBulletDelay, m_delayEdit));
    for (QLineEdit* edit : {m_xEdit, m_yEdit, m_delayEdit})
        connect(edit, &QLineEdit::editingFinished, this, &CShootControlUI::saveBullet);
    connect(actions[0], &QAbstractButton::clicked, this, &CShootControlUI::importGun);
    connect(actions[1], &QAbstractButton::clicked, this, &CShootControlUI::exportGun);
    connect(actions[2], &QAbstractButton::clicked, this, &CShootControlUI::resetGun);
    connect(actions[3], &QAbstractButton::clicked, this, &CShootControlUI::writeRequested);
    m_chooser = [this](FileDialogMode mode, const QString& filter) { return systemDialog(this, mode, filter); };
    m_built = true;
}

void CShootControlUI::setFolders(const std::string& dataFolder, const std::string& factoryFolder)
{
    m_files = std::make_unique<ShootPatternFiles>(dataFolder, factoryFolder);
    m_files->createMissing();
    selectGun(0);
    selectBullet(0);
}

void CShootControlUI::selectGun(int gun)
{
    if (!m_built)
        return;
    m_gun = std::clamp(gun, 0, kShootGuns - 1);
    m_guns[static_cast<std::size_t>(m_gun)]->setChecked(true);
    showBullet();
}

void CShootControlUI::selectBullet(int bullet)
{
    if (!m_built)
        return;
    m_bullet = std::clamp(bullet, 0, kBulletsPerGun - 1);
    m_bullets[static_cast<std::size_t>(m_bullet)]->setChecked(true);
    m_index->setText(QString::number(m_bullet + 1));
    showBullet();
}

// The current gun as it is on disk: its picture, and the current bullet in the edits.
void CShootControlUI::showBullet()
{
    if (!m_built || !m_files)
        return;
    bool fromFactory = false;
    const Json::Value pattern = m_files->load(m_gun, &fromFactory);
    m_damaged->setVisible(fromFactory && QFileInfo::exists(QString::fromStdString(m_files->path(m_gun))));
    const Bullet bullet = readBullet(pattern, m_bullet);
    m_xCheck->setChecked(bullet.left);
    m_yCheck->setChecked(bullet.up);
    m_xEdit->setText(QString::number(bullet.x));
    m_yEdit->setText(QString::number(bullet.y));
    m_delayEdit->setText(QString::number(bullet.delay));
    showDirection();
    m_view->setBullets(readBullets(pattern));
    m_view->setCurrent(m_bullet);
}

void CShootControlUI::showDirection()
{
    if (!m_language)
        return;
    m_language->setTextId(m_xCheck, QString::fromLatin1(m_xCheck->isChecked() ? kLeftText : kRightText));
    m_language->setTextId(m_yCheck, QString::fromLatin1(m_yCheck->isChecked() ? kUpText : kDownText));
}

Bullet CShootControlUI::shownBullet() const
{
    return {editValue(m_xEdit), m_xCheck->isChecked(), editValue(m_yEdit), m_yCheck->isChecked(),
            editValue(m_delayEdit)};
}

// Saving the bullet that is shown is a no-op write, so the damaged file of a gun is only
// replaced once the user really changed something.
void CShootControlUI::saveBullet()
{
    if (!m_built || !m_files)
        return;
    const Bullet wanted = shownBullet();
    if (readBullet(m_files->load(m_gun), m_bullet) == wanted)
        return;
    if (!m_files->saveBullet(m_gun, m_bullet, wanted))
        tell(kFileFailedText);
    showBullet();
}

void CShootControlUI::resetGun()
{
    if (!m_files)
        return;
    if (!m_files->reset(m_gun))
        tell(kFileFailedText);
    selectBullet(m_bullet);
}

void CShootControlUI::importGun()
{
    if (!m_files || !m_chooser)
        return;
    const QString path = m_chooser(FileDialogMode::Open, QString::fromLatin1(kFileFilter));
    if (path.isEmpty())
        return;
    switch (m_files->importFrom(m_gun, QFile::encodeName(path).toStdString())) {
    case ShootPatternFiles::ImportResult::Imported:
        break;
    case ShootPatternFiles::ImportResult::WriteFailed:
        tell(kFileFailedText);
        break;
    case ShootPatternFiles::ImportResult::Unreadable:
    case ShootPatternFiles::ImportResult::NotAPattern:
        tell(kImportFailedText);
        break;
    }
    selectBullet(m_bullet);
}

void CShootControlUI::exportGun()
{
    if (!m_files || !m_chooser)
        return;
    const QString path = m_chooser(FileDialogMode::Save, QString::fromLatin1(kFileFilter));
    if (!path.isEmpty() && !m_files->exportTo(m_gun, QFile::encodeName(path).toStdString()))
        tell(kFileFailedText);
}

void CShootControlUI::tell(const char* textId) const
{
    if (m_notify)
        m_notify(QString::fromLatin1(textId));
}

}  // namespace kestrion::ui
