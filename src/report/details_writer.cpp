#include "report/details_writer.h"

#include <algorithm>
#include <array>
#include <cassert>
#include <charconv>
#include <span>

#include "lnk/property_store.h"
#include "report/forensic_names.h"
#include "text/report_text.h"

namespace varnlink::report {
namespace {

// A line of the details: a record field's value under a label, or (no
// field) a value of the shortcut that the records do not hold on its own.
struct Row {
  std::string_view label;
  std::string_view field;
  FieldValue (*of_entry)(const ReportEntry& entry) = nullptr;
};

FieldValue RelativePath(const ReportEntry& e) {
  return e.info.relative_path ? FieldValue{std::string_view(*e.info.relative_path)} : FieldValue{};
}

// What Windows runs where it is not the target; with the suspicious checks
// the record's `runs` says it.
FieldValue EffectiveTarget(const ReportEntry& e) {
  if (e.suspicions || e.info.effective_target.empty() || e.info.effective_target == e.info.target) {
    return {};
  }
  return std::string_view(e.info.effective_target);
}

constexpr std::array kFileRows = {
    Row{"Path", "path"},         Row{"Name", "name"},         Row{"Error", "error"},
    Row{"Size", "size"},         Row{"SHA-256", "sha256"},    Row{"Created", "created"},
    Row{"Modified", "modified"}, Row{"Accessed", "accessed"}, Row{"Read only", "read_only"},
    Row{"Hidden", "hidden"},     Row{"Archive", "archive"},
    Row{"Quarantined to", "quarantined_to"},
};

constexpr std::array kHeaderRows = {
    Row{"Genuine", "genuine"},
    Row{"Link flags", "link_flags"},
    Row{"File attributes", "file_attributes"},
    Row{"Target created", "target_created"},
    Row{"Target modified", "target_modified"},
    Row{"Target accessed", "target_accessed"},
    Row{"Target size", "target_size"},
    Row{"Icon index", "icon_index"},
    Row{"Show command", "show_command"},
    Row{"Hot key", "hot_key"},
    Row{"Run", "run"},
};

constexpr std::array kLinkInfoRows = {
    Row{"Drive type", "drive_type"},
    Row{"Drive serial", "drive_serial"},
    Row{"Volume label", "volume_label"},
    Row{"Local base path", "local_base_path"},
    Row{"Common path suffix", "common_path_suffix"},
    Row{"Network share", "network_share"},
    Row{"Network device", "network_device"},
    Row{"Network provider", "network_provider"},
};

constexpr std::array kStringRows = {
    Row{"Description", "description"},     Row{"Relative path", {}, RelativePath},
    Row{"Start in", "start_in"},           Row{"Arguments", "arguments"},
    Row{"Icon location", "icon_location"}, Row{"Declared", "declared_strings"},
};

constexpr std::array kTargetRows = {
    Row{"Target", "target"},
    Row{"Found in", "target_source"},
    Row{"Effective target", {}, EffectiveTarget},
    Row{"Windows runs", "runs"},
    Row{"Target status", "target_status"},
    Row{"Checked path", "target_checked_path"},
    Row{"Not checked because", "target_status_reason"},
    Row{"Code page", "codepage"},
    Row{"Code page source", "codepage_source"},
};

constexpr std::array kExtraRows = {
    Row{"Blocks", "extra_blocks"},
    Row{"Machine id", "machine_id"},
    Row{"Droid volume", "droid_volume"},
    Row{"Droid file", "droid_file"},
    Row{"Birth droid volume", "birth_droid_volume"},
    Row{"Birth droid file", "birth_droid_file"},
    Row{"MAC", "mac"},
    Row{"Droid time", "droid_time"},
    Row{"Moved", "moved"},
    Row{"Known folder", "known_folder"},
    Row{"Known folder name", "known_folder_name"},
    Row{"Special folder", "special_folder"},
    Row{"Special folder name", "special_folder_name"},
    Row{"Darwin", "darwin"},
    Row{"Darwin product", "darwin_product"},
    Row{"Darwin feature", "darwin_feature"},
    Row{"Darwin component", "darwin_component"},
    Row{"Console code page", "console_codepage"},
    Row{"Shim layer", "shim_layer"},
    Row{"Overlay offset", "overlay_offset"},
    Row{"Overlay size", "overlay_size"},
};

constexpr std::array kJumpListRows = {
    Row{"Jump list", "container"},   Row{"Stream", "stream"},
    Row{"AppID", "app_id"},          Row{"Program", "app_name"},
    Row{"Entry number", "entry_number"}, Row{"MRU position", "mru_position"},
    Row{"Last used", "last_used"},   Row{"Access count", "access_count"},
    Row{"Pinned", "pinned"},         Row{"Host name", "hostname"},
    Row{"Category", "category"},
};

constexpr std::array kCheckRows = {
    Row{"Suspicious", "suspicious"},
    Row{"Duplicate target of", "duplicate_target_of"},
    Row{"Duplicate arguments of", "duplicate_arguments_of"},
};

// --- writing values ---------------------------------------------------------

template <typename Number>
void AppendNumber(std::string& out, Number value) {
  char digits[24];
  const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
  out.append(digits, end);
}

void StartLine(std::string& out, std::string_view indent, std::string_view label) {
  out += indent;
  out += label;
  out += ": ";
}

// A time as records write it; false (nothing written) past the year 9999.
bool AppendTime(std::string& out, platform::FileTime time) {
  if (time.ticks >= platform::kTicksTo10000) return false;
  platform::AppendIsoUtc(out, time);
  return true;
}

// Writes one field's value as the lines of its row; null writes nothing.
struct DetailsValue {
  std::string& out;
  std::string_view label;
  static constexpr std::string_view kIndent = "  ";

  void Line(std::string_view text) const {
    StartLine(out, kIndent, label);
    if (text.empty()) out.pop_back();  // "Volume label:", no blank at the line's end
    text::AppendShownText(out, text);
    out += '\n';
  }
  void operator()(std::monostate) const {}
  void operator()(bool flag) const { Line(flag ? "yes" : "no"); }
  void operator()(std::uint64_t number) const {
    StartLine(out, kIndent, label);
    AppendNumber(out, number);
    out += '\n';
  }
  void operator()(std::int64_t number) const {
    StartLine(out, kIndent, label);
    AppendNumber(out, number);
    out += '\n';
  }
  void operator()(std::string_view text) const { Line(text); }
  void operator()(const std::string& text) const { Line(text); }
  void operator()(platform::FileTime time) const {
    StartLine(out, kIndent, label);
    AppendTime(out, time);
    out += '\n';
  }
  // A line per check that fired: its id and why.
  void operator()(const std::vector<checks::Suspicion>* suspicions) const {
    if (suspicions->empty()) Line("none");
    for (const checks::Suspicion& found : *suspicions) {
      StartLine(out, kIndent, label);
      text::AppendShownText(out, found.check);
      out += ": ";
      text::AppendShownText(out, found.reason);
      out += '\n';
    }
  }
  // A line per string whose count declares another text than Windows reads.
  void operator()(const lnk::DeclaredStrings* declared) const {
    for (const auto& [name, text] :
         {std::pair{"description", &declared->description},
          std::pair{"relative path", &declared->relative_path},
          std::pair{"start in", &declared->start_in}, std::pair{"arguments", &declared->arguments},
          std::pair{"icon location", &declared->icon_location}}) {
      if (!*text) continue;
      out += kIndent;
      out += label;
      out += ' ';
      out += name;
      out += ": ";
      text::AppendShownText(out, **text);
      out += '\n';
    }
  }
  void operator()(const JsonText& json) const { Line(json.text); }
  void operator()(const std::vector<std::string>& names) const {
    if (names.empty()) {
      Line("none");
      return;
    }
    StartLine(out, kIndent, label);
    for (const std::string& name : names) {
      if (&name != &names.front()) out += ", ";
      text::AppendShownText(out, name);
    }
    out += '\n';
  }
};

// --- the lists: a block per shell item, a line per property ------------------

void AppendShellItems(std::string& out, const ReportEntry& entry) {
  if (!entry.info.id_list) return;
  constexpr std::string_view kIndent = "    ";
  std::size_t number = 0;
  for (const lnk::ShellItem& item : entry.info.id_list->items) {
    out += "  Item ";
    AppendNumber(out, ++number);
    out += ": ";
    text::AppendShownText(out, item.type);
    out += '\n';
    for (const auto& [label, text] :
         {std::pair{"Name", &item.name}, std::pair{"Long name", &item.long_name}}) {
      if (!*text) continue;
      StartLine(out, kIndent, label);
      text::AppendShownText(out, **text);
      out += '\n';
    }
    for (const auto& [label, value] :
         {std::pair{"MFT entry", item.mft_entry},
          std::pair{"MFT sequence", item.mft_sequence
                                        ? std::optional<std::uint64_t>(*item.mft_sequence)
                                        : std::nullopt}}) {
      if (!value) continue;
      StartLine(out, kIndent, label);
      AppendNumber(out, *value);
      out += '\n';
    }
    for (const auto& [label, time] :
         {std::pair{"Created", &item.created}, std::pair{"Modified", &item.modified},
          std::pair{"Accessed", &item.accessed}}) {
      if (!*time || (*time)->ticks >= platform::kTicksTo10000) continue;
      StartLine(out, kIndent, label);
      AppendTime(out, **time);
      out += '\n';
    }
  }
}

// "System.AppUserModel.ID (VT_LPWSTR): value", or by its format id and id
// where the property has no well-known name; the value left out where the
// records hold null.
void AppendProperty(std::string& out, const lnk::Property& property) {
  out += "  ";
  if (property.name) {
    text::AppendShownText(out, *property.name);
  } else {
    text::AppendShownText(out, property.format_id);
    out += '/';
    if (const auto* number = std::get_if<std::uint32_t>(&property.id)) {
      AppendNumber(out, *number);
    } else {
      text::AppendShownText(out, std::get<std::string>(property.id));
    }
  }
  out += " (";
  out += lnk::VariantTypeName(property.type);
  out += ')';
  std::visit(
      [&out](const auto& value) {
        using T = std::decay_t<decltype(value)>;
        if constexpr (std::is_same_v<T, std::monostate>) {
          return;
        } else if constexpr (std::is_same_v<T, platform::FileTime>) {
          if (value.ticks >= platform::kTicksTo10000) return;
          out += ": ";
          out += PreciseUtcText(value);
        } else if constexpr (std::is_same_v<T, bool>) {
          out += value ? ": yes" : ": no";
        } else if constexpr (std::is_same_v<T, std::string>) {
          out += ": ";
          text::AppendShownText(out, value);
        } else {
          out += ": ";
          AppendNumber(out, value);
        }
      },
      property.value);
  out += '\n';
}

// The ID list's properties (an apps item's), then the property-store
// block's, as the record's property_store lists them.
void AppendProperties(std::string& out, const ReportEntry& entry) {
  if (entry.info.id_list) {
    for (const lnk::Property& property : entry.info.id_list->properties) {
      AppendProperty(out, property);
    }
  }
  if (entry.info.property_store) {
    for (const lnk::Property& property : *entry.info.property_store) {
      AppendProperty(out, property);
    }
  }
}

// --- the parts, in the order they are written ---------------------------------

struct Part {
  std::string_view heading;
  std::span<const Row> rows;
  void (*append_list)(std::string& out, const ReportEntry& entry) = nullptr;
};

constexpr std::array kParts = {
    Part{"File", kFileRows},          Part{"Jump list", kJumpListRows},
    Part{"Header", kHeaderRows},
    Part{"Link info", kLinkInfoRows}, Part{"Strings", kStringRows},
    Part{"Target", kTargetRows},      Part{"ID list", {}, AppendShellItems},
    Part{"Extra data", kExtraRows},   Part{"Property store", {}, AppendProperties},
    Part{"Checks", kCheckRows},
};

// The record field each row names, row by row of kParts, found once.
const std::vector<const RecordField*>& FieldsOfRows() {
  static const std::vector<const RecordField*> fields = [] {
    std::vector<const RecordField*> found;
    const auto all = RecordFields();
    for (const Part& part : kParts) {
      for (const Row& row : part.rows) {
        const RecordField* field = nullptr;
        for (const RecordField& candidate : all) {
          if (candidate.name == row.field) field = &candidate;
        }
        assert((field != nullptr) == !row.field.empty() && "a row names a record field");
        found.push_back(field);
      }
    }
    // Every field of the records has its row, but the two lists, which
    // their parts write item by item.
    [[maybe_unused]] const auto own_rows = std::count(found.begin(), found.end(), nullptr);
    assert(found.size() - static_cast<std::size_t>(own_rows) + 2 == all.size() &&
           "every record field has a row of the details");
    return found;
  }();
  return fields;
}

}  // namespace

void DetailsWriter::AppendRecord(std::string& out, const Record& record) {
  if (!first_) out += '\n';
  first_ = false;
  const std::vector<const RecordField*>& fields = FieldsOfRows();
  std::size_t row_index = 0;
  for (const Part& part : kParts) {
    const std::size_t part_start = out.size();
    out += part.heading;
    out += '\n';
    const std::size_t rows_start = out.size();
    for (const Row& row : part.rows) {
      const RecordField* field = fields[row_index++];
      const FieldValue value = field != nullptr          ? ValueOf(*field, record)
                               : record.entry != nullptr ? row.of_entry(*record.entry)
                                                         : FieldValue{};
      std::visit(DetailsValue{out, row.label}, value);
    }
    if (part.append_list != nullptr && record.entry != nullptr) {
      part.append_list(out, *record.entry);
    }
    if (out.size() == rows_start) out.resize(part_start);  // a part without a line
  }
}

}  // namespace varnlink::report
