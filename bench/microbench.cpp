// Microbenchmarks: decoding one shortcut, and one duplicate check (search plus
// earlier path) on a large report, indexed and by plain search.

#include <benchmark/benchmark.h>

#include <string>

#include "auditor/report.h"
#include "auditor/shortcut_decoder.h"
#include "tests/support/fake_file_services.h"
#include "tests/support/link_writer.h"

namespace {

namespace ts = varnlink::test_support;
using varnlink::auditor::Report;

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
    auto [image, fields] = varnlink::auditor::DecodeTargetFromBytes("x.lnk", bytes, files);
    varnlink::auditor::DecodeDetails("x.lnk", image, fields, files);
    benchmark::DoNotOptimize(fields);
  }
}
BENCHMARK(DecodeOneShortcut)->Arg(0)->Arg(1);

// A report of `entries` entries whose targets share long prefixes.
Report LargeReport(int entries) {
  Report report;
  for (int i = 0; i < entries; ++i) {
    const std::string n = std::to_string(i);
    report.Append("SHORTCUT NAME:   Shortcut " + n + "\r\nLOCATION:   /data/part" +
                  std::to_string(i / 500) + "/Shortcut " + n + ".lnk\r\nTARGET:   C:\\Program Files\\App" +
                  n + "\\app.exe /p " + n + "\r\nSTART IN:   C:\\\r\nICON SOURCE:   C:\\x\r\n"
                  "LENGTH:   1000 bytes          SHORTCUT KEY:   (none)        RUN:   Normal\r\n"
                  "READ ONLY:   False       ARCHIVE:   True       HIDDEN:   False \r\n"
                  "CREATED:   01 January 2020   00:00:00     MODIFIED:   01 January 2020   00:00:00"
                  "     ACCESSED:   01 January 2020   \r\n\r\n");
  }
  return report;
}

void DuplicateCheckIndexed(benchmark::State& state) {
  const Report report = LargeReport(static_cast<int>(state.range(0)));
  const std::string needle = "TARGET:   C:\\Program Files\\App999999\\app.exe";  // a miss
  const std::string hit = "TARGET:   C:\\Program Files\\App" + std::to_string(state.range(0) - 1);
  for (auto _ : state) {
    benchmark::DoNotOptimize(report.FindLineStart(needle));
    const auto at = report.FindLineStart(hit);
    benchmark::DoNotOptimize(report.LocationBefore(*at));
  }
  state.counters["report_bytes"] = static_cast<double>(report.Text().size());
}
BENCHMARK(DuplicateCheckIndexed)->Arg(3277)->Arg(32767);

void DuplicateCheckLiteral(benchmark::State& state) {
  const Report report = LargeReport(static_cast<int>(state.range(0)));
  const std::string needle = "TARGET:   C:\\Program Files\\App999999\\app.exe";
  const std::string hit = "TARGET:   C:\\Program Files\\App" + std::to_string(state.range(0) - 1);
  for (auto _ : state) {
    benchmark::DoNotOptimize(varnlink::auditor::FindLineStartLiteral(report.Text(), needle));
    const auto at = varnlink::auditor::FindLineStartLiteral(report.Text(), hit);
    benchmark::DoNotOptimize(varnlink::auditor::LocationBeforeLiteral(report.Text(), *at));
  }
}
BENCHMARK(DuplicateCheckLiteral)->Arg(3277)->Arg(32767);

}  // namespace

BENCHMARK_MAIN();
