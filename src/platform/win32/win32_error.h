#pragma once

#include <string>
#include <system_error>

namespace varnlink::platform {

// The category of Windows error codes (GetLastError): its messages come from
// the system's own message table, so the user reads Windows' words for the
// cause.
[[nodiscard]] const std::error_category& WindowsCategory();

// A Windows failure on `subject` (a file, folder, printer or the clipboard):
// "<subject>: <what>: <system's reason>". `code` is a GetLastError value.
[[nodiscard]] std::system_error WindowsError(unsigned long code, const std::string& subject,
                                             const std::string& what);

}  // namespace varnlink::platform
