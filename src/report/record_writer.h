#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "report/record_fields.h"

namespace varnlink::report {

enum class RecordFormat {
  kJsonLines,    // one JSON object per line, UTF-8, LF
  kCsv,          // RFC 4180: UTF-8, CR LF, a header row
  kCsvForExcel,  // CSV with a byte-order mark, and no value that Excel would take for a formula
};

// Appends `text` as one field of RFC 4180 CSV: quoted when it holds a quote,
// comma or line end, its quotes doubled, valid UTF-8 (each byte that begins
// no valid sequence as U+FFFD).
void AppendCsvField(std::string& out, std::string_view text);

// A record's text but for the fields the run sets in its order
// (FieldsSetInRunOrder): what stands before them and after them, line end
// included.
struct RecordParts {
  std::string head;
  std::string tail;
};

// Writes records in one of the machine-readable formats, every field of
// RecordFields() in its order. Text that is not valid UTF-8 is written with
// U+FFFD in place of each invalid byte; nothing else is changed or masked,
// only escaped or quoted as the format requires. Null is JSON's null, and an
// empty field in CSV (where it reads like "").
class RecordWriter {
 public:
  explicit RecordWriter(RecordFormat format);

  // Appends what stands before the first record: for CSV the header row
  // (after the byte-order mark, for Excel); nothing for JSON Lines.
  void AppendStart(std::string& out) const;

  // Appends one record, with its line end.
  void AppendRecord(std::string& out, const Record& record) const;

  // The record's text but for the fields the run sets in its order, made
  // before the run reaches the record (on any thread: it reads only the
  // writer's fixed state); and the record appended from those parts, its
  // fields set in order taken from `record`.
  [[nodiscard]] RecordParts RenderAhead(const Record& record) const;
  void AppendRecord(std::string& out, const Record& record, const RecordParts& parts) const;

 private:
  // Fields [begin, end) of the record, each with what goes before it.
  void AppendFields(std::string& out, const Record& record, std::size_t begin,
                    std::size_t end) const;
  [[nodiscard]] std::string_view LineEnd() const;

  RecordFormat format_;
  std::vector<std::string> json_keys_;  // `{"path":`, `,"name":`, ...: the text before each value
};

}  // namespace varnlink::report
