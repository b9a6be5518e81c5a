// The title bar's settings window (the language switch and the update page) and its skin pop-up.
#include "shell/main_window/main_window.h"

#include <QCoreApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QStyle>

#include "profiles/program_folders.h"
#include "profiles/update_rows.h"
#include "ui/device_option.h"
#include "ui/language_manager.h"
#include "ui/language_switch.h"
#include "ui/settings_window.h"
#include "ui/skin.h"
#include "ui/skin_frame.h"
#include "ui/skin_settings.h"

namespace kestrion {
namespace {

constexpr const char* kSettingsButton = "setbtn";
constexpr const char* kUpdateBadge = "updateBadge";

constexpr const char* kSkinButton = "skinbtn";
constexpr const char* kRootName = "root";
constexpr const char* kUnreadableImageText = "skin_image_unreadable_text";
constexpr const char* kImageFilterText = "skin_image_filter_text";
constexpr const char* kImagePatterns = " (*.png *.jpg *.jpeg *.bmp *.gif *.webp)";
// A chosen background shows through the device pages and, dimmed, through the bars.
constexpr const char* kSeeThroughRules =
    "\nQWidget[controlClass=\"QuellonMouseDevice\"] { background: transparent; }"
    "\nQWidget#title_bar, QWidget#mouse_page_header { background: rgba(15, 18, 23, 150); }";

// A path as a quoted style-sheet string.
QString quotedUrl(const QString& path)
{
    QString escaped = path;
    escaped.replace(QLatin1Char('\\'), QLatin1String("\\\\")).replace(QLatin1Char('"'), QLatin1String("\\\""));
    return QLatin1Char('"') + escaped + QLatin1Char('"');
}

}  // namespace

void CMainWnd::setLanguageSwitch(ui::LanguageSwitch* languages)
{
    m_languages = languages;
    if (QWidget* button = control(kSettingsButton))
        button->setVisible(m_languages != nullptr);
}

void CMainWnd::openSettings()
{
    if (!m_languages)
        return;
    if (m_settingsWindow) {
        m_settingsWindow->recheck();
        m_settingsWindow->showBesideOwner();
        return;
    }
    ui::UpdateDevices& devices = *this;
    auto model = std::make_unique<ui::UpdateModel>(
        devices, updateProgramFolders(QCoreApplication::applicationDirPath().toStdString()));
    auto* window = new ui::CSetWnd(m_resources, *m_languages, userDataFolder(), std::move(model), this);
    if (!window->isBuilt()) {
        delete window;
        return;
    }
    connect(window, &ui::CSetWnd::updatesOffered, this, [this] { showUpdateBadge(true); });
    connect(window, &ui::CSetWnd::updateSeen, this, [this] { sendMessage(ui::WM_USB_MAINMESS_UPDATE_SEEN, 0, 0); });
    m_settingsWindow = window;
    m_settingsWindow->showBesideOwner();
}

ui::CSetWnd* CMainWnd::settingsWindow() const
{
    return m_settingsWindow;
}

// The settings button wears a mark while an update waits.
void CMainWnd::showUpdateBadge(bool shown)
{
    QWidget* button = control(kSettingsButton);
    if (!button || button->property(kUpdateBadge).toBool() == shown)
        return;
    button->setProperty(kUpdateBadge, shown);
    button->style()->unpolish(button);
    button->style()->polish(button);
}

// The update page's devices: a row shows the device of its own kind, wherever its selector entry
// stands, so that one device's firmware is never offered to another.

const CMainWnd::DeviceRecord* CMainWnd::recordOfKind(int deviceKind) const
{
    for (const DeviceRecord& record : m_devices) {
        if (record.device->pageSetup().deviceKind == deviceKind)
            return &record;
    }
    return nullptr;
}

// Behind the receiver the version counts only while the device answers there.
ui::UpdateDevices::Version CMainWnd::version(int deviceKind) const
{
    const DeviceRecord* record = recordOfKind(deviceKind);
    if (!record || !record->device->commandChannel().isOpen())
        return {};
    const bool throughReceiver = record->device->commandChannel().receiverMode();
    if (throughReceiver && !(record->entry && record->entry->isOnline()))
        return {};
    return {record->device->firmwareVersion(), throughReceiver};
}

void CMainWnd::suspend(int deviceKind, bool suspended)
{
    if (const DeviceRecord* record = recordOfKind(deviceKind))
        record->device->commandChannel().setSuspended(suspended);
}

void CMainWnd::reread(int deviceKind)
{
    const DeviceRecord* record = recordOfKind(deviceKind);
    if (record && record->device->commandChannel().isOpen())
        record->device->readAll();
}

// The title bar's skin pop-up and the background it changes.

void CMainWnd::setSkinSettings(ui::SkinSettings* settings)
{
    if (m_skinSettings)
        disconnect(m_skinSettings, nullptr, this, nullptr);
    m_skinSettings = settings;
    if (m_skinSettings)
        connect(m_skinSettings, &ui::SkinSettings::skinChanged, this, &CMainWnd::applySkin);
    if (QWidget* button = control(kSkinButton))
        button->setVisible(m_skinSettings != nullptr);
}

void CMainWnd::openSkinFrame()
{
    QWidget* anchor = control(kSkinButton);
    if (!m_skinSettings || !anchor)
        return;
    auto* frame = new ui::CSkinFrame(m_resources, *m_skinSettings, anchor);
    if (!frame->isBuilt()) {
        delete frame;
        return;
    }
    connect(frame, &ui::CSkinFrame::ownImageRequested, this, &CMainWnd::chooseOwnSkinImage, Qt::QueuedConnection);
    frame->showAtAnchor();
}

void CMainWnd::chooseOwnSkinImage()
{
    if (!m_skinSettings)
        return;
    const QString filter = m_resources.language.text(kImageFilterText) + QLatin1String(kImagePatterns);
    const QString path = m_imageChooser ? m_imageChooser(filter)
                                        : QFileDialog::getOpenFileName(this, QString(), QString(), filter);
    if (path.isEmpty())
        return;
    if (!m_skinSettings->chooseOwnImage(path))
        showNotice(QString::fromLatin1(kUnreadableImageText), std::nullopt);
}

// The root keeps the rules of its layout; the choice is added after them and so wins.
void CMainWnd::applySkin(const ui::SkinChange& change)
{
    QWidget* root = m_frame && m_frame->objectName() == QLatin1String(kRootName) ? m_frame : control(kRootName);
    if (!root)
        return;
    if (!m_rootStyle)
        m_rootStyle = root->styleSheet();
    QString rule;
    if (change.kind == ui::SkinChange::Kind::Colour) {
        rule = QStringLiteral("QWidget#root { background: %1; }").arg(change.colour.name());
    } else if (change.image != QLatin1String(ui::SkinSettings::kDefaultImage)) {
        const QString path = QFileInfo(change.image).isAbsolute()
            ? change.image
            : m_resources.skin.folder() + QLatin1Char('/') + change.image;
        // A picture the skin no longer has leaves the skin's own background.
        if (QFileInfo(path).isFile())
            rule = QStringLiteral("QWidget#root { background: transparent; border-image: url(%1) 0 0 0 0 stretch stretch; }")
                       .arg(quotedUrl(path));
    }
    if (!rule.isEmpty())
        rule += QLatin1String(kSeeThroughRules);
    root->setStyleSheet(*m_rootStyle + QLatin1Char('\n') + rule);
    root->setProperty("skinRule", rule);
}

}  // namespace kestrion
