#pragma once

#include <filesystem>
#include <string>

#include "tests/support/link_writer.h"

namespace varnlink::test_support {

// A fresh, uniquely named folder under the system's temporary folder, removed
// with everything in it when the object goes away. For tests that need real
// files (the POSIX file services, folder listings, the command line).
class ScratchFolder {
 public:
  ScratchFolder();
  ~ScratchFolder();
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  [[nodiscard]] const std::filesystem::path& Path() const { return path_; }
  // Path of `name` inside the folder, as a UTF-8 string.
  [[nodiscard]] std::string PathOf(const std::string& name) const;
  // Writes `bytes` to `name` inside the folder; returns its path.
  std::string Write(const std::string& name, const Bytes& bytes) const;

 private:
  std::filesystem::path path_;
};

}  // namespace varnlink::test_support
