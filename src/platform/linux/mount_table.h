#pragma once

#include <string>
#include <vector>

namespace varnlink::platform {

struct Mount {
  std::string point;  // decoded: "\040" is a blank again
  std::string type;   // "ext4", "fuseblk", ...
};

// The mounts listed in a mount table in the form of /proc/self/mounts, in
// mount order (a later mount at the same point hides an earlier one). A
// table that cannot be read lists nothing.
[[nodiscard]] std::vector<Mount> ReadMounts(const std::string& mounts_file);

}  // namespace varnlink::platform
