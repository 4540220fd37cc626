#include "report/record_fields.h"

#include <algorithm>

#include <array>
#include <charconv>
#include <optional>

#include "lnk/property_store.h"
#include "report/forensic_names.h"
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

// Eight upper-case hex digits: "A0000003".
std::string Hex8(std::uint32_t value) {
  constexpr char kDigits[] = "0123456789ABCDEF";
  std::string hex;
  for (int shift = 28; shift >= 0; shift -= 4) hex += kDigits[(value >> shift) & 0xF];
  return hex;
}

FieldValue Number(std::optional<std::uint64_t> number) {
  return number ? FieldValue{*number} : FieldValue{};
}

const lnk::LinkInfoParts* LinkInfoPartsOf(const ReportEntry& e) {
  return e.info.link_info_parts ? &*e.info.link_info_parts : nullptr;
}

const lnk::ExtraBlocks* BlocksOf(const ReportEntry& e) {
  return e.info.extra_blocks ? &*e.info.extra_blocks : nullptr;
}

const lnk::TrackerData* TrackerOf(const ReportEntry& e) {
  const lnk::ExtraBlocks* blocks = BlocksOf(e);
  return blocks && blocks->tracker ? &*blocks->tracker : nullptr;
}

const lnk::DarwinData* DarwinOf(const ReportEntry& e) {
  const lnk::ExtraBlocks* blocks = BlocksOf(e);
  return blocks && blocks->darwin ? &*blocks->darwin : nullptr;
}

// A text of the link info's parts, the tracker or the Darwin block.
template <typename Part, typename Member>
FieldValue TextOf(const Part* part, Member member) {
  return part ? Text(part->*member) : FieldValue{};
}

FieldValue TrackerText(const ReportEntry& e, std::string lnk::TrackerData::*which) {
  const lnk::TrackerData* tracker = TrackerOf(e);
  return tracker ? FieldValue{std::string_view(tracker->*which)} : FieldValue{};
}

// The bytes appended after the terminal block: where they start, how many
// (the file's real size, which may exceed the bytes decoded).
std::optional<std::size_t> OverlayOffset(const ReportEntry& e) {
  const lnk::ExtraBlocks* blocks = BlocksOf(e);
  if (!blocks || !blocks->terminal_end || *blocks->terminal_end >= e.facts.size) return {};
  return blocks->terminal_end;
}

// --- the ID list's shell items and the property stores, as JSON text --------

template <typename Number>
void AppendNumberText(std::string& out, Number value) {
  char digits[24];
  const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
  out.append(digits, end);
}

void AppendKey(std::string& out, std::string_view key) {
  if (out.back() != '{') out += ',';
  AppendJsonString(out, key);
  out += ':';
}

// An instant as a JSON string, with `fraction` digits of its 100 ns ticks
// (0 or 7); null past the year 9999.
void AppendTime(std::string& out, platform::FileTime time, bool fraction) {
  if (time.ticks >= platform::kTicksTo10000) {
    out += "null";
    return;
  }
  std::string text = platform::IsoUtcText(time);
  if (fraction) {
    const std::string digits =
        std::to_string(platform::kTicksPerSecond + time.ticks % platform::kTicksPerSecond);
    text.insert(text.size() - 1, "." + digits.substr(1));
  }
  AppendJsonString(out, text);
}

void AppendShellItem(std::string& out, const lnk::ShellItem& item) {
  out += '{';
  AppendKey(out, "type");
  AppendJsonString(out, item.type);
  for (const auto& [key, text] : {std::pair{"name", &item.name},
                                   std::pair{"long_name", &item.long_name}}) {
    AppendKey(out, key);
    if (*text) {
      AppendJsonString(out, **text);
    } else {
      out += "null";
    }
  }
  if (item.mft_entry) {
    AppendKey(out, "mft_entry");
    AppendNumberText(out, *item.mft_entry);
  }
  if (item.mft_sequence) {
    AppendKey(out, "mft_sequence");
    AppendNumberText(out, *item.mft_sequence);
  }
  for (const auto& [key, time] : {std::pair{"created", &item.created},
                                   std::pair{"modified", &item.modified},
                                   std::pair{"accessed", &item.accessed}}) {
    if (!*time) continue;
    AppendKey(out, key);
    AppendTime(out, **time, false);
  }
  out += '}';
}

void AppendProperty(std::string& out, const lnk::Property& property) {
  out += '{';
  AppendKey(out, "format_id");
  AppendJsonString(out, property.format_id);
  AppendKey(out, "id");
  if (const auto* number = std::get_if<std::uint32_t>(&property.id)) {
    AppendNumberText(out, *number);
  } else {
    AppendJsonString(out, std::get<std::string>(property.id));
  }
  if (property.name) {
    AppendKey(out, "name");
    AppendJsonString(out, *property.name);
  }
  AppendKey(out, "type");
  AppendJsonString(out, lnk::VariantTypeName(property.type));
  AppendKey(out, "value");
  std::visit(
      [&out](const auto& value) {
        using T = std::decay_t<decltype(value)>;
        if constexpr (std::is_same_v<T, std::monostate>) {
          out += "null";
        } else if constexpr (std::is_same_v<T, bool>) {
          out += value ? "true" : "false";
        } else if constexpr (std::is_same_v<T, std::string>) {
          AppendJsonString(out, value);
        } else if constexpr (std::is_same_v<T, platform::FileTime>) {
          AppendTime(out, value, true);
        } else {
          AppendNumberText(out, value);
        }
      },
      property.value);
  out += '}';
}

template <typename Item, typename Append>
void AppendList(std::string& out, const std::vector<Item>& items, Append append) {
  for (const Item& item : items) {
    out += out.back() == '[' ? "" : ",";
    append(out, item);
  }
}

FieldValue ShellItems(const ReportEntry& e) {
  if (!e.info.id_list) return {};
  JsonText json{"["};
  AppendList(json.text, e.info.id_list->items, AppendShellItem);
  json.text += ']';
  return json;
}

// The ID list's properties (an apps item's), then the property-store block's.
FieldValue PropertyStore(const ReportEntry& e) {
  const bool in_items = e.info.id_list && !e.info.id_list->properties.empty();
  if (!e.info.property_store && !in_items) return {};
  JsonText json{"["};
  if (in_items) AppendList(json.text, e.info.id_list->properties, AppendProperty);
  if (e.info.property_store) AppendList(json.text, *e.info.property_store, AppendProperty);
  json.text += ']';
  return json;
}

// --- a shortcut kept in a jump list -----------------------------------------

FieldValue JumpContainer(const JumpListFacts& j) { return std::string_view(j.container); }
FieldValue JumpStream(const JumpListFacts& j) { return std::string_view(j.stream); }
FieldValue JumpAppId(const JumpListFacts& j) { return std::string_view(j.app_id); }
FieldValue JumpAppName(const JumpListFacts& j) {
  if (!j.app_name) return {};
  return std::string_view(*j.app_name);
}
FieldValue JumpEntryNumber(const JumpListFacts& j) { return Number(j.entry_number); }
FieldValue JumpMruPosition(const JumpListFacts& j) { return Number(j.mru_position); }
FieldValue JumpLastUsed(const JumpListFacts& j) {
  if (!j.last_used) return {};
  return *j.last_used;
}
FieldValue JumpAccessCount(const JumpListFacts& j) { return Number(j.access_count); }
FieldValue JumpPinned(const JumpListFacts& j) {
  if (!j.pinned) return {};
  return *j.pinned;
}
FieldValue JumpHostname(const JumpListFacts& j) {
  if (!j.hostname) return {};
  return std::string_view(*j.hostname);
}
FieldValue JumpCategory(const JumpListFacts& j) {
  if (!j.category) return {};
  return std::string_view(*j.category);
}

// A field of the jump list facts, for entries and failures alike.
template <FieldValue (*Of)(const JumpListFacts&)>
constexpr RecordField JumpListField(std::string_view name) {
  return RecordField{
      name,
      [](const ReportEntry& e) { return e.jump_list ? Of(*e.jump_list) : FieldValue{}; },
      [](const FailedShortcut& f) { return f.jump_list ? Of(*f.jump_list) : FieldValue{}; }};
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
    RecordField{"link_flags",
                [](const ReportEntry& e) -> FieldValue {
                  if (!e.info.genuine) return {};
                  return LinkFlagNames(e.info.link_flags);
                }},
    RecordField{"file_attributes",
                [](const ReportEntry& e) -> FieldValue {
                  if (!e.info.header) return {};
                  return FileAttributeNames(e.info.header->file_attributes);
                }},
    RecordField{"target_size",
                [](const ReportEntry& e) -> FieldValue {
                  if (!e.info.header) return {};
                  return std::uint64_t{e.info.header->target_size};
                }},
    RecordField{"icon_index",
                [](const ReportEntry& e) -> FieldValue {
                  if (!e.info.header) return {};
                  return std::int64_t{e.info.header->icon_index};
                }},
    RecordField{"show_command",
                [](const ReportEntry& e) -> FieldValue {
                  if (!e.info.header) return {};
                  return std::uint64_t{e.info.header->show_command};
                }},
    RecordField{"drive_type",
                [](const ReportEntry& e) -> FieldValue {
                  const lnk::LinkInfoParts* parts = LinkInfoPartsOf(e);
                  if (!parts || !parts->drive_type) return {};
                  return DriveTypeName(*parts->drive_type);
                }},
    RecordField{"drive_serial",
                [](const ReportEntry& e) -> FieldValue {
                  const lnk::LinkInfoParts* parts = LinkInfoPartsOf(e);
                  if (!parts || !parts->drive_serial) return {};
                  return Hex8(*parts->drive_serial);
                }},
    RecordField{"volume_label",
                [](const ReportEntry& e) {
                  return TextOf(LinkInfoPartsOf(e), &lnk::LinkInfoParts::volume_label);
                }},
    RecordField{"local_base_path",
                [](const ReportEntry& e) {
                  return TextOf(LinkInfoPartsOf(e), &lnk::LinkInfoParts::local_base_path);
                }},
    RecordField{"common_path_suffix",
                [](const ReportEntry& e) {
                  return TextOf(LinkInfoPartsOf(e), &lnk::LinkInfoParts::common_path_suffix);
                }},
    RecordField{"network_share",
                [](const ReportEntry& e) {
                  return TextOf(LinkInfoPartsOf(e), &lnk::LinkInfoParts::network_share);
                }},
    RecordField{"network_device",
                [](const ReportEntry& e) {
                  return TextOf(LinkInfoPartsOf(e), &lnk::LinkInfoParts::network_device);
                }},
    RecordField{"network_provider",
                [](const ReportEntry& e) -> FieldValue {
                  const lnk::LinkInfoParts* parts = LinkInfoPartsOf(e);
                  if (!parts || !parts->network_provider) return {};
                  return NetworkProviderName(*parts->network_provider);
                }},
    RecordField{"machine_id",
                [](const ReportEntry& e) { return TrackerText(e, &lnk::TrackerData::machine_id); }},
    RecordField{"droid_volume",
                [](const ReportEntry& e) { return TrackerText(e, &lnk::TrackerData::droid_volume); }},
    RecordField{"droid_file",
                [](const ReportEntry& e) { return TrackerText(e, &lnk::TrackerData::droid_file); }},
    RecordField{"birth_droid_volume",
                [](const ReportEntry& e) {
                  return TrackerText(e, &lnk::TrackerData::birth_droid_volume);
                }},
    RecordField{"birth_droid_file",
                [](const ReportEntry& e) {
                  return TrackerText(e, &lnk::TrackerData::birth_droid_file);
                }},
    RecordField{"mac",
                [](const ReportEntry& e) -> FieldValue {
                  const lnk::TrackerData* tracker = TrackerOf(e);
                  if (!tracker || !tracker->mac) return {};
                  return MacText(*tracker->mac);
                }},
    RecordField{"droid_time",
                [](const ReportEntry& e) -> FieldValue {
                  const lnk::TrackerData* tracker = TrackerOf(e);
                  if (!tracker || !tracker->droid_time ||
                      tracker->droid_time->ticks >= platform::kTicksTo10000) {
                    return {};
                  }
                  return PreciseUtcText(*tracker->droid_time);
                }},
    RecordField{"moved",
                [](const ReportEntry& e) -> FieldValue {
                  const lnk::TrackerData* tracker = TrackerOf(e);
                  if (!tracker) return {};
                  return tracker->droid_volume != tracker->birth_droid_volume ||
                         tracker->droid_file != tracker->birth_droid_file;
                }},
    RecordField{"known_folder",
                [](const ReportEntry& e) {
                  return TextOf(BlocksOf(e), &lnk::ExtraBlocks::known_folder);
                }},
    RecordField{"known_folder_name",
                [](const ReportEntry& e) -> FieldValue {
                  const lnk::ExtraBlocks* blocks = BlocksOf(e);
                  if (!blocks || !blocks->known_folder) return {};
                  const auto name = KnownFolderName(*blocks->known_folder);
                  return name ? FieldValue{*name} : FieldValue{};
                }},
    RecordField{"special_folder",
                [](const ReportEntry& e) -> FieldValue {
                  const lnk::ExtraBlocks* blocks = BlocksOf(e);
                  if (!blocks) return {};
                  return Number(blocks->special_folder);
                }},
    RecordField{"special_folder_name",
                [](const ReportEntry& e) -> FieldValue {
                  const lnk::ExtraBlocks* blocks = BlocksOf(e);
                  if (!blocks || !blocks->special_folder) return {};
                  const auto name = SpecialFolderName(*blocks->special_folder);
                  return name ? FieldValue{*name} : FieldValue{};
                }},
    RecordField{"darwin",
                [](const ReportEntry& e) -> FieldValue {
                  const lnk::DarwinData* darwin = DarwinOf(e);
                  if (!darwin) return {};
                  return std::string_view(darwin->descriptor);
                }},
    RecordField{"darwin_product",
                [](const ReportEntry& e) { return TextOf(DarwinOf(e), &lnk::DarwinData::product); }},
    RecordField{"darwin_feature",
                [](const ReportEntry& e) { return TextOf(DarwinOf(e), &lnk::DarwinData::feature); }},
    RecordField{"darwin_component",
                [](const ReportEntry& e) {
                  return TextOf(DarwinOf(e), &lnk::DarwinData::component);
                }},
    RecordField{"console_codepage",
                [](const ReportEntry& e) { return Number(e.info.console_code_page); }},
    RecordField{"shim_layer",
                [](const ReportEntry& e) {
                  return TextOf(BlocksOf(e), &lnk::ExtraBlocks::shim_layer);
                }},
    RecordField{"extra_blocks",
                [](const ReportEntry& e) -> FieldValue {
                  const lnk::ExtraBlocks* blocks = BlocksOf(e);
                  if (!blocks) return {};
                  std::vector<std::string> signatures;
                  for (const std::uint32_t signature : blocks->signatures) {
                    signatures.push_back(Hex8(signature));
                  }
                  return signatures;
                }},
    RecordField{"overlay_offset",
                [](const ReportEntry& e) -> FieldValue { return Number(OverlayOffset(e)); }},
    RecordField{"overlay_size",
                [](const ReportEntry& e) -> FieldValue {
                  const auto offset = OverlayOffset(e);
                  if (!offset) return {};
                  return std::uint64_t{e.facts.size - *offset};
                }},
    // Kept last: the forensic lists.
    RecordField{"shell_items", ShellItems},
    RecordField{"property_store", PropertyStore},
    // Where a shortcut kept in a jump list sits (also for one that could not
    // be read), and what the jump list says of it.
    JumpListField<JumpContainer>("container"),
    JumpListField<JumpStream>("stream"),
    JumpListField<JumpAppId>("app_id"),
    JumpListField<JumpAppName>("app_name"),
    JumpListField<JumpEntryNumber>("entry_number"),
    JumpListField<JumpMruPosition>("mru_position"),
    JumpListField<JumpLastUsed>("last_used"),
    JumpListField<JumpAccessCount>("access_count"),
    JumpListField<JumpPinned>("pinned"),
    JumpListField<JumpHostname>("hostname"),
    JumpListField<JumpCategory>("category"),
    // Where the quarantine moved the shortcut; null where it was left in place.
    RecordField{"quarantined_to", [](const ReportEntry& e) { return Text(e.quarantined_to); }},
};

}  // namespace

std::span<const RecordField> RecordFields() { return kFields; }

FieldRange FieldsSetInRunOrder() {
  static const FieldRange range = [] {
    const auto at = [](std::string_view name) {
      return static_cast<std::size_t>(
          std::find_if(kFields.begin(), kFields.end(),
                       [&](const RecordField& field) { return field.name == name; }) -
          kFields.begin());
    };
    return FieldRange{at("duplicate_target_of"), at("target_status_reason") + 1};
  }();
  return range;
}

FieldValue ValueOf(const RecordField& field, const Record& record) {
  if (record.entry != nullptr) return field.of_entry(*record.entry);
  if (record.failure != nullptr && field.of_failure != nullptr)
    return field.of_failure(*record.failure);
  return {};
}

}  // namespace varnlink::report
