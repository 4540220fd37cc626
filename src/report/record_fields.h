#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "platform/file_time.h"
#include "report/report_entry.h"

namespace varnlink::report {

// One record of the machine-readable output: the entry of an audited
// shortcut, or a shortcut that could not be audited. Exactly one is set.
struct Record {
  const ReportEntry* entry = nullptr;
  const report::FailedShortcut* failure = nullptr;
};

// A value already written as JSON text (a list of objects): JSON writes it as
// it stands, CSV as one text field.
struct JsonText {
  std::string text;
};

// Appends `text` to `out` as a JSON string: quoted, escaped, and valid UTF-8
// (each byte that begins no valid sequence as U+FFFD).
void AppendJsonString(std::string& out, std::string_view text);

// A field's value: null, a boolean, a number, text (UTF-8 as the shortcut
// holds it, unmasked; a writer replaces what is not valid UTF-8), or an
// instant (written in UTC), or the suspicious-shortcut checks that fired
// (a list of {"check", "reason"} objects in JSON; the ids joined by ";" in
// CSV), or the strings as their counts declare them (an object of the strings
// that differ from Windows' reading in JSON; that JSON text in CSV). Text
// views, lists and objects stay valid while the record does.
//
// Besides: a signed number, and a list of names (a JSON array of strings; in
// CSV the names joined by ";").
using FieldValue = std::variant<std::monostate, bool, std::uint64_t, std::string_view, std::string,
                                platform::FileTime, const std::vector<checks::Suspicion>*,
                                const lnk::DeclaredStrings*, JsonText, std::int64_t,
                                std::vector<std::string>>;

// One field of the record: its name and how to take its value.
struct RecordField {
  std::string_view name;
  FieldValue (*of_entry)(const ReportEntry& entry);
  // For the record of a shortcut that could not be audited; without it the
  // field is null there.
  FieldValue (*of_failure)(const report::FailedShortcut& failure) = nullptr;
};

// The fields of every record, in the order records list them. The JSON Lines
// and CSV writers and docs/record.schema.json all follow this table; a new
// field is appended to it and to the schema.
[[nodiscard]] std::span<const RecordField> RecordFields();

// Where the fields that the run sets in its order lie in RecordFields(), as
// [begin, end): the duplicate checks' and the missing-target check's, from
// duplicate_target_of to target_status_reason. The others depend on the
// shortcut alone and can be written before the run reaches it.
struct FieldRange {
  std::size_t begin = 0;
  std::size_t end = 0;
};
[[nodiscard]] FieldRange FieldsSetInRunOrder();

// The value of `field` in `record`.
[[nodiscard]] FieldValue ValueOf(const RecordField& field, const Record& record);

}  // namespace varnlink::report
