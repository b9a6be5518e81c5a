#include "pages/key_editor_router.h"

#include "pages/key_set_control.h"
#include "ui/family_name.h"

namespace kestrion {
namespace {

constexpr const char* kKeyEditName = "keyset_keyboard_text_edit";
constexpr const char* kModifierPrefix = "key_ComBox_check_";
constexpr const char* kFunctionCombo = "keyset_function_combo";
constexpr const char* kRepeatCombo = "keyset_macro_over_combo";

// Number edits whose value is applied when the user leaves them (or confirms with Enter).
constexpr const char* kAppliedEdits[] = {
    "keyset_mouseswing_num_edit", "keyset_mouseswing_delay_edit",   "keyset_mouseswing_speed_edit",
    "keyset_mousewheel_num_edit", "keyset_mousewheel_delay_edit",   "keyset_mousewheel_speed_edit",
    "keyset_mousefire_interval_edit", "keyset_mousefire_num_edit", "keyset_macro_cycle_edit",
};

}  // namespace

KeyEditorRouter::KeyEditorRouter(std::span<const char* const> appliedCombos, Hooks hooks)
    : m_appliedCombos(appliedCombos), m_hooks(std::move(hooks))
{
}

bool KeyEditorRouter::route(const QString& type, const QString& name)
{
    if (!m_editor)
        return false;
    if (type == QLatin1String("click"))
        return routeClick(name);
    if (type == QLatin1String("selectchanged"))
        return routeModifier(name);
    if (type == QLatin1String("itemselect"))
        return routeList(name);
    if (type == QLatin1String("setfocus") || type == QLatin1String("killfocus"))
        return routeFocus(type == QLatin1String("setfocus"), name);
    if (type == QLatin1String("return") && ui::isOneOf(name, kAppliedEdits)) {
        m_hooks.apply();
        return true;
    }
    return false;
}

bool KeyEditorRouter::routeClick(const QString& name)
{
    if (name == QLatin1String("key_butt_keysave")) {
        m_hooks.apply();
    } else if (name == QLatin1String("key_butt_keydefalut")) {
        m_editor->showDefault();
        m_hooks.markChanged(true);
    } else if (name == QLatin1String("key_butt_keycancel")) {
        m_editor->showCurrent();
        m_hooks.markChanged(false);
    } else if (name == QLatin1String("key_butt_prosave")) {
        m_hooks.save();
    } else {
        return m_hooks.otherClick && m_hooks.otherClick(name);
    }
    return true;
}

bool KeyEditorRouter::routeModifier(const QString& name)
{
    const ui::FamilyName family = ui::splitFamilyName(name);
    if (family.prefix != QLatin1String(kModifierPrefix))
        return false;
    m_editor->selectModifier(family.index);
    m_hooks.apply();
    return true;
}

bool KeyEditorRouter::routeList(const QString& name)
{
    if (name == QLatin1String(kFunctionCombo))
        m_editor->functionChosen();
    else if (name == QLatin1String(kRepeatCombo))
        m_editor->repeatChosen();
    else if (!ui::isOneOf(name, m_appliedCombos))
        return false;
    m_hooks.apply();
    return true;
}

bool KeyEditorRouter::routeFocus(bool focused, const QString& name)
{
    if (name == QLatin1String(kKeyEditName)) {
        m_hooks.capture(focused);
        return true;
    }
    if (!focused && ui::isOneOf(name, kAppliedEdits)) {
        m_hooks.apply();
        return true;
    }
    return false;
}

}  // namespace kestrion
