#include "platform/error.h"

namespace varnlink::platform {

std::system_error OsError(int error_number, const std::string& path, const std::string& what) {
  return std::system_error(error_number, std::generic_category(), path + ": " + what);
}

bool IsNotFound(const std::exception& error) {
  if (const auto* own = dynamic_cast<const Error*>(&error)) return own->NotFound();
  if (const auto* system = dynamic_cast<const std::system_error*>(&error)) {
    return system->code() == std::errc::no_such_file_or_directory;
  }
  return false;
}

}  // namespace varnlink::platform
