#include "ui/light_control.h"

#include <QAbstractButton>
#include <QAbstractSlider>
#include <QComboBox>
#include <QLineEdit>
#include <QListView>
#include <QScrollArea>
#include <QVBoxLayout>

#include "editors/light_rules.h"
#include "platform/diagnostics.h"
#include "ui/colour_palette.h"
#include "ui/custom_light_editor.h"

namespace kestrion::ui {

namespace {

namespace rules = lighting_editor;

constexpr const char* kModes = "light_combo_modeSelect";
constexpr const char* kBrightness = "deng_light_slider";
constexpr const char* kSpeed = "deng_speed_slider";
constexpr const char* kPalette = "deng_Color_Pallet";
constexpr const char* kColourButton = "deng_colordp_btn";
constexpr std::array<const char*, 3> kEdits{"deng_edit_R", "deng_edit_G", "deng_edit_B"};
constexpr const char* kSevenColour = "deng_7color_check";
constexpr const char* kLeft = "deng_FXL_check";
constexpr const char* kRight = "deng_FXR_check";
constexpr const char* kSame = "deng_same_mode";
constexpr const char* kPresetPrefix = "color_option_";
// Preset buttons carry their colour in this property; their style sheet paints it.
constexpr const char* kPresetColour = "presetColour";
constexpr const char* kItemTextIds = "itemTextIds";
constexpr const char* kCustomModeTextId = "light_mode_custom_text";

constexpr const char* kAudioModes = "light_combo_audiomodeSelect";
constexpr const char* kAudioPalette = "deng_audioColor_Pallet";
constexpr const char* kAudioColourButton = "deng_audiocolordp_btn";
constexpr std::array<const char*, 3> kAudioEdits{"deng_audioedit_R", "deng_audioedit_G", "deng_audioedit_B"};
constexpr const char* kAudioSevenColour = "deng_7audiocolor_check";
constexpr const char* kAudioBackground = "audio_BkColor_check";
constexpr const char* kAudioForeground = "audio_FgColor_check";
constexpr const char* kAudioColourLayout = "light_audiocolor_layout";
constexpr const char* kAudioPaletteLayout = "audiocolorpallet_layout";
constexpr const char* kAudioPresetPrefix = "audiocolor_option_";
constexpr const char* kAudioGroup = "light_audio_group";
// The audio mode whose colours come from the audio companion: the colour groups do nothing.
constexpr int kCompanionColourMode = 3;
constexpr const char* kReadFailed = "GetAudioLightInfo control is NULL";
constexpr const char* kShowFailed = " SetAudioLightInfo control is NULL";

QString buttonStyle(const QColor& colour)
{
    return QStringLiteral("background-color: %1;").arg(colour.name());
}

}  // namespace

// The editor scrolls inside its tab: with the custom lists it is taller than the page.
CLightControlUI::CLightControlUI(QWidget* parent) : QWidget(parent), m_scroll(new QScrollArea(this))
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    m_scroll->setFrameShape(QFrame::NoFrame);
    m_scroll->setWidgetResizable(true);
    m_scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_scroll->viewport()->setAutoFillBackground(false);
    layout->addWidget(m_scroll);
}

void CLightControlUI::setContent(QWidget* content)
{
    delete m_scroll->takeWidget();
    if (content) {
        content->setAutoFillBackground(false);
        m_scroll->setWidget(content);
    }
    bindControls();
}

template <typename T>
T* CLightControlUI::find(const char* name) const
{
    return findChild<T*>(QString::fromLatin1(name));
}

void CLightControlUI::bindControls()
{
    m_modes = find<QComboBox>(kModes);
    m_brightness = find<QAbstractSlider>(kBrightness);
    m_speed = find<QAbstractSlider>(kSpeed);
    m_palette = find<CColourPaletteUI>(kPalette);
    m_colourButton = find<QAbstractButton>(kColourButton);
    for (std::size_t i = 0; i < kEdits.size(); ++i) {
        m_edits[i] = find<QLineEdit>(kEdits[i]);
        connectEdit(m_edits[i]);
    }
    m_sevenColour = find<QAbstractButton>(kSevenColour);
    m_left = find<QAbstractButton>(kLeft);
    m_right = find<QAbstractButton>(kRight);
    m_same = find<QWidget>(kSame);

    if (m_modes) {
        connect(m_modes, &QComboBox::activated, this, [this](int index) {
            m_light.mode = static_cast<std::uint8_t>(index);
            applyMode(index);
            changed();
        });
    }
    connectSlider(m_brightness, &LightInfo::brightness);
    connectSlider(m_speed, &LightInfo::speed);
    if (m_sevenColour) {
        connect(m_sevenColour, &QAbstractButton::clicked, this, [this](bool on) {
            m_light.multiColor = on ? 1 : 0;
            changed();
        });
    }
    if (m_left)
        connect(m_left, &QAbstractButton::clicked, this, [this] { setDirection(true); });
    if (m_right)
        connect(m_right, &QAbstractButton::clicked, this, [this] { setDirection(false); });
    if (m_palette)
        connect(m_palette, &CColourPaletteUI::colourChanged, this, &CLightControlUI::takeColour);
    for (auto* preset : findChildren<QAbstractButton*>()) {
        if (!preset->objectName().startsWith(QLatin1String(kPresetPrefix)))
            continue;
        preset->setStyleSheet(buttonStyle(QColor(preset->property(kPresetColour).toString())));
        connect(preset, &QAbstractButton::clicked, this, [this, preset] {
            takeColour(QColor(preset->property(kPresetColour).toString()));
        });
    }
    bindCustomLists();
    bindAudioControls();
}

void CLightControlUI::bindAudioControls()
{
    AudioControls& c = m_audioControls;
    c.modes = find<QComboBox>(kAudioModes);
    c.palette = find<CColourPaletteUI>(kAudioPalette);
    c.colourButton = find<QAbstractButton>(kAudioColourButton);
    for (std::size_t i = 0; i < kAudioEdits.size(); ++i)
        c.edits[i] = find<QLineEdit>(kAudioEdits[i]);
    c.sevenColour = find<QAbstractButton>(kAudioSevenColour);
    c.background = find<QAbstractButton>(kAudioBackground);
    c.foreground = find<QAbstractButton>(kAudioForeground);
    c.colourLayout = find<QWidget>(kAudioColourLayout);
    c.paletteLayout = find<QWidget>(kAudioPaletteLayout);
    offerAudioLight(false);
    if (!audioControlsComplete())
        return;
    connect(c.modes, &QComboBox::activated, this, [this] { takeAudioRecord(true); });
    connect(c.sevenColour, &QAbstractButton::clicked, this, [this] { takeAudioRecord(true); });
    connect(c.background, &QAbstractButton::clicked, this, [this] { takeAudioRecord(false); });
    connect(c.foreground, &QAbstractButton::clicked, this, [this] { takeAudioRecord(false); });
    connect(c.palette, &CColourPaletteUI::colourChanged, this, &CLightControlUI::takeAudioColour);
    for (QLineEdit* edit : c.edits) {
        connect(edit, &QLineEdit::editingFinished, this, [this] {
            if (!m_showing)
                takeAudioEdits();
        });
    }
    for (auto* preset : findChildren<QAbstractButton*>()) {
        if (!preset->objectName().startsWith(QLatin1String(kAudioPresetPrefix)))
            continue;
        preset->setStyleSheet(buttonStyle(QColor(preset->property(kPresetColour).toString())));
        connect(preset, &QAbstractButton::clicked, this, [this, preset] {
            takeAudioColour(QColor(preset->property(kPresetColour).toString()));
        });
    }
}

void CLightControlUI::offerAudioLight(bool offered)
{
    if (auto* group = find<QWidget>(kAudioGroup))
        group->setVisible(offered);
}

bool CLightControlUI::audioControlsComplete() const
{
    const AudioControls& c = m_audioControls;
    const bool editsFound = std::all_of(c.edits.begin(), c.edits.end(), [](QLineEdit* e) { return e != nullptr; });
    return c.modes && c.palette && c.colourButton && editsFound && c.sevenColour && c.background && c.foreground
           && c.colourLayout && c.paletteLayout;
}

bool CLightControlUI::showAudioLight(const AudioLightInfo& light)
{
    if (!audioControlsComplete()) {
        debugTrace(kShowFailed);
        return false;
    }
    const AudioControls& c = m_audioControls;
    m_showing = true;
    m_audio = light;
    c.modes->setCurrentIndex(light.audioMode < c.modes->count() ? light.audioMode : -1);
    if (light.colorType) {
        c.foreground->setChecked(true);
        c.sevenColour->setChecked(light.sevenColor != 0);
    } else {
        c.background->setChecked(true);
    }
    showAudioColour(editedAudioColour());
    m_showing = false;
    applyAudioMode(light.audioMode);
    return true;
}

void CLightControlUI::applyAudioMode(int mode)
{
    const bool colours = mode != kCompanionColourMode;
    m_audioControls.colourLayout->setEnabled(colours);
    m_audioControls.paletteLayout->setEnabled(colours);
}

std::optional<AudioLightInfo> CLightControlUI::readAudioLight(bool takeButtonColour)
{
    if (!audioControlsComplete()) {
        debugTrace(kReadFailed);
        return std::nullopt;
    }
    const AudioControls& c = m_audioControls;
    AudioLightInfo light = m_audio;
    light.audioMode = static_cast<std::uint8_t>(std::max(c.modes->currentIndex(), 0));
    light.sevenColor = c.sevenColour->isChecked() ? 1 : 0;
    const bool backgroundEdited = m_audio.colorType == 0 || !c.foreground->isChecked();
    light.colorType = c.background->isChecked() && backgroundEdited ? 0 : 1;
    if (takeButtonColour && m_audioButtonColour.isValid()) {
        const auto red = static_cast<std::uint8_t>(m_audioButtonColour.red());
        const auto green = static_cast<std::uint8_t>(m_audioButtonColour.green());
        const auto blue = static_cast<std::uint8_t>(m_audioButtonColour.blue());
        if (light.colorType) {
            light.foreRed = red;
            light.foreGreen = green;
            light.foreBlue = blue;
        } else {
            light.backRed = red;
            light.backGreen = green;
            light.backBlue = blue;
        }
    }
    return light;
}

void CLightControlUI::takeAudioRecord(bool takeButtonColour)
{
    if (m_showing)
        return;
    const std::optional<AudioLightInfo> light = readAudioLight(takeButtonColour);
    if (!light)
        return;
    showAudioLight(*light);
    emit audioLightChanged(m_audio);
}

// A colour picked for the music light replaces the colour being edited.
void CLightControlUI::takeAudioColour(const QColor& colour)
{
    if (m_showing || !audioControlsComplete())
        return;
    const auto red = static_cast<std::uint8_t>(colour.red());
    const auto green = static_cast<std::uint8_t>(colour.green());
    const auto blue = static_cast<std::uint8_t>(colour.blue());
    if (m_audio.colorType) {
        m_audio.foreRed = red;
        m_audio.foreGreen = green;
        m_audio.foreBlue = blue;
    } else {
        m_audio.backRed = red;
        m_audio.backGreen = green;
        m_audio.backBlue = blue;
    }
    m_showing = true;
    showAudioColour(colour);
    m_showing = false;
    emit audioLightChanged(m_audio);
}

void CLightControlUI::takeAudioEdits()
{
    std::array<int, 3> components{};
    for (std::size_t i = 0; i < components.size(); ++i)
        components[i] = rules::componentFromText(m_audioControls.edits[i]->text().trimmed().toStdString());
    takeAudioColour(QColor(components[0], components[1], components[2]));
}

QColor CLightControlUI::editedAudioColour() const
{
    if (m_audio.colorType)
        return QColor(m_audio.foreRed, m_audio.foreGreen, m_audio.foreBlue);
    return QColor(m_audio.backRed, m_audio.backGreen, m_audio.backBlue);
}

void CLightControlUI::showAudioColour(const QColor& colour)
{
    const AudioControls& c = m_audioControls;
    const std::array<int, 3> components{colour.red(), colour.green(), colour.blue()};
    for (std::size_t i = 0; i < c.edits.size(); ++i)
        c.edits[i]->setText(QString::number(components[i]));
    c.palette->setSelectedColour(colour);
    c.colourButton->setStyleSheet(buttonStyle(colour));
    m_audioButtonColour = colour;
}

void CLightControlUI::bindCustomLists()
{
    delete m_custom;
    m_custom = new CCustomLightEditor(*this, this);
    connect(m_custom, &CCustomLightEditor::listChosen, this, &CLightControlUI::chooseCustomList);
    connect(m_custom, &CCustomLightEditor::listsEdited, this, [this](int removed) {
        emit customListsEdited();
        followRemovedList(removed);
    });
}

void CLightControlUI::setCustomLists(CustomLightLists* lists, std::function<bool(const QString&)> ask,
                                     std::function<void(const QString&)> notice)
{
    if (!m_custom)
        return;
    m_customOffered = lists && m_custom->available();
    m_custom->setLists(lists, {std::move(ask), std::move(notice), [this] { return m_light; }});
    m_custom->showGroup(m_light.customGroup);
    offerCustomMode();
}

// The custom mode's item sits at its mode number, after the device's modes (any gap hidden).
void CLightControlUI::offerCustomMode()
{
    if (!m_modes)
        return;
    m_showing = true;
    QStringList ids = m_modes->property(kItemTextIds).toStringList();
    auto* list = qobject_cast<QListView*>(m_modes->view());
    while (m_modes->count() <= rules::kCustomMode) {
        const bool custom = m_modes->count() == rules::kCustomMode;
        const QString id = custom ? QString::fromLatin1(kCustomModeTextId) : QString();
        m_modes->addItem(id, id);
        ids.append(id);
        if (list)
            list->setRowHidden(m_modes->count() - 1, !custom);
    }
    m_modes->setProperty(kItemTextIds, ids);
    if (list)
        list->setRowHidden(rules::kCustomMode, !m_customOffered);
    m_modes->setCurrentIndex(m_light.mode < m_modes->count() ? m_light.mode : -1);
    m_showing = false;
}

void CLightControlUI::chooseCustomList(int group)
{
    m_light.mode = static_cast<std::uint8_t>(rules::kCustomMode);
    m_light.customGroup = static_cast<std::uint8_t>(std::max(group, 0));
    if (m_modes)
        m_modes->setCurrentIndex(rules::kCustomMode);
    applyMode(rules::kCustomMode);
    changed();
}

// The profile keeps playing the list it played; the removed list's own choice falls to the first.
void CLightControlUI::followRemovedList(int removed)
{
    if (removed < 0 || m_light.customGroup < removed)
        return;
    m_light.customGroup = static_cast<std::uint8_t>(m_light.customGroup > removed ? m_light.customGroup - 1 : 0);
    changed();
}

// A drag counts once, when the handle is let go; keys, wheel and clicks count at once.
void CLightControlUI::connectSlider(QAbstractSlider* slider, std::uint8_t LightInfo::*field)
{
    if (!slider)
        return;
    auto take = [this, slider, field] {
        if (m_showing || slider->isSliderDown())
            return;
        m_light.*field = static_cast<std::uint8_t>(slider->value());
        changed();
    };
    connect(slider, &QAbstractSlider::valueChanged, this, take);
    connect(slider, &QAbstractSlider::sliderReleased, this, take);
}

void CLightControlUI::connectEdit(QLineEdit* edit)
{
    if (!edit)
        return;
    connect(edit, &QLineEdit::editingFinished, this, [this] {
        if (!m_showing)
            takeEdits();
    });
}

void CLightControlUI::fillModes(const std::vector<QString>& names, const std::vector<bool>& visible,
                                int maxBrightness, int maxSpeed)
{
    if (m_modes) {
        m_showing = true;
        m_modes->clear();
        QStringList ids;
        for (const QString& name : names) {
            m_modes->addItem(name, name);
            ids.append(name);
        }
        m_modes->setProperty(kItemTextIds, ids);
        if (auto* list = qobject_cast<QListView*>(m_modes->view())) {
            for (std::size_t i = 0; i < names.size(); ++i)
                list->setRowHidden(static_cast<int>(i), i < visible.size() && !visible[i]);
        }
        m_showing = false;
        if (m_custom && m_custom->available())
            offerCustomMode();
    }
    if (m_brightness)
        m_brightness->setMaximum(maxBrightness);
    if (m_speed)
        m_speed->setMaximum(maxSpeed);
}

void CLightControlUI::setDeviceKind(int kind)
{
    m_kind = kind;
    applyMode(m_light.mode);
}

void CLightControlUI::setSameModeOffered(bool offered)
{
    m_sameOffered = offered;
    applyMode(m_light.mode);
}

void CLightControlUI::showLight(const LightInfo& light)
{
    m_showing = true;
    m_light = light;
    if (m_modes)
        m_modes->setCurrentIndex(light.mode < m_modes->count() ? light.mode : -1);
    if (m_brightness)
        m_brightness->setValue(light.brightness);
    if (m_speed)
        m_speed->setValue(light.speed);
    showColour(QColor(light.red, light.green, light.blue));
    if (m_sevenColour)
        m_sevenColour->setChecked(light.multiColor != 0);
    if (m_left)
        m_left->setChecked(light.direction != 0);
    if (m_right)
        m_right->setChecked(light.direction == 0);
    m_showing = false;
    if (m_custom)
        m_custom->showGroup(light.customGroup);
    applyMode(light.mode);
}

void CLightControlUI::applyMode(int mode)
{
    if (m_same)
        m_same->setVisible(false);
    if (auto* direction = find<QWidget>(rules::kGroupNames[rules::kDirectionGroup]))
        direction->setEnabled(true);
    const rules::ModeRule rule = rules::modeRule(m_kind, mode);
    for (std::size_t g = 0; g < rules::kGroupCount; ++g) {
        auto* group = find<QWidget>(rules::kGroupNames[g]);
        if (group && rule.groups[g] != rules::GroupState::Keep)
            group->setEnabled(rule.groups[g] == rules::GroupState::On);
    }
    if (m_same && rule.same)
        m_same->setVisible(*rule.same && m_sameOffered);
    if (rule.keyboard)
        applyKeyboardLayouts(*rule.keyboard);
}

void CLightControlUI::applyKeyboardLayouts(const lighting_editor::KeyboardLayouts& layouts)
{
    const std::pair<const char*, bool> shown[] = {
        {rules::kSpeedLayout, layouts.speedShown},
        {rules::kCustomLayout, layouts.customShown},
        {rules::kSecondModeLayout, layouts.secondModeShown},
        {rules::kAudioModeLayout, layouts.audioModeShown},
    };
    for (const auto& [name, visible] : shown) {
        if (auto* layout = find<QWidget>(name))
            layout->setVisible(visible);
    }
    if (auto* colour = find<QWidget>(rules::kLightColourLayout))
        colour->setEnabled(layouts.colourEnabled);
}

// A chosen colour replaces the seven colours.
void CLightControlUI::takeColour(const QColor& colour)
{
    m_light.red = static_cast<std::uint8_t>(colour.red());
    m_light.green = static_cast<std::uint8_t>(colour.green());
    m_light.blue = static_cast<std::uint8_t>(colour.blue());
    m_light.multiColor = 0;
    m_showing = true;
    showColour(colour);
    if (m_sevenColour)
        m_sevenColour->setChecked(false);
    m_showing = false;
    changed();
}

void CLightControlUI::showColour(const QColor& colour)
{
    const std::array<int, 3> components{colour.red(), colour.green(), colour.blue()};
    for (std::size_t i = 0; i < m_edits.size(); ++i) {
        if (m_edits[i])
            m_edits[i]->setText(QString::number(components[i]));
    }
    if (m_palette)
        m_palette->setSelectedColour(colour);
    if (m_colourButton)
        m_colourButton->setStyleSheet(buttonStyle(colour));
}

void CLightControlUI::takeEdits()
{
    const std::array<std::uint8_t, 3> current{m_light.red, m_light.green, m_light.blue};
    std::array<int, 3> components{};
    for (std::size_t i = 0; i < m_edits.size(); ++i) {
        components[i] = m_edits[i] ? rules::componentFromText(m_edits[i]->text().trimmed().toStdString())
                                   : current[i];
    }
    takeColour(QColor(components[0], components[1], components[2]));
}

void CLightControlUI::setDirection(bool left)
{
    m_light.direction = left ? 1 : 0;
    if (m_left)
        m_left->setChecked(left);
    if (m_right)
        m_right->setChecked(!left);
    changed();
}

void CLightControlUI::changed()
{
    emit lightChanged(m_light);
}

}  // namespace kestrion::ui
