#include "app/win32/win32_printer.h"

#include <windows.h>
#include <winspool.h>

#include <algorithm>
#include <vector>

#include "platform/error.h"
#include "app/win32/print_layout.h"
#include "platform/win32/wide_text.h"
#include "platform/win32/win32_error.h"

namespace varnlink::app::win32 {

using platform::Error;
using platform::WindowsError;
using platform::Utf8ToWide;
using platform::WideToUtf8;
namespace {

std::wstring DefaultPrinterName() {
  DWORD needed = 0;
  GetDefaultPrinterW(nullptr, &needed);
  if (needed == 0) {
    const DWORD code = GetLastError();
    if (code == ERROR_FILE_NOT_FOUND) {
      throw Error("printer: cannot print: there is no default printer");
    }
    throw WindowsError(code, "printer", "cannot find the default printer");
  }
  std::vector<wchar_t> name(needed, L'\0');
  if (!GetDefaultPrinterW(name.data(), &needed)) {
    throw WindowsError(GetLastError(), "printer", "cannot find the default printer");
  }
  return std::wstring(name.data());
}

// A printer device context, deleted on every path out of a scope.
class PrinterContext {
 public:
  PrinterContext(const std::wstring& name, const std::string& subject)
      : dc_(CreateDCW(L"WINSPOOL", name.c_str(), nullptr, nullptr)) {
    if (dc_ == nullptr) throw WindowsError(GetLastError(), subject, "cannot open the printer");
  }
  PrinterContext(const PrinterContext&) = delete;
  PrinterContext& operator=(const PrinterContext&) = delete;
  ~PrinterContext() {
    if (font_ != nullptr) {
      SelectObject(dc_, old_font_);
      DeleteObject(font_);
    }
    DeleteDC(dc_);
  }
  [[nodiscard]] HDC get() const { return dc_; }

  // Courier New at 10 points: the report's columns line up only in a
  // fixed-pitch font.
  void UseReportFont() {
    const int height = -MulDiv(10, GetDeviceCaps(dc_, LOGPIXELSY), 72);
    font_ = CreateFontW(height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                        OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                        FIXED_PITCH | FF_MODERN, L"Courier New");
    if (font_ != nullptr) old_font_ = SelectObject(dc_, font_);
  }

 private:
  HDC dc_;
  HFONT font_ = nullptr;
  HGDIOBJ old_font_ = nullptr;
};

// The printable area inside half-inch margins, in device units.
struct Area {
  int left, top, width, height;
};

Area PrintableArea(HDC dc) {
  const int half_inch_x = GetDeviceCaps(dc, LOGPIXELSX) / 2;
  const int half_inch_y = GetDeviceCaps(dc, LOGPIXELSY) / 2;
  // Device coordinates start at the printable area, which already lies
  // PHYSICALOFFSET inside the paper's edge.
  const int left = std::max(0, half_inch_x - GetDeviceCaps(dc, PHYSICALOFFSETX));
  const int top = std::max(0, half_inch_y - GetDeviceCaps(dc, PHYSICALOFFSETY));
  const int width = GetDeviceCaps(dc, HORZRES) - 2 * left;
  const int height = GetDeviceCaps(dc, VERTRES) - 2 * top;
  return Area{left, top, std::max(width, 1), std::max(height, 1)};
}

}  // namespace

int Win32Printer::PrintText(const std::string& text) {
  const std::wstring name = DefaultPrinterName();
  const std::string subject = "printer \"" + WideToUtf8(name) + "\"";
  PrinterContext printer(name, subject);
  printer.UseReportFont();
  const HDC dc = printer.get();

  TEXTMETRICW metrics{};
  GetTextMetricsW(dc, &metrics);
  const int line_height = std::max(1, static_cast<int>(metrics.tmHeight + metrics.tmExternalLeading));
  const int char_width = std::max(1, static_cast<int>(metrics.tmAveCharWidth));
  const Area area = PrintableArea(dc);
  const std::vector<PrintedPage> pages =
      LayOutPages(Utf8ToWide(text) + L"\r\n", area.width / char_width, area.height / line_height);

  const std::wstring output = Utf8ToWide(output_file_);
  DOCINFOW document{};
  document.cbSize = sizeof(document);
  document.lpszDocName = L"Varnlink report";
  document.lpszOutput = output.empty() ? nullptr : output.c_str();
  const int job = StartDocW(dc, &document);
  if (job <= 0) throw WindowsError(GetLastError(), subject, "cannot start the document");
  for (const PrintedPage& page : pages) {
    if (StartPage(dc) <= 0) {
      const DWORD code = GetLastError();
      AbortDoc(dc);
      throw WindowsError(code, subject, "cannot start a page");
    }
    int y = area.top;
    for (const std::wstring& line : page) {
      TextOutW(dc, area.left, y, line.c_str(), static_cast<int>(line.size()));
      y += line_height;
    }
    if (EndPage(dc) <= 0) {
      const DWORD code = GetLastError();
      AbortDoc(dc);
      throw WindowsError(code, subject, "cannot finish a page");
    }
  }
  if (EndDoc(dc) <= 0) throw WindowsError(GetLastError(), subject, "cannot end the document");
  return job;
}

}  // namespace varnlink::app::win32
