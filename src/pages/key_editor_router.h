#pragma once

#include <QString>

#include <functional>
#include <span>

namespace kestrion {

class CKeySetControlUI;

// The key editor's controls as the window reports them (clicks, choices, focus, Enter): which
// ones change the edited key at once, which save it or take it back, which write the keys, and
// the key edit that starts and stops the key capture. Shared by the pages that have a key editor.
class KeyEditorRouter {
public:
    struct Hooks {
        // The editor's code into the edited key.
        std::function<void()> apply;
        // Whether the editor shows a change not yet saved.
        std::function<void(bool changed)> markChanged;
        // The keys to the device.
        std::function<void()> save;
        // The key edit took (true) or lost the focus.
        std::function<void(bool focused)> capture;
        // A click on the page's own controls; false when it is none of them.
        std::function<bool(const QString& name)> otherClick;
    };

    // `appliedCombos`: the lists whose choice changes the key at once on this page.
    KeyEditorRouter(std::span<const char* const> appliedCombos, Hooks hooks);

    void setEditor(CKeySetControlUI* editor) { m_editor = editor; }
    // Handles a notification of the key editor's controls; false for any other control.
    bool route(const QString& type, const QString& name);

private:
    bool routeClick(const QString& name);
    bool routeModifier(const QString& name);
    bool routeList(const QString& name);
    bool routeFocus(bool focused, const QString& name);

    std::span<const char* const> m_appliedCombos;
    Hooks m_hooks;
    CKeySetControlUI* m_editor = nullptr;
};

}  // namespace kestrion
