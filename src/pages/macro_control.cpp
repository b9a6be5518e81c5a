#include "pages/macro_control.h"

#include <QAbstractButton>
#include <QElapsedTimer>
#include <QHBoxLayout>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QRegularExpressionValidator>
#include <QStyle>
#include <QTimer>

#include <algorithm>
#include <climits>
#include <memory>

#include "editors/macro_key_names.h"
#include "platform/json_access.h"
#include "ui/language_manager.h"

namespace kestrion {
namespace {

constexpr int kRowHeight = 30;
constexpr int kDelayHeight = 25;
constexpr int kDelayChars = 6;
constexpr int kMinDelay = 10;
constexpr int kMaxDelay = 65535;
constexpr int kScrollDelayMs = 50;

constexpr const char* kEditOnlyControls[] = {"macro_action_layout", "mouse_move_layout", "macro_btn_export",
                                             "macro_btn_name_sub", "macro_btn_name_edit"};

// Controls that would change the macro under the recorder.
constexpr const char* kRecordingLockedControls[] = {
    "macro_btn_up",       "macro_btn_down", "macro_btn_uptop",  "macro_btn_downbottom", "macro_btn_delete",
    "macro_btn_deleteall", "macro_btn_save", "macro_btn_cancel", "mouse_move_layout",
};

struct NamedButton {
    int bit;
    const char* nameId;
};

constexpr NamedButton kButtonNames[] = {
    {kButtonLeft, "mouse_key_left"},     {kButtonRight, "mouse_key_right"}, {kButtonMiddle, "mouse_key_middle"},
    {kButtonForward, "mouse_key_forward"}, {kButtonBack, "mouse_key_back"},
};

struct MoveName {
    MacroEventType type;
    bool down;
    const char* nameId;
};

constexpr MoveName kMoveNames[] = {
    {MacroEventType::MoveHorizontal, true, "mouse_move_to_left_text"},
    {MacroEventType::MoveHorizontal, false, "mouse_move_to_right_text"},
    {MacroEventType::MoveVertical, true, "mouse_move_to_up_text"},
    {MacroEventType::MoveVertical, false, "mouse_move_to_down_text"},
};

struct MoveControl {
    const char* button;
    const char* edit;
    PointerMove move;
};

constexpr MoveControl kMoveControls[] = {
    {"macro_inset_moveleftkey_btn", "mouse_x_left_edit", PointerMove::Left},
    {"macro_inset_moverightkey_btn", "mouse_x_right_edit", PointerMove::Right},
    {"macro_inset_moveupkey_btn", "mouse_y_up_edit", PointerMove::Up},
    {"macro_inset_movedownkey_btn", "mouse_y_down_edit", PointerMove::Down},
};

struct RowMove {
    const char* button;
    bool (MacroRows::*move)();
};

constexpr RowMove kRowMoves[] = {
    {"macro_btn_up", &MacroRows::moveUp},
    {"macro_btn_down", &MacroRows::moveDown},
    {"macro_btn_uptop", &MacroRows::moveTop},
    {"macro_btn_downbottom", &MacroRows::moveBottom},
};

// Items of the row menu: mouse buttons inserted by hand ...
struct ButtonItem {
    const char* name;
    int bit;
    bool down;
    bool up;
};

constexpr ButtonItem kButtonItems[] = {
    {"left_down", kButtonLeft, true, false},       {"left_up", kButtonLeft, false, true},
    {"left_click", kButtonLeft, true, true},       {"right_down", kButtonRight, true, false},
    {"right_up", kButtonRight, false, true},       {"right_click", kButtonRight, true, true},
    {"middle_down", kButtonMiddle, true, false},   {"middle_up", kButtonMiddle, false, true},
    {"middle_click", kButtonMiddle, true, true},   {"forward_down", kButtonForward, true, false},
    {"forward_up", kButtonForward, false, true},   {"forward_click", kButtonForward, true, true},
    {"back_down", kButtonBack, true, false},       {"back_up", kButtonBack, false, true},
    {"back_click", kButtonBack, true, true},
};

// ... and recordings around or over the selected row. A mode left empty follows the fixed-delay
// option.
struct RecordItem {
    const char* name;
    std::optional<DelayMode> mode;
    Placement placement;
};

constexpr RecordItem kRecordItems[] = {
    {"redio_previous_record_time", std::nullopt, Placement::Before},
    {"redio_previous_constant_time", DelayMode::Fixed, Placement::Before},
    {"redio_previous_ignore_time", DelayMode::None, Placement::Before},
    {"redio_later_record_time", std::nullopt, Placement::After},
    {"redio_later_constant_time", DelayMode::Fixed, Placement::After},
    {"redio_later_ignore_time", DelayMode::None, Placement::After},
    {"macro_action_edit", DelayMode::None, Placement::Replace},
};

struct CapturedButton {
    Qt::MouseButton button;
    int bit;
};

constexpr CapturedButton kCapturedButtons[] = {
    {Qt::LeftButton, kButtonLeft},       {Qt::RightButton, kButtonRight},   {Qt::MiddleButton, kButtonMiddle},
    {Qt::BackButton, kButtonBack},       {Qt::ForwardButton, kButtonForward},
};

int buttonBitOf(Qt::MouseButton button)
{
    for (const CapturedButton& row : kCapturedButtons) {
        if (row.button == button)
            return row.bit;
    }
    return 0;
}

QString textId(const char* name)
{
    return QString::fromLatin1(name) + QStringLiteral("_text");
}

MacroRecorder::Clock steadyClock()
{
    auto timer = std::make_shared<QElapsedTimer>();
    timer->start();
    return [timer] { return static_cast<std::int64_t>(timer->elapsed()); };
}

bool isDown(const Json::Value& event)
{
    return textOf(memberOf(event, "Action")) == "down";
}

bool isKeyEvent(int type)
{
    return type == static_cast<int>(MacroEventType::Key) || type == static_cast<int>(MacroEventType::Modifier);
}

}  // namespace

QString macroEventNameId(const Json::Value& event)
{
    const std::optional<std::int64_t> type = integerWithin(memberOf(event, "Type"), 0, INT_MAX);
    const std::optional<std::int64_t> button = integerWithin(memberOf(event, "Button"), 0, INT_MAX);
    if (!type || !button)
        return {};
    const bool down = isDown(event);
    if (isKeyEvent(static_cast<int>(*type)))
        return QString::fromLatin1(macroKeyNameId(static_cast<MacroEventType>(*type), static_cast<int>(*button)));
    if (*type == static_cast<int>(MacroEventType::MouseButton)) {
        for (const NamedButton& row : kButtonNames) {
            if (row.bit == *button)
                return QString::fromLatin1(row.nameId);
        }
        return {};
    }
    for (const MoveName& row : kMoveNames) {
        if (static_cast<int>(row.type) == *type && row.down == down)
            return QString::fromLatin1(row.nameId);
    }
    return {};
}

CMacroControlUI::CMacroControlUI(QWidget& root, std::filesystem::path macroFolder,
                                 const ui::LanguageManager* language, MacroPageHooks hooks,
                                 MacroRecorder::Clock clock)
    : QObject(&root),
      m_root(root),
      m_language(language),
      m_hooks(std::move(hooks)),
      m_library(std::move(macroFolder)),
      m_recorder(m_rows, macroKeyOfScanCode, clock ? std::move(clock) : steadyClock()),
      m_names(child<QListWidget>("macro_name_list")),
      m_list(child<QListWidget>("macro_action_list"))
{
    setObjectName(QStringLiteral("MacroControlItem"));
    if (auto* fixed = child<QLineEdit>("macro_fixed_time_edit"))
        fixed->setValidator(new QIntValidator(0, 999999, fixed));
    bindButtons();
    bindMenu();
    setEditingState(true);
    loadLibrary();
}

CMacroControlUI::~CMacroControlUI() = default;

template <typename T>
T* CMacroControlUI::child(const char* name) const
{
    return m_root.findChild<T*>(QString::fromLatin1(name));
}

void CMacroControlUI::bindButtons()
{
    const std::pair<const char*, void (CMacroControlUI::*)()> actions[] = {
        {"macro_btn_name_add", &CMacroControlUI::addMacro},
        {"macro_btn_name_edit", &CMacroControlUI::renameMacro},
        {"macro_btn_name_sub", &CMacroControlUI::deleteMacro},
        {"macro_btn_import", &CMacroControlUI::importMacro},
        {"macro_btn_export", &CMacroControlUI::exportMacro},
        {"macro_btn_save", &CMacroControlUI::saveMacro},
        {"macro_btn_delete", &CMacroControlUI::deleteRow},
        {"macro_btn_deleteall", &CMacroControlUI::deleteAllRows},
        {"macro_tab_macrodelay_edit", &CMacroControlUI::setAllDelays},
        {"macro_btn_stopredio", &CMacroControlUI::stopRecording},
    };
    for (const auto& [name, action] : actions) {
        if (auto* button = child<QAbstractButton>(name))
            connect(button, &QAbstractButton::clicked, this, action);
    }
    if (auto* cancel = child<QAbstractButton>("macro_btn_cancel"))
        connect(cancel, &QAbstractButton::clicked, this, [this] { selectMacro(selectedMacro()); });
    for (const RowMove& row : kRowMoves) {
        if (auto* button = child<QAbstractButton>(row.button))
            connect(button, &QAbstractButton::clicked, this, [this, move = row.move] { moveRow(move); });
    }
    for (const MoveControl& row : kMoveControls) {
        if (auto* button = child<QAbstractButton>(row.button))
            connect(button, &QAbstractButton::clicked, this, [this, move = row.move] { insertPointerMove(move); });
    }
    if (auto* start = child<QAbstractButton>("macro_btn_starredio")) {
        connect(start, &QAbstractButton::clicked, this, [this] { startRecording(DelayMode::Recorded, Placement::Append); });
    }
    if (auto* insert = child<QAbstractButton>("macro_tab_macroaction_edit")) {
        connect(insert, &QAbstractButton::clicked, this,
                [this, insert] { openRowMenu(insert->mapToGlobal(QPoint(0, insert->height()))); });
    }
    if (m_names) {
        connect(m_names, &QListWidget::currentRowChanged, this, [this](int row) {
            if (row >= 0)
                selectMacro(row);
        });
    }
    if (m_list) {
        m_list->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(m_list, &QListWidget::currentRowChanged, this, [this](int row) { m_rows.select(row); });
        connect(m_list, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
            if (QListWidgetItem* item = m_list->itemAt(at)) {
                m_list->setCurrentItem(item);
                openRowMenu(m_list->viewport()->mapToGlobal(at));
            }
        });
    }
}

void CMacroControlUI::bindMenu()
{
    m_menu = new QMenu(&m_root);
    m_menu->setObjectName(QStringLiteral("macro_action_menu"));
    auto addItem = [this](QMenu* menu, const char* name) {
        QAction* action = menu->addAction(m_language ? m_language->text(textId(name)) : textId(name));
        action->setObjectName(QString::fromLatin1(name));
        connect(action, &QAction::triggered, this, [this, name] { runMenuItem(QString::fromLatin1(name)); });
    };
    for (const ButtonItem& item : kButtonItems)
        addItem(m_menu, item.name);
    m_menu->addSeparator();
    for (const RecordItem& item : kRecordItems)
        addItem(m_menu, item.name);
}

void CMacroControlUI::openRowMenu(const QPoint& globalPos)
{
    if (isRecording())
        return;
    m_menu->close();
    m_menu->popup(globalPos);
}

void CMacroControlUI::runMenuItem(const QString& name)
{
    for (const ButtonItem& item : kButtonItems) {
        if (name == QLatin1String(item.name))
            return insertMouseButton(item.bit, item.down, item.up);
    }
    const bool fixedChosen = child<QAbstractButton>("macro_check_time")
        && child<QAbstractButton>("macro_check_time")->isChecked();
    for (const RecordItem& item : kRecordItems) {
        if (name == QLatin1String(item.name))
            return startRecording(item.mode.value_or(fixedChosen ? DelayMode::Fixed : DelayMode::Recorded),
                                  item.placement);
    }
}

int CMacroControlUI::selectedMacro() const
{
    return m_names ? m_names->currentRow() : -1;
}

void CMacroControlUI::loadLibrary()
{
    if (!m_library.load())
        tell(QStringLiteral("macro_library_damaged_text"));
    showNames();
    selectMacro(m_library.count() > 0 ? 0 : -1);
}

void CMacroControlUI::showNames()
{
    if (!m_names)
        return;
    const QSignalBlocker blocker(m_names);
    m_names->clear();
    for (int i = 0; i < m_library.count(); ++i) {
        const QString name = QString::fromStdString(m_library.nameAt(i));
        auto* item = new QListWidgetItem(name, m_names);
        item->setToolTip(name);
        item->setSizeHint(QSize(0, kRowHeight));
        item->setData(Qt::UserRole, QString::fromStdString(m_library.guidAt(i)));
    }
}

void CMacroControlUI::selectMacro(int index)
{
    if (m_names && m_names->currentRow() != index) {
        const QSignalBlocker blocker(m_names);
        m_names->setCurrentRow(index);
    }
    const bool exists = index >= 0 && index < m_library.count();
    setMacroControlsEnabled(exists);
    m_rows.clear();
    if (exists) {
        if (const std::optional<Json::Value> events = m_library.eventsAt(index))
            m_rows.load(*events);
        m_rows.select(m_rows.count() > 0 ? 0 : -1);
    }
    showRows();
    showMacroName();
}

void CMacroControlUI::showMacroName()
{
    if (auto* edit = child<QLineEdit>("macro_edit_macroname"))
        edit->setText(QString::fromStdString(m_library.nameAt(selectedMacro())));
}

void CMacroControlUI::setMacroControlsEnabled(bool enabled)
{
    for (const char* name : kEditOnlyControls) {
        if (auto* control = child<QWidget>(name))
            control->setEnabled(enabled);
    }
    if (auto* save = child<QWidget>("macro_btn_save"))
        save->setEnabled(enabled);
    if (auto* start = child<QWidget>("macro_btn_starredio"))
        start->setEnabled(enabled);
}

void CMacroControlUI::addMacro()
{
    if (!confirm(QStringLiteral("message_text_29")))
        return;
    switch (m_library.add()) {
    case MacroAddResult::Added:
        break;
    case MacroAddResult::LimitReached:
        return tell(QStringLiteral("message_text_33"));
    case MacroAddResult::WriteFailed:
        return tell(QStringLiteral("macro_write_failed_text"));
    }
    showNames();
    selectMacro(m_library.count() - 1);
    emit libraryChanged();
}

void CMacroControlUI::renameMacro()
{
    const int index = selectedMacro();
    auto* edit = child<QLineEdit>("macro_edit_macroname");
    if (index < 0 || !edit)
        return;
    const char* error = nullptr;
    switch (m_library.rename(index, edit->text().toStdString())) {
    case MacroRenameResult::Renamed:
        showNames();
        selectMacro(index);
        emit libraryChanged();
        return;
    case MacroRenameResult::NoMacro:
        return;
    case MacroRenameResult::LeadingSpace:
        error = "message_text_25";
        break;
    case MacroRenameResult::Blank:
        error = "message_text_5_1";
        break;
    case MacroRenameResult::Taken:
        error = "message_text_5";
        break;
    case MacroRenameResult::WriteFailed:
        error = "macro_write_failed_text";
        break;
    }
    tell(QString::fromLatin1(error));
    showMacroName();
}

void CMacroControlUI::deleteMacro()
{
    const int index = selectedMacro();
    if (index < 0 || !confirm(QStringLiteral("message_text_4")))
        return;
    if (m_hooks.macroInUse && m_hooks.macroInUse(index) && !confirm(QStringLiteral("message_text_2")))
        return;
    const MacroRemoveResult result = m_library.remove(index);
    if (result == MacroRemoveResult::NoMacro)
        return;
    if (result == MacroRemoveResult::WriteFailed)
        return tell(QStringLiteral("macro_write_failed_text"));
    if (result == MacroRemoveResult::ProfilesNotUpdated)
        tell(QStringLiteral("macro_write_failed_text"));
    showNames();
    selectMacro(m_library.count() > 0 ? 0 : -1);
    emit macroRemoved(index);
    emit libraryChanged();
}

void CMacroControlUI::importMacro()
{
    const QString path = m_hooks.chooseFile ? m_hooks.chooseFile(false) : QString();
    if (path.isEmpty())
        return;
    const MacroImportResult result = m_library.importMacro(path.toStdString());
    reportImport(result);
    if (result != MacroImportResult::Imported && result != MacroImportResult::Shortened)
        return;
    showNames();
    selectMacro(m_library.count() - 1);
    emit libraryChanged();
}

void CMacroControlUI::reportImport(MacroImportResult result)
{
    constexpr std::pair<MacroImportResult, const char*> kNotices[] = {
        {MacroImportResult::Shortened, "message_text_39"},
        {MacroImportResult::FileNameTooLong, "message_text_37"},
        {MacroImportResult::LimitReached, "message_text_33"},
        {MacroImportResult::NotAMacro, "macro_not_a_macro_text"},
        {MacroImportResult::WriteFailed, "macro_write_failed_text"},
    };
    for (const auto& [candidate, notice] : kNotices) {
        if (candidate == result)
            tell(QString::fromLatin1(notice));
    }
}

void CMacroControlUI::exportMacro()
{
    const int index = selectedMacro();
    if (index < 0)
        return;
    const QString path = m_hooks.chooseFile ? m_hooks.chooseFile(true) : QString();
    if (path.isEmpty())
        return;
    const MacroExportResult result = m_library.exportMacro(index, path.toStdString());
    if (result == MacroExportResult::NoFile)
        tell(QStringLiteral("macro_not_saved_text"));
    else if (result != MacroExportResult::Exported)
        tell(QStringLiteral("macro_write_failed_text"));
}

void CMacroControlUI::saveMacro()
{
    const int index = selectedMacro();
    if (index < 0)
        return;
    const bool shortened = m_rows.cutToLimit();
    const MacroSaveResult result = m_library.saveMacro(index, m_rows.events());
    if (shortened) {
        showRows();
        tell(QStringLiteral("message_text_26_1"));
    }
    if (result != MacroSaveResult::Saved && result != MacroSaveResult::Shortened)
        tell(QStringLiteral("macro_write_failed_text"));
}

void CMacroControlUI::selectRow(int index)
{
    m_rows.select(index);
    if (m_list) {
        const QSignalBlocker blocker(m_list);
        m_list->setCurrentRow(m_rows.selected());
    }
}

// Every edit ends saved, and the device gets the macros when a key plays them.
void CMacroControlUI::changed()
{
    showRows();
    saveMacro();
    emit deviceWriteWanted();
}

void CMacroControlUI::moveRow(bool (MacroRows::*move)())
{
    if ((m_rows.*move)())
        changed();
}

void CMacroControlUI::deleteRow()
{
    if (m_rows.deleteSelected())
        changed();
}

void CMacroControlUI::deleteAllRows()
{
    m_rows.deleteAll();
    changed();
}

void CMacroControlUI::insertMouseButton(int buttonBit, bool down, bool up)
{
    const int delay = m_fixedDelay;
    bool inserted = false;
    if (down)
        inserted = m_rows.insertAfterSelected(mouseButtonEvent(buttonBit, true, delay));
    if (up)
        inserted = m_rows.insertAfterSelected(mouseButtonEvent(buttonBit, false, delay)) || inserted;
    if (inserted) {
        changed();
        scrollToSelection();
    }
}

void CMacroControlUI::insertPointerMove(PointerMove move)
{
    const auto row = std::find_if(std::begin(kMoveControls), std::end(kMoveControls),
                                  [move](const MoveControl& candidate) { return candidate.move == move; });
    auto* edit = child<QLineEdit>(row->edit);
    const int distance = edit ? edit->text().toInt() : 0;
    if (m_rows.insertAfterSelected(pointerMoveEvent(move, distance, m_fixedDelay))) {
        changed();
        scrollToSelection();
    }
}

// An emptied cell is saved as 0 and shown as 10 next time; the edit's range holds typed values.
void CMacroControlUI::setRowDelay(int row, const QString& text)
{
    if (m_rows.setDelay(row, text.isEmpty() ? 0 : text.toInt())) {
        saveMacro();
        emit deviceWriteWanted();
    }
}

void CMacroControlUI::setAllDelays()
{
    if (m_rows.count() == 0)
        return;
    m_rows.setAllDelays(readFixedDelay());
    changed();
}

// The fixed-delay box, corrected into range with a notice.
int CMacroControlUI::readFixedDelay()
{
    auto* edit = child<QLineEdit>("macro_fixed_time_edit");
    if (!edit)
        return m_fixedDelay;
    const FixedDelay delay = MacroRecorder::readFixedDelay(edit->text().toStdString());
    if (delay.value != m_fixedDelay || delay.notice != FixedDelay::Notice::None) {
        if (delay.notice == FixedDelay::Notice::TooLarge)
            tell(QStringLiteral("message_text_38"));
        else if (delay.notice == FixedDelay::Notice::TooSmall)
            tell(QStringLiteral("message_text_36"));
        edit->setText(QString::number(delay.value));
        edit->setCursorPosition(static_cast<int>(edit->text().size()));
        m_fixedDelay = delay.value;
    }
    return m_fixedDelay;
}

void CMacroControlUI::startRecording(DelayMode mode, Placement placement)
{
    if (selectedMacro() < 0 || isRecording())
        return;
    if (placement == Placement::Append) {
        auto* fixed = child<QAbstractButton>("macro_check_time");
        mode = fixed && fixed->isChecked() ? DelayMode::Fixed : DelayMode::Recorded;
    }
    const int fixedDelay = mode == DelayMode::Fixed ? readFixedDelay() : m_fixedDelay;
    m_recorder.start(mode, placement, fixedDelay);
    m_capturePaused = false;
    setEditingState(false);
    emit captureRequested(static_cast<int>(placement));
}

void CMacroControlUI::stopRecording()
{
    if (!isRecording())
        return;
    m_recorder.stop();
    m_capturePaused = false;
    setEditingState(true);
    saveMacro();
    emit recordingFinished();
    emit deviceWriteWanted();
}

void CMacroControlUI::record(const RecordedInput& input)
{
    if (!isRecording())
        return;
    if (MacroRecorder::isStopClick(input))
        return stopRecording();
    if (!m_recorder.record(input))
        return;
    showRows();
    scrollToSelection();
}

void CMacroControlUI::recordCaptured(const CapturedInput& input)
{
    RecordedInput recorded;
    recorded.pressed = input.pressed;
    if (input.kind == CapturedInput::Kind::Key) {
        recorded.autoRepeat = input.autoRepeat;
        recorded.scanCode = input.scanCode;
        recorded.extended = input.extended;
    } else {
        recorded.kind = RecordedInput::Kind::MouseButton;
        recorded.buttonBit = buttonBitOf(input.button);
        recorded.onStopButton = isOnStopButton(input.globalPos);
    }
    record(recorded);
}

void CMacroControlUI::setCapturePaused(bool paused)
{
    m_capturePaused = paused;
    showRecordingState();
}

bool CMacroControlUI::isOnStopButton(const QPoint& globalPos) const
{
    auto* stop = child<QWidget>("macro_btn_stopredio");
    return stop && stop->isVisible() && QRect(stop->mapToGlobal(QPoint(0, 0)), stop->size()).contains(globalPos);
}

// While recording, only the stop button and the state line take part.
void CMacroControlUI::setEditingState(bool editing)
{
    for (const char* name : {"macro_name_tab", "macro_action_list"}) {
        if (auto* control = child<QWidget>(name))
            control->setAttribute(Qt::WA_TransparentForMouseEvents, !editing);
    }
    if (auto* insert = child<QWidget>("macro_tab_macroaction_edit"))
        insert->setEnabled(editing && m_rows.count() > 0);
    if (auto* delays = child<QWidget>("macro_tab_macrodelay_edit"))
        delays->setEnabled(editing);
    for (const char* name : kRecordingLockedControls) {
        if (auto* control = child<QWidget>(name))
            control->setEnabled(editing);
    }
    if (editing)
        setMacroControlsEnabled(selectedMacro() >= 0);
    if (auto* start = child<QWidget>("macro_btn_starredio"))
        start->setVisible(editing);
    if (auto* stop = child<QWidget>("macro_btn_stopredio"))
        stop->setVisible(!editing);
    showRecordingState();
}

void CMacroControlUI::showRecordingState()
{
    auto* state = child<QLabel>("macro_record_state");
    if (!state)
        return;
    state->setVisible(isRecording());
    setText(state, m_capturePaused ? QStringLiteral("macro_record_paused_text")
                                   : QStringLiteral("macro_recording_text"));
    state->setProperty("paused", m_capturePaused);
    // The style sheet picks its colour by that property.
    state->style()->unpolish(state);
    state->style()->polish(state);
}

void CMacroControlUI::scrollToSelection()
{
    QTimer::singleShot(kScrollDelayMs, this, [this] {
        if (m_list && m_list->currentItem())
            m_list->scrollToItem(m_list->currentItem());
    });
}

void CMacroControlUI::showRows()
{
    if (!m_list)
        return;
    const QSignalBlocker blocker(m_list);
    m_list->clear();
    for (int i = 0; i < m_rows.count(); ++i)
        addRowWidget(i);
    m_list->setCurrentRow(m_rows.selected());
    if (auto* edit = child<QWidget>("macro_tab_macroaction_edit"))
        edit->setEnabled(!isRecording() && m_rows.count() > 0);
}

void CMacroControlUI::addRowWidget(int index)
{
    auto* item = new QListWidgetItem(m_list);
    item->setSizeHint(QSize(0, kRowHeight));
    const MacroRow& row = m_rows.at(index);
    if (!row.event)
        return;
    const Json::Value& event = *row.event;
    auto* cells = new QWidget;
    cells->setObjectName(QStringLiteral("macro_action"));
    auto* layout = new QHBoxLayout(cells);
    layout->setContentsMargins(6, 0, 6, 0);
    layout->setAlignment(Qt::AlignVCenter);

    const auto type = static_cast<int>(integerWithin(memberOf(event, "Type"), 0, INT_MAX).value_or(0));
    auto* name = new QLabel(cells);
    name->setObjectName(QStringLiteral("macro_event_name"));
    name->setProperty("role", isKeyEvent(type) ? "macro_label_keyboard_style" : "macro_label_mouse_style");
    if (const QString id = macroEventNameId(event); !id.isEmpty())
        setText(name, id);

    auto* direction = new QLabel(cells);
    direction->setObjectName(QStringLiteral("macro_event_direction"));
    const bool move = type == static_cast<int>(MacroEventType::MoveHorizontal)
        || type == static_cast<int>(MacroEventType::MoveVertical);
    const bool down = isDown(event);
    if (move) {
        direction->setProperty("role", "macro_label_text_style");
        direction->setText(QString::number(integerOf(memberOf(event, "Button"))));
    } else {
        direction->setProperty("role", down ? "macro_label_down_style" : "macro_label_up_style");
        setText(direction, down ? QStringLiteral("macro_direction_down_text") : QStringLiteral("macro_direction_up_text"));
    }

    auto* delay = new QLineEdit(cells);
    delay->setObjectName(QStringLiteral("macro_delay"));
    delay->setProperty("role", "macro_label_text_style");
    delay->setFixedHeight(kDelayHeight);
    delay->setMaxLength(kDelayChars);
    // Digits only; a value outside the range is corrected when the edit is left.
    delay->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("\\d*")), delay));
    delay->setText(QString::number(row.delay));
    connect(delay, &QLineEdit::editingFinished, this, [this, delay, index] {
        if (!delay->text().isEmpty())
            delay->setText(QString::number(std::clamp(delay->text().toInt(), kMinDelay, kMaxDelay)));
        setRowDelay(index, delay->text());
    });

    layout->addWidget(name, 3);
    layout->addWidget(direction, 2);
    layout->addWidget(delay, 1);
    m_list->setItemWidget(item, cells);
}

void CMacroControlUI::setText(QWidget* control, const QString& id) const
{
    if (m_language)
        m_language->setTextId(control, id);
    else
        ui::LanguageManager::setLiteralText(control, id);
}

void CMacroControlUI::tell(const QString& textId) const
{
    if (m_hooks.notice)
        m_hooks.notice(textId);
}

bool CMacroControlUI::confirm(const QString& textId) const
{
    return !m_hooks.ask || m_hooks.ask(textId);
}

}  // namespace kestrion
