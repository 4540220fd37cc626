#include "report/record_writer.h"

#include <charconv>

#include "text/utf8.h"

namespace varnlink::report {
namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

// Appends `text` as valid UTF-8, each byte that begins no valid sequence as
// U+FFFD, and passes each ASCII character that is not printable, and the
// stops, to `escape`. Runs of printable characters are copied whole.
template <typename Escape>
void AppendText(std::string& out, std::string_view text, char stop_a, char stop_b, Escape escape) {
  for (std::size_t i = 0; i < text.size();) {
    const std::size_t plain = text::PlainRunEnd(text, i, stop_a, stop_b);
    out.append(text.data() + i, plain - i);
    i = plain;
    if (i == text.size()) break;
    const auto c = static_cast<unsigned char>(text[i]);
    if (c < 0x80) {
      escape(out, c);
      ++i;
    } else {
      text::AppendUtf8(out, text::NextCodePoint(text, i));
    }
  }
}

// Whether a CSV field holds a quote, comma or line end.
bool NeedsQuotes(std::string_view text) {
  for (std::size_t i = text::PlainRunEnd(text, 0, '"', ','); i < text.size();
       i = text::PlainRunEnd(text, i + 1, '"', ',')) {
    const char c = text[i];
    if (c == '"' || c == ',' || c == '\r' || c == '\n') return true;
  }
  return false;
}

// A field of RFC 4180: quoted when it must be, its quotes doubled. For Excel,
// a value that begins like a formula gets a "'" before it, which Excel shows
// as text.
void AppendCsvText(std::string& out, std::string_view text, bool for_excel) {
  const bool quoted = NeedsQuotes(text);
  if (quoted) out += '"';
  if (for_excel && !text.empty() &&
      std::string_view("=+-@\t\r").find(text.front()) != std::string_view::npos) {
    out += '\'';
  }
  // Control characters stand as they are: quoting is all CSV needs.
  AppendText(out, text, '"', '"', [](std::string& o, unsigned char c) {
    if (c == '"') {
      o += "\"\"";
    } else {
      o += static_cast<char>(c);
    }
  });
  if (quoted) out += '"';
}

void AppendNumber(std::string& out, std::uint64_t value) {
  char digits[24];
  const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
  out.append(digits, end);
}

void AppendSigned(std::string& out, std::int64_t value) {
  char digits[24];
  const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
  out.append(digits, end);
}

// The declared strings as a JSON object of those set, in record order.
void AppendDeclaredStrings(std::string& out, const lnk::DeclaredStrings& declared) {
  out += '{';
  for (const auto& [name, text] :
       {std::pair{"description", &declared.description},
        std::pair{"relative_path", &declared.relative_path},
        std::pair{"start_in", &declared.start_in}, std::pair{"arguments", &declared.arguments},
        std::pair{"icon_location", &declared.icon_location}}) {
    if (!*text) continue;
    if (out.back() != '{') out += ',';
    AppendJsonString(out, name);
    out += ':';
    AppendJsonString(out, **text);
  }
  out += '}';
}

// Writes one value as JSON.
struct JsonValue {
  std::string& out;
  void operator()(std::monostate) const { out += "null"; }
  void operator()(bool flag) const { out += flag ? "true" : "false"; }
  void operator()(std::uint64_t number) const { AppendNumber(out, number); }
  void operator()(std::string_view text) const { AppendJsonString(out, text); }
  void operator()(const std::string& text) const { AppendJsonString(out, text); }
  void operator()(platform::FileTime time) const {
    out += '"';
    platform::AppendIsoUtc(out, time);
    out += '"';
  }
  void operator()(const std::vector<checks::Suspicion>* suspicions) const {
    out += '[';
    for (const checks::Suspicion& found : *suspicions) {
      if (out.back() != '[') out += ',';
      out += "{\"check\":";
      AppendJsonString(out, found.check);
      out += ",\"reason\":";
      AppendJsonString(out, found.reason);
      out += '}';
    }
    out += ']';
  }
  void operator()(const lnk::DeclaredStrings* declared) const {
    AppendDeclaredStrings(out, *declared);
  }
  void operator()(const JsonText& json) const { out += json.text; }
  void operator()(std::int64_t number) const { AppendSigned(out, number); }
  void operator()(const std::vector<std::string>& names) const {
    out += '[';
    for (const std::string& name : names) {
      if (out.back() != '[') out += ',';
      AppendJsonString(out, name);
    }
    out += ']';
  }
};

// Writes one value as a CSV field; null is an empty field.
struct CsvValue {
  std::string& out;
  bool for_excel;
  void operator()(std::monostate) const {}
  void operator()(bool flag) const { out += flag ? "true" : "false"; }
  void operator()(std::uint64_t number) const { AppendNumber(out, number); }
  void operator()(std::string_view text) const { AppendCsvText(out, text, for_excel); }
  void operator()(const std::string& text) const { AppendCsvText(out, text, for_excel); }
  void operator()(platform::FileTime time) const { platform::AppendIsoUtc(out, time); }
  void operator()(const std::vector<checks::Suspicion>* suspicions) const {
    std::string ids;
    for (const checks::Suspicion& found : *suspicions) {
      if (!ids.empty()) ids += ';';
      ids += found.check;
    }
    out += ids;  // ids are plain words: nothing to quote
  }
  void operator()(const lnk::DeclaredStrings* declared) const {
    std::string json;
    AppendDeclaredStrings(json, *declared);
    AppendCsvText(out, json, for_excel);
  }
  void operator()(const JsonText& json) const { AppendCsvText(out, json.text, for_excel); }
  void operator()(std::int64_t number) const { AppendSigned(out, number); }
  void operator()(const std::vector<std::string>& names) const {
    std::string joined;
    for (const std::string& name : names) {
      if (!joined.empty()) joined += ';';
      joined += name;
    }
    AppendCsvText(out, joined, for_excel);
  }
};

}  // namespace

void AppendCsvField(std::string& out, std::string_view text) { AppendCsvText(out, text, false); }

void AppendJsonString(std::string& out, std::string_view text) {
  out += '"';
  AppendText(out, text, '"', '\\', [](std::string& o, unsigned char c) {
    switch (c) {
      case '"':
        o += "\\\"";
        return;
      case '\\':
        o += "\\\\";
        return;
      case '\n':
        o += "\\n";
        return;
      case '\r':
        o += "\\r";
        return;
      case '\t':
        o += "\\t";
        return;
      case '\b':
        o += "\\b";
        return;
      case '\f':
        o += "\\f";
        return;
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
  AppendFields(out, record, 0, RecordFields().size());
  out += LineEnd();
}

RecordParts RecordWriter::RenderAhead(const Record& record) const {
  const FieldRange in_order = FieldsSetInRunOrder();
  RecordParts parts;
  AppendFields(parts.head, record, 0, in_order.begin);
  AppendFields(parts.tail, record, in_order.end, RecordFields().size());
  parts.tail += LineEnd();
  return parts;
}

void RecordWriter::AppendRecord(std::string& out, const Record& record,
                                const RecordParts& parts) const {
  const FieldRange in_order = FieldsSetInRunOrder();
  out += parts.head;
  AppendFields(out, record, in_order.begin, in_order.end);
  out += parts.tail;
}

std::string_view RecordWriter::LineEnd() const {
  return format_ == RecordFormat::kJsonLines ? "}\n" : "\r\n";
}

void RecordWriter::AppendFields(std::string& out, const Record& record, std::size_t begin,
                                std::size_t end) const {
  const auto fields = RecordFields();
  if (format_ == RecordFormat::kJsonLines) {
    for (std::size_t i = begin; i < end; ++i) {
      out += json_keys_[i];
      std::visit(JsonValue{out}, ValueOf(fields[i], record));
    }
    return;
  }
  const CsvValue write{out, format_ == RecordFormat::kCsvForExcel};
  for (std::size_t i = begin; i < end; ++i) {
    if (i > 0) out += ',';
    std::visit(write, ValueOf(fields[i], record));
  }
}

}  // namespace varnlink::report
