#include "report/record_fields.h"

#include <array>
#include <optional>

#include "report/report_format.h"

namespace varnlink::report {
namespace {

std::string_view TargetSourceName(lnk::TargetSource source) {
  switch (source) {
    case lnk::TargetSource::kNone:
      return "none";
    case lnk::TargetSource::kLinkInfo:
      return "link_info";
    case lnk::TargetSource::kEnvironment:
      return "environment";
    case lnk::TargetSource::kIdList:
      return "id_list";
    case lnk::TargetSource::kAppId:
      return "app_id";
    case lnk::TargetSource::kByteRules:
      return "byte_rules";
  }
  return "none";
}

std::string_view CodePageSourceName(lnk::CodePageSource source) {
  switch (source) {
    case lnk::CodePageSource::kGiven:
      return "given";
    case lnk::CodePageSource::kInferred:
      return "inferred";
    case lnk::CodePageSource::kConsole:
      return "console";
    case lnk::CodePageSource::kDefault:
      return "default";
  }
  return "default";
}

FieldValue Text(const std::optional<std::string>& text) {
  return text ? FieldValue{std::string_view(*text)} : FieldValue{};
}

// An instant with a four-digit year; null past 9999-12-31, where a header's
// 64-bit time field can reach (the text report still shows those years).
FieldValue Time(const std::optional<platform::FileTime>& time) {
  if (!time || time->ticks >= platform::kTicksTo10000) return {};
  return *time;
}

FieldValue Attribute(const ReportEntry& e, platform::Attribute bit) {
  return FieldValue{(e.facts.attributes & bit) != 0};
}

FieldValue FileTimeOf(const ReportEntry& e, platform::FileTime platform::FileTimes::*which) {
  if (!e.facts.times) return {};
  return Time((*e.facts.times).*which);
}

const std::array kFields = {
    RecordField{
        "path", [](const ReportEntry& e) -> FieldValue { return std::string_view(e.facts.path); },
        [](const report::FailedShortcut& f) -> FieldValue { return std::string_view(f.path); }},
    RecordField{
        "name", [](const ReportEntry& e) -> FieldValue { return std::string_view(e.facts.name); },
        [](const report::FailedShortcut& f) -> FieldValue { return std::string_view(f.name); }},
    RecordField{"genuine", [](const ReportEntry& e) -> FieldValue { return e.info.genuine; }},
    RecordField{"target",
                [](const ReportEntry& e) -> FieldValue {
                  if (e.info.target_source == lnk::TargetSource::kNone) return {};
                  return std::string_view(e.info.target);
                }},
    RecordField{
        "target_source",
        [](const ReportEntry& e) -> FieldValue { return TargetSourceName(e.info.target_source); }},
    RecordField{"arguments", [](const ReportEntry& e) { return Text(e.info.arguments); }},
    RecordField{"start_in", [](const ReportEntry& e) { return Text(e.info.start_in); }},
    RecordField{"icon_location", [](const ReportEntry& e) { return Text(e.info.icon_location); }},
    RecordField{"description", [](const ReportEntry& e) { return Text(e.info.description); }},
    RecordField{"hot_key",
                [](const ReportEntry& e) -> FieldValue {
                  if (!e.info.hot_key) return {};
                  return HotKeyText(*e.info.hot_key);
                }},
    RecordField{"run",
                [](const ReportEntry& e) -> FieldValue {
                  if (!e.info.run) return {};
                  return RunModeName(*e.info.run);
                }},
    RecordField{"size", [](const ReportEntry& e) -> FieldValue { return e.facts.size; }},
    RecordField{"read_only",
                [](const ReportEntry& e) { return Attribute(e, platform::kReadOnly); }},
    RecordField{"hidden", [](const ReportEntry& e) { return Attribute(e, platform::kHidden); }},
    RecordField{"archive", [](const ReportEntry& e) { return Attribute(e, platform::kArchive); }},
    RecordField{"created",
                [](const ReportEntry& e) { return FileTimeOf(e, &platform::FileTimes::created); }},
    RecordField{"modified",
                [](const ReportEntry& e) { return FileTimeOf(e, &platform::FileTimes::modified); }},
    RecordField{"accessed",
                [](const ReportEntry& e) { return FileTimeOf(e, &platform::FileTimes::accessed); }},
    RecordField{"target_created", [](const ReportEntry& e) { return Time(e.info.target_created); }},
    RecordField{"target_modified",
                [](const ReportEntry& e) { return Time(e.info.target_modified); }},
    RecordField{"target_accessed",
                [](const ReportEntry& e) { return Time(e.info.target_accessed); }},
    RecordField{"duplicate_target_of",
                [](const ReportEntry& e) { return Text(e.duplicate_target_of); }},
    RecordField{"duplicate_arguments_of",
                [](const ReportEntry& e) { return Text(e.duplicate_arguments_of); }},
    RecordField{
        "error", [](const ReportEntry&) { return FieldValue{}; },
        [](const report::FailedShortcut& f) -> FieldValue { return std::string_view(f.cause); }},
    RecordField{"target_status",
                [](const ReportEntry& e) -> FieldValue {
                  if (!e.target_status) return {};
                  return checks::OutcomeName(e.target_status->outcome);
                }},
    RecordField{"target_checked_path",
                [](const ReportEntry& e) -> FieldValue {
                  return e.target_status ? Text(e.target_status->checked_path) : FieldValue{};
                }},
    RecordField{"target_status_reason",
                [](const ReportEntry& e) -> FieldValue {
                  if (!e.target_status || !e.target_status->reason) return {};
                  return checks::ReasonName(*e.target_status->reason);
                }},
    RecordField{"suspicious",
                [](const ReportEntry& e) -> FieldValue {
                  if (!e.suspicions) return {};
                  return &*e.suspicions;
                }},
    RecordField{"runs",
                [](const ReportEntry& e) -> FieldValue {
                  if (!e.suspicions) return {};
                  return std::string_view(e.info.effective_target);
                }},
    RecordField{"declared_strings",
                [](const ReportEntry& e) -> FieldValue {
                  if (!e.info.declared_strings) return {};
                  return &*e.info.declared_strings;
                }},
    RecordField{"codepage",
                [](const ReportEntry& e) -> FieldValue {
                  if (!e.info.code_page) return {};
                  return std::uint64_t{e.info.code_page->code_page};
                }},
    RecordField{"codepage_source",
                [](const ReportEntry& e) -> FieldValue {
                  if (!e.info.code_page) return {};
                  return CodePageSourceName(e.info.code_page->source);
                }},
    RecordField{"sha256",
                [](const ReportEntry& e) -> FieldValue {
                  if (!e.sha256) return {};
                  return platform::HexOf(*e.sha256);
                }},
};

}  // namespace

std::span<const RecordField> RecordFields() { return kFields; }

FieldValue ValueOf(const RecordField& field, const Record& record) {
  if (record.entry != nullptr) return field.of_entry(*record.entry);
  if (record.failure != nullptr && field.of_failure != nullptr)
    return field.of_failure(*record.failure);
  return {};
}

}  // namespace varnlink::report
