#include "tests/support/fake_file_services.h"

#include <algorithm>
#include <cerrno>

#include "platform/error.h"
#include "platform/windows1252.h"

namespace varnlink::test_support {

FakeFileServices::File& FakeFileServices::Add(const std::string& path, Bytes bytes) {
  File& file = files_[path];
  file = File{};
  file.bytes = std::move(bytes);
  return file;
}

void FakeFileServices::Remove(const std::string& path) { files_.erase(path); }

FakeFileServices::File& FakeFileServices::At(const std::string& path) {
  return const_cast<File&>(Find(path, "no such fake file"));
}

const FakeFileServices::File& FakeFileServices::Find(const std::string& path,
                                                     const char* what) const {
  const auto it = files_.find(path);
  if (it == files_.end()) throw platform::OsError(ENOENT, path, what);
  return it->second;
}

std::uint64_t FakeFileServices::FileSize(const std::string& path) const {
  const File& file = Find(path, "cannot read the size");
  return file.size.value_or(file.bytes.size());
}

std::uint32_t FakeFileServices::FileAttributes(const std::string& path) const {
  return Find(path, "cannot read the attributes").attributes;
}

std::optional<platform::FileTimes> FakeFileServices::TimesOf(const std::string& path) const {
  const auto it = files_.find(path);
  if (it == files_.end()) return std::nullopt;
  return it->second.times;
}

std::vector<std::uint8_t> FakeFileServices::ReadFileStart(const std::string& path,
                                                          std::size_t max_bytes) const {
  read_limits.push_back(max_bytes);
  const File& file = Find(path, "cannot open");
  if (file.unreadable) throw platform::OsError(EACCES, path, "cannot open");
  const std::size_t n = std::min(max_bytes, file.bytes.size());
  return {file.bytes.begin(), file.bytes.begin() + static_cast<std::ptrdiff_t>(n)};
}

std::string FakeFileServices::AnsiToUtf8(std::string_view bytes) const {
  return platform::Windows1252ToUtf8(bytes);
}

}  // namespace varnlink::test_support
