// The title bar's settings window (the language switch and the version list) and its skin pop-up.
#include "shell/main_window/main_window.h"

#include <QFileDialog>
#include <QFileInfo>

#include "devices/pages/mouse_device.h"
#include "profiles/program_folders.h"
#include "ui/language_manager.h"
#include "ui/language_switch.h"
#include "ui/product_names.h"
#include "ui/settings_window.h"
#include "ui/skin.h"
#include "ui/skin_frame.h"
#include "ui/skin_settings.h"

namespace kestrion {
namespace {

constexpr const char* kSettingsButton = "setbtn";
constexpr const char* kMouseShortName = "MS";
constexpr const char* kProgramShortName = "AP";

constexpr const char* kSkinButton = "skinbtn";
constexpr const char* kRootName = "root";
constexpr const char* kUnreadableImageText = "skin_image_unreadable_text";
constexpr const char* kImageFilterText = "skin_image_filter_text";
constexpr const char* kImagePatterns = " (*.png *.jpg *.jpeg *.bmp *.gif *.webp)";
// A chosen background shows through the device pages and, dimmed, through the bars.
constexpr const char* kSeeThroughRules =
    "\nQWidget[controlClass=\"QuellonMouseDevice\"] { background: transparent; }"
    "\nQWidget#title_bar, QWidget#mouse_page_header { background: rgba(15, 18, 23, 150); }";

// "V0104" for firmware 1.04; empty while the device's command link is closed.
QString firmwareText(PagedUSBDevice& device)
{
    if (!device.commandChannel().isOpen())
        return {};
    return QStringLiteral("V%1").arg(device.firmwareVersion(), 4, 16, QLatin1Char('0'));
}

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

std::vector<ui::VersionRow> CMainWnd::versionRows() const
{
    std::vector<ui::VersionRow> rows;
    for (const DeviceRecord& record : m_devices) {
        if (qobject_cast<CQuellonMouseDevice*>(record.device))
            rows.push_back({QString::fromLatin1(kMouseShortName), firmwareText(*record.device)});
    }
    rows.push_back({QString::fromLatin1(kProgramShortName), QString::fromLatin1(ui::kApplicationVersionText)});
    return rows;
}

void CMainWnd::openSettings()
{
    if (!m_languages)
        return;
    if (!m_settingsWindow) {
        auto* window = new ui::CSetWnd(m_resources, *m_languages, userDataFolder(), this);
        if (!window->isBuilt()) {
            delete window;
            return;
        }
        m_settingsWindow = window;
    }
    m_settingsWindow->setVersionRows(versionRows());
    m_settingsWindow->showBesideOwner();
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
