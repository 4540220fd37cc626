// Reading ahead on several threads changes nothing a run hands on: over real
// files, with failures among them, a run whose file services can be shared
// out tells its sink exactly what a run on one thread tells, in the same
// order, and ends (or fails) the same way.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "audit/audit_run.h"
#include "platform/linux/linux_file_services.h"
#include "platform/linux/linux_folder_listing.h"
#include "report/record_writer.h"
#include "report/report_format.h"
#include "tests/support/link_writer.h"
#include "tests/support/scratch_folder.h"

namespace varnlink::test_support {
namespace {

// The system's file services, kept on one thread.
class OneThread final : public platform::LinuxFileServices {
 public:
  [[nodiscard]] std::unique_ptr<FileServices> ForAnotherThread() const override { return nullptr; }
};

// Everything the run tells its sink, in order.
class Transcript final : public audit::EntrySink {
 public:
  void Add(const report::ReportEntry& entry) override {
    std::string text = "entry ";
    report::AppendEntry(text, entry);
    writer.AppendRecord(text, {&entry, nullptr});
    lines.push_back(text);
  }
  void Fail(const report::FailedShortcut& failed) override {
    lines.push_back("failed " + failed.path + ": " + failed.cause);
  }
  void Tell(const std::string& message) override { lines.push_back("told " + message); }
  std::vector<std::string> lines;
  report::RecordWriter writer{report::RecordFormat::kJsonLines};
};

std::vector<std::string> TranscriptOf(const platform::FileServices& files, const std::string& folder,
                                      bool keep_going, lnk::Detail detail) {
  const platform::LinuxFolderListing folders;
  audit::AuditRequest request;
  request.paths = {folder};
  request.limit = std::nullopt;
  request.keep_going = keep_going;
  request.options.warn_duplicate_targets = true;
  request.options.warn_duplicate_arguments = true;
  request.options.warn_suspicious = true;
  request.detail = detail;
  Transcript transcript;
  try {
    const audit::AuditResult result = audit::AuditRun(files, folders).Run(request, transcript);
    transcript.lines.push_back("counted " + std::to_string(result.count) + " failed " +
                               std::to_string(result.failed));
  } catch (const std::exception& e) {
    transcript.lines.push_back(std::string("ended by ") + e.what());
  }
  return transcript.lines;
}

TEST(ReadAhead, ARunOnSeveralThreadsTellsWhatARunOnOneTells) {
  ScratchFolder dir;
  // Enough shortcuts for many batches, targets repeating so that the
  // duplicate checks depend on the order, and files that fail among them.
  for (int i = 0; i < 700; ++i) {
    const std::string name = "s" + std::to_string(1000 + i) + ".lnk";
    ShellLink link = LocalLink("C:\\T" + std::to_string(i % 90) + ".EXE");
    if (i % 7 == 0) link.arguments = "/x";
    Bytes bytes = BuildLink(link);
    if (i % 97 == 50) bytes = BytesOf("not a shortcut at all, only some text");
    if (i % 131 == 70) bytes.resize(40);  // cut short in its header
    dir.Write(name, bytes);
  }
  const std::string folder = dir.Path().string();
  const OneThread one;
  const platform::LinuxFileServices shared;
  for (const lnk::Detail detail : {lnk::Detail::kAudit, lnk::Detail::kRecord}) {
    for (const bool keep_going : {true, false}) {
      const std::vector<std::string> expected = TranscriptOf(one, folder, keep_going, detail);
      ASSERT_GT(expected.size(), keep_going ? 700u : 10u);
      EXPECT_EQ(TranscriptOf(shared, folder, keep_going, detail), expected)
          << "keep going: " << keep_going << ", whole record: " << (detail == lnk::Detail::kRecord);
    }
  }
}

}  // namespace
}  // namespace varnlink::test_support
