#include "pages/headset_view.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QSignalBlocker>
#include <QSlider>

#include <array>

#include "devices/hs6533_device.h"
#include "ui/language_manager.h"

namespace kestrion {
namespace {

constexpr const char* kNotSupportedId = "audio_not_supported_text";
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

}  // namespace

HeadsetView::HeadsetView(CQuellonHS6533Device& headset, QWidget* parent) : PadView(headset, parent), m_headset(headset)
{
    connect(&m_headset, &CQuellonHS6533Device::audioStateChanged, this, &HeadsetView::showAudioState);
    connect(&m_headset, &CQuellonHS6533Device::eqTypeShown, this, &HeadsetView::showEqType);
    connect(&m_headset, &CQuellonHS6533Device::bandsShown, this, &HeadsetView::showBands);
    connect(&m_headset, &CQuellonHS6533Device::customPresetsChanged, this, &HeadsetView::showCustomPresets);
    connect(&m_headset, &CQuellonHS6533Device::micStateChanged, this, &HeadsetView::showMicState);
    connect(&m_headset, &CQuellonHS6533Device::voiceStateChanged, this, &HeadsetView::showVoiceState);
    connect(&m_headset, &CQuellonHS6533Device::volumeRead, this, &HeadsetView::showVolume);
}

void HeadsetView::initPage()
{
    PadView::initPage();
    if (auto* reset = control<QAbstractButton>(QString::fromLatin1(kAudioReset)))
        connect(reset, &QAbstractButton::clicked, &m_headset, &CQuellonHS6533Device::resetAudio);
    bindEqualiser();
    bindMicrophone();
    bindVoiceEffects();
    bindCustomPresets();
    showAudioState();
}

// ---- binding

void HeadsetView::bindEqualiser()
{
    for (int preset = 1; preset <= headset_eq::kCustomPreset; ++preset) {
        if (auto* option = control<QAbstractButton>(numbered(kPresetOption, preset)))
            connect(option, &QAbstractButton::clicked, this, [this, preset] { choosePreset(preset); });
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
                m_headset.moveEqBand(band, gain);
        });
        connect(slider, &QSlider::sliderReleased, this,
                [this, slider, band] { m_headset.moveEqBand(band, slider->value()); });
    }
}

void HeadsetView::bindMicrophone()
{
    for (const MicControls& mic : kMicControls) {
        if (auto* slider = control<QSlider>(QString::fromLatin1(mic.slider))) {
            connect(slider, &QSlider::valueChanged, this, [this, slider, channel = mic.channel](int level) {
                if (!slider->isSliderDown())
                    m_headset.setMicLevel(channel, level);
            });
            connect(slider, &QSlider::sliderReleased, this,
                    [this, slider, channel = mic.channel] { m_headset.setMicLevel(channel, slider->value()); });
        }
        if (auto* option = control<QAbstractButton>(QString::fromLatin1(mic.option)))
            connect(option, &QAbstractButton::clicked, this,
                    [this, channel = mic.channel] { m_headset.toggleMicMute(channel); });
    }
}

void HeadsetView::bindVoiceEffects()
{
    if (auto* enable = control<QAbstractButton>(QString::fromLatin1(kVoiceEnable)))
        connect(enable, &QAbstractButton::clicked, &m_headset, &CQuellonHS6533Device::enableVoiceEffects);
    for (int effect = 1; effect <= CQuellonHS6533Device::kVoiceEffectCount; ++effect) {
        if (auto* option = control<QAbstractButton>(numbered(kVoiceOption, effect)))
            connect(option, &QAbstractButton::clicked, this, [this, effect] { m_headset.selectVoiceEffect(effect); });
    }
}

void HeadsetView::bindCustomPresets()
{
    if (auto* combo = control<QComboBox>(QString::fromLatin1(kCustomCombo)))
        connect(combo, &QComboBox::activated, this, [this] { m_headset.applyCustomPreset(chosenCustomPreset()); });
    if (auto* save = control<QAbstractButton>(QString::fromLatin1(kCustomSave))) {
        connect(save, &QAbstractButton::clicked, this, [this] {
            auto* edit = control<QLineEdit>(QString::fromLatin1(kCustomEdit));
            m_headset.saveCustomPreset(edit ? edit->text() : QString(), shownBands());
        });
    }
    if (auto* remove = control<QAbstractButton>(QString::fromLatin1(kCustomDelete)))
        connect(remove, &QAbstractButton::clicked, this, [this] { m_headset.deleteCustomPreset(chosenCustomPreset()); });
}

void HeadsetView::choosePreset(int preset)
{
    if (preset == headset_eq::kCustomPreset)
        m_headset.applyCustomPreset(chosenCustomPreset());
    else
        m_headset.applyEqPreset(preset);
}

int HeadsetView::chosenCustomPreset() const
{
    auto* combo = control<QComboBox>(QString::fromLatin1(kCustomCombo));
    return combo ? combo->currentIndex() : -1;
}

// ---- showing

void HeadsetView::showProfile()
{
    DeviceView::showProfile();
    const HeadsetSystemSetStages stages = m_headset.headsetProfile().GetSystemSetStages();
    const bool custom = stages.eqType == headset_eq::kCustomPreset;
    showCustomPresets(custom ? stages.customEqSelectIndex : -1);
    showEqType(stages.eqType);
    if (custom)
        showBands(m_headset.customPresetBands(stages.customEqSelectIndex));
    else
        // No preset type: the equaliser is off, which sounds flat.
        showBands(eqPresetBands(stages.eqType).value_or(EqBands{}));
    showMicState();
    showVoiceState();
}

void HeadsetView::showAudioState()
{
    const bool ready = m_headset.audioAvailable();
    if (auto* label = control<QLabel>(QString::fromLatin1(kUnavailableLabel)))
        label->setVisible(!ready);
    for (const char* panel : kAudioPanels) {
        if (auto* widget = control<QWidget>(QString::fromLatin1(panel)))
            widget->setEnabled(ready);
    }
    if (!ready)
        return;
    const QString reason =
        language() ? language()->text(QString::fromLatin1(kNotSupportedId)) : QString::fromLatin1(kNotSupportedId);
    const auto offer = [&](QWidget* widget, bool carried) {
        if (!widget)
            return;
        widget->setEnabled(carried);
        widget->setToolTip(carried ? QString() : reason);
    };
    for (const ControlProperty& row : kControlProperties)
        offer(control<QWidget>(QString::fromLatin1(row.control)), m_headset.supports(row.property));
    for (int band = 0; band < static_cast<int>(kEqBands); ++band)
        offer(control<QWidget>(numbered(kBandSlider, band)), m_headset.supports(eqBandProperty(band)));
}

void HeadsetView::showBands(const EqBands& bands)
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

EqBands HeadsetView::shownBands() const
{
    EqBands bands{};
    for (int band = 0; band < static_cast<int>(bands.size()); ++band) {
        if (auto* slider = control<QSlider>(numbered(kBandSlider, band)))
            bands[static_cast<std::size_t>(band)] = slider->value();
    }
    return bands;
}

void HeadsetView::showEqType(int type)
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

void HeadsetView::showMicState()
{
    const HeadsetSystemSetStages stages = m_headset.headsetProfile().GetSystemSetStages();
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

void HeadsetView::showVoiceState()
{
    const HeadsetSystemSetStages stages = m_headset.headsetProfile().GetSystemSetStages();
    if (auto* enable = control<QAbstractButton>(QString::fromLatin1(kVoiceEnable)))
        showChecked(enable, stages.magicEnable != 0);
    for (int effect = 1; effect <= CQuellonHS6533Device::kVoiceEffectCount; ++effect) {
        if (auto* option = control<QAbstractButton>(numbered(kVoiceOption, effect)))
            showChecked(option, effect == stages.magicType);
    }
}

void HeadsetView::showCustomPresets(int selected)
{
    auto* combo = control<QComboBox>(QString::fromLatin1(kCustomCombo));
    if (!combo)
        return;
    const QSignalBlocker quiet(combo);
    combo->clear();
    for (const std::string& name : m_headset.headsetProfile().GetCustomEqNames())
        combo->addItem(QString::fromStdString(name));
    combo->setCurrentIndex(selected < combo->count() ? selected : -1);
}

void HeadsetView::showVolume(MicChannel channel, std::optional<double> volume)
{
    if (auto* value = control<QLabel>(QString::fromLatin1(micControlsOf(channel).value)))
        value->setText(volume ? levelText(*volume) : QString());
}

}  // namespace kestrion
