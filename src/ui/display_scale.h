#pragma once

namespace kestrion::ui {

struct WindowSize {
    int width;
    int height;
};

// The window's base size, at 96 dots per inch.
inline constexpr WindowSize kMainWindowSize{800, 572};

// The dots per inch the window is drawn at on a monitor of this full size in device pixels:
// 144 on monitors larger than 1500 x 960, else 96.
int monitorDpi(int monitorWidth, int monitorHeight);

// The window's size at a DPI; a DPI outside the supported steps counts as 96.
WindowSize windowSizeForDpi(int dpi);

}  // namespace kestrion::ui
