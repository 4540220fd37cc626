#include "auditor/module1.h"

#include <array>
#include <climits>

#include "auditor/duplicate_warnings.h"
#include "auditor/report_text.h"
#include "auditor/shortcut_decoder.h"

namespace varnlink::auditor {
namespace {

constexpr std::array<const char*, 12> kMonths = {
    "January", "February", "March",     "April",   "May",      "June",
    "July",    "August",   "September", "October", "November", "December"};

std::string TwoDigits(int value) {
  std::string digits = std::to_string(value);
  return digits.size() < 2 ? "0" + digits : digits;
}

const char* MonthName(int month) { return month >= 1 && month <= 12 ? kMonths[static_cast<std::size_t>(month - 1)] : ""; }

}  // namespace

std::string TimeText(const char* label, const platform::LocalTime& t, bool with_time) {
  std::string text = label;
  text += TwoDigits(t.day) + " " + MonthName(t.month) + " " + std::to_string(t.year) + "   ";
  if (with_time) text += TwoDigits(t.hour) + ":" + TwoDigits(t.minute) + ":" + TwoDigits(t.second);
  return text;
}

std::string ShortcutNameOf(const std::string& path, char separator) {
  const std::size_t slash = path.rfind(separator);
  const std::string component = slash == std::string::npos ? path : path.substr(slash + 1);
  const std::size_t dot = component.rfind('.');
  return dot == std::string::npos ? component : component.substr(0, dot);
}

FileFacts GatherFileFacts(const std::string& path, const platform::FileServices& files) {
  FileFacts facts;
  // Times first; a file whose times cannot be read shows zero values.
  const platform::FileTimes times = files.TimesOf(path).value_or(platform::FileTimes{});
  facts.CreatedText = TimeText("CREATED:   ", times.created, true);
  facts.AccessedText = TimeText("   ACCESSED:   ", times.accessed, false);
  facts.ModifiedText = TimeText("   MODIFIED:   ", times.modified, true);

  facts.Path = ShownText(path);
  facts.ShortcutName = ShownText(ShortcutNameOf(path, files.PathSeparator()));
  facts.NameLine = "SHORTCUT NAME:   " + facts.ShortcutName;
  facts.LocationLine = "LOCATION:   " + facts.Path;

  facts.Size = files.FileSize(path);
  facts.LengthText = "LENGTH:   " + std::to_string(facts.Size) + " bytes    ";

  facts.Attributes = files.FileAttributes(path);
  const auto flag = [&](std::uint32_t bit) { return (facts.Attributes & bit) ? "True " : "False "; };
  facts.ReadOnlyText = std::string("READ ONLY:   ") + flag(platform::kReadOnly);
  facts.ArchiveText = std::string("    ARCHIVE:   ") + flag(platform::kArchive);
  facts.HiddenText = std::string("    HIDDEN:   ") + flag(platform::kHidden);
  return facts;
}

std::string ReportEntry(const FileFacts& facts, const ShortcutFields& fields) {
  std::string entry;
  entry.reserve(facts.NameLine.size() + facts.LocationLine.size() + fields.TargetArgsText.size() +
                fields.StartInText.size() + fields.IconSourceText.size() + 300);
  for (const std::string* line : {&facts.NameLine, &facts.LocationLine, &fields.TargetArgsText,
                                  &fields.StartInText, &fields.IconSourceText}) {
    entry += *line;
    entry += "\r\n";
  }
  entry += facts.LengthText + "  " + fields.ShortcutKeyText + "  " + fields.RunText + "\r\n";
  entry += facts.ReadOnlyText + "  " + facts.ArchiveText + "  " + facts.HiddenText + "\r\n";
  entry += facts.CreatedText + "  " + facts.ModifiedText + "  " + facts.AccessedText + "\r\n";
  entry += "\r\n";
  return entry;
}

bool ExcludedByFilter(const std::string& target_text, const AuditChoices& window) {
  const bool has_exe = AsciiUpper(target_text).find(".EXE") != std::string::npos;
  if (window.Option2Selected() && !has_exe) return true;
  if (window.Option3Selected() && has_exe) return true;
  return false;
}

Module1::Module1(const platform::FileServices& files, platform::MessageDialog& messages)
    : files_(files), messages_(messages) {}

void Module1::AuditShortcut(const std::string& path, AuditChoices& window) {
  const FileFacts facts = GatherFileFacts(path, files_);
  auto [image, fields] = DecodeTarget(path, files_);
  if (ExcludedByFilter(fields.TargetText, window)) return;
  DecodeDetails(path, image, fields, files_);
  if (ShortcutCount < SHRT_MAX) ++ShortcutCount;
  WarnOfDuplicates(fields, facts, window, messages_);
  window.ResultsText().Append(ReportEntry(facts, fields));
}

}  // namespace varnlink::auditor
