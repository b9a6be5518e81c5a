#pragma once

#include <QObject>
#include <QString>

#include <filesystem>
#include <functional>
#include <optional>

#include "profiles/macro_library.h"
#include "editors/macro_recorder.h"
#include "editors/macro_rows.h"
#include "platform/input_capture.h"

class QAbstractButton;
class QLabel;
class QLineEdit;
class QListWidget;
class QMenu;
class QPoint;
class QWidget;

namespace kestrion {

namespace ui {
class LanguageManager;
}

// What the macro page needs from the device page around it.
struct MacroPageHooks {
    std::function<bool(const QString& textId)> ask;
    std::function<void(const QString& textId)> notice;
    // True when a key of the current profile plays macro number `index`.
    std::function<bool(int index)> macroInUse;
    // The file chosen in the system's open (save false) or save dialog; empty when cancelled.
    std::function<QString(bool save)> chooseFile;
};

// The macro page of a device ("MacroControlItem"): the library's names, the selected macro's
// events as rows of name, direction and delay, the edit operations and the recorder. Every change
// to the events is saved to the macro's file at once. It works over the widgets the skin built.
class CMacroControlUI : public QObject {
    Q_OBJECT
public:
    CMacroControlUI(QWidget& root, std::filesystem::path macroFolder, const ui::LanguageManager* language,
                    MacroPageHooks hooks, MacroRecorder::Clock clock = {});
    ~CMacroControlUI() override;

    const MacroLibrary& library() const { return m_library; }
    const MacroRows& rows() const { return m_rows; }
    int selectedMacro() const;

    void loadLibrary();
    void selectMacro(int index);
    void addMacro();
    void renameMacro();
    void deleteMacro();
    void importMacro();
    void exportMacro();
    void saveMacro();

    void selectRow(int index);
    void moveRow(bool (MacroRows::*move)());
    void deleteRow();
    void deleteAllRows();
    void insertMouseButton(int buttonBit, bool down, bool up);
    void insertPointerMove(PointerMove move);
    void setRowDelay(int row, const QString& text);
    void setAllDelays();

    // Recording. startRecording asks for the capture (captureRequested); the owner calls
    // stopRecording when the capture cannot start or ends.
    void startRecording(DelayMode mode, Placement placement);
    void stopRecording();
    bool isRecording() const { return m_recorder.isRecording(); }
    // One captured key or button; the release of a click on the stop button stops recording.
    void record(const RecordedInput& input);
    // Input of the window's capture: keys by scan code, buttons by their macro bit.
    void recordCaptured(const CapturedInput& input);
    // The window lost (true) or regained the focus during a capture.
    void setCapturePaused(bool paused);
    // The screen rectangle of the stop button contains this point.
    bool isOnStopButton(const QPoint& globalPos) const;
    // Shows the row menu (insert buttons, record before, after or over the row) at a screen point.
    void openRowMenu(const QPoint& globalPos);
    QMenu* rowMenu() const { return m_menu; }

signals:
    // The names of the library changed (added, renamed, removed, imported).
    void libraryChanged();
    // Macro `index` left the library: keys playing it or a later one must follow.
    void macroRemoved(int index);
    // The macros on disk changed in a way the device must get.
    void deviceWriteWanted();
    // A recording asks for the capture of this hook mode (4 append, 8 before, 16 after, 32 replace).
    void captureRequested(int mode);
    // A recording ended (its macro is saved).
    void recordingFinished();

private:
    template <typename T>
    T* child(const char* name) const;
    void bindButtons();
    void bindMenu();
    void runMenuItem(const QString& name);
    void showRows();
    void addRowWidget(int index);
    QString eventName(const Json::Value& event) const;
    void setText(QWidget* control, const QString& textId) const;
    void showNames();
    void showMacroName();
    void setMacroControlsEnabled(bool enabled);
    void setEditingState(bool editing);
    void showRecordingState();
    void scrollToSelection();
    void changed();
    int readFixedDelay();
    void tell(const QString& textId) const;
    bool confirm(const QString& textId) const;
    void reportImport(MacroImportResult result);

    QWidget& m_root;
    const ui::LanguageManager* m_language;
    MacroPageHooks m_hooks;
    MacroLibrary m_library;
    MacroRows m_rows;
    MacroRecorder m_recorder;
    int m_fixedDelay = MacroRecorder::kInitialFixedDelay;
    bool m_capturePaused = false;
    QListWidget* m_names = nullptr;
    QListWidget* m_list = nullptr;
    QMenu* m_menu = nullptr;  // a child of the root
};

// The language id of an event's name: mouse buttons and moves by the tables of the page; keys by
// `keyName` (type 9 or 10 and the button); empty for an event without a name.
QString macroEventNameId(const Json::Value& event);

}  // namespace kestrion
