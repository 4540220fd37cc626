#include "report/body_file_writer.h"

#include <array>
#include <charconv>
#include <cstdint>

#include "text/utf8.h"

namespace varnlink::report {
namespace {

// A field's text, valid UTF-8, with "%", "|" and the ASCII control
// characters as "%XX", except LF: mactime (4.11) drops every line whose name
// decodes to one, so an LF is written as U+240A, its control picture "␊".
void AppendField(std::string& out, std::string_view text) {
  constexpr std::string_view kHex = "0123456789ABCDEF";
  for (std::size_t i = 0; i < text.size();) {
    const std::size_t plain = text::PlainRunEnd(text, i, '%', '|');
    out.append(text.data() + i, plain - i);
    i = plain;
    if (i == text.size()) break;
    const auto c = static_cast<unsigned char>(text[i]);
    if (c == '\n') {
      text::AppendUtf8(out, U'\u240A');
      ++i;
    } else if (c < 0x80) {
      out += '%';
      out += kHex[c >> 4];
      out += kHex[c & 0xF];
      ++i;
    } else {
      text::AppendUtf8(out, text::NextCodePoint(text, i));
    }
  }
}

void AppendNumber(std::string& out, std::uint64_t value) {
  char digits[24];
  const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
  out.append(digits, end);
}

// Whole seconds since 1970; 0, the format's "unknown", for earlier times.
std::uint64_t UnixSeconds(platform::FileTime time) {
  if (time.ticks <= platform::kTicksTo1970) return 0;
  return (time.ticks - platform::kTicksTo1970) / platform::kTicksPerSecond;
}

}  // namespace

void BodyFileWriter::AppendRecord(std::string& out, const Record& record) {
  if (record.entry == nullptr) return;
  for (const DatedThing& thing : dates_.Of(*record.entry)) {
    std::array<std::uint64_t, 4> seconds{};  // atime, mtime, ctime, crtime
    for (const DatedTime& dated : thing.times) {
      seconds[static_cast<std::size_t>(dated.kind)] = UnixSeconds(dated.time);
    }
    out += "0|";
    AppendField(out, thing.name);
    out += "|0|0|0|0|";
    AppendNumber(out, thing.size);
    for (const std::uint64_t second : seconds) {
      out += '|';
      AppendNumber(out, second);
    }
    out += '\n';
  }
}

}  // namespace varnlink::report
