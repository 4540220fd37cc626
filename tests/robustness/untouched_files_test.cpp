// An audit reads shortcuts and changes nothing: after auditing a whole tree
// every file has the same bytes and modification time, no file appeared or
// went, and where the system lets a reader leave the access time alone
// (O_NOATIME, for the file's owner or root) the access time is unchanged too.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "tests/robustness/robustness_support.h"
#include "tests/support/corpus_folder.h"
#include "tests/support/link_writer.h"
#include "tests/support/scratch_folder.h"


namespace varnlink::test_support {
namespace {

namespace fs = std::filesystem;

struct FileState {
  std::vector<std::uint8_t> bytes;
  timespec modified{};
  timespec accessed{};
  uid_t owner = 0;
};

bool operator==(const timespec& a, const timespec& b) {
  return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
}

// The tree's regular files, read without touching their access times.
std::map<std::string, FileState> Snapshot(const fs::path& root) {
  std::map<std::string, FileState> files;
  for (const auto& entry : fs::recursive_directory_iterator(root)) {
    if (!entry.is_regular_file()) continue;
    const std::string path = entry.path().string();
    FileState state;
    const int fd = ::open(path.c_str(), O_RDONLY | O_NOATIME | O_CLOEXEC);
    if (fd < 0) throw std::runtime_error(path + ": cannot open without touching it");
    struct stat st {};
    ::fstat(fd, &st);
    state.modified = st.st_mtim;
    state.accessed = st.st_atim;
    state.owner = st.st_uid;
    state.bytes.resize(static_cast<std::size_t>(st.st_size));
    const ssize_t n = ::read(fd, state.bytes.data(), state.bytes.size());
    ::close(fd);
    if (n != st.st_size) throw std::runtime_error(path + ": cannot read");
    files[path] = std::move(state);
  }
  return files;
}

// Audits every file of the tree on its own (a damaged one fails alone).
void AuditEach(const std::map<std::string, FileState>& files) {
  platform::LinuxFileServices services;
  RecordingMessageDialog messages;
  for (const auto& [path, state] : files) {
    // A file that is no shortcut still must not be touched.
    (void)AuditSelection(services, messages, {path});
  }
}

void ExpectUnchanged(const std::map<std::string, FileState>& before,
                     const std::map<std::string, FileState>& after) {
  ASSERT_EQ(before.size(), after.size()) << "files appeared or went";
  const bool may_skip_access_time = ::geteuid() == 0;
  for (const auto& [path, old] : before) {
    const auto now = after.find(path);
    ASSERT_NE(now, after.end()) << path << " went";
    EXPECT_EQ(now->second.bytes, old.bytes) << path << ": bytes changed";
    EXPECT_TRUE(now->second.modified == old.modified) << path << ": modification time changed";
    if (may_skip_access_time || old.owner == ::geteuid()) {
      EXPECT_TRUE(now->second.accessed == old.accessed) << path << ": access time changed";
    }
  }
}

// A tree of written shortcuts whose access times lie far back, so that any
// read that updates access times (even under relatime) would show.
TEST(UntouchedFiles, AnAuditedTreeKeepsEveryFilesBytesAndTimes) {
  ScratchFolder dir;
  ShellLink unicode = LocalLink("C:\\WINDOWS\\NOTEPAD.EXE");
  unicode.unicode = true;
  unicode.working_dir = "C:\\WINDOWS";
  unicode.arguments = "/p";
  dir.Write("a.lnk", BuildLink(LocalLink("C:\\A.EXE")));
  dir.Write("b.lnk", BuildLink(LocalLink("C:\\A.EXE")));
  fs::create_directory(dir.PathOf("sub"));
  dir.Write("sub/c.lnk", BuildLink(unicode));
  dir.Write("sub/not a shortcut.lnk", Concat({BytesOf("plain text"), Filled(30, 0)}));
  for (const auto& entry : fs::recursive_directory_iterator(dir.Path())) {
    if (!entry.is_regular_file()) continue;
    const timespec times[2] = {{946684800, 0}, {946684800, 0}};  // 2000-01-01
    ::utimensat(AT_FDCWD, entry.path().c_str(), times, 0);
  }

  const auto before = Snapshot(dir.Path());
  AuditEach(before);
  RealWindow window;  // and the whole run over the tree, walk included
  EXPECT_EQ(window.AuditFolder(dir.Path().string()), "");
  EXPECT_NE(window.model.report.find("DUPLICATE TARGET"), std::string::npos);
  ExpectUnchanged(before, Snapshot(dir.Path()));
}

TEST(UntouchedFiles, TheRealCorpusKeepsEveryFilesBytesAndTimes) {
  const fs::path corpus = CorpusFolder();
  if (corpus.empty() || !fs::is_directory(corpus)) {
    GTEST_SKIP() << "no shortcut corpus at '" << corpus.string() << "'";
  }
  const auto before = Snapshot(corpus);
  ASSERT_GT(before.size(), 100u);
  AuditEach(before);
  ExpectUnchanged(before, Snapshot(corpus));
}

}  // namespace
}  // namespace varnlink::test_support
