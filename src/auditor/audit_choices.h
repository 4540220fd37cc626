#pragma once

#include "auditor/report.h"

namespace varnlink::auditor {

// What AuditShortcut reads of the window, each at the moment it needs it, and
// the report it appends to. The window model implements it; tests hand in
// their own.
class AuditChoices {
 public:
  virtual ~AuditChoices() = default;
  [[nodiscard]] virtual bool Option2Selected() const = 0;  // ".EXE Targets " selected
  [[nodiscard]] virtual bool Option3Selected() const = 0;  // "Non .EXE Targets" selected
  [[nodiscard]] virtual int Check2Value() const = 0;    // "Warn of Duplicate Targets": 1 is ticked
  [[nodiscard]] virtual int Check3Value() const = 0;    // "... WITH Duplicate Parameter Strings"
  [[nodiscard]] virtual Report& ResultsText() = 0;
};

}  // namespace varnlink::auditor
