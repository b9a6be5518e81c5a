#include "devices/mouse_pad_device.h"

#include "devices/mouse_settings.h"
#include "profiles/program_folders.h"

namespace kestrion {
namespace {

constexpr int kPadKind = 3;
constexpr int kPadModelValue = 2;

constexpr const char* kLinkFailedTextId = "message_text_7";
constexpr const char* kWritingLabel = "device_busy_writing_text";

// The preview step each of the pad's modes plays (its static, breathing, wave, spectrum and off);
// a mode past the list is dark.
constexpr std::array<std::uint8_t, 5> kPadPreviewSteps = {0, 1, 2, 3, 6};
constexpr std::uint8_t kDarkStep = 6;

}  // namespace

CQuellonMousePadDevice::CQuellonMousePadDevice(QObject* parent)
    : CQuellonMousePadDevice(parent, Product{kPadKind, kPadModelValue,
                                             {kPadPreviewSteps.begin(), kPadPreviewSteps.end()},
                                             std::make_unique<CBasicProfiledata>()})
{
}

CQuellonMousePadDevice::CQuellonMousePadDevice(QObject* parent, Product product)
    : CQuellonUSBDevice(parent),
      m_link(commandChannel()),
      m_kind(product.kind),
      m_previewStepOfMode(std::move(product.previewStepOfMode)),
      m_record(std::move(product.record)),
      m_lighting([this] { return commandChannel().isOpen(); })
{
    m_lighting.setFrameListener([this] { runOnUiThread([this] { lightFrameReady(); }); });
    setModelValue(product.modelValue);
}

LightInfo CQuellonMousePadDevice::previewLightOf(LightInfo light) const
{
    light.mode = light.mode < m_previewStepOfMode.size() ? m_previewStepOfMode[light.mode] : kDarkStep;
    return light;
}

// The readers and the worker call into this object: they stop before its members go.
CQuellonMousePadDevice::~CQuellonMousePadDevice()
{
    stopDeviceWork();
    m_lighting.stop();
}

QString CQuellonMousePadDevice::controlClass() const
{
    return QStringLiteral("QuellonMousePadDevice");
}

void CQuellonMousePadDevice::setModelValue(int value)
{
    CQuellonUSBDevice::setModelValue(value);
    m_record->SetDeviceIndex(0);
}

void CQuellonMousePadDevice::setWindowHidden(bool hidden)
{
    CQuellonUSBDevice::setWindowHidden(hidden);
    if (hidden && !drivesDeviceLights())
        m_lighting.stop();
    else if (m_lightingWanted && !m_lighting.isRunning())
        m_lighting.start();
}

void CQuellonMousePadDevice::prepare()
{
    const std::string& folder = pageSetup().dataFolder;
    if (!folder.empty()) {
        m_profiles = std::make_unique<ProfileListStore>(m_kind, folder, defaultDocumentPath(m_kind));
        m_profiles->init();
    }
    m_modes = loadLightModes(modelValue());
    m_modeCodes = modeCodesOf(m_modes);
}

// Worker. The page is read here too: a write carries the bytes the tool does not edit, and
// before any read it would set them to zero on the pad.
CQuellonUSBDevice::UiStep CQuellonMousePadDevice::readAllOnWorker()
{
    std::array<std::uint8_t, pad_page::kInfoLength> info{};
    const bool infoRead = m_link.readDeviceInfo(info) == kCommandOk;
    PadPage page{};
    const bool pageRead = m_link.readPage(m_modeCodes, page) == kCommandOk;
    return [this, infoRead, info, pageRead, page] {
        m_lighting.stop();
        if (infoRead)
            m_info = info;
        if (pageRead)
            m_page = page;
        loadProfile();
        announceProfile();
        loadLightingPreview();
        startLighting();
        armKeepAlive();
    };
}

// Worker. The page image follows the pad; the profile stays as the user left it.
CQuellonUSBDevice::UiStep CQuellonMousePadDevice::rereadOnWorker()
{
    PadPage page{};
    if (m_link.readPage(m_modeCodes, page) != kCommandOk)
        return {};
    return [this, page] {
        m_page = page;
        sendToMainWindow(WM_USB_MAINMESS_PROFILE_INDEX, page[pad_page::kProfile], 0);
    };
}

// Worker.
CQuellonUSBDevice::UiStep CQuellonMousePadDevice::readPowerOnWorker()
{
    std::array<std::uint8_t, pad_page::kPowerLength> power{};
    if (m_link.readPower(power) != kCommandOk)
        return {};
    return [this, power] {
        m_power = power;
        showPower(m_power.data(), m_power.size());
    };
}

void CQuellonMousePadDevice::startLighting()
{
    m_lighting.setFramePeriod(lightFramePeriod());
    m_lightingWanted = true;
    if (framesWanted())
        m_lighting.start();
}

void CQuellonMousePadDevice::handleNotification(LinkKind, const std::uint8_t* report, std::size_t length)
{
    const std::uint16_t code = notificationCode(report, length);
    if (code == kCountedCode)
        ++m_countedNotices;
    else if (code == kSynchroniseCode)
        runOnUiThread([this] { armSelectorTimer(kTimerReread, kRereadDelayMs, true); });
}

void CQuellonMousePadDevice::loadLightingPreview()
{
    const LightInfo light = m_record->GetLightInfo();
    m_page = padPageWithLight(m_page, light);
    m_lighting.load(previewLightOf(light), {});
}

std::vector<std::uint32_t> CQuellonMousePadDevice::previewColours() const
{
    return previewColoursOf(m_lighting.snapshot());
}

void CQuellonMousePadDevice::setKeyColour(int index, std::uint32_t colour)
{
    m_lighting.setKeyColour(index, colour);
}

std::uint32_t CQuellonMousePadDevice::getKeyColour(int index) const
{
    return m_lighting.getKeyColour(index);
}

void CQuellonMousePadDevice::showSyncColour(const std::optional<KeyColour>& colour)
{
    m_lighting.showSyncColour(colour);
}

void CQuellonMousePadDevice::loadProfile()
{
    if (!m_profiles)
        return;
    m_record->SetDefaultPath(defaultDocumentPath(m_kind));
    m_record->SetLightConfigPath(pageSetup().dataFolder + pageSetup().lightName.toStdString() + ".config");
    const std::string path = m_profiles->documentPathOf(m_profiles->selectedUuid());
    m_record->SetProfilePath(path);
    m_record->LoadProfile(path);
}

std::optional<LightInfo> CQuellonMousePadDevice::lightRecord()
{
    return m_record->GetLightInfo();
}

void CQuellonMousePadDevice::applyLight(const LightInfo& light)
{
    m_record->SetLightInfo(light);
    saveRecord();
    loadLightingPreview();
    writeSettingsPage(m_page[pad_page::kProfile]);
}

void CQuellonMousePadDevice::applySelectedProfile()
{
    loadProfile();
    announceProfile();
    loadLightingPreview();
    writeSettingsPage(m_page[pad_page::kProfile]);
}

// A change the profile file did not take is told: the user would lose it at the next start.
void CQuellonMousePadDevice::saveRecord()
{
    saveProfileRecord(*m_record);
}

void CQuellonMousePadDevice::writeSettingsPage(int page)
{
    {
        std::lock_guard lock(m_stagedLock);
        m_staged = padPageToDevice(m_page, m_modeCodes);
    }
    runJob(kWritingLabel, [this, page]() -> UiStep {
        const int result = m_link.writePage(stagedPage(), page);
        return [this, result] { pageWritten(result); };
    }, "settings-write");
}

// Worker.
PadPage CQuellonMousePadDevice::stagedPage()
{
    std::lock_guard lock(m_stagedLock);
    return m_staged;
}

void CQuellonMousePadDevice::pageWritten(int result)
{
    if (result != kCommandOk && commandChannel().isOpen())
        showNotice(QString::fromLatin1(kLinkFailedTextId));
}

}  // namespace kestrion
