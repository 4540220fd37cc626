#pragma once

#include <string>

#include "window/printer.h"

namespace varnlink::app::win32 {

// Prints on the system's default printer (GetDefaultPrinterW) without asking
// anything: one document per call, the text in a fixed-pitch font with half
// an inch of margin, long lines wrapped and new pages as they fill. The text
// is followed by one line end. When `output_file` is given the printer driver
// writes the document there instead of sending it to the device.
class Win32Printer final : public window::Printer {
 public:
  explicit Win32Printer(std::string output_file = {}) : output_file_(std::move(output_file)) {}
  int PrintText(const std::string& text) override;

 private:
  std::string output_file_;
};

}  // namespace varnlink::app::win32
