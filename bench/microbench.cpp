// Microbenchmarks: decoding one shortcut; one duplicate check (a miss and a
// hit with its earlier path) after many entries, indexed and by a plain
// search of the report; and writing one shortcut's JSON Lines record, by the
// command line's writer and, for comparison, through nlohmann-json.

#include <benchmark/benchmark.h>

#include <nlohmann/json.hpp>
#include <string>

#include "audit/duplicate_warnings.h"
#include "lnk/shortcut_decoder.h"
#include "report/record_writer.h"
#include "report/report_format.h"
#include "tests/support/fake_file_services.h"
#include "tests/support/link_writer.h"
#include "tests/support/report_search.h"

namespace {

namespace ts = varnlink::test_support;
using varnlink::audit::DuplicateWarnings;
using varnlink::report::ReportEntry;

ts::Bytes SampleLink(bool unicode) {
  ts::ShellLink link = ts::LocalLink("C:\\Program Files\\Example\\example.exe");
  link.unicode = unicode;
  link.id_list = std::vector<ts::Bytes>{ts::Bytes(20, 0x1F), ts::Bytes(60, 0x31)};
  link.relative_path = ts::Text("..\\..\\Program Files\\Example\\example.exe");
  link.working_dir = ts::Text("C:\\Program Files\\Example");
  link.arguments = ts::Text("--profile default");
  link.icon_location = ts::Text("%ProgramFiles%\\Example\\example.exe");
  return ts::BuildLink(link);
}

void DecodeOneShortcut(benchmark::State& state) {
  const ts::Bytes bytes = SampleLink(state.range(0) != 0);
  ts::FakeFileServices files;
  for (auto _ : state) {
    benchmark::DoNotOptimize(varnlink::lnk::Decode(bytes, files.AnsiDecoder()));
  }
}
BENCHMARK(DecodeOneShortcut)->Arg(0)->Arg(1);

// The entries of `count` shortcuts whose targets share long prefixes, and
// the report they make.
struct Entries {
  std::vector<ReportEntry> entries;
  std::string report;
};

Entries ManyEntries(int count) {
  Entries made;
  for (int i = 0; i < count; ++i) {
    const std::string n = std::to_string(i);
    ReportEntry entry;
    entry.facts.path = "/data/part" + std::to_string(i / 500) + "/Shortcut " + n + ".lnk";
    entry.facts.name = "Shortcut " + n;
    entry.info.target = "C:\\Program Files\\App" + n + "\\app.exe";
    entry.info.arguments = "/p " + n;
    varnlink::report::AppendEntry(made.report, entry);
    made.entries.push_back(std::move(entry));
  }
  return made;
}

ReportEntry Query(const std::string& target) {
  ReportEntry entry;
  entry.info.target = target;
  return entry;
}

void DuplicateCheckIndexed(benchmark::State& state) {
  const Entries made = ManyEntries(static_cast<int>(state.range(0)));
  DuplicateWarnings duplicates;
  for (const ReportEntry& entry : made.entries) duplicates.Add(entry);
  varnlink::audit::AuditOptions options;
  options.warn_duplicate_targets = true;
  ReportEntry miss = Query("C:\\Program Files\\App999999\\app.exe");
  ReportEntry hit = Query("C:\\Program Files\\App" + std::to_string(state.range(0) - 1));
  for (auto _ : state) {
    benchmark::DoNotOptimize(duplicates.Check(miss, options));
    benchmark::DoNotOptimize(duplicates.Check(hit, options));
    benchmark::DoNotOptimize(hit.duplicate_target_of);
  }
  state.counters["report_bytes"] = static_cast<double>(made.report.size());
}
BENCHMARK(DuplicateCheckIndexed)->Arg(3277)->Arg(32767);

void DuplicateCheckLiteral(benchmark::State& state) {
  const Entries made = ManyEntries(static_cast<int>(state.range(0)));
  const std::string miss = "C:\\Program Files\\App999999\\app.exe";
  const std::string hit = "C:\\Program Files\\App" + std::to_string(state.range(0) - 1);
  for (auto _ : state) {
    benchmark::DoNotOptimize(ts::EarlierTargetLiteral(made.report, miss));
    benchmark::DoNotOptimize(ts::EarlierTargetLiteral(made.report, hit));
  }
}
BENCHMARK(DuplicateCheckLiteral)->Arg(3277)->Arg(32767);

// A shortcut's entry as the real corpus has many: Windows paths, arguments,
// a description, times.
ReportEntry SampleEntry() {
  ReportEntry entry;
  entry.facts.path = "/data/part012/00065 08 - Power Options.lnk";
  entry.facts.name = "00065 08 - Power Options";
  entry.facts.size = 1234;
  entry.facts.attributes = 32;
  const varnlink::platform::FileTime t{varnlink::platform::kTicksTo1970 +
                                       1'796'733'240ULL * 10'000'000ULL};
  entry.facts.times = varnlink::platform::FileTimes{t, t, t};
  entry.info.genuine = true;
  entry.info.target = "C:\\Windows\\System32\\control.exe";
  entry.info.target_source = varnlink::lnk::TargetSource::kLinkInfo;
  entry.info.arguments = "/name Microsoft.PowerOptions";
  entry.info.start_in = "C:\\Windows\\system32";
  entry.info.icon_location = "%SystemRoot%\\system32\\powercpl.dll";
  entry.info.description =
      "Conserve energy or maximize performance by choosing how your computer manages power.";
  entry.info.run = varnlink::lnk::RunMode::kNormal;
  entry.info.target_created = entry.info.target_modified = entry.info.target_accessed = t;
  entry.duplicate_target_of = "/data/part000/00001 Control Panel.lnk";
  return entry;
}

void WriteOneRecord(benchmark::State& state) {
  const ReportEntry entry = SampleEntry();
  const varnlink::report::RecordWriter writer(varnlink::report::RecordFormat::kJsonLines);
  std::string out;
  for (auto _ : state) {
    out.clear();
    writer.AppendRecord(out, {&entry, nullptr});
    benchmark::DoNotOptimize(out.data());
  }
  state.counters["bytes"] = static_cast<double>(out.size());
}
BENCHMARK(WriteOneRecord);

// The same record through nlohmann-json: an ordered object of its values, dumped
// with invalid UTF-8 replaced, as the writer does.
void WriteOneRecordThroughNlohmannJson(benchmark::State& state) {
  const ReportEntry entry = SampleEntry();
  const varnlink::report::Record record{&entry, nullptr};
  std::string out;
  for (auto _ : state) {
    nlohmann::ordered_json object = nlohmann::ordered_json::object();
    for (const auto& field : varnlink::report::RecordFields()) {
      auto& value = object[std::string(field.name)];
      std::visit(
          [&value](const auto& v) {
            using V = std::decay_t<decltype(v)>;
            if constexpr (std::is_same_v<V, std::monostate>) {
              value = nullptr;
            } else if constexpr (std::is_same_v<V, varnlink::platform::FileTime>) {
              value = varnlink::platform::IsoUtcText(v);
            } else if constexpr (std::is_same_v<V, std::string_view>) {
              value = std::string(v);
            } else if constexpr (std::is_same_v<V, const varnlink::lnk::DeclaredStrings*>) {
              value = nullptr;  // the sample record has none
            } else if constexpr (std::is_same_v<V, varnlink::report::JsonText>) {
              value = nlohmann::ordered_json::parse(v.text);
            } else if constexpr (std::is_pointer_v<V>) {
              value = nlohmann::ordered_json::array();
              for (const auto& found : *v) {
                value.push_back({{"check", std::string(found.check)}, {"reason", found.reason}});
              }
            } else {
              value = v;
            }
          },
          varnlink::report::ValueOf(field, record));
    }
    out = object.dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace);
    out += '\n';
    benchmark::DoNotOptimize(out.data());
  }
  state.counters["bytes"] = static_cast<double>(out.size());
}
BENCHMARK(WriteOneRecordThroughNlohmannJson);

}  // namespace

BENCHMARK_MAIN();
