#pragma once

#include <string>

namespace varnlink::window {

// The system's default printer. PrintText sends one document holding `text`
// followed by one line end and ends the document (one job per call), and
// returns the spooler's id of that job. Throws Error when there is no
// default printer or the spooler refuses.
class Printer {
 public:
  virtual ~Printer() = default;
  virtual int PrintText(const std::string& text) = 0;
};

}  // namespace varnlink::window
