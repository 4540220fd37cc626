#include "platform/error.h"

namespace varnlink::platform {

std::system_error OsError(int error_number, const std::string& path, const std::string& what) {
  return std::system_error(error_number, std::generic_category(), path + ": " + what);
}

}  // namespace varnlink::platform
