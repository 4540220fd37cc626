#include "report/timeline_writer.h"

#include <algorithm>
#include <array>
#include <cassert>
#include <span>
#include <string_view>
#include <type_traits>

#include "report/record_writer.h"

namespace varnlink::report {
namespace {

constexpr std::array<std::string_view, 3> kTimeColumns = {"datetime", "timestamp_desc", "message"};
constexpr std::array<std::string_view, 6> kRecordColumns = {
    "path", "target", "arguments", "machine_id", "sha256", "suspicious"};

// A value of the record's columns as a CSV field: texts, or the ids of the
// suspicious checks that fired joined by ";"; null is an empty field.
void AppendValue(std::string& out, const FieldValue& value) {
  std::visit(
      [&out](const auto& v) {
        using T = std::decay_t<decltype(v)>;
        if constexpr (std::is_same_v<T, std::string_view> || std::is_same_v<T, std::string>) {
          AppendCsvField(out, v);
        } else if constexpr (std::is_same_v<T, const std::vector<checks::Suspicion>*>) {
          for (const checks::Suspicion& found : *v) {
            if (&found != &v->front()) out += ';';
            out += found.check;  // ids are plain words: nothing to quote
          }
        }
      },
      value);
}

std::string_view TextOf(const FieldValue& value) {
  const auto* text = std::get_if<std::string_view>(&value);
  return text ? *text : std::string_view{};
}

}  // namespace

TimelineWriter::TimelineWriter() {
  const auto fields = RecordFields();
  for (const std::string_view name : kRecordColumns) {
    const auto field = std::find_if(fields.begin(), fields.end(),
                                    [name](const RecordField& f) { return f.name == name; });
    assert(field != fields.end());
    fields_.push_back(&*field);
  }
}

void TimelineWriter::AppendStart(std::string& out) const {
  bool first = true;
  for (const auto& columns : {std::span<const std::string_view>(kTimeColumns),
                              std::span<const std::string_view>(kRecordColumns)}) {
    for (const std::string_view column : columns) {
      if (!first) out += ',';
      first = false;
      out += column;
    }
  }
  out += "\r\n";
}

void TimelineWriter::AppendRecord(std::string& out, const Record& record) {
  if (record.entry == nullptr) return;
  const ReportEntry& entry = *record.entry;
  const std::vector<DatedThing>& things = dates_.Of(entry);
  if (things.empty()) return;

  shortcut_columns_.clear();
  for (const RecordField* field : fields_) {
    shortcut_columns_ += ',';
    AppendValue(shortcut_columns_, ValueOf(*field, record));
  }
  // "C:\Users\ann\Desktop\x.lnk -> C:\Windows\notepad.exe notes.txt"
  std::string message = entry.facts.path;
  if (const std::string_view target = TextOf(ValueOf(*fields_[1], record)); !target.empty()) {
    message += " -> ";
    message += target;
  }
  if (const std::string_view arguments = TextOf(ValueOf(*fields_[2], record));
      !arguments.empty()) {
    message += ' ';
    message += arguments;
  }
  const std::size_t message_size = message.size();

  for (const DatedThing& thing : things) {
    message.resize(message_size);
    if (!thing.note.empty()) message += " (" + thing.note + ")";
    for (const DatedTime& dated : thing.times) {
      platform::AppendIsoUtc(out, dated.time);
      out += ',';
      AppendCsvField(out, dated.description);
      out += ',';
      AppendCsvField(out, message);
      out += shortcut_columns_;
      out += "\r\n";
    }
  }
}

}  // namespace varnlink::report
