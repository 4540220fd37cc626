#pragma once

#include "window/printer.h"

namespace varnlink::app::qt {

// A CUPS client: prints on the system's default printer (as Qt and CUPS know
// it) without a dialog: each call is one job holding the text as plain text, followed by one
// line end. The spooler's text filter breaks lines and pages with the
// printer's own settings; nothing here sets a font, margin or header. Every
// refusal of the spooler is thrown as platform::Error with its reason, never
// swallowed.
class CupsPrinter : public window::Printer {
 public:
  int PrintText(const std::string& text) override;
};

}  // namespace varnlink::app::qt
