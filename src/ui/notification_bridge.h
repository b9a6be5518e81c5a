#pragma once

#include <QObject>

class QWidget;

namespace kestrion::ui {

class MainWindowSink;

// Turns user actions on a built layout into the notifications the main window routes: "click",
// "selectchanged" (options and check boxes), "valuechanged" and "movevaluechanged" (sliders),
// "itemselect" (combos), "setfocus", "killfocus", "return" and "textchanged" (edits), "dbclick" and
// "click_select_end" (key buttons and their panel), "click_handdelete", "msenter" and "msleave"
// (picture tiles). Only named controls report; changes made by
// code do not, so that showing a value never writes it back.
class NotificationBridge : public QObject {
    Q_OBJECT
public:
    explicit NotificationBridge(MainWindowSink& sink, QObject* parent = nullptr);

    // Connects root and every named control below it.
    void attach(QWidget* root);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void attachOne(QWidget* control);
    void raise(const char* type, QWidget* control);

    MainWindowSink& m_sink;
};

}  // namespace kestrion::ui
