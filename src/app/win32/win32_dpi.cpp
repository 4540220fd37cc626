#include "app/win32/win32_dpi.h"

#include <windows.h>

namespace varnlink::app::win32 {
namespace {

// Looked up at run time: Windows 7 and Wine lack some of them.
template <typename Function>
Function Find(const wchar_t* module, const char* name) {
  HMODULE library = GetModuleHandleW(module);
  if (library == nullptr) library = LoadLibraryW(module);
  if (library == nullptr) return nullptr;
  return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(library, name)));
}

using SetContext = BOOL(WINAPI*)(HANDLE);
using SetAwareness = HRESULT(WINAPI*)(int);
using SetAware = BOOL(WINAPI*)();
using DpiForWindow = UINT(WINAPI*)(HWND);
using AdjustForDpi = BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT);

// DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2 and PROCESS_PER_MONITOR_DPI_AWARE.
const HANDLE kPerMonitorAwareV2 = reinterpret_cast<HANDLE>(static_cast<INT_PTR>(-4));
constexpr int kProcessPerMonitorDpiAware = 2;

int SystemDpi() {
  const HDC screen = GetDC(nullptr);
  const int dpi = screen != nullptr ? GetDeviceCaps(screen, LOGPIXELSY) : kDefaultDpi;
  if (screen != nullptr) ReleaseDC(nullptr, screen);
  return dpi > 0 ? dpi : kDefaultDpi;
}

}  // namespace

void UsePerMonitorDpi() {
  if (const auto set_context = Find<SetContext>(L"user32.dll", "SetProcessDpiAwarenessContext")) {
    if (set_context(kPerMonitorAwareV2)) return;
    if (GetLastError() == ERROR_ACCESS_DENIED) return;  // declared already
  }
  if (const auto set_awareness = Find<SetAwareness>(L"shcore.dll", "SetProcessDpiAwareness")) {
    const HRESULT result = set_awareness(kProcessPerMonitorDpiAware);
    if (SUCCEEDED(result) || result == E_ACCESSDENIED) return;
  }
  if (const auto set_aware = Find<SetAware>(L"user32.dll", "SetProcessDPIAware")) set_aware();
}

int WindowDpi(void* window) {
  if (const auto dpi_for_window = Find<DpiForWindow>(L"user32.dll", "GetDpiForWindow")) {
    const UINT dpi = dpi_for_window(static_cast<HWND>(window));
    if (dpi > 0) return static_cast<int>(dpi);
  }
  return SystemDpi();
}

void AdjustWindowRectForDpi(void* rect, unsigned long style, unsigned long ex_style, int dpi) {
  auto* frame = static_cast<RECT*>(rect);
  if (const auto adjust = Find<AdjustForDpi>(L"user32.dll", "AdjustWindowRectExForDpi")) {
    if (adjust(frame, style, FALSE, ex_style, static_cast<UINT>(dpi))) return;
  }
  AdjustWindowRectEx(frame, style, FALSE, ex_style);
}

}  // namespace varnlink::app::win32
