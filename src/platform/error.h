#pragma once

#include <stdexcept>
#include <string>
#include <system_error>

namespace varnlink::platform {

// A failure that ends an action and is shown to the user. The message always
// names the file or folder concerned and the cause. `NotFound` tells a caller
// that may pass over a vanished file (the audit run) that nothing is there.
class Error : public std::runtime_error {
 public:
  explicit Error(const std::string& message, bool not_found = false)
      : std::runtime_error(message), not_found_(not_found) {}
  [[nodiscard]] bool NotFound() const { return not_found_; }

 private:
  bool not_found_;
};

// An operating-system failure on `path`: "<path>: <what>: <system's reason>".
[[nodiscard]] std::system_error OsError(int error_number, const std::string& path,
                                        const std::string& what);

// True when `error` says that the file or folder it names does not exist.
[[nodiscard]] bool IsNotFound(const std::exception& error);

}  // namespace varnlink::platform
