#include "platform/linux/mount_table.h"

#include <fstream>
#include <sstream>

namespace varnlink::platform {
namespace {

// The mount table writes blanks, tabs, line ends and backslashes in paths as
// three-digit octal escapes ("\040").
std::string DecodeMountField(const std::string& field) {
  std::string out;
  out.reserve(field.size());
  for (std::size_t i = 0; i < field.size(); ++i) {
    if (field[i] == '\\' && i + 3 < field.size()) {
      const std::string digits = field.substr(i + 1, 3);
      if (digits.find_first_not_of("01234567") == std::string::npos) {
        out.push_back(static_cast<char>(std::stoi(digits, nullptr, 8)));
        i += 3;
        continue;
      }
    }
    out.push_back(field[i]);
  }
  return out;
}

}  // namespace

std::vector<Mount> ReadMounts(const std::string& mounts_file) {
  std::vector<Mount> mounts;
  std::ifstream in(mounts_file);
  std::string line;
  while (std::getline(in, line)) {
    std::istringstream fields(line);
    std::string source, point, type;
    if (fields >> source >> point >> type) {
      mounts.push_back({DecodeMountField(point), type});
    }
  }
  return mounts;
}

}  // namespace varnlink::platform
