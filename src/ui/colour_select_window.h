#pragma once

#include <QDialog>

#include <array>
#include <cstdint>

#include "editors/colour_options.h"
#include "ui/message_box.h"

class QAbstractButton;
class QLineEdit;

namespace kestrion::ui {

class CColourPaletteUI;

// The modal colour picker ("XML_COLOR"): a palette, twenty presets, twenty collected colours and
// three component edits. A colour chosen while a collected slot is selected fills that slot.
// The presets, the last preset and the collected colours are kept in the options file.
class CColorSelectWnd : public QDialog {
    Q_OBJECT
public:
    static constexpr int kConfirmed = 1;
    static constexpr int kNoPalette = 2;
    static constexpr int kCancelled = 0;

    CColorSelectWnd(const UiResources& resources, ColourOptionsFile file, QWidget* owner);

    bool isBuilt() const { return m_root != nullptr; }
    // 48, 72, 96, 120, 144, 168 or 192; anything else becomes 96.
    void setScale(int dpi);
    int scale() const { return m_dpi; }
    void setColour(std::uint32_t colour);
    void enableSevenColour(bool enable);
    // Runs the window modally: 1 confirmed, 0 closed or cancelled.
    int showModal();
    // The colour of "color_show_btn"; 0 without it.
    std::uint32_t chosenColour() const;
    const ColourOptions& options() const { return m_options; }

private:
    void bindControls();
    void showOptions();
    void choosePreset(int index);
    void chooseSlot(int index);
    void takeEdits();
    void takeColour();
    void showEdits();
    void showCurrent();
    void showSlot(int index);
    void finish(const QString& name);

    ColourOptionsFile m_file;
    ColourOptions m_options;
    QWidget* m_root = nullptr;
    CColourPaletteUI* m_palette = nullptr;
    QAbstractButton* m_show = nullptr;
    QAbstractButton* m_sevenColour = nullptr;
    std::array<QLineEdit*, 3> m_edits{};
    std::array<QAbstractButton*, ColourOptions::kPresetCount> m_presets{};
    std::array<QAbstractButton*, ColourOptions::kSlotCount> m_slots{};
    std::uint32_t m_current = 0xFF000000;
    std::uint32_t m_shown = 0;
    int m_dpi = 96;
    bool m_slotSelected = false;
    bool m_sevenFlag = false;
    QSize m_baseSize;
};

}  // namespace kestrion::ui
