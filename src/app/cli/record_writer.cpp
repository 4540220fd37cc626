#include "app/cli/record_writer.h"

#include <charconv>

#include "platform/utf8.h"

namespace varnlink::app::cli {
namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

// Appends `text` as valid UTF-8, each byte that begins no valid sequence as
// U+FFFD, and each ASCII character for which `special` holds through
// `escape`. Runs of plain characters are copied whole: most text is plain.
template <typename Special, typename Escape>
void AppendText(std::string& out, std::string_view text, Special special, Escape escape) {
  std::size_t i = 0;
  while (i < text.size()) {
    std::size_t plain = i;
    while (plain < text.size()) {
      const auto c = static_cast<unsigned char>(text[plain]);
      if (c >= 0x80 || special(c)) break;
      ++plain;
    }
    out.append(text.data() + i, plain - i);
    i = plain;
    if (i == text.size()) break;
    const auto c = static_cast<unsigned char>(text[i]);
    if (c < 0x80) {
      escape(out, c);
      ++i;
    } else {
      platform::AppendUtf8(out, platform::NextCodePoint(text, i));
    }
  }
}

void AppendJsonString(std::string& out, std::string_view text) {
  out += '"';
  AppendText(
      out, text, [](unsigned char c) { return c < 0x20 || c == '"' || c == '\\'; },
      [](std::string& o, unsigned char c) {
        switch (c) {
          case '"': o += "\\\""; return;
          case '\\': o += "\\\\"; return;
          case '\n': o += "\\n"; return;
          case '\r': o += "\\r"; return;
          case '\t': o += "\\t"; return;
          case '\b': o += "\\b"; return;
          case '\f': o += "\\f"; return;
          default: {
            constexpr std::string_view kHex = "0123456789abcdef";
            o += "\\u00";
            o += kHex[c >> 4];
            o += kHex[c & 0xF];
          }
        }
      });
  out += '"';
}

// A field of RFC 4180: quoted when it holds a quote, comma or line end, its
// quotes doubled. For Excel, a value that begins like a formula gets a "'"
// before it, which Excel shows as text.
void AppendCsvText(std::string& out, std::string_view text, bool for_excel) {
  const bool quoted = text.find_first_of("\",\r\n") != std::string_view::npos;
  if (quoted) out += '"';
  if (for_excel && !text.empty() && std::string_view("=+-@\t\r").find(text.front()) != std::string_view::npos) {
    out += '\'';
  }
  AppendText(
      out, text, [](unsigned char c) { return c == '"'; },
      [](std::string& o, unsigned char) { o += "\"\""; });
  if (quoted) out += '"';
}

void AppendNumber(std::string& out, std::uint64_t value) {
  char digits[24];
  const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
  out.append(digits, end);
}

}  // namespace

RecordWriter::RecordWriter(RecordFormat format) : format_(format) {
  for (const RecordField& field : RecordFields()) {
    std::string key = json_keys_.empty() ? "{" : ",";
    AppendJsonString(key, field.name);
    key += ':';
    json_keys_.push_back(std::move(key));
  }
}

void RecordWriter::AppendStart(std::string& out) const {
  if (format_ == RecordFormat::kJsonLines) return;
  if (format_ == RecordFormat::kCsvForExcel) out += kByteOrderMark;
  bool first = true;
  for (const RecordField& field : RecordFields()) {
    if (!first) out += ',';
    first = false;
    AppendCsvText(out, field.name, false);
  }
  out += "\r\n";
}

void RecordWriter::AppendRecord(std::string& out, const Record& record) const {
  if (format_ == RecordFormat::kJsonLines) {
    AppendJson(out, record);
  } else {
    AppendCsv(out, record);
  }
}

void RecordWriter::AppendJson(std::string& out, const Record& record) const {
  const auto fields = RecordFields();
  for (std::size_t i = 0; i < fields.size(); ++i) {
    out += json_keys_[i];
    const FieldValue value = ValueOf(fields[i], record);
    if (const auto* text = std::get_if<std::string_view>(&value)) {
      AppendJsonString(out, *text);
    } else if (const auto* owned = std::get_if<std::string>(&value)) {
      AppendJsonString(out, *owned);
    } else if (const auto* flag = std::get_if<bool>(&value)) {
      out += *flag ? "true" : "false";
    } else if (const auto* number = std::get_if<std::uint64_t>(&value)) {
      AppendNumber(out, *number);
    } else if (const auto* time = std::get_if<platform::FileTime>(&value)) {
      out += '"';
      platform::AppendIsoUtc(out, *time);
      out += '"';
    } else {
      out += "null";
    }
  }
  out += "}\n";
}

void RecordWriter::AppendCsv(std::string& out, const Record& record) const {
  const bool for_excel = format_ == RecordFormat::kCsvForExcel;
  bool first = true;
  for (const RecordField& field : RecordFields()) {
    if (!first) out += ',';
    first = false;
    const FieldValue value = ValueOf(field, record);
    if (const auto* text = std::get_if<std::string_view>(&value)) {
      AppendCsvText(out, *text, for_excel);
    } else if (const auto* owned = std::get_if<std::string>(&value)) {
      AppendCsvText(out, *owned, for_excel);
    } else if (const auto* flag = std::get_if<bool>(&value)) {
      out += *flag ? "true" : "false";
    } else if (const auto* number = std::get_if<std::uint64_t>(&value)) {
      AppendNumber(out, *number);
    } else if (const auto* time = std::get_if<platform::FileTime>(&value)) {
      platform::AppendIsoUtc(out, *time);
    }
  }
  out += "\r\n";
}

}  // namespace varnlink::app::cli
