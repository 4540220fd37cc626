// The record writers on the values a hostile shortcut may hold: what JSON
// must escape, what CSV must quote, text that is not valid UTF-8, values a
// spreadsheet would take for a formula, and absent values.

#include "report/record_writer.h"

#include <gtest/gtest.h>

#include <array>
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
         R"("declared_strings":null,"codepage":null,"codepage_source":null,)"
         R"("sha256":null,"link_flags":null,"file_attributes":null,"target_size":null)"
         R"(,"icon_index":null,"show_command":null,"drive_type":null,"drive_serial":null)"
         R"(,"volume_label":null,"local_base_path":null,"common_path_suffix":null)"
         R"(,"network_share":null,"network_device":null,"network_provider":null)"
         R"(,"machine_id":null,"droid_volume":null,"droid_file":null,"birth_droid_volume":null)"
         R"(,"birth_droid_file":null,"mac":null,"droid_time":null,"moved":null)"
         R"(,"known_folder":null,"known_folder_name":null,"special_folder":null)"
         R"(,"special_folder_name":null,"darwin":null,"darwin_product":null)"
         R"(,"darwin_feature":null,"darwin_component":null,"console_codepage":null)"
         R"(,"shim_layer":null,"extra_blocks":null,"overlay_offset":null,"overlay_size":null)"
         R"(,"shell_items":null,"property_store":null,"container":null,"stream":null)"
         R"(,"app_id":null,"app_name":null,"entry_number":null,"mru_position":null)"
         R"(,"last_used":null,"access_count":null,"pinned":null,"hostname":null,"category":null,"quarantined_to":null})"
         "\n";
}

std::string CsvWithArguments(const std::string& value) {
  return "C:\\L\\x.lnk,x,false,,none," + value + ",,,,,,0,false,false,false,,,,,,,,,,,,,,,,,," +
         std::string(48, ',') + "\r\n";
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

// The shell items and properties: lists of objects whose text is escaped as
// JSON, FILETIMEs with all seven fractional digits, negative numbers signed,
// a value not decoded null; in CSV that JSON text, quoted.
TEST(RecordForensicLists, AreJsonListsAndTheirTextInCsv) {
  ReportEntry entry;
  entry.info.id_list = lnk::IdListInfo{};
  lnk::ShellItem folder{.type = "folder", .name = "A\\\"B", .long_name = std::nullopt};
  folder.mft_entry = 281474976710655ULL;
  folder.mft_sequence = 9;
  folder.modified = platform::FileTime{platform::kTicksTo1970};
  entry.info.id_list->items = {lnk::ShellItem{.type = "root"}, folder};
  entry.info.property_store = std::vector<lnk::Property>{
      {.format_id = "{F}", .id = 5u, .name = "N", .type = 0x40,
       .value = platform::FileTime{platform::kTicksTo1970 + 1234567}},
      {.format_id = "{F}", .id = std::string("x,y"), .type = 0x03, .value = std::int64_t{-7}},
      {.format_id = "{F}", .id = 1u, .type = 0x05, .value = std::monostate{}}};
  std::string json;
  std::string csv;
  RecordWriter(RecordFormat::kJsonLines).AppendRecord(json, {&entry, nullptr});
  RecordWriter(RecordFormat::kCsv).AppendRecord(csv, {&entry, nullptr});
  const std::string items =
      R"([{"type":"root","name":null,"long_name":null},)"
      R"({"type":"folder","name":"A\\\"B","long_name":null,"mft_entry":281474976710655,)"
      R"("mft_sequence":9,"modified":"1970-01-01T00:00:00Z"}])";
  const std::string properties =
      R"([{"format_id":"{F}","id":5,"name":"N","type":"VT_FILETIME",)"
      R"("value":"1970-01-01T00:00:00.1234567Z"},)"
      R"({"format_id":"{F}","id":"x,y","type":"VT_I4","value":-7},)"
      R"({"format_id":"{F}","id":1,"type":"VT_R8","value":null}])";
  EXPECT_NE(json.find(R"("shell_items":)" + items + R"(,"property_store":)" + properties + ","),
            std::string::npos)
      << json;
  const auto quoted = [](std::string text) {
    for (std::size_t at = 0; (at = text.find('"', at)) != std::string::npos; at += 2) {
      text.insert(at, 1, '"');
    }
    return '"' + text + '"';
  };
  EXPECT_NE(csv.find("," + quoted(items) + "," + quoted(properties) + ","), std::string::npos) << csv;
}

// The link's own records by name: flags and attributes as lists of names
// (unnamed bits by value), a signed icon index, the tracker's node and time to
// 100 ns, whether the target moved, and the bytes appended after the link.
TEST(RecordForensicFields, NameTheLinksValuesAndJoinListsInCsv) {
  ReportEntry entry;
  entry.facts.size = 200;
  entry.info.genuine = true;
  entry.info.link_flags = 0x0800'0083;
  entry.info.header = lnk::HeaderValues{0x2018, 8192, -25, 7};
  entry.info.link_info_parts = lnk::LinkInfoParts{
      .drive_type = 9, .drive_serial = 0x0A2E1A8A, .network_provider = 0x00020000};
  lnk::TrackerData tracker{"netbook", "{V}", "{F}", "{V}", "{G}"};
  tracker.mac = std::array<std::uint8_t, 6>{0x00, 0x13, 0x77, 0xD3, 0x4A, 0x59};
  tracker.droid_time = platform::FileTime{129232691884344063ULL};
  entry.info.extra_blocks =
      lnk::ExtraBlocks{.signatures = {0xA0000003, 0xA000000B},
                       .tracker = tracker,
                       .known_folder = "{374DE290-123F-4565-9164-39C4925E467B}",
                       .special_folder = 0xFFFFFFFF,
                       .terminal_end = 150};
  std::string json;
  std::string csv;
  RecordWriter(RecordFormat::kJsonLines).AppendRecord(json, {&entry, nullptr});
  RecordWriter(RecordFormat::kCsv).AppendRecord(csv, {&entry, nullptr});
  for (
      const char* part : {
          R"("link_flags":["HasLinkTargetIDList","HasLinkInfo","IsUnicode","0x8000000"],)",
          R"("file_attributes":["0x8","DIRECTORY","NOT_CONTENT_INDEXED"],"target_size":8192,)",
          R"("icon_index":-25,"show_command":7,"drive_type":"0x9","drive_serial":"0A2E1A8A",)",
          R"("network_provider":"WNNC_NET_LANMAN","machine_id":"netbook",)",
          R"("mac":"00:13:77:d3:4a:59","droid_time":"2010-07-10T20:59:48.4344063Z","moved":true,)",
          R"("known_folder_name":"Downloads","special_folder":4294967295,"special_folder_name":null,)",
          R"("extra_blocks":["A0000003","A000000B"],"overlay_offset":150,"overlay_size":50,)",
      }) {
    EXPECT_NE(json.find(part), std::string::npos) << part << "\n" << json;
  }
  EXPECT_NE(csv.find(",HasLinkTargetIDList;HasLinkInfo;IsUnicode;0x8000000,0x8;DIRECTORY;"
                     "NOT_CONTENT_INDEXED,8192,-25,7,"),
            std::string::npos)
      << csv;
  EXPECT_NE(csv.find(",A0000003;A000000B,150,50,"), std::string::npos) << csv;
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

namespace varnlink::report {
namespace {

// A record written ahead but for the fields the run sets in its order, then
// completed, is the record written whole, in every format.
TEST(RecordWrittenAhead, IsTheRecordWrittenWhole) {
  ReportEntry entry;
  entry.facts.path = "C:\\L\\x.lnk";
  entry.info.arguments = "=cmd|' /c calc'!A0";
  entry.info.target = "C:\\A.EXE";
  entry.duplicate_target_of = "C:\\L\\a, \"b\".lnk";
  entry.target_status = checks::TargetStatus{checks::TargetOutcome::kMissing, std::nullopt,
                                             std::string("/mnt/win/A.EXE")};
  for (const RecordFormat format :
       {RecordFormat::kJsonLines, RecordFormat::kCsv, RecordFormat::kCsvForExcel}) {
    const RecordWriter writer(format);
    std::string whole, completed;
    writer.AppendRecord(whole, {&entry, nullptr});
    writer.AppendRecord(completed, {&entry, nullptr}, writer.RenderAhead({&entry, nullptr}));
    EXPECT_EQ(completed, whole);
    EXPECT_NE(whole.find("/mnt/win/A.EXE"), std::string::npos) << whole;
  }
}

}  // namespace
}  // namespace varnlink::report
