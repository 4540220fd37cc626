#include "tests/support/fake_file_services.h"

#include <algorithm>
#include <cerrno>

#include "platform/error.h"

namespace varnlink::test_support {

FakeFileServices::File& FakeFileServices::Add(const std::string& path, Bytes bytes) {
  File& file = files_[path];
  file = File{};
  file.bytes = std::move(bytes);
  return file;
}

void FakeFileServices::Remove(const std::string& path) { files_.erase(path); }

const FakeFileServices::File& FakeFileServices::Find(const std::string& path) const {
  const auto it = files_.find(path);
  if (it == files_.end()) {
    throw platform::Error(path + ": cannot open the shortcut: it does not exist", true);
  }
  return it->second;
}

platform::FileStatus FakeFileServices::StatusOf(const std::string& path) const {
  const File& file = Find(path);
  return {file.size.value_or(file.bytes.size()), file.attributes, file.times};
}

std::vector<std::uint8_t> FakeFileServices::ReadFileStart(const std::string& path,
                                                          std::size_t max_bytes) const {
  read_limits.push_back(max_bytes);
  const File& file = Find(path);
  if (file.unreadable) throw platform::OsError(EACCES, path, "cannot open the shortcut");
  const std::size_t n = std::min(max_bytes, file.bytes.size());
  return {file.bytes.begin(), file.bytes.begin() + static_cast<std::ptrdiff_t>(n)};
}

std::optional<platform::LocalTime> FakeFileServices::LocalTimeOf(platform::FileTime time) const {
  return platform::UtcFields(time);
}

platform::FileTime TimeAt(const platform::LocalTime& t) {
  // Days from 1970-01-01 to the civil date (Howard Hinnant's algorithm).
  const std::int64_t y = t.year - (t.month <= 2 ? 1 : 0);
  const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
  const std::int64_t yoe = y - era * 400;
  const std::int64_t mp = (t.month + 9) % 12;
  const std::int64_t doy = (153 * mp + 2) / 5 + t.day - 1;
  const std::int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  const std::int64_t days = era * 146097 + doe - 719468;
  const std::int64_t seconds = days * 86400 + t.hour * 3600 + t.minute * 60 + t.second;
  return {
      static_cast<std::uint64_t>(
          seconds + static_cast<std::int64_t>(platform::kTicksTo1970 / platform::kTicksPerSecond)) *
      platform::kTicksPerSecond};
}

platform::FileTimes TimesAt(const platform::LocalTime& utc) {
  const platform::FileTime t = TimeAt(utc);
  return {t, t, t};
}

}  // namespace varnlink::test_support
