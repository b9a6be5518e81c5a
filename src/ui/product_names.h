#pragma once

namespace kestrion::ui {

// Names the single instance, the activation request and the companion programs.
inline constexpr const char* kProductString = "Kestrion Kestrion Z880-ZIR Gaming Mouse";
// The main window's title and the tray icon's tool tip.
inline constexpr const char* kWindowTitle = "Kestrion Z880-ZIR Gaming Mouse";

}  // namespace kestrion::ui
