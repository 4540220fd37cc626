#include "report/report_format.h"

#include <array>
#include <charconv>

#include "text/report_text.h"

namespace varnlink::report {
namespace {

constexpr std::string_view kLineEnd = "\r\n";

constexpr std::array<const char*, 12> kMonths = {
    "January", "February", "March",     "April",   "May",      "June",
    "July",    "August",   "September", "October", "November", "December"};

template <typename Integer>
void AppendNumber(std::string& out, Integer value) {
  char digits[24];
  const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
  out.append(digits, end);
}

void AppendTwoDigits(std::string& out, int value) {
  if (value < 0 || value > 99) {
    AppendNumber(out, value);
    return;
  }
  out += static_cast<char>('0' + value / 10);
  out += static_cast<char>('0' + value % 10);
}

// "12 April 1999   " and, with the time of day, "10:15:42" after it. A month
// outside 1 to 12 shows as an empty name.
void AppendTime(std::string& out, std::string_view label, const platform::LocalTime& t,
                bool with_time) {
  out += label;
  AppendTwoDigits(out, t.day);
  out += ' ';
  if (t.month >= 1 && t.month <= 12) out += kMonths[static_cast<std::size_t>(t.month - 1)];
  out += ' ';
  AppendNumber(out, t.year);
  out += "   ";
  if (!with_time) return;
  AppendTwoDigits(out, t.hour);
  out += ':';
  AppendTwoDigits(out, t.minute);
  out += ':';
  AppendTwoDigits(out, t.second);
}

void AppendFlag(std::string& out, std::string_view label, bool set) {
  out += label;
  out += set ? "True " : "False ";
}

// A marker line, then "(<lead><path>)" with the path masked.
void AppendMarker(std::string& out, std::string_view marker, std::string_view lead,
                  const std::string& path) {
  out += marker;
  out += kLineEnd;
  out += '(';
  out += lead;
  text::AppendShownText(out, path);
  out += ')';
  out += kLineEnd;
}

}  // namespace

std::string ShownTarget(const lnk::ShortcutInfo& info) { return text::ShownText(info.target); }

std::string TargetLineText(const lnk::ShortcutInfo& info) {
  std::string text;
  AppendTargetLineText(text, info);
  return text;
}

std::size_t AppendTargetLineText(std::string& out, const lnk::ShortcutInfo& info) {
  text::AppendShownText(out, info.target);
  const std::size_t target_end = out.size();
  if (info.arguments) {
    out += ' ';
    text::AppendShownText(out, *info.arguments);
  }
  return target_end;
}

std::string HotKeyText(const lnk::HotKey& hot_key) {
  std::string text;
  if (hot_key.modifiers & 0x2) text += "Ctrl + ";
  if (hot_key.modifiers & 0x1) text += "Shift + ";
  if (hot_key.modifiers & 0x4) text += "Alt + ";
  if (hot_key.key) text += *hot_key.key;
  return text;
}

std::string_view RunModeName(lnk::RunMode run) {
  switch (run) {
    case lnk::RunMode::kNormal: return "Normal";
    case lnk::RunMode::kMaximised: return "Maximised";
    case lnk::RunMode::kMinimised: return "Minimised";
  }
  return {};
}

void AppendEntry(std::string& out, const ReportEntry& entry) {
  const platform::FileFacts& facts = entry.facts;
  const lnk::ShortcutInfo& info = entry.info;
  constexpr std::string_view kDuplicateAt = "duplicate located at ";
  if (entry.duplicate_target_of) {
    AppendMarker(out, kDuplicateTargetMarker, kDuplicateAt, *entry.duplicate_target_of);
  }
  if (entry.duplicate_arguments_of) {
    AppendMarker(out, kDuplicateArgumentsMarker, kDuplicateAt, *entry.duplicate_arguments_of);
  }
  const auto& status = entry.target_status;
  if (status && status->outcome == checks::TargetOutcome::kMissing) {
    AppendMarker(out, kMissingTargetMarker, "looked for ", status->checked_path.value_or(""));
  }
  if (entry.suspicions && !entry.suspicions->empty()) {
    std::string lead;
    for (const checks::Suspicion& found : *entry.suspicions) {
      if (!lead.empty()) lead += ", ";
      lead += found.check;
    }
    lead += "; Windows runs ";
    std::string runs = info.effective_target;
    if (info.arguments && !info.arguments->empty()) runs += ' ' + *info.arguments;
    AppendMarker(out, kSuspiciousMarker, lead, runs);
  }
  if (entry.quarantined_to) AppendMarker(out, kQuarantinedMarker, "moved to ", *entry.quarantined_to);

  out += "SHORTCUT NAME:   ";
  text::AppendShownText(out, facts.name);
  out += kLineEnd;
  out += "LOCATION:   ";
  text::AppendShownText(out, facts.path);
  out += kLineEnd;
  out += kTargetLabel;
  AppendTargetLineText(out, info);
  out += kLineEnd;
  // An absent start-in folder and an icon location of its own are each set
  // off by one blank more than usual.
  if (info.start_in) {
    out += "START IN:   ";
    text::AppendShownText(out, *info.start_in);
  } else {
    out += "START IN:    ";
  }
  out += kLineEnd;
  if (info.icon_location) {
    out += "ICON SOURCE:    ";
    text::AppendShownText(out, *info.icon_location);
  } else {
    out += "ICON SOURCE:   ";
    text::AppendShownText(out, info.target);
  }
  out += kLineEnd;

  out += "LENGTH:   ";
  AppendNumber(out, facts.size);
  out += " bytes      ";
  if (info.hot_key) {
    out += "    SHORTCUT KEY:   ";
    text::AppendShownText(out, HotKeyText(*info.hot_key));
  } else {
    out += "    SHORTCUT KEY:   (none)  ";
  }
  out += "  ";
  if (info.run) {
    out += "    RUN:   ";
    out += RunModeName(*info.run);
  }
  out += kLineEnd;

  AppendFlag(out, "READ ONLY:   ", facts.attributes & platform::kReadOnly);
  AppendFlag(out, "      ARCHIVE:   ", facts.attributes & platform::kArchive);
  AppendFlag(out, "      HIDDEN:   ", facts.attributes & platform::kHidden);
  out += kLineEnd;

  AppendTime(out, "CREATED:   ", facts.created_local, true);
  AppendTime(out, "     MODIFIED:   ", facts.modified_local, true);
  AppendTime(out, "     ACCESSED:   ", facts.accessed_local, false);
  out += kLineEnd;
  out += kLineEnd;
}

}  // namespace varnlink::report
