#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace varnlink::platform {

// An instant as Windows stores file times (FILETIME): 100-nanosecond ticks
// since 1601-01-01 00:00:00 UTC.
struct FileTime {
  std::uint64_t ticks = 0;
  friend bool operator==(const FileTime&, const FileTime&) = default;
};

// Ticks between 1601-01-01 and the Unix epoch, 1970-01-01.
inline constexpr std::uint64_t kTicksTo1970 = 116'444'736'000'000'000ULL;
inline constexpr std::uint64_t kTicksPerSecond = 10'000'000ULL;

// Ticks between 1601-01-01 and 10000-01-01. Later instants need a year of
// five digits, which RFC 3339 and most readers of dates do not take.
inline constexpr std::uint64_t kTicksTo10000 = 2'650'467'744'000'000'000ULL;

// A time broken down into calendar fields, like a Windows SYSTEMTIME.
struct LocalTime {
  int year = 0;
  int month = 0;  // 1..12
  int day = 0;
  int hour = 0;
  int minute = 0;
  int second = 0;
  friend bool operator==(const LocalTime&, const LocalTime&) = default;
};

// `time` in UTC, whole seconds, as ISO 8601 with "Z": "2026-12-08T12:47:20Z".
// Valid for every representable tick count (years 1601 to 60056).
[[nodiscard]] std::string IsoUtcText(FileTime time);

// Appends IsoUtcText(time) to `out`.
void AppendIsoUtc(std::string& out, FileTime time);

// `time` broken down in UTC.
[[nodiscard]] LocalTime UtcFields(FileTime time);

}  // namespace varnlink::platform
