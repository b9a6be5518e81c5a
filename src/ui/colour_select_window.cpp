#include "ui/colour_select_window.h"

#include <QAbstractButton>
#include <QLineEdit>

#include "editors/light_rules.h"
#include "ui/colour_palette.h"
#include "ui/language_manager.h"
#include "ui/skin.h"

namespace kestrion::ui {

namespace {

namespace rules = lighting_editor;

constexpr const char* kLayout = "XML_COLOR";
constexpr const char* kPresetColour = "presetColour";
constexpr std::array<const char*, 3> kEditNames{"color_edit_r", "color_edit_g", "color_edit_b"};
constexpr const char* kSevenColourStyle =
    "background: qlineargradient(x1:0, y1:0, x2:1, y2:0, stop:0 #ff0000, stop:0.33 #00ff00, "
    "stop:0.66 #0000ff, stop:1 #ff00ff);";

QString numbered(const char* prefix, int index)
{
    return QString::fromLatin1(prefix) + QString::number(index);
}

QColor colourOf(std::uint32_t word)
{
    return QColor(rules::redOf(word), rules::greenOf(word), rules::blueOf(word));
}

std::uint32_t wordOf(const QColor& colour)
{
    return rules::colourWord(static_cast<std::uint8_t>(colour.red()), static_cast<std::uint8_t>(colour.green()),
                             static_cast<std::uint8_t>(colour.blue()));
}

QString fillStyle(std::uint32_t word, bool border)
{
    return QStringLiteral("QPushButton { background-color: %1; border: %2; }"
                          " QPushButton:checked { border: 2px solid #2ee6d6; }")
        .arg(colourOf(word).name(), border ? QStringLiteral("1px solid #4a5261") : QStringLiteral("0"));
}

}  // namespace

CColorSelectWnd::CColorSelectWnd(const UiResources& resources, ColourOptionsFile file, QWidget* owner)
    : QDialog(owner, Qt::Tool | Qt::FramelessWindowHint), m_file(std::move(file))
{
    setObjectName("ColorSelectWnd");
    setWindowTitle(QStringLiteral("PalletDialog"));
    setModal(true);
    m_root = resources.skin.buildInto(kLayout, resources.factory, *this);
    if (!m_root)
        return;
    resources.language.apply(m_root);
    m_baseSize = m_root->size();
    bindControls();
    m_options = m_file.load();
    showOptions();
    setScale(m_dpi);
}

void CColorSelectWnd::bindControls()
{
    m_palette = m_root->findChild<CColourPaletteUI*>("Pallet");
    m_show = m_root->findChild<QAbstractButton*>("color_show_btn");
    m_sevenColour = m_root->findChild<QAbstractButton*>("7color");
    if (m_palette) {
        connect(m_palette, &CColourPaletteUI::colourChanged, this, [this](const QColor& colour) {
            m_current = wordOf(colour);
            showEdits();
            takeColour();
        });
    }
    for (std::size_t i = 0; i < m_edits.size(); ++i) {
        m_edits[i] = m_root->findChild<QLineEdit*>(kEditNames[i]);
        if (m_edits[i])
            connect(m_edits[i], &QLineEdit::textEdited, this, &CColorSelectWnd::takeEdits);
    }
    for (int i = 0; i < ColourOptions::kPresetCount; ++i) {
        m_presets[i] = m_root->findChild<QAbstractButton*>(numbered("color_option_", i));
        if (!m_presets[i])
            continue;
        m_presets[i]->setStyleSheet(fillStyle(wordOf(QColor(m_presets[i]->property(kPresetColour).toString())), true));
        connect(m_presets[i], &QAbstractButton::clicked, this, [this, i] { choosePreset(i); });
    }
    for (int i = 0; i < ColourOptions::kSlotCount; ++i) {
        m_slots[i] = m_root->findChild<QAbstractButton*>(numbered("collect_color_option_", i));
        if (m_slots[i])
            connect(m_slots[i], &QAbstractButton::clicked, this, [this, i] { chooseSlot(i); });
    }
    if (m_sevenColour) {
        connect(m_sevenColour, &QAbstractButton::toggled, this, [this](bool on) {
            m_sevenFlag = on;
            showCurrent();
        });
    }
    for (auto* button : m_root->findChildren<QAbstractButton*>()) {
        const QString name = button->objectName();
        if (name == QLatin1String("okbtn") || name == QLatin1String("closebtn") || name == QLatin1String("laterbtn"))
            connect(button, &QAbstractButton::clicked, this, [this, name] { finish(name); });
    }
}

// The presets as the file last saw them, and the collected colours; no slot is selected.
void CColorSelectWnd::showOptions()
{
    for (int i = 0; i < ColourOptions::kPresetCount; ++i) {
        if (m_presets[i])
            m_options.presets[i] = wordOf(QColor(m_presets[i]->property(kPresetColour).toString()));
    }
    if (QAbstractButton* preset = m_presets[m_options.presetIndex])
        preset->setChecked(true);
    for (int i = 0; i < ColourOptions::kSlotCount; ++i)
        showSlot(i);
}

void CColorSelectWnd::showSlot(int index)
{
    QAbstractButton* slot = m_slots[index];
    if (!slot)
        return;
    const ColourOptions::Slot& kept = m_options.collectedSlots[index];
    slot->setStyleSheet(fillStyle(kept.collected ? kept.colour : 0xFFFFFFFF, !kept.collected));
    slot->setChecked(m_slotSelected && index == m_options.slotIndex);
}

void CColorSelectWnd::setScale(int dpi)
{
    m_dpi = CMsgWnd::acceptedDpi(dpi);
    if (!m_baseSize.isEmpty())
        setFixedSize(m_baseSize * m_dpi / 96);
}

void CColorSelectWnd::setColour(std::uint32_t colour)
{
    m_current = colour;
    if (m_palette)
        m_palette->setSelectedColour(colourOf(colour));
    showEdits();
    m_sevenFlag = false;
    showCurrent();
}

void CColorSelectWnd::enableSevenColour(bool enable)
{
    if (QWidget* layout = m_root ? m_root->findChild<QWidget*>("7color_layout") : nullptr)
        layout->setVisible(enable);
    if (!m_sevenColour)
        return;
    m_sevenColour->setEnabled(enable);
    if (!enable)
        m_sevenColour->setChecked(false);
}

int CColorSelectWnd::showModal()
{
    if (!isBuilt())
        return kCancelled;
    if (parentWidget())
        move(parentWidget()->geometry().center() - rect().center());
    return exec();
}

std::uint32_t CColorSelectWnd::chosenColour() const
{
    return m_show ? m_shown : 0;
}

void CColorSelectWnd::choosePreset(int index)
{
    m_options.presetIndex = index;
    m_file.save(m_options);
    m_current = m_options.presets[index];
    if (m_palette)
        m_palette->setSelectedColour(colourOf(m_current));
    showEdits();
    takeColour();
}

void CColorSelectWnd::chooseSlot(int index)
{
    m_options.slotIndex = index;
    m_slotSelected = true;
    for (int i = 0; i < ColourOptions::kSlotCount; ++i)
        showSlot(i);
    const ColourOptions::Slot& slot = m_options.collectedSlots[index];
    if (!slot.collected)
        return;
    m_file.save(m_options);
    m_current = slot.colour;
    if (m_palette)
        m_palette->setSelectedColour(colourOf(m_current));
    m_sevenFlag = false;
    if (m_sevenColour)
        m_sevenColour->setChecked(false);
    showEdits();
    showCurrent();
}

void CColorSelectWnd::takeEdits()
{
    std::array<std::uint8_t, 3> components{};
    for (std::size_t i = 0; i < m_edits.size(); ++i)
        components[i] = m_edits[i] ? rules::componentFromText(m_edits[i]->text().trimmed().toStdString()) : 0;
    m_current = rules::colourWord(components[0], components[1], components[2]);
    if (m_palette)
        m_palette->setSelectedColour(colourOf(m_current));
    takeColour();
}

// A selected collected slot takes the colour; the colour button shows it.
void CColorSelectWnd::takeColour()
{
    if (m_slotSelected) {
        ColourOptions::Slot& slot = m_options.collectedSlots[m_options.slotIndex];
        slot.colour = m_current;
        slot.collected = true;
        showSlot(m_options.slotIndex);
        m_file.save(m_options);
    }
    m_sevenFlag = false;
    if (m_sevenColour)
        m_sevenColour->setChecked(false);
    showCurrent();
}

void CColorSelectWnd::showEdits()
{
    const std::array<int, 3> components{rules::redOf(m_current), rules::greenOf(m_current), rules::blueOf(m_current)};
    for (std::size_t i = 0; i < m_edits.size(); ++i) {
        if (m_edits[i])
            m_edits[i]->setText(QString::number(components[i]));
    }
}

void CColorSelectWnd::showCurrent()
{
    m_shown = m_current;
    if (m_show)
        m_show->setStyleSheet(m_sevenFlag ? QString::fromLatin1(kSevenColourStyle) : fillStyle(m_current, true));
}

void CColorSelectWnd::finish(const QString& name)
{
    if (name == QLatin1String("okbtn"))
        done(m_palette ? kConfirmed : kNoPalette);
    else
        done(kCancelled);
}

}  // namespace kestrion::ui
