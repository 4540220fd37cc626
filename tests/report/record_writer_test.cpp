// The record writers on the values a hostile shortcut may hold: what JSON
// must escape, what CSV must quote, text that is not valid UTF-8, values a
// spreadsheet would take for a formula, and absent values.

#include "report/record_writer.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace varnlink::report {
namespace {

// A shortcut that holds nothing but `arguments`; its record in `format`.
std::string RecordOf(RecordFormat format, const std::optional<std::string>& arguments) {
  ReportEntry entry;
  entry.facts.path = "C:\\L\\x.lnk";
  entry.facts.name = "x";
  entry.info.arguments = arguments;
  std::string out;
  RecordWriter(format).AppendRecord(out, {&entry, nullptr});
  return out;
}

std::string JsonWithArguments(const std::string& value) {
  return R"({"path":"C:\\L\\x.lnk","name":"x","genuine":false,"target":null,"target_source":"none",)"
         R"("arguments":)" +
         value +
         R"(,"start_in":null,"icon_location":null,"description":null,"hot_key":null,"run":null,)"
         R"("size":0,"read_only":false,"hidden":false,"archive":false,"created":null,"modified":null,)"
         R"("accessed":null,"target_created":null,"target_modified":null,"target_accessed":null,)"
         R"("duplicate_target_of":null,)"
         R"("duplicate_arguments_of":null,"error":null,"target_status":null,)"
         R"("target_checked_path":null,"target_status_reason":null,"suspicious":null,"runs":null,)"
         R"("declared_strings":null,"codepage":null,"codepage_source":null,"sha256":null})"
         "\n";
}

std::string CsvWithArguments(const std::string& value) {
  return "C:\\L\\x.lnk,x,false,,none," + value + ",,,,,,0,false,false,false,,,,,,,,,,,,,,,,,,\r\n";
}

struct TextCase {
  const char* why;
  std::optional<std::string> arguments;
  std::string json;
  std::string csv;
  std::string csv_for_excel;  // where it differs from `csv`
};

void PrintTo(const TextCase& c, std::ostream* out) { *out << c.why; }

class RecordText : public ::testing::TestWithParam<TextCase> {};

TEST_P(RecordText, IsEscapedOrQuotedAsTheFormatNeedsAndOtherwiseKept) {
  const TextCase& c = GetParam();
  EXPECT_EQ(RecordOf(RecordFormat::kJsonLines, c.arguments), JsonWithArguments(c.json));
  EXPECT_EQ(RecordOf(RecordFormat::kCsv, c.arguments), CsvWithArguments(c.csv));
  EXPECT_EQ(RecordOf(RecordFormat::kCsvForExcel, c.arguments),
            CsvWithArguments(c.csv_for_excel.empty() ? c.csv : c.csv_for_excel));
}

const TextCase kTextCases[] = {
    {"absent: null, an empty field", std::nullopt, "null", "", ""},
    {"empty: reads like null in CSV", "", R"("")", "", ""},
    {"plain text and backslashes", R"(/p C:\a b)", R"("/p C:\\a b")", R"(/p C:\a b)", ""},
    {"quotes and commas", R"(say "hi", go)", R"("say \"hi\", go")", R"("say ""hi"", go")", ""},
    {"line ends", "a\r\nb", R"("a\r\nb")", "\"a\r\nb\"", ""},
    {"other control characters", "\x01\x1f\x7f", R"("\u0001\u001f\u007f")", "\x01\x1f\x7f", ""},
    {"text that is not UTF-8: U+FFFD per byte", "\xff\xc3(\xed\xa0\x80",
     "\"\xEF\xBF\xBD\xEF\xBF\xBD(\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\"",
     "\xEF\xBF\xBD\xEF\xBF\xBD(\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD", ""},
    {"other scripts and emoji", "Zo\xC3\xAB \xCE\xA9 \xF0\x9F\x98\x80",
     "\"Zo\xC3\xAB \xCE\xA9 \xF0\x9F\x98\x80\"", "Zo\xC3\xAB \xCE\xA9 \xF0\x9F\x98\x80", ""},
    {"a formula", "=cmd|' /c calc'!A0", R"("=cmd|' /c calc'!A0")", "=cmd|' /c calc'!A0",
     "'=cmd|' /c calc'!A0"},
    {"plus", "+1", R"("+1")", "+1", "'+1"},
    {"minus", "-enc AAA", R"("-enc AAA")", "-enc AAA", "'-enc AAA"},
    {"at", "@SUM(1)", "\"@SUM(1)\"", "@SUM(1)", "'@SUM(1)"},
    {"a leading tab", "\t=1", R"("\t=1")", "\t=1", "'\t=1"},
    {"a leading CR, quoted", "\r=1", R"("\r=1")", "\"\r=1\"", "\"'\r=1\""},
    {"formula characters after the start", "a=b-c", R"("a=b-c")", "a=b-c", ""},
};

INSTANTIATE_TEST_SUITE_P(Values, RecordText, ::testing::ValuesIn(kTextCases));

// The strings as their counts declare them: an object of those that differ,
// in record order, its text escaped as JSON; in CSV that JSON text, quoted.
TEST(RecordDeclaredStrings, AreAnObjectAndItsJsonTextInCsv) {
  ReportEntry entry;
  entry.info.declared_strings =
      lnk::DeclaredStrings{.description = "a\"b", .arguments = "", .icon_location = "x,y"};
  std::string json;
  std::string csv;
  RecordWriter(RecordFormat::kJsonLines).AppendRecord(json, {&entry, nullptr});
  RecordWriter(RecordFormat::kCsv).AppendRecord(csv, {&entry, nullptr});
  EXPECT_NE(
      json.find(R"(,"declared_strings":{"description":"a\"b","arguments":"","icon_location":"x,y"},)"),
      std::string::npos)
      << json;
  EXPECT_NE(
      csv.find(R"(,"{""description"":""a\""b"",""arguments"":"""",""icon_location"":""x,y""}",)"),
      std::string::npos)
      << csv;
}

// Every time a shortcut's file or header can hold: written in UTC from the
// first tick to the last second of year 9999, null beyond (a header's 64-bit
// field reaches year 60056, which readers of RFC 3339 dates refuse).
TEST(RecordTimes, AreIsoUtcWithFourDigitYearsElseNull) {
  const struct {
    std::uint64_t ticks;
    const char* text;  // nullptr: null
  } kCases[] = {
      {0, "1601-01-01T00:00:00Z"},
      {platform::kTicksTo1970 + 1'796'733'240ULL * platform::kTicksPerSecond + 9'999'999,
       "2026-12-08T12:34:00Z"},
      {platform::kTicksTo10000 - 1, "9999-12-31T23:59:59Z"},
      {platform::kTicksTo10000, nullptr},
      {0x7FFF'FFFF'FFFF'FFFFULL, nullptr},  // "30828-09-14T02:48:05Z" in the report
      {~0ULL, nullptr},
  };
  for (const auto& c : kCases) {
    const platform::FileTime time{c.ticks};
    ReportEntry entry;
    entry.facts.times = platform::FileTimes{time, time, time};
    entry.info.target_created = entry.info.target_modified = entry.info.target_accessed = time;
    std::string json;
    std::string csv;
    RecordWriter(RecordFormat::kJsonLines).AppendRecord(json, {&entry, nullptr});
    RecordWriter(RecordFormat::kCsv).AppendRecord(csv, {&entry, nullptr});
    const std::string json_time = c.text ? std::string("\"") + c.text + "\"" : "null";
    const std::string csv_time = c.text ? c.text : "";
    std::string json_times;
    std::string csv_times = ",false";  // archive
    for (const char* name : {"created", "modified", "accessed", "target_created", "target_modified",
                             "target_accessed"}) {
      json_times += std::string(",\"") + name + "\":" + json_time;
      csv_times += "," + csv_time;
    }
    EXPECT_NE(json.find(json_times + ','), std::string::npos) << json;
    EXPECT_NE(csv.find(csv_times + ','), std::string::npos) << csv;
  }
}

}  // namespace
}  // namespace varnlink::report
