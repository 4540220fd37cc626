#include "platform/file_time.h"

#include <array>
#include <charconv>
#include <utility>

namespace varnlink::platform {
namespace {

// Days since 1970-01-01 to a civil date (Howard Hinnant's algorithm), for any
// day count: no time_t, no time zone, no range limit of the C library.
void CivilFromDays(std::int64_t z, int& year, int& month, int& day) {
  z += 719468;
  const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const auto doe = static_cast<std::uint64_t>(z - era * 146097);
  const std::uint64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const std::int64_t y = static_cast<std::int64_t>(yoe) + era * 400;
  const std::uint64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const std::uint64_t mp = (5 * doy + 2) / 153;
  day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  year = static_cast<int>(y + (month <= 2 ? 1 : 0));
}

}  // namespace

LocalTime UtcFields(FileTime time) {
  const auto seconds = static_cast<std::int64_t>(time.ticks / kTicksPerSecond) -
                       static_cast<std::int64_t>(kTicksTo1970 / kTicksPerSecond);
  std::int64_t days = seconds / 86400;
  std::int64_t rest = seconds % 86400;
  if (rest < 0) {
    rest += 86400;
    --days;
  }
  LocalTime t;
  CivilFromDays(days, t.year, t.month, t.day);
  t.hour = static_cast<int>(rest / 3600);
  t.minute = static_cast<int>(rest / 60 % 60);
  t.second = static_cast<int>(rest % 60);
  return t;
}

std::string IsoUtcText(FileTime time) {
  std::string text;
  AppendIsoUtc(text, time);
  return text;
}

void AppendIsoUtc(std::string& out, FileTime time) {
  // Made in place, without a format string: a record may hold six times.
  const LocalTime t = UtcFields(time);
  std::array<char, 24> text{};
  char* at = std::to_chars(text.data(), text.data() + 6, t.year).ptr;  // 1601 to 60056
  for (const auto& [separator, value] :
       {std::pair{'-', t.month}, {'-', t.day}, {'T', t.hour}, {':', t.minute}, {':', t.second}}) {
    *at++ = separator;
    *at++ = static_cast<char>('0' + value / 10);
    *at++ = static_cast<char>('0' + value % 10);
  }
  *at++ = 'Z';
  out.append(text.data(), at);
}

}  // namespace varnlink::platform
