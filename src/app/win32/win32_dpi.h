#pragma once

// Dots per inch on Windows, for a window that scales itself: per-monitor DPI
// awareness asked for at run time (a manifest may already have declared it),
// and each window's own DPI. Older systems without the newer calls get the
// system DPI.

namespace varnlink::app::win32 {

inline constexpr int kDefaultDpi = 96;

// Makes the process per-monitor DPI aware (version 2 where the system has it,
// else version 1, else system aware). Call before any window is made; a
// manifest's declaration stands.
void UsePerMonitorDpi();

// The DPI of the monitor `window` (HWND) is on.
[[nodiscard]] int WindowDpi(void* window);

// The window size (RECT*, in and out) for a client area, at `dpi`, as
// AdjustWindowRectEx gives it at the system DPI.
void AdjustWindowRectForDpi(void* rect, unsigned long style, unsigned long ex_style, int dpi);

}  // namespace varnlink::app::win32
