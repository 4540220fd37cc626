#include "tests/support/scratch_folder.h"

#include <random>
#include <stdexcept>
#include <system_error>

namespace varnlink::test_support {

ScratchFolder::ScratchFolder() {
  std::random_device seed;
  std::mt19937_64 random(seed());
  const auto base = std::filesystem::temp_directory_path();
  for (int attempt = 0; attempt < 100; ++attempt) {
    auto candidate = base / ("varnlink-test-" + std::to_string(random()));
    if (std::filesystem::create_directory(candidate)) {
      path_ = candidate;
      return;
    }
  }
  throw std::runtime_error("cannot create a scratch folder under " + base.string());
}

ScratchFolder::~ScratchFolder() {
  std::error_code ignored;
  // Make everything writable again so a test that removed write permission
  // does not leave its files behind.
  for (auto it = std::filesystem::recursive_directory_iterator(path_, ignored);
       !ignored && it != std::filesystem::recursive_directory_iterator(); it.increment(ignored)) {
    std::filesystem::permissions(it->path(), std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ignored);
  }
  std::filesystem::remove_all(path_, ignored);
}

std::string ScratchFolder::PathOf(const std::string& name) const {
  const auto utf8 =
      (path_ / std::filesystem::path(std::u8string(name.begin(), name.end()))).u8string();
  return {utf8.begin(), utf8.end()};
}

std::string ScratchFolder::Write(const std::string& name, const Bytes& bytes) const {
  const std::string path = PathOf(name);
  WriteFileBytes(std::filesystem::path(std::u8string(path.begin(), path.end())), bytes);
  return path;
}

}  // namespace varnlink::test_support
