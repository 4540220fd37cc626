// varnlink-cli --quarantine and --restore on real trees: only shortcuts whose
// targets the file system says are not there move, nothing is lost however
// the run ends, and a restore gives back the tree byte for byte and time for
// time, within a file system and across two.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <nlohmann/json.hpp>
#include <random>
#include <set>
#include <thread>

#include "tests/app/cli/cli_runner.h"
#include "tests/support/corpus_folder.h"
#include "tests/support/link_writer.h"
#include "tests/support/scratch_folder.h"


namespace varnlink::app::cli {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

// What a restore must give back of each file: its bytes, times and permissions.
struct Kept {
  std::string bytes;
  std::int64_t modified_ns = 0;
  std::int64_t accessed_ns = 0;
  mode_t mode = 0;
  friend bool operator==(const Kept&, const Kept&) = default;
};

std::int64_t Nanoseconds(const struct timespec& t) { return t.tv_sec * 1'000'000'000LL + t.tv_nsec; }

Kept KeptOf(const fs::path& path) {
  struct stat st {};
  if (::lstat(path.c_str(), &st) != 0) return {};
  Kept kept{std::string(static_cast<std::size_t>(st.st_size), '\0'), Nanoseconds(st.st_mtim),
            Nanoseconds(st.st_atim), st.st_mode};
  // Read after the stat and without touching the access time.
  const int fd = ::open(path.c_str(), O_RDONLY | O_NOATIME | O_CLOEXEC);
  EXPECT_EQ(::read(fd, kept.bytes.data(), kept.bytes.size()), st.st_size) << path;
  ::close(fd);
  return kept;
}

// Every file below `root` by its path relative to it; folders are not files.
std::map<std::string, Kept> Snapshot(const fs::path& root) {
  std::map<std::string, Kept> files;
  if (!fs::exists(root)) return files;
  for (const auto& entry : fs::recursive_directory_iterator(root)) {
    if (!entry.is_directory()) files[fs::relative(entry.path(), root).string()] = KeptOf(entry.path());
  }
  return files;
}

// Gives the file times that a copy or a careless read would not keep:
// nanoseconds set, access before modification.
void Stamp(const fs::path& path, std::size_t i, mode_t mode) {
  ::chmod(path.c_str(), mode);
  const struct timespec times[2] = {
      {1'200'000'000 + static_cast<time_t>(i), static_cast<long>(i * 7919 % 1'000'000'000)},
      {1'300'000'000 + static_cast<time_t>(i), static_cast<long>(i * 104'729 % 1'000'000'000 + 1)}};
  ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0) << path;
}

// The JSON objects of a manifest or of records, one a line; a last line cut
// off by a kill is passed over.
std::vector<nlohmann::json> JsonLines(const std::string& text) {
  std::vector<nlohmann::json> lines;
  std::size_t start = 0;
  for (std::size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1) {
    if (end > start) lines.push_back(nlohmann::json::parse(text.substr(start, end - start)));
  }
  return lines;
}

// A tmpfs mounted on `folder` for as long as the object lives.
class TmpfsMount {
 public:
  explicit TmpfsMount(const fs::path& folder) : folder_(folder) {
    fs::create_directories(folder);
    if (::mount("tmpfs", folder.c_str(), "tmpfs", 0, "size=256m,mode=0700") != 0) {
      why_not = folder.string() + ": cannot mount a tmpfs: " + std::strerror(errno);
    }
  }
  ~TmpfsMount() {
    if (why_not.empty()) ::umount2(folder_.c_str(), MNT_DETACH);
  }
  TmpfsMount(const TmpfsMount&) = delete;
  TmpfsMount& operator=(const TmpfsMount&) = delete;
  std::string why_not;

 private:
  fs::path folder_;
};

// A tree of shortcuts, targets on a mapped C: found, missing and not checked.
// The corpus, copied, when present; else shortcuts the link writer makes.
struct CorpusTree {
  explicit CorpusTree(const test_support::ScratchFolder& scratch)
      : tree(scratch.Path() / "tree"), drive(scratch.Path() / "C") {
    fs::create_directories(drive);
    std::size_t i = 0;
    const auto add = [&](const fs::path& name, const test_support::Bytes& bytes) {
      fs::create_directories((tree / name).parent_path());
      test_support::WriteFileBytes(tree / name, bytes);
      Stamp(tree / name, i, i % 5 == 0 ? 0444 : 0640);  // some read-only
      ++i;
    };
    const fs::path corpus = test_support::CorpusFolder();
    if (fs::is_directory(corpus)) {
      for (const auto& entry : fs::recursive_directory_iterator(corpus)) {
        const std::string name = entry.path().filename().string();
        if (entry.is_regular_file() && !name.ends_with(".jsonl") && name != "README.md") {
          add(fs::relative(entry.path(), corpus), test_support::CorpusBytes(entry.path()));
        }
      }
    } else {
      from_corpus = false;
      for (int n = 0; n < 12; ++n) {
        const std::string app = "C:\\Program Files\\App" + std::to_string(n % 6) + "\\run.exe";
        add("Local/" + std::to_string(n) + ".lnk", test_support::BuildLink(test_support::LocalLink(app)));
        add("Share/" + std::to_string(n) + ".lnk",
            test_support::BuildLink(test_support::LocalLink("\\\\server\\share\\" + std::to_string(n))));
        test_support::ShellLink computer;
        computer.environment = test_support::EnvironmentBlock{
            "::{20D04FE0-3AEA-1069-A2D8-08002B30309D}", "::{20D04FE0-3AEA-1069-A2D8-08002B30309D}"};
        add("Shell/" + std::to_string(n) + ".lnk", test_support::BuildLink(computer));
      }
    }
    // Every other missing target is made, so that its shortcuts are found.
    const Outcome probe = RunCli({"--format=jsonl", "--map=C:=" + drive.string(), tree.string()});
    std::set<std::string> looked_for;
    for (const nlohmann::json& record : JsonLines(probe.out)) {
      if (record["target_status"] == "missing") looked_for.insert(record["target_checked_path"]);
    }
    bool make = true;
    for (const std::string& target : looked_for) {
      if (!(make = !make)) continue;
      std::error_code ignored;
      fs::create_directories(fs::path(target).parent_path(), ignored);
      if (!fs::exists(target, ignored)) std::ofstream(target).put('x');
    }
    // A target made a file may have left another no folder to be made in.
    for (const std::string& target : looked_for) {
      std::error_code ignored;
      if (fs::is_regular_file(target, ignored)) made.insert(target);
    }
  }

  fs::path tree;
  fs::path drive;
  bool from_corpus = true;
  std::set<std::string> made;  // targets created
};

struct Place {
  const char* why;
  bool other_file_system;  // the quarantine on a tmpfs
};

class QuarantineTree : public ::testing::TestWithParam<Place> {};

TEST_P(QuarantineTree, MovesOnlyMissingTargetsAndRestoresTheTreeExactly) {
  const test_support::ScratchFolder scratch;
  const fs::path quarantine = scratch.Path() / "quarantine";
  std::optional<TmpfsMount> mount;
  if (GetParam().other_file_system) {
    mount.emplace(quarantine);
    if (!mount->why_not.empty()) GTEST_SKIP() << mount->why_not;
  }
  const CorpusTree corpus(scratch);
  if (!corpus.from_corpus) {
    std::cout << "corpus absent at " << test_support::CorpusFolder()
              << ": shortcuts of the link writer audited instead\n";
  }
  const std::string tree = fs::canonical(corpus.tree).string();
  const std::string map = "--map=C:=" + corpus.drive.string();
  const auto before = Snapshot(tree);
  struct stat tree_device {}, quarantine_device {};
  ::stat(tree.c_str(), &tree_device);
  ::stat(quarantine.parent_path().c_str(), &quarantine_device);
  if (mount) ::stat(quarantine.c_str(), &quarantine_device);
  // Across file systems a rename cannot move a shortcut: each is copied.
  EXPECT_EQ(tree_device.st_dev != quarantine_device.st_dev, GetParam().other_file_system);

  const Outcome dry = RunCli({"--quarantine", quarantine.string(), "--dry-run", map, tree});
  EXPECT_EQ(dry.exit_code, 0) << dry.err;
  EXPECT_NE(dry.err.find("; nothing moved\n"), std::string::npos) << dry.err;
  EXPECT_EQ(Snapshot(tree), before);
  EXPECT_TRUE(Snapshot(quarantine).empty());

  // Records, then the text report, each quarantined into a numbered folder
  // of its own and restored.
  const std::vector<std::string> formats =
      GetParam().other_file_system ? std::vector<std::string>{"jsonl"}
                                   : std::vector<std::string>{"jsonl", "text"};
  for (const std::string& format : formats) {
    SCOPED_TRACE(format);
    const std::string number = format == "jsonl" ? "1" : "2";
    const Outcome run = RunCli({"--format", format, "--quarantine", quarantine.string(), map, tree});
    ASSERT_EQ(run.exit_code, 0) << run.err;
    std::map<std::string, std::string> moved;  // original -> its place
    for (const auto& [name, kept] : Snapshot(quarantine / number)) {
      moved[tree + "/" + name] = (quarantine / number / name).string();
      EXPECT_EQ(kept, before.at(name)) << name << ": not as it was in its place";
      EXPECT_FALSE(fs::exists(fs::path(tree) / name)) << name << ": also still in its place";
    }
    for (const auto& [name, kept] : Snapshot(tree)) {
      EXPECT_EQ(kept, before.at(name)) << name << ": left in place, yet changed";
    }
    EXPECT_EQ(Snapshot(tree).size() + moved.size(), before.size());
    EXPECT_NE(run.err.find("Quarantined: " + std::to_string(moved.size()) + " to "), std::string::npos)
        << run.err;

    if (format == "jsonl") {
      std::map<std::string, std::size_t> outcomes;
      for (const nlohmann::json& record : JsonLines(run.out)) {
        const std::string path = record["path"];
        const std::string status = record["target_status"].is_string() ? record["target_status"] : "";
        ++outcomes[status];
        const bool missing = status == "missing";
        EXPECT_EQ(moved.contains(path), missing) << path << " is " << status;
        EXPECT_EQ(record["quarantined_to"],
                  missing ? nlohmann::json(moved[path]) : nlohmann::json(nullptr))
            << path;
        if (record["target_checked_path"].is_string() &&
            corpus.made.contains(record["target_checked_path"])) {
          EXPECT_EQ(status, "found") << path;
        }
      }
      EXPECT_GT(outcomes["found"], 0U);
      EXPECT_GT(outcomes["missing"], 0U);
      EXPECT_GT(outcomes["not_checked"], 0U);
      EXPECT_EQ(outcomes["missing"], moved.size());
    } else {
      // After the missing-target marker, before the shortcut's name.
      std::size_t markers = 0;
      for (std::size_t at = 0; (at = run.out.find("*** QUARANTINED SHORTCUT BELOW***\r\n", at)) !=
                               std::string::npos;
           ++at) {
        ++markers;
      }
      EXPECT_EQ(markers, moved.size());
      for (const auto& [original, place] : moved) {
        const std::string marker = "*** QUARANTINED SHORTCUT BELOW***\r\n(moved to " + place +
                                   ")\r\nSHORTCUT NAME:   ";
        const std::size_t at = run.out.find(marker);
        ASSERT_NE(at, std::string::npos) << original;
        const std::size_t line_before = run.out.rfind("\r\n", at - 3) + 2;
        EXPECT_EQ(run.out.compare(line_before, 12, "(looked for "), 0) << original;
      }
    }

    const Outcome restore = RunCli({"--restore", quarantine.string()});
    EXPECT_EQ(restore.exit_code, 0) << restore.err;
    EXPECT_EQ(restore.err, "Restored: " + std::to_string(moved.size()) + "; left in quarantine: 0\n");
    EXPECT_EQ(Snapshot(tree), before);
    const auto left = Snapshot(quarantine);
    EXPECT_EQ(left.size(), 1U);
    EXPECT_TRUE(left.contains("manifest.jsonl"));
  }
}

INSTANTIATE_TEST_SUITE_P(Places, QuarantineTree,
                         ::testing::Values(Place{"SameFileSystem", false},
                                           Place{"OnATmpfs", true}),
                         [](const auto& row) { return std::string(row.param.why); });

// Lets the program run until `deadline`, then kills it; true when it ended first.
bool EndedBefore(pid_t pid, Clock::time_point deadline) {
  while (Clock::now() < deadline) {
    siginfo_t info{};
    if (::waitid(P_PID, static_cast<id_t>(pid), &info, WEXITED | WNOHANG | WNOWAIT) == 0 &&
        info.si_pid == pid) {
      return true;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  ::kill(pid, SIGKILL);
  return false;
}

// Thousands of shortcuts, all with missing targets: a quarantine killed at
// random moments of its run, then a restore killed too, then a restore run
// to its end. After each kill every shortcut is in its place or in
// quarantine with its manifest line, and in the end the tree is as it was.
TEST(QuarantineKilled, LosesNothingAndARestoreBringsTheTreeBack) {
  constexpr std::size_t kShortcuts = 3000;
  constexpr int kKills = 5;
  constexpr auto kLongest = std::chrono::milliseconds(2000);
  const test_support::ScratchFolder scratch;
  // On a tmpfs, where flushing costs nothing, a run ends within the time
  // and the kills fall anywhere in it; elsewhere they fall in its first
  // seconds. A kill is not a power loss: what the program wrote stays.
  const TmpfsMount mount(scratch.Path() / "fast");
  const fs::path base = mount.why_not.empty() ? scratch.Path() / "fast" : scratch.Path();
  if (!mount.why_not.empty()) std::cout << mount.why_not << "; on the disk instead\n";
  const fs::path other_base = scratch.Path() / "other";
  const TmpfsMount other(other_base);
  const fs::path drive = base / "C";
  fs::create_directories(drive);
  std::vector<test_support::Bytes> links;
  for (std::size_t i = 0; i < kShortcuts; ++i) {
    links.push_back(test_support::BuildLink(test_support::LocalLink(
        "C:\\Gone\\" + std::to_string(i % 40) + "\\app" + std::to_string(i) + ".exe")));
  }
  std::map<std::string, Kept> before;
  std::mt19937 random(27);
  // The first run shows how long a run lasts (up to kLongest), and each
  // that ends a shorter one; the others are killed at random moments within
  // that.
  Clock::duration lasts = kLongest;
  for (int kill = 0; kill <= kKills; ++kill) {
    SCOPED_TRACE("run " + std::to_string(kill));
    const fs::path root = base / ("run" + std::to_string(kill));
    // Every other run quarantines onto a second tmpfs: killed while copying.
    const fs::path quarantine = (kill % 2 == 1 && other.why_not.empty() ? other_base : root) / "quarantine" / std::to_string(kill);
    for (std::size_t i = 0; i < kShortcuts; ++i) {
      const fs::path name = root / "tree" / std::to_string(i / 300) / (std::to_string(i) + ".lnk");
      fs::create_directories(name.parent_path());
      test_support::WriteFileBytes(name, links[i]);
      Stamp(name, i, i % 7 == 0 ? 0400 : 0600);
    }
    const std::string tree = fs::canonical(root / "tree").string();
    if (kill == 0) before = Snapshot(tree);
    const auto at = [&](Clock::duration longest) {
      return std::chrono::nanoseconds(std::uniform_int_distribution<std::int64_t>(
          0, std::chrono::duration_cast<std::chrono::nanoseconds>(longest).count())(random));
    };

    const test_support::ScratchFolder capture;
    const Clock::time_point start = Clock::now();
    const pid_t pid = StartCli({"--format=jsonl", "--quarantine", quarantine.string(),
                             "--map=C:=" + drive.string(), tree},
                            capture);
    ASSERT_GT(pid, 0);
    const bool ended = EndedBefore(pid, start + (kill == 0 ? kLongest : at(lasts)));
    const Outcome run = FinishCli(pid, capture);
    if (ended) lasts = std::min(lasts, Clock::now() - start);  // the kills to come fall within a run
    if (ended) {
      EXPECT_EQ(run.exit_code, 0) << run.err;
    }

    // Each shortcut, in its place as it was, or in quarantine with its line.
    std::map<std::string, std::string> lines;  // original -> place
    const std::string manifest = ReadWhole(quarantine / "manifest.jsonl");
    for (const nlohmann::json& line : JsonLines(manifest)) {
      if (line.contains("original")) lines[line["original"]] = line["quarantined"];
    }
    std::size_t moved = 0;
    for (const auto& [name, kept] : before) {
      const std::string original = tree + "/" + name;
      if (fs::exists(original)) {
        EXPECT_EQ(KeptOf(original), kept) << original;
        continue;
      }
      ++moved;
      ASSERT_TRUE(lines.contains(original)) << original << ": gone, without its manifest line";
      EXPECT_EQ(KeptOf(lines[original]).bytes, kept.bytes) << original << " in quarantine";
    }
    if (!fs::exists(quarantine / "manifest.jsonl")) {
      EXPECT_EQ(moved, 0U);
      continue;  // killed before the quarantine was set up
    }

    // A restore killed as well is simply run again.
    const test_support::ScratchFolder restore_capture;
    const pid_t restoring = StartCli({"--restore", quarantine.string()}, restore_capture);
    (void)EndedBefore(restoring, Clock::now() + at(lasts / 2));
    (void)FinishCli(restoring, restore_capture);
    const Outcome restore = RunCli({"--restore", quarantine.string()});
    EXPECT_EQ(restore.exit_code, 0) << restore.err;
    EXPECT_TRUE(restore.err.ends_with("; left in quarantine: 0\n")) << restore.err;
    EXPECT_EQ(Snapshot(tree), before) << moved << " moved before the kill";
    const auto left = Snapshot(quarantine);
    EXPECT_EQ(left.size(), 1U) << left.begin()->first;
    std::cout << (ended ? "ended" : "killed") << " after " << moved << " of " << kShortcuts
              << " moved\n";
  }
}

}  // namespace
}  // namespace varnlink::app::cli
