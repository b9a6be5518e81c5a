#include "devices/pages/hs6533_device.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QSignalBlocker>
#include <QSlider>

#include <array>

#include "ui/language_manager.h"

namespace kestrion {
namespace {

constexpr int kHeadsetKind = 7;
constexpr int kHeadsetModelValue = 3;
// The preview step of each headset mode (static, breathing, spectrum, off).
constexpr std::array<std::uint8_t, 4> kHeadsetPreviewSteps = {0, 1, 3, 6};

constexpr const char* kAudioLabel = "device_busy_audio_text";
constexpr const char* kWritingLabel = "device_busy_writing_text";
constexpr const char* kAudioFailedId = "audio_write_failed_text";
constexpr const char* kNotSupportedId = "audio_not_supported_text";
constexpr const char* kEmptyNameId = "message_text_5_1";
constexpr const char* kUnavailableLabel = "audio_unavailable_label";
constexpr const char* kAudioPanels[] = {"hs_eq_panel", "hs_mic_panel", "hs_magic_panel"};

constexpr const char* kBandSlider = "6533_eq_hz_slider_";
constexpr const char* kBandValue = "6533_eq_hz_value_";
constexpr const char* kPresetOption = "6533_eq_option_";
constexpr const char* kCustomCombo = "custom_eq_name_combo";
constexpr const char* kCustomEdit = "custom_eq_name_edit";
constexpr const char* kCustomSave = "hs_EQ_btn_save";
constexpr const char* kCustomDelete = "hs_EQ_btn_delete";
constexpr const char* kVoiceEnable = "magic_enable_option";
constexpr const char* kAudioReset = "hs_audio_btn_reset";
constexpr const char* kResetQuestionId = "hs_audio_reset_ask_text";
constexpr const char* kVoiceOption = "magic_option_";

struct MicControls {
    MicChannel channel;
    const char* slider;
    const char* value;
    const char* option;
};

constexpr std::array<MicControls, 2> kMicControls = {{
    {MicChannel::Input, "6533_MicIn_slider", "6533_MicIn_value", "6533_MicIn_option"},
    {MicChannel::Monitor, "6533_MicMoniter_slider", "6533_MicMoniter_value", "6533_MicMoniter_option"},
}};

// The property a control needs; a control whose property the back end lacks is disabled.
struct ControlProperty {
    const char* control;
    const char* property;
};

constexpr std::array kControlProperties = {
    ControlProperty{"6533_MicIn_slider", "VolumeScalarControl"},
    ControlProperty{"6533_MicIn_option", "MuteControl"},
    ControlProperty{"6533_MicMoniter_slider", "AAVolumeScalarControl"},
    ControlProperty{"6533_MicMoniter_option", "AAMuteControl"},
    ControlProperty{"magic_enable_option", "Enable_MAGICVOICE"},
    ControlProperty{"hs_magic_options", "MagicVoice_Selection"},
    ControlProperty{"hs_eq_presets", "Enable_EQ_GFX"},
    ControlProperty{"hs_eq_custom", "Enable_EQ_GFX"},
};

QString numbered(const char* prefix, int n)
{
    return QString::fromLatin1(prefix) + QString::number(n);
}

QString levelText(double value)
{
    return QString::asprintf("%.2f", value);
}

// Shows a state without raising the control's signals. An exclusive option would refuse to be
// cleared, which the page needs when no preset or voice effect is chosen.
void showChecked(QAbstractButton* button, bool checked)
{
    const QSignalBlocker quiet(button);
    const bool exclusive = button->autoExclusive();
    button->setAutoExclusive(false);
    button->setChecked(checked);
    button->setAutoExclusive(exclusive);
}

MicControls micControlsOf(MicChannel channel)
{
    return kMicControls[channel == MicChannel::Input ? 0 : 1];
}

// The properties the page asks the back end about.
std::set<std::string> pageProperties()
{
    std::set<std::string> properties;
    for (const ControlProperty& row : kControlProperties)
        properties.insert(row.property);
    for (int band = 0; band < static_cast<int>(kEqBands); ++band)
        properties.insert(eqBandProperty(band));
    return properties;
}

}  // namespace

CQuellonHS6533Device::CQuellonHS6533Device(QObject* parent)
    : CQuellonMousePadDevice(parent, Product{kHeadsetKind, kHeadsetModelValue,
                                             {kHeadsetPreviewSteps.begin(), kHeadsetPreviewSteps.end()},
                                             std::make_unique<CHs6533Profiledata>()}),
      // The record given just above is the headset's own.
      m_headsetRecord(static_cast<CHs6533Profiledata*>(&profile()))
{
    setProperty("controlClass", controlClass());
}

CQuellonHS6533Device::~CQuellonHS6533Device()
{
    stopDeviceWork();
}

QString CQuellonHS6533Device::controlClass() const
{
    return QStringLiteral("QuellonHS6533Device");
}

void CQuellonHS6533Device::setAudioEffects(std::unique_ptr<audio::AudioEffects> effects)
{
    m_audio = std::move(effects);
}

void CQuellonHS6533Device::initPage()
{
    CQuellonMousePadDevice::initPage();
    if (!page())
        return;
    bindAudioControls();
    showAudioState();
    probeAudio();
}

QString CQuellonHS6533Device::text(const char* id) const
{
    const QString name = QString::fromLatin1(id);
    return language() ? language()->text(name) : name;
}

// ---- lighting

void CQuellonHS6533Device::loadLightingPreview()
{
    CQuellonMousePadDevice::loadLightingPreview();
    m_lastSent.reset();
}

void CQuellonHS6533Device::pushLightFrame()
{
    CQuellonMousePadDevice::pushLightFrame();
    if (!lightControl() || !commandChannel().isOpen())
        return;
    const HeadsetFrame frame = headsetFrame(previewFrame());
    if (m_lastSent == frame)
        return;
    m_lastSent = frame;
    {
        std::lock_guard lock(m_frameLock);
        m_stagedFrame = frame;
    }
    runJob(kWritingLabel, [this]() -> UiStep {
        sendLightFrame();
        return {};
    }, "light-frame");
}

// Worker. A frame the headset did not take is sent again with the next change.
void CQuellonHS6533Device::sendLightFrame()
{
    HeadsetFrame frame;
    {
        std::lock_guard lock(m_frameLock);
        frame = m_stagedFrame;
    }
    std::lock_guard io(commandChannel().ioLock());
    for (const HeadsetReport& report : frame) {
        if (!commandChannel().wiredLink().setOutputReport(report.data(), report.size())) {
            runOnUiThread([this] { m_lastSent.reset(); });
            return;
        }
    }
}

// ---- profile

// The first read and every profile choice come here: the headset's sound follows the profile.
void CQuellonHS6533Device::loadProfile()
{
    CQuellonMousePadDevice::loadProfile();
    syncAudioRecord();
    applyProfileAudio();
}

void CQuellonHS6533Device::refreshPage()
{
    CQuellonMousePadDevice::refreshPage();
    if (!page())
        return;
    const HeadsetSystemSetStages stages = m_headsetRecord->GetSystemSetStages();
    fillCustomPresets(stages.eqType == headset_eq::kCustomPreset ? stages.customEqSelectIndex : -1);
    showEqType(stages.eqType);
    if (stages.eqType == headset_eq::kCustomPreset) {
        const std::vector<int> values = m_headsetRecord->GetCustomEqValues(stages.customEqSelectIndex);
        EqBands bands{};
        std::copy_n(values.begin(), std::min(values.size(), bands.size()), bands.begin());
        showBands(bands);
    } else {
        // No preset type: the equaliser is off, which sounds flat.
        showBands(eqPresetBands(stages.eqType).value_or(EqBands{}));
    }
    showMicState();
    showVoiceState();
}

// The worker's copy of the record follows the one the page edits.
void CQuellonHS6533Device::syncAudioRecord()
{
    if (!m_audio)
        return;
    runJob(kAudioLabel, [this, copy = *m_headsetRecord]() -> UiStep {
        m_audioRecord = copy;
        return {};
    });
}

// Queued behind the probe, so the worker knows the endpoint by then; nothing is sent without one.
void CQuellonHS6533Device::applyProfileAudio()
{
    if (!m_audio)
        return;
    runJob(kAudioLabel, [this]() -> UiStep {
        if (!m_endpoint)
            return {};
        HeadsetAudio audio(*m_audio, *m_endpoint, m_audioRecord);
        const bool applied = audio.applyProfile();
        return [this, applied, volumes = volumesOf(audio)] {
            showVolumes(volumes);
            if (!applied)
                showNotice(QString::fromLatin1(kAudioFailedId));
        };
    });
}

void CQuellonHS6533Device::commitStages(const HeadsetSystemSetStages& stages, bool save)
{
    m_headsetRecord->SetSystemSetStages(stages);
    if (save)
        saveRecord();
}

void CQuellonHS6533Device::audioFailed()
{
    showNotice(QString::fromLatin1(kAudioFailedId));
    refreshPage();
}

// ---- audio side: endpoint and supported controls

void CQuellonHS6533Device::probeAudio()
{
    if (!m_audio)
        return;
    runJob(kAudioLabel, [this]() -> UiStep {
        const std::vector<audio::AudioEndpoint> endpoints = m_audio->endpoints();
        m_endpoint = audio::chooseEndpoint(endpoints);
        std::set<std::string> supported;
        if (m_endpoint) {
            for (const std::string& property : pageProperties()) {
                if (m_audio->supports(*m_endpoint, property))
                    supported.insert(property);
            }
        }
        return [this, found = m_endpoint.has_value(), supported] { audioProbed(found, supported); };
    });
}

void CQuellonHS6533Device::audioProbed(bool found, std::set<std::string> supported)
{
    m_audioReady = found;
    m_supported = std::move(supported);
    showAudioState();
}

void CQuellonHS6533Device::showAudioState()
{
    if (auto* label = control<QLabel>(QString::fromLatin1(kUnavailableLabel)))
        label->setVisible(!m_audioReady);
    for (const char* panel : kAudioPanels) {
        if (auto* widget = control<QWidget>(QString::fromLatin1(panel)))
            widget->setEnabled(m_audioReady);
    }
    if (!m_audioReady)
        return;
    const QString reason = text(kNotSupportedId);
    const auto offer = [&](QWidget* widget, bool carried) {
        if (!widget)
            return;
        widget->setEnabled(carried);
        widget->setToolTip(carried ? QString() : reason);
    };
    for (const ControlProperty& row : kControlProperties)
        offer(control<QWidget>(QString::fromLatin1(row.control)), m_supported.contains(row.property));
    for (int band = 0; band < static_cast<int>(kEqBands); ++band)
        offer(control<QWidget>(numbered(kBandSlider, band)), m_supported.contains(eqBandProperty(band)));
}

void CQuellonHS6533Device::runAudio(AudioOp op)
{
    if (!m_audio || !m_audioReady)
        return;
    runJob(kAudioLabel, [this, op = std::move(op)]() -> UiStep {
        if (!m_endpoint)
            return {};
        HeadsetAudio audio(*m_audio, *m_endpoint, m_audioRecord);
        return op(audio);
    });
}

// ---- binding

void CQuellonHS6533Device::bindAudioControls()
{
    if (auto* reset = control<QAbstractButton>(QString::fromLatin1(kAudioReset)))
        connect(reset, &QAbstractButton::clicked, this, [this] { resetAudio(); });
    bindEqualiser();
    bindMicrophone();
    bindVoiceEffects();
    bindCustomPresets();
}

void CQuellonHS6533Device::bindEqualiser()
{
    for (int preset = 1; preset <= headset_eq::kCustomPreset; ++preset) {
        if (auto* option = control<QAbstractButton>(numbered(kPresetOption, preset)))
            connect(option, &QAbstractButton::clicked, this, [this, preset] { applyEqPreset(preset); });
    }
    for (int band = 0; band < static_cast<int>(kEqBands); ++band) {
        auto* slider = control<QSlider>(numbered(kBandSlider, band));
        if (!slider)
            continue;
        auto* value = control<QLabel>(numbered(kBandValue, band));
        connect(slider, &QSlider::valueChanged, this, [this, slider, value, band](int gain) {
            if (value)
                value->setText(QString::number(gain));
            if (!slider->isSliderDown())
                moveEqBand(band, gain);
        });
        connect(slider, &QSlider::sliderReleased, this, [this, slider, band] { moveEqBand(band, slider->value()); });
    }
}

void CQuellonHS6533Device::bindMicrophone()
{
    for (const MicControls& mic : kMicControls) {
        if (auto* slider = control<QSlider>(QString::fromLatin1(mic.slider))) {
            connect(slider, &QSlider::valueChanged, this, [this, slider, channel = mic.channel](int level) {
                if (!slider->isSliderDown())
                    setMicLevel(channel, level);
            });
            connect(slider, &QSlider::sliderReleased, this,
                    [this, slider, channel = mic.channel] { setMicLevel(channel, slider->value()); });
        }
        if (auto* option = control<QAbstractButton>(QString::fromLatin1(mic.option)))
            connect(option, &QAbstractButton::clicked, this, [this, channel = mic.channel] { toggleMicMute(channel); });
    }
}

void CQuellonHS6533Device::bindVoiceEffects()
{
    if (auto* enable = control<QAbstractButton>(QString::fromLatin1(kVoiceEnable)))
        connect(enable, &QAbstractButton::clicked, this, [this](bool on) { enableVoiceEffects(on); });
    for (int effect = 1; effect <= kVoiceEffectCount; ++effect) {
        if (auto* option = control<QAbstractButton>(numbered(kVoiceOption, effect)))
            connect(option, &QAbstractButton::clicked, this, [this, effect] { selectVoiceEffect(effect); });
    }
}

void CQuellonHS6533Device::bindCustomPresets()
{
    if (auto* combo = control<QComboBox>(QString::fromLatin1(kCustomCombo)))
        connect(combo, &QComboBox::activated, this, [this] { applySelectedCustomPreset(); });
    if (auto* save = control<QAbstractButton>(QString::fromLatin1(kCustomSave)))
        connect(save, &QAbstractButton::clicked, this, [this] { saveCustomPreset(); });
    if (auto* remove = control<QAbstractButton>(QString::fromLatin1(kCustomDelete)))
        connect(remove, &QAbstractButton::clicked, this, [this] { deleteCustomPreset(); });
}

// ---- showing

void CQuellonHS6533Device::showBands(const EqBands& bands)
{
    for (int band = 0; band < static_cast<int>(bands.size()); ++band) {
        if (auto* slider = control<QSlider>(numbered(kBandSlider, band))) {
            const QSignalBlocker quiet(slider);
            slider->setValue(bands[static_cast<std::size_t>(band)]);
        }
        if (auto* value = control<QLabel>(numbered(kBandValue, band)))
            value->setText(QString::number(bands[static_cast<std::size_t>(band)]));
    }
}

EqBands CQuellonHS6533Device::shownBands() const
{
    EqBands bands{};
    for (int band = 0; band < static_cast<int>(bands.size()); ++band) {
        if (auto* slider = control<QSlider>(numbered(kBandSlider, band)))
            bands[static_cast<std::size_t>(band)] = slider->value();
    }
    return bands;
}

void CQuellonHS6533Device::showEqType(int type)
{
    for (int preset = 1; preset <= headset_eq::kCustomPreset; ++preset) {
        if (auto* option = control<QAbstractButton>(numbered(kPresetOption, preset)))
            showChecked(option, preset == type);
    }
    const bool custom = type == headset_eq::kCustomPreset;
    for (const char* name : {kCustomCombo, kCustomEdit, kCustomSave, kCustomDelete}) {
        if (auto* widget = control<QWidget>(QString::fromLatin1(name)))
            widget->setEnabled(custom);
    }
}

void CQuellonHS6533Device::showMicState()
{
    const HeadsetSystemSetStages stages = m_headsetRecord->GetSystemSetStages();
    const std::array<std::pair<int, int>, 2> states = {{{stages.micInValue, stages.micInSelect},
                                                        {stages.micMonitorValue, stages.micMonitorSelect}}};
    for (std::size_t i = 0; i < kMicControls.size(); ++i) {
        if (auto* slider = control<QSlider>(QString::fromLatin1(kMicControls[i].slider))) {
            const QSignalBlocker quiet(slider);
            slider->setValue(states[i].first);
        }
        if (auto* option = control<QAbstractButton>(QString::fromLatin1(kMicControls[i].option)))
            showChecked(option, states[i].second != 0);
    }
}

void CQuellonHS6533Device::showVoiceState()
{
    const HeadsetSystemSetStages stages = m_headsetRecord->GetSystemSetStages();
    if (auto* enable = control<QAbstractButton>(QString::fromLatin1(kVoiceEnable)))
        showChecked(enable, stages.magicEnable != 0);
    for (int effect = 1; effect <= kVoiceEffectCount; ++effect) {
        if (auto* option = control<QAbstractButton>(numbered(kVoiceOption, effect)))
            showChecked(option, effect == stages.magicType);
    }
}

void CQuellonHS6533Device::fillCustomPresets(int selected)
{
    auto* combo = control<QComboBox>(QString::fromLatin1(kCustomCombo));
    if (!combo)
        return;
    const QSignalBlocker quiet(combo);
    combo->clear();
    for (const std::string& name : m_headsetRecord->GetCustomEqNames())
        combo->addItem(QString::fromStdString(name));
    combo->setCurrentIndex(selected < combo->count() ? selected : -1);
}

// ---- audio operations

void CQuellonHS6533Device::applyEqPreset(int preset)
{
    if (preset == headset_eq::kCustomPreset) {
        showEqType(preset);
        applySelectedCustomPreset();
        return;
    }
    if (!eqPresetBands(preset))
        return;
    runAudio([this, preset](HeadsetAudio& audio) -> UiStep {
        const std::optional<EqBands> bands = audio.applyPreset(preset);
        if (!bands)
            return [this] { audioFailed(); };
        return [this, preset, bands = *bands, stages = m_audioRecord.GetSystemSetStages()] {
            showBands(bands);
            showEqType(preset);
            m_headsetRecord->SetEqValues(preset, bands);
            commitStages(stages, true);
        };
    });
}

void CQuellonHS6533Device::applySelectedCustomPreset()
{
    auto* combo = control<QComboBox>(QString::fromLatin1(kCustomCombo));
    const int index = combo ? combo->currentIndex() : -1;
    runAudio([this, index](HeadsetAudio& audio) -> UiStep {
        const std::optional<EqBands> bands = audio.applyCustom(index);
        const HeadsetSystemSetStages stages = m_audioRecord.GetSystemSetStages();
        if (index >= 0 && !bands)
            return [this] { audioFailed(); };
        return [this, bands, stages] {
            if (bands)
                showBands(*bands);
            showEqType(stages.eqType);
            commitStages(stages, true);
        };
    });
}

void CQuellonHS6533Device::moveEqBand(int band, int gain)
{
    if (m_headsetRecord->GetSystemSetStages().eqType != headset_eq::kCustomPreset) {
        showEqType(headset_eq::kCustomPreset);
        if (auto* combo = control<QComboBox>(QString::fromLatin1(kCustomCombo)))
            combo->setCurrentIndex(-1);
    }
    runAudio([this, band, gain](HeadsetAudio& audio) -> UiStep {
        if (!audio.moveBand(band, gain))
            return [this] { audioFailed(); };
        return [this, stages = m_audioRecord.GetSystemSetStages()] { commitStages(stages, false); };
    });
}

void CQuellonHS6533Device::setMicLevel(MicChannel channel, int level)
{
    runAudio([this, channel, level](HeadsetAudio& audio) -> UiStep {
        const HeadsetAudio::LevelResult result = audio.setMicLevel(channel, level);
        if (!result.written)
            return [this] { audioFailed(); };
        return [this, channel, result, stages = m_audioRecord.GetSystemSetStages()] {
            showVolume(channel, result.volume);
            commitStages(stages, true);
        };
    });
}

void CQuellonHS6533Device::toggleMicMute(MicChannel channel)
{
    runAudio([this, channel](HeadsetAudio& audio) -> UiStep {
        if (!audio.toggleMicMute(channel))
            return [this] { audioFailed(); };
        return [this, stages = m_audioRecord.GetSystemSetStages()] {
            commitStages(stages, true);
            showMicState();
        };
    });
}

void CQuellonHS6533Device::enableVoiceEffects(bool on)
{
    runAudio([this, on](HeadsetAudio& audio) -> UiStep {
        if (!audio.enableVoiceEffects(on))
            return [this] { audioFailed(); };
        return [this, stages = m_audioRecord.GetSystemSetStages()] {
            commitStages(stages, true);
            showVoiceState();
        };
    });
}

void CQuellonHS6533Device::selectVoiceEffect(int effect)
{
    if (effect < 1 || effect > kVoiceEffectCount)
        return;
    runAudio([this, effect](HeadsetAudio& audio) -> UiStep {
        if (!audio.selectVoiceEffect(effect))
            return [this] { audioFailed(); };
        return [this, stages = m_audioRecord.GetSystemSetStages()] {
            commitStages(stages, true);
            showVoiceState();
        };
    });
}

// Everything the reset covers goes back to its default on the headset, then on the page and in
// the profile; the user confirms first, as the change cannot be undone.
void CQuellonHS6533Device::resetAudio()
{
    if (!ask(QString::fromLatin1(kResetQuestionId)))
        return;
    runAudio([this](HeadsetAudio& audio) -> UiStep {
        if (!audio.resetAll())
            return [this] { audioFailed(); };
        return [this, stages = m_audioRecord.GetSystemSetStages(), volumes = volumesOf(audio)] {
            commitStages(stages, true);
            refreshPage();
            showVolumes(volumes);
        };
    });
}

// Worker.
CQuellonHS6533Device::Volumes CQuellonHS6533Device::volumesOf(HeadsetAudio& audio)
{
    return {audio.volume(MicChannel::Input), audio.volume(MicChannel::Monitor)};
}

void CQuellonHS6533Device::showVolumes(const Volumes& volumes)
{
    showVolume(MicChannel::Input, volumes[0]);
    showVolume(MicChannel::Monitor, volumes[1]);
}

void CQuellonHS6533Device::showVolume(MicChannel channel, std::optional<double> volume)
{
    if (auto* value = control<QLabel>(QString::fromLatin1(micControlsOf(channel).value)))
        value->setText(volume ? levelText(*volume) : QString());
}

// A custom preset keeps the bands the sliders show under the name typed; a name already in the
// list is overwritten.
void CQuellonHS6533Device::saveCustomPreset()
{
    auto* edit = control<QLineEdit>(QString::fromLatin1(kCustomEdit));
    const QString name = edit ? edit->text().trimmed() : QString();
    if (name.isEmpty()) {
        showNotice(QString::fromLatin1(kEmptyNameId));
        return;
    }
    std::vector<std::string> names = m_headsetRecord->GetCustomEqNames();
    const auto found = std::find(names.begin(), names.end(), name.toStdString());
    const int index = static_cast<int>(found - names.begin());
    if (found == names.end())
        names.push_back(name.toStdString());
    m_headsetRecord->SetCustomEqNames(names);
    m_headsetRecord->SetCustomEqValues(index, shownBands());
    HeadsetSystemSetStages stages = m_headsetRecord->GetSystemSetStages();
    stages.eqType = headset_eq::kCustomPreset;
    stages.customEqSelectIndex = index;
    commitStages(stages, true);
    fillCustomPresets(index);
    syncAudioRecord();
}

void CQuellonHS6533Device::deleteCustomPreset()
{
    auto* combo = control<QComboBox>(QString::fromLatin1(kCustomCombo));
    const int index = combo ? combo->currentIndex() : -1;
    std::vector<std::string> names = m_headsetRecord->GetCustomEqNames();
    if (index < 0 || index >= static_cast<int>(names.size()))
        return;
    for (int later = index + 1; later < static_cast<int>(names.size()); ++later) {
        const std::vector<int> values = m_headsetRecord->GetCustomEqValues(later);
        EqBands bands{};
        std::copy_n(values.begin(), std::min(values.size(), bands.size()), bands.begin());
        m_headsetRecord->SetCustomEqValues(later - 1, bands);
    }
    names.erase(names.begin() + index);
    m_headsetRecord->SetCustomEqNames(names);
    HeadsetSystemSetStages stages = m_headsetRecord->GetSystemSetStages();
    stages.customEqSelectIndex = -1;
    commitStages(stages, true);
    fillCustomPresets(-1);
    syncAudioRecord();
}

}  // namespace kestrion
