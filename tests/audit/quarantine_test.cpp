// The quarantine never loses a file: whichever step fails (the manifest's
// write, a rename, a copy, setting times, a removal), each file is afterwards
// in its place or in quarantine with its manifest line, and a restore brings
// the tree back byte for byte and time for time.

#include "audit/quarantine.h"

#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "platform/error.h"
#include "platform/linux/linux_file_mover.h"
#include "tests/support/scratch_folder.h"

namespace varnlink::audit {
namespace {

namespace fs = std::filesystem;

// The system's mover, failing the `fail_at`th call of `operation`; with
// `other_volume`, every rename between two folders fails as across file
// systems, so moves copy.
class FailingMover : public platform::LinuxFileMover {
 public:
  FailingMover(std::string operation, int fail_at, bool other_volume)
      : operation_(std::move(operation)), fail_at_(fail_at), other_volume_(other_volume) {}

  void AppendDurably(const std::string& path, const std::string& text) const override {
    Step("append", path);
    LinuxFileMover::AppendDurably(path, text);
  }
  bool Rename(const std::string& from, const std::string& to) const override {
    if (other_volume_ && fs::path(from).parent_path() != fs::path(to).parent_path()) return false;
    Step("rename", from);
    return LinuxFileMover::Rename(from, to);
  }
  void CopyDurably(const std::string& from, const std::string& to) const override {
    Step("copy", to);
    LinuxFileMover::CopyDurably(from, to);
  }
  void SetStamp(const std::string& path, const platform::FileStamp& stamp) const override {
    Step("stamp", path);
    LinuxFileMover::SetStamp(path, stamp);
  }
  void Remove(const std::string& path) const override {
    Step("remove", path);
    LinuxFileMover::Remove(path);
  }

 private:
  void Step(const char* operation, const std::string& path) const {
    if (operation_ == operation && ++calls_ == fail_at_) {
      throw platform::OsError(ENOSPC, path, std::string("cannot ") + operation);
    }
  }
  std::string operation_;
  int fail_at_;
  bool other_volume_;
  mutable int calls_ = 0;
};

struct Kept {
  std::string bytes;
  std::int64_t modified_ns;
  std::int64_t accessed_ns;
  friend bool operator==(const Kept&, const Kept&) = default;
};

std::map<std::string, Kept> Snapshot(const fs::path& root) {
  std::map<std::string, Kept> files;
  if (!fs::exists(root)) return files;
  for (const auto& entry : fs::recursive_directory_iterator(root)) {
    if (!entry.is_regular_file()) continue;
    struct stat st {};
    ::stat(entry.path().c_str(), &st);
    // Read without touching the access time (the test owns the files).
    const int fd = ::open(entry.path().c_str(), O_RDONLY | O_NOATIME);
    std::string bytes(static_cast<std::size_t>(st.st_size), '\0');
    EXPECT_EQ(::read(fd, bytes.data(), bytes.size()), st.st_size);
    ::close(fd);
    files[fs::relative(entry.path(), root).string()] = {
        bytes, st.st_mtim.tv_sec * 1'000'000'000LL + st.st_mtim.tv_nsec,
        st.st_atim.tv_sec * 1'000'000'000LL + st.st_atim.tv_nsec};
  }
  return files;
}

std::string Slurp(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

struct Fault {
  const char* operation;
  bool other_volume;
};

class QuarantineFaults : public ::testing::TestWithParam<Fault> {};

TEST_P(QuarantineFaults, LeaveEveryFileInPlaceOrInQuarantineAndRestoreBringsAllBack) {
  const Fault fault = GetParam();
  for (int fail_at = 1; fail_at <= 4; ++fail_at) {
    SCOPED_TRACE(fail_at);
    const test_support::ScratchFolder scratch;
    const fs::path tree = scratch.Path() / "tree";
    const fs::path folder = scratch.Path() / "quarantine";
    const std::vector<std::string> names = {"a.lnk", "sub/b.lnk", "sub/deeper/c.lnk"};
    for (std::size_t i = 0; i < names.size(); ++i) {
      fs::create_directories((tree / names[i]).parent_path());
      std::ofstream(tree / names[i], std::ios::binary) << "shortcut " << i;
      ::chmod((tree / names[i]).c_str(), i == 1 ? 0444 : 0640);  // a read-only one
      const struct timespec times[2] = {{1'000'000'000 + static_cast<time_t>(i), 123},
                                        {900'000'000, 456'789}};
      ::utimensat(AT_FDCWD, (tree / names[i]).c_str(), times, 0);
    }
    const auto before = Snapshot(tree);

    const FailingMover failing(fault.operation, fail_at, fault.other_volume);
    bool failed = false;
    try {
      Quarantine quarantine(failing, folder.string(), {tree.string()}, false);
      for (const std::string& name : names) {
        (void)quarantine.Move((tree / name).string(), quarantine.PlaceFor(0, name));
      }
    } catch (const std::exception& e) {
      failed = true;
      EXPECT_NE(std::string(e.what()).find("cannot"), std::string::npos) << e.what();
    }
    // Each file is in its place, or in quarantine with its line.
    const std::string manifest = Slurp(folder / "manifest.jsonl");
    for (const std::string& name : names) {
      const fs::path place = folder / "1" / name;
      const bool in_place = fs::exists(tree / name);
      const bool in_quarantine = fs::exists(place);
      EXPECT_TRUE(in_place || in_quarantine) << name;
      if (in_quarantine) {
        EXPECT_NE(manifest.find(place.string()), std::string::npos) << name;
      }
    }
    if (!failed) {
      EXPECT_TRUE(Snapshot(tree).empty());
    }

    if (!fs::exists(folder / "manifest.jsonl")) {  // refused before anything moved
      EXPECT_EQ(Snapshot(tree), before);
      continue;
    }
    // A restore that fails too is simply repeated.
    const FailingMover failing_again(fault.operation, fail_at, fault.other_volume);
    try {
      (void)RestoreQuarantine(failing_again, folder.string());
    } catch (const std::exception&) {
    }
    const FailingMover healthy("", 0, fault.other_volume);
    const RestoreResult restored = RestoreQuarantine(healthy, folder.string());
    EXPECT_TRUE(restored.left.empty()) << restored.left.front();
    EXPECT_EQ(Snapshot(tree), before);
    for (const auto& [name, kept] : Snapshot(folder / "1")) {
      ADD_FAILURE() << name << " is still in quarantine";
    }
    // Restoring again finds nothing left to do.
    EXPECT_TRUE(RestoreQuarantine(healthy, folder.string()).restored.empty());
  }
}

INSTANTIATE_TEST_SUITE_P(Steps, QuarantineFaults,
                         ::testing::Values(Fault{"append", false}, Fault{"rename", false},
                                           Fault{"stamp", false}, Fault{"append", true},
                                           Fault{"copy", true}, Fault{"rename", true},
                                           Fault{"stamp", true}, Fault{"remove", true}),
                         [](const auto& row) {
                           return std::string(row.param.operation) +
                                  (row.param.other_volume ? "AcrossFileSystems" : "");
                         });

TEST(Quarantine, RefusesAFolderInsideAnAuditedPathAndANewerManifest) {
  const test_support::ScratchFolder scratch;
  const platform::LinuxFileMover mover;
  fs::create_directories(scratch.Path() / "tree");
  EXPECT_THROW(Quarantine(mover, (scratch.Path() / "tree" / "q").string(),
                          {(scratch.Path() / "tree").string()}, false),
               QuarantineRefused);
  fs::create_directories(scratch.Path() / "q");
  std::ofstream(scratch.Path() / "q" / "manifest.jsonl") << "{\"manifest\":2}\n";
  EXPECT_THROW(Quarantine(mover, (scratch.Path() / "q").string(), {(scratch.Path() / "tree").string()},
                          false),
               QuarantineRefused);
  EXPECT_THROW((void)RestoreQuarantine(mover, (scratch.Path() / "q").string()), QuarantineRefused);
}

TEST(Quarantine, RestoreLeavesAnotherFileInItsPlaceAndTheShortcutInQuarantine) {
  const test_support::ScratchFolder scratch;
  const platform::LinuxFileMover mover;
  const fs::path tree = scratch.Path() / "tree";
  fs::create_directories(tree);
  std::ofstream(tree / "a.lnk") << "old";
  Quarantine quarantine(mover, (scratch.Path() / "q").string(), {tree.string()}, false);
  ASSERT_TRUE(quarantine.Move((tree / "a.lnk").string(), quarantine.PlaceFor(0, "a.lnk")));
  std::ofstream(tree / "a.lnk") << "new";
  const RestoreResult result = RestoreQuarantine(mover, (scratch.Path() / "q").string());
  EXPECT_EQ(result.left.size(), 1U);
  EXPECT_EQ(Slurp(tree / "a.lnk"), "new");
  EXPECT_EQ(Slurp(scratch.Path() / "q" / "1" / "a.lnk"), "old");
}

// A run cut off after a shortcut's line, before its move, then run again
// into the same folder: the restore brings the shortcut back once and finds
// nothing missing, then and on every later restore.
TEST(Quarantine, RestoreAfterARunCutOffAndRunAgainLeavesNothingBehind) {
  const test_support::ScratchFolder scratch;
  const fs::path tree = scratch.Path() / "tree";
  const std::string folder = (scratch.Path() / "q").string();
  fs::create_directories(tree);
  std::ofstream(tree / "a.lnk") << "shortcut";
  const auto before = Snapshot(tree);
  for (const char* failing_step : {"rename", ""}) {
    const FailingMover mover(failing_step, 1, false);
    Quarantine quarantine(mover, folder, {tree.string()}, false);
    try {
      (void)quarantine.Move((tree / "a.lnk").string(), quarantine.PlaceFor(0, "a.lnk"));
    } catch (const std::exception&) {
    }
  }
  const platform::LinuxFileMover mover;
  for (const std::size_t restored : {1U, 0U}) {
    const RestoreResult result = RestoreQuarantine(mover, folder);
    EXPECT_EQ(result.restored.size(), restored);
    EXPECT_TRUE(result.left.empty()) << result.left.front();
  }
  EXPECT_EQ(Snapshot(tree), before);
}

// A manifest whose last line a crash cut off (before its move, which the
// line comes first of): the next line starts on a line of its own, so its
// shortcut is not lost; the restore names the line it cannot read.
TEST(Quarantine, ALineAfterACutOffOneKeepsItsShortcut) {
  const test_support::ScratchFolder scratch;
  const platform::LinuxFileMover mover;
  const fs::path tree = scratch.Path() / "tree";
  const std::string folder = (scratch.Path() / "q").string();
  fs::create_directories(tree);
  std::ofstream(tree / "a.lnk") << "a";
  std::ofstream(tree / "b.lnk") << "b";
  const auto before = Snapshot(tree);
  {
    Quarantine quarantine(mover, folder, {tree.string()}, false);
    ASSERT_TRUE(quarantine.Move((tree / "a.lnk").string(), quarantine.PlaceFor(0, "a.lnk")));
  }
  std::ofstream(fs::path(folder) / "manifest.jsonl", std::ios::app) << R"({"manifest":1,"orig)";
  {
    Quarantine quarantine(mover, folder, {tree.string()}, false);
    ASSERT_TRUE(quarantine.Move((tree / "b.lnk").string(), quarantine.PlaceFor(0, "b.lnk")));
  }
  const RestoreResult result = RestoreQuarantine(mover, folder);
  EXPECT_EQ(result.restored.size(), 2U);
  ASSERT_EQ(result.left.size(), 1U);
  EXPECT_NE(result.left.front().find("line 2 cannot be read"), std::string::npos);
  EXPECT_EQ(Snapshot(tree), before);
}

}  // namespace
}  // namespace varnlink::audit
