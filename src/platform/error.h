#pragma once

#include <stdexcept>
#include <string>
#include <system_error>

namespace varnlink::platform {

// A failure that ends an action and is shown to the user. The message always
// names the file or folder concerned and the cause.
class Error : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// An operating-system failure on `path`: "<path>: <what>: <system's reason>".
[[nodiscard]] std::system_error OsError(int error_number, const std::string& path,
                                        const std::string& what);

}  // namespace varnlink::platform
