#include "pages/device_view.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QStackedWidget>
#include <QTimer>

#include <chrono>

#include "devices/usb_device.h"
#include "ui/control_factory.h"
#include "ui/device_key_button.h"
#include "ui/device_profile.h"
#include "ui/family_name.h"
#include "ui/language_manager.h"
#include "ui/light_control.h"
#include "ui/skin.h"

namespace kestrion {
namespace {

// The busy display shows once a job has run this long, and follows it at this pace.
constexpr auto kBusyShowAfter = std::chrono::milliseconds(300);
constexpr int kBusyPollMs = 100;
constexpr int kBusyPanelHeight = 30;

constexpr const char* kKeyPrefix = "key_";
constexpr const char* kLightPrefix = "light_";
constexpr const char* kSelectPanelClass = "SelectPanel";
constexpr const char* kFunctionPageProperty = "functionPage";
constexpr const char* kProfileSelector = "DeviceProfileItem";
constexpr const char* kLightEditor = "LightControlItem";
constexpr int kLightLevels = 4;

void placeAt(QList<ui::CDeviceKeyButtonUI*>& list, int index, ui::CDeviceKeyButtonUI* button)
{
    if (list.size() <= index)
        list.resize(index + 1);
    list[index] = button;
}

QColor previewColour(std::uint32_t colour)
{
    return QColor((colour >> 16) & 0xFF, (colour >> 8) & 0xFF, colour & 0xFF, colour >> 24);
}

}  // namespace

DeviceView::DeviceView(CQuellonUSBDevice& device, QWidget* parent) : QWidget(parent), m_device(device)
{
    setProperty("controlClass", device.controlClass());
    m_busyPanel = new QWidget(this);
    m_busyPanel->setObjectName(QStringLiteral("device_busy_panel"));
    m_busyPanel->setAttribute(Qt::WA_StyledBackground);
    auto* row = new QHBoxLayout(m_busyPanel);
    m_busyLabel = new QLabel(m_busyPanel);
    m_busyLabel->setObjectName(QStringLiteral("device_busy_label"));
    m_busyProgress = new QProgressBar(m_busyPanel);
    m_busyProgress->setObjectName(QStringLiteral("device_busy_progress"));
    m_busyProgress->setTextVisible(false);
    row->addWidget(m_busyLabel, 1);
    row->addWidget(m_busyProgress);
    m_busyPanel->hide();
    m_busyTimer = new QTimer(this);
    m_busyTimer->setInterval(kBusyPollMs);
    connect(m_busyTimer, &QTimer::timeout, this, &DeviceView::showBusy);
    connect(&m_device, &CQuellonUSBDevice::workQueued, this, &DeviceView::followWork);
    connect(&m_device, &CQuellonUSBDevice::workDone, this, &DeviceView::stopBusyDisplay);
    connect(&m_device, &CQuellonUSBDevice::frameReady, this, &DeviceView::showFrame);
    connect(&m_device, &CQuellonUSBDevice::profileLoaded, this, &DeviceView::showProfile);
}

DeviceView::~DeviceView() = default;

bool DeviceView::build(const ui::Skin& skin, ui::ControlFactory& factory)
{
    delete m_content;
    m_content = skin.buildInto(m_device.pageSetup().pageLayout, factory, *this);
    if (!m_content)
        return false;
    bindKeyButtons();
    m_busyPanel->raise();
    initPage();
    return true;
}

void DeviceView::bindKeyButtons()
{
    m_keyButtons.clear();
    m_lightButtons.clear();
    for (QWidget* panel : m_content->findChildren<QWidget*>()) {
        if (panel->property("controlClass").toString() != kSelectPanelClass)
            continue;
        for (auto* button : panel->findChildren<ui::CDeviceKeyButtonUI*>()) {
            const ui::FamilyName family = ui::splitFamilyName(button->objectName());
            if (family.prefix == QLatin1String(kKeyPrefix))
                placeAt(m_keyButtons, family.index, button);
            else if (family.prefix == QLatin1String(kLightPrefix))
                placeAt(m_lightButtons, family.index, button);
        }
    }
    m_device.setPreviewLightCount(static_cast<int>(m_lightButtons.size()));
}

void DeviceView::showFunctionPage(int page)
{
    m_functionPage = page;
    if (!m_content)
        return;
    for (QStackedWidget* pages : m_content->findChildren<QStackedWidget*>()) {
        for (int i = 0; i < pages->count(); ++i) {
            if (pages->widget(i)->property(kFunctionPageProperty).toInt() == page) {
                pages->setCurrentIndex(i);
                return;
            }
        }
    }
}

ui::CDeviceProfileUI* DeviceView::profileSelector() const
{
    return control<ui::CDeviceProfileUI>(QString::fromLatin1(kProfileSelector));
}

void DeviceView::bindLightEditor()
{
    m_lightEditor = control<ui::CLightControlUI>(QString::fromLatin1(kLightEditor));
    if (!m_lightEditor)
        return;
    m_lightEditor->setDeviceKind(m_device.deviceKind());
    std::vector<QString> names;
    std::vector<bool> visible;
    for (const LightModeEntry& mode : m_device.lightModes()) {
        names.push_back(mode.name);
        visible.push_back(mode.visible);
    }
    m_lightEditor->fillModes(names, visible, kLightLevels, kLightLevels);
    if (m_language)
        m_language->apply(m_lightEditor);
    connect(m_lightEditor, &ui::CLightControlUI::lightChanged, this,
            [this](const LightInfo& light) { m_device.applyLight(light); });
}

void DeviceView::bindProfileSelector()
{
    ui::CDeviceProfileUI* selector = profileSelector();
    if (!selector)
        return;
    selector->setStore(m_device.profileList());
    selector->InitProfileList();
    connect(selector, &ui::CDeviceProfileUI::profileChanged, this, [this] { m_device.applySelectedProfile(); });
}

void DeviceView::showProfile()
{
    if (!m_lightEditor)
        return;
    if (const std::optional<LightInfo> light = m_device.lightRecord())
        m_lightEditor->showLight(*light);
}

void DeviceView::showFrame()
{
    const std::vector<std::uint32_t> colours = m_device.previewColours();
    for (int i = 0; i < m_lightButtons.size() && i < static_cast<int>(colours.size()); ++i) {
        if (m_lightButtons[i])
            m_lightButtons[i]->setLightColour(previewColour(colours[static_cast<std::size_t>(i)]));
    }
}

void DeviceView::followWork()
{
    if (!m_busyTimer->isActive())
        m_busyTimer->start();
}

void DeviceView::stopBusyDisplay()
{
    m_busyTimer->stop();
    m_busyPanel->hide();
}

void DeviceView::showBusy()
{
    if (!m_device.hasDeviceWork()) {
        stopBusyDisplay();
        return;
    }
    const DeviceWorker::Status status = m_device.worker().status();
    if (!status.running || status.elapsed < kBusyShowAfter) {
        m_busyPanel->hide();
        return;
    }
    const QString id = QString::fromStdString(status.label);
    m_busyLabel->setText(m_language ? m_language->text(id) : id);
    m_busyProgress->setVisible(status.total > 0);
    if (status.total > 0) {
        m_busyProgress->setRange(0, static_cast<int>(status.total));
        m_busyProgress->setValue(static_cast<int>(status.done));
    }
    m_busyPanel->setGeometry(0, height() - kBusyPanelHeight, width(), kBusyPanelHeight);
    m_busyPanel->show();
    m_busyPanel->raise();
}

}  // namespace kestrion
