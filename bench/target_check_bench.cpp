// What the missing-target check asks of the file system on a tree: an audit
// run of TREE with C: mapped to TARGETS, over the real Linux file system,
// counting every look at a path and every folder listing, against the
// distinct target paths the run checked.

#include <chrono>
#include <cstdio>
#include <set>
#include <string>
#include <unordered_map>

#include "audit/audit_run.h"
#include "platform/linux/linux_file_services.h"
#include "platform/linux/linux_folder_listing.h"
#include "platform/linux/linux_target_files.h"

namespace {

using namespace varnlink;

class CountingTargetFiles : public platform::TargetFiles {
 public:
  [[nodiscard]] bool LiveWindows() const override { return false; }
  [[nodiscard]] char Separator() const override { return '/'; }
  [[nodiscard]] platform::TargetProbe Look(const std::string& path) const override {
    ++looks[path];
    return system_.Look(path);
  }
  [[nodiscard]] std::vector<std::string> Names(const std::string& folder) const override {
    ++listings;
    return system_.Names(folder);
  }
  [[nodiscard]] std::string FullPath(const std::string& path) const override {
    return system_.FullPath(path);
  }
  [[nodiscard]] std::optional<std::string> Variable(const std::string& name) const override {
    return system_.Variable(name);
  }
  [[nodiscard]] platform::DriveKind Drive(char letter) const override {
    return system_.Drive(letter);
  }
  [[nodiscard]] std::optional<std::string> WindowsVolumeOf(const std::string& path) const override {
    return system_.WindowsVolumeOf(path);
  }

  mutable std::unordered_map<std::string, int> looks;
  mutable std::size_t listings = 0;

 private:
  platform::LinuxTargetFiles system_;
};

class CheckedPaths : public audit::EntrySink {
 public:
  void Add(const report::ReportEntry& entry) override {
    if (entry.target_status && entry.target_status->checked_path)
      paths.insert(*entry.target_status->checked_path);
  }
  std::set<std::string> paths;
};

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: varnlink_target_check_bench TREE TARGETS\n");
    return 2;
  }
  const platform::LinuxFileServices files;
  const platform::LinuxFolderListing folders;
  const CountingTargetFiles targets;
  CheckedPaths sink;
  audit::AuditRequest request;
  request.folder = argv[1];
  request.options.check_targets = true;
  request.target_check.drives.emplace_back('C', argv[2]);
  const auto start = std::chrono::steady_clock::now();
  const audit::AuditResult result =
      audit::AuditRun(files, folders, targets).Run(request, sink);
  const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
  std::size_t looks = 0;
  std::size_t looked_twice = 0;
  for (const auto& [path, times] : targets.looks) {
    looks += static_cast<std::size_t>(times);
    if (times > 1) ++looked_twice;
  }
  std::printf(
      "target check: %zu shortcuts, %zu distinct target paths; %zu looks at %zu paths "
      "(%zu looked at more than once), %zu folder listings; %.3f s in-process; %s\n",
      result.count, sink.paths.size(), looks, targets.looks.size(), looked_twice, targets.listings,
      elapsed.count(), result.closing_messages.empty() ? "" : result.closing_messages.back().c_str());
  return looked_twice == 0 ? 0 : 1;
}
