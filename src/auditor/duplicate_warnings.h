#pragma once

#include <string>

#include "auditor/audit_choices.h"
#include "auditor/shortcut_fields.h"
#include "platform/message_dialog.h"

namespace varnlink::auditor {

inline constexpr const char* kDuplicateTargetMarker = "*** DUPLICATE TARGET IN SHORTCUT BELOW***";
inline constexpr const char* kDuplicateTargetArgsMarker =
    "*** DUPLICATE TARGET AND PARAMETER STRING IN SHORTCUT BELOW***";

// Warns when the shortcut's target (or target with arguments) already stands
// in the report: a message box, then two marker lines appended to the report.
// Reads Check2 and Check3 itself. A shortcut with an empty target takes part
// in neither check.
void WarnOfDuplicates(const ShortcutFields& fields, const FileFacts& facts, AuditChoices& window,
                      platform::MessageDialog& messages);

}  // namespace varnlink::auditor
