#include "ui/custom_light_editor.h"

#include <QAbstractButton>
#include <QColor>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QSpinBox>

#include <array>

#include "editors/custom_light_lists.h"

namespace kestrion::ui {

namespace {

constexpr const char* kGroup = "light_custom_group";
constexpr const char* kListChoice = "light_combo_custommodeSelect";
constexpr const char* kName = "light_custom_name_edit";
constexpr const char* kNew = "light_custom_new_btn";
constexpr const char* kRename = "light_custom_rename_btn";
constexpr const char* kDelete = "light_custom_delete_btn";
constexpr const char* kFrameList = "light_custom_frame_list";
constexpr const char* kFrameEffect = "light_custom_frame_effect";
constexpr const char* kFrameTime = "light_custom_frame_time";
constexpr const char* kFrameAdd = "light_custom_frame_add_btn";
constexpr const char* kFrameRemove = "light_custom_frame_remove_btn";
constexpr const char* kFrameTake = "light_custom_frame_take_btn";
constexpr const char* kItemTextIds = "itemTextIds";

constexpr const char* kDamagedText = "light_custom_damaged_text";
constexpr const char* kStartOverText = "light_custom_start_over_text";
constexpr const char* kWriteFailedText = "light_custom_write_failed_text";
constexpr const char* kNameMissingText = "light_custom_name_missing_text";
constexpr const char* kDeleteAskText = "light_custom_delete_ask_text";

// The effects a frame can play, by their mode number, named as the lighting modes are.
struct FrameEffect {
    std::uint8_t mode;
    const char* textId;
};
constexpr std::array kFrameEffects{
    FrameEffect{0, "light_mode_static_text"},
    FrameEffect{1, "light_mode_breathing_text"},
    FrameEffect{2, "light_mode_wave_text"},
    FrameEffect{4, "light_mode_ring_wave_text"},
    FrameEffect{5, "light_mode_breathing_cycle_text"},
};

template <typename T>
T* child(QWidget& root, const char* name)
{
    return root.findChild<T*>(QString::fromLatin1(name));
}

int effectRow(std::uint8_t mode)
{
    for (std::size_t i = 0; i < kFrameEffects.size(); ++i) {
        if (kFrameEffects[i].mode == mode)
            return static_cast<int>(i);
    }
    return 0;
}

}  // namespace

CCustomLightEditor::CCustomLightEditor(QWidget& root, QObject* parent) : QObject(parent)
{
    bindControls(root);
}

void CCustomLightEditor::bindControls(QWidget& root)
{
    m_group = child<QWidget>(root, kGroup);
    m_listChoice = child<QComboBox>(root, kListChoice);
    m_name = child<QLineEdit>(root, kName);
    m_frameList = child<QListWidget>(root, kFrameList);
    m_frameEffect = child<QComboBox>(root, kFrameEffect);
    m_frameTime = child<QSpinBox>(root, kFrameTime);
    if (!m_group || !m_listChoice || !m_name || !m_frameList || !m_frameEffect || !m_frameTime) {
        m_group = nullptr;
        return;
    }
    m_group->setVisible(false);
    fillEffects();
    const std::pair<const char*, void (CCustomLightEditor::*)()> buttons[] = {
        {kNew, &CCustomLightEditor::createList},         {kRename, &CCustomLightEditor::renameList},
        {kDelete, &CCustomLightEditor::removeList},      {kFrameAdd, &CCustomLightEditor::addFrame},
        {kFrameRemove, &CCustomLightEditor::removeFrame}, {kFrameTake, &CCustomLightEditor::takeLightIntoFrame},
    };
    for (const auto& [name, action] : buttons) {
        if (auto* button = child<QAbstractButton>(root, name))
            connect(button, &QAbstractButton::clicked, this, action);
    }
    connect(m_listChoice, &QComboBox::activated, this, [this](int index) {
        showFrames();
        emit listChosen(index);
    });
    connect(m_frameList, &QListWidget::currentRowChanged, this, &CCustomLightEditor::showFrame);
    connect(m_frameEffect, &QComboBox::activated, this, &CCustomLightEditor::frameFieldsChanged);
    connect(m_frameTime, &QSpinBox::editingFinished, this, &CCustomLightEditor::frameFieldsChanged);
}

void CCustomLightEditor::fillEffects()
{
    QStringList ids;
    for (const FrameEffect& effect : kFrameEffects) {
        m_frameEffect->addItem(QString::fromLatin1(effect.textId));
        ids.append(QString::fromLatin1(effect.textId));
    }
    m_frameEffect->setProperty(kItemTextIds, ids);
}

void CCustomLightEditor::setLists(CustomLightLists* lists, Hooks hooks)
{
    m_lists = lists;
    m_hooks = std::move(hooks);
    if (!available())
        return;
    m_group->setVisible(lists != nullptr);
    if (!lists)
        return;
    if (lists->load() == CustomLightLists::State::Damaged && m_hooks.notice)
        m_hooks.notice(QString::fromLatin1(kDamagedText));
    showLists(0);
}

void CCustomLightEditor::showGroup(int group)
{
    if (available() && m_lists && group != listIndex())
        showLists(group);
}

void CCustomLightEditor::showLists(int selected)
{
    m_showing = true;
    m_listChoice->clear();
    for (const std::string& name : m_lists->names())
        m_listChoice->addItem(QString::fromStdString(name));
    m_listChoice->setCurrentIndex(selected < m_listChoice->count() ? selected : m_listChoice->count() - 1);
    m_showing = false;
    showFrames();
}

void CCustomLightEditor::showFrames()
{
    m_frames = m_lists ? m_lists->effects(listIndex()) : std::vector<LedEffect>{};
    const int row = m_frameList->currentRow();
    m_showing = true;
    m_frameList->clear();
    for (const LedEffect& effect : m_frames) {
        auto* item = new QListWidgetItem(frameLabel(effect), m_frameList);
        item->setData(Qt::DecorationRole, QColor(effect.red, effect.green, effect.blue));
    }
    m_showing = false;
    m_frameList->setCurrentRow(std::min(row, static_cast<int>(m_frames.size()) - 1));
    showFrame(m_frameList->currentRow());
}

void CCustomLightEditor::showFrame(int row)
{
    if (m_showing || row < 0 || row >= static_cast<int>(m_frames.size()))
        return;
    m_showing = true;
    m_frameEffect->setCurrentIndex(effectRow(m_frames[row].mode));
    m_frameTime->setValue(m_frames[row].time);
    m_showing = false;
}

QString CCustomLightEditor::frameLabel(const LedEffect& effect) const
{
    return QStringLiteral("%1 · %2 ms").arg(m_frameEffect->itemText(effectRow(effect.mode))).arg(effect.time);
}

// A damaged configuration is written over only when the user agrees.
bool CCustomLightEditor::usable()
{
    if (!m_lists)
        return false;
    if (m_lists->state() != CustomLightLists::State::Damaged)
        return true;
    if (!m_hooks.ask || !m_hooks.ask(QString::fromLatin1(kStartOverText)))
        return false;
    m_lists->startOver();
    return true;
}

void CCustomLightEditor::createList()
{
    const QString name = m_name->text().trimmed();
    if (name.isEmpty()) {
        if (m_hooks.notice)
            m_hooks.notice(QString::fromLatin1(kNameMissingText));
        return;
    }
    if (!usable())
        return;
    if (!m_lists->create(name.toStdString(), {})) {
        if (m_hooks.notice)
            m_hooks.notice(QString::fromLatin1(kWriteFailedText));
        return;
    }
    m_name->clear();
    showLists(m_lists->count() - 1);
    emit listsEdited(-1);
    emit listChosen(listIndex());
}

void CCustomLightEditor::renameList()
{
    const QString name = m_name->text().trimmed();
    const int index = listIndex();
    if (index < 0 || !usable())
        return;
    if (name.isEmpty()) {
        if (m_hooks.notice)
            m_hooks.notice(QString::fromLatin1(kNameMissingText));
        return;
    }
    if (!m_lists->rename(index, name.toStdString())) {
        if (m_hooks.notice)
            m_hooks.notice(QString::fromLatin1(kWriteFailedText));
        return;
    }
    m_name->clear();
    showLists(index);
    emit listsEdited(-1);
}

void CCustomLightEditor::removeList()
{
    const int index = listIndex();
    if (index < 0 || !usable() || !m_hooks.ask || !m_hooks.ask(QString::fromLatin1(kDeleteAskText)))
        return;
    if (!m_lists->remove(index)) {
        if (m_hooks.notice)
            m_hooks.notice(QString::fromLatin1(kWriteFailedText));
        return;
    }
    showLists(std::max(index - 1, 0));
    emit listsEdited(index);
}

void CCustomLightEditor::addFrame()
{
    if (listIndex() < 0 || !usable())
        return;
    LedEffect effect{};
    effect.mode = kFrameEffects[static_cast<std::size_t>(std::max(m_frameEffect->currentIndex(), 0))].mode;
    effect.time = m_frameTime->value();
    copyCurrentLight(effect);
    m_frames.push_back(effect);
    if (writeFrames())
        m_frameList->setCurrentRow(static_cast<int>(m_frames.size()) - 1);
}

void CCustomLightEditor::removeFrame()
{
    const int row = frameIndex();
    if (row < 0 || !usable())
        return;
    m_frames.erase(m_frames.begin() + row);
    writeFrames();
}

void CCustomLightEditor::takeLightIntoFrame()
{
    const int row = frameIndex();
    if (row < 0 || !usable())
        return;
    copyCurrentLight(m_frames[static_cast<std::size_t>(row)]);
    writeFrames();
}

void CCustomLightEditor::frameFieldsChanged()
{
    const int row = frameIndex();
    if (m_showing || row < 0 || !usable())
        return;
    LedEffect& frame = m_frames[static_cast<std::size_t>(row)];
    const auto mode = kFrameEffects[static_cast<std::size_t>(std::max(m_frameEffect->currentIndex(), 0))].mode;
    const auto time = static_cast<std::int32_t>(m_frameTime->value());
    if (frame.mode == mode && frame.time == time)
        return;
    frame.mode = mode;
    frame.time = time;
    writeFrames();
}

void CCustomLightEditor::copyCurrentLight(LedEffect& effect) const
{
    if (!m_hooks.currentLight)
        return;
    const LightInfo light = m_hooks.currentLight();
    effect.brightness = light.brightness;
    effect.speed = light.speed;
    effect.direction = light.direction;
    effect.multiColor = light.multiColor;
    effect.red = light.red;
    effect.green = light.green;
    effect.blue = light.blue;
}

// The frames shown are the ones on disk: a failed write is told and the list shown as it stands.
bool CCustomLightEditor::writeFrames()
{
    const bool written = m_lists->setEffects(listIndex(), m_frames);
    if (!written && m_hooks.notice)
        m_hooks.notice(QString::fromLatin1(kWriteFailedText));
    showFrames();
    if (written)
        emit listsEdited(-1);
    return written;
}

int CCustomLightEditor::listIndex() const
{
    return m_listChoice ? m_listChoice->currentIndex() : -1;
}

int CCustomLightEditor::frameIndex() const
{
    const int row = m_frameList ? m_frameList->currentRow() : -1;
    return row < static_cast<int>(m_frames.size()) ? row : -1;
}

}  // namespace kestrion::ui
