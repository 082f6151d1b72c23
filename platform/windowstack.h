// SPDX-License-Identifier: MIT
#pragma once

// The Windows function SetWindowPos, for systems that do not have it: only the part the
// editor uses, switching a top-level window between always-on-top and ordinary.

#include <cstdint>

namespace platform {

inline constexpr std::intptr_t HWND_TOPMOST = -1;
inline constexpr std::intptr_t HWND_NOTOPMOST = -2;
inline constexpr unsigned SWP_NOSIZE = 1;
inline constexpr unsigned SWP_NOMOVE = 2;
inline constexpr unsigned SWP_SHOWWINDOW = 64;

// Window is the native id of a top-level window of this process (QWidget::winId()).
// With SWP_NOMOVE | SWP_NOSIZE only the stacking changes: HWND_TOPMOST keeps the window above
// ordinary windows, HWND_NOTOPMOST makes it ordinary again; SWP_SHOWWINDOW shows it.
// Returns nonzero on success, 0 when the window is unknown.
int SetWindowPos(std::uintptr_t window, std::intptr_t insertAfter, int x, int y, int cx, int cy,
                 unsigned flags);

} // namespace platform
