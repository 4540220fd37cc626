// AuditShortcut over real files and the POSIX file services: shortcuts are
// read and never written, paths that are not regular files fail naming the
// path without blocking, and only the first 16 MiB are read.

#ifndef _WIN32

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <future>
#include <string>

#include "auditor/module1.h"
#include "auditor/shortcut_decoder.h"
#include "platform/posix/posix_file_services.h"
#include "tests/auditor/audit_fixture.h"
#include "tests/support/scratch_folder.h"

namespace varnlink::test_support {
namespace {

class RealFiles : public ::testing::Test {
 protected:
  ScratchFolder scratch;
  platform::PosixFileServices files;
  RecordingMessageDialog messages;
  FakeAuditChoices window;
  auditor::Module1 module{files, messages};
};

TEST_F(RealFiles, ReadOnlyShortcutIsAuditedAndLeftUnchanged) {
  ShellLink link = LocalLink("C:\\A.EXE");
  link.working_dir = "C:\\";
  const Bytes bytes = BuildLink(link);
  const std::string path = scratch.Write("Read Only.lnk", bytes);
  ASSERT_EQ(::chmod(path.c_str(), 0444), 0);
  struct stat before {};
  ASSERT_EQ(::stat(path.c_str(), &before), 0);

  module.AuditShortcut(path, window);
  const std::vector<std::string> lines = LinesOf(window.report.Text());
  ASSERT_EQ(lines.size(), 9u);
  EXPECT_EQ(lines[0], "SHORTCUT NAME:   Read Only");
  EXPECT_EQ(lines[1], "LOCATION:   " + path);
  EXPECT_EQ(lines[2], "TARGET:   C:\\A.EXE");
  EXPECT_EQ(lines[6], "READ ONLY:   True       ARCHIVE:   True       HIDDEN:   False ");

  struct stat after {};
  ASSERT_EQ(::stat(path.c_str(), &after), 0);
  EXPECT_EQ(after.st_mtim.tv_sec, before.st_mtim.tv_sec);
  EXPECT_EQ(after.st_mtim.tv_nsec, before.st_mtim.tv_nsec);
  EXPECT_EQ(after.st_size, before.st_size);
}

TEST_F(RealFiles, NonRegularPathsFailNamingThemWithoutBlocking) {
  const std::string folder = scratch.PathOf("folder.lnk");
  ASSERT_EQ(::mkdir(folder.c_str(), 0755), 0);
  const std::string fifo = scratch.PathOf("pipe.lnk");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0644), 0);
  const std::string missing = scratch.PathOf("missing.lnk");
  for (const std::string& path : {folder, fifo, missing, std::string("/dev/null")}) {
    auto audit = std::async(std::launch::async, [&] {
      try {
        module.AuditShortcut(path, window);
        return std::string("audited");
      } catch (const std::exception& e) {
        return std::string(e.what());
      }
    });
    if (audit.wait_for(std::chrono::seconds(10)) != std::future_status::ready) {
      const int fd = ::open(fifo.c_str(), O_RDWR | O_NONBLOCK);  // release a stuck open()
      audit.wait();
      if (fd >= 0) ::close(fd);
      FAIL() << "auditing " << path << " blocked";
    }
    const std::string message = audit.get();
    EXPECT_NE(message.find(path), std::string::npos) << message;
  }
  EXPECT_EQ(window.report.Text(), "");
  EXPECT_EQ(module.ShortcutCount, 0);
}

TEST_F(RealFiles, ReadsAtMost16MiBAndShowsTheRealLength) {
  ShellLink link = LocalLink("C:\\BIG.EXE");
  link.arguments = "/big";
  link.trailing = Filled(auditor::kMaxShortcutBytes + 100, 0);
  const Bytes bytes = BuildLink(link);
  const std::string path = scratch.Write("big.lnk", bytes);
  EXPECT_EQ(files.ReadFileStart(path, auditor::kMaxShortcutBytes).size(),
            auditor::kMaxShortcutBytes);
  module.AuditShortcut(path, window);
  EXPECT_EQ(LineStartingWith(window.report.Text(), "TARGET:"), "TARGET:   C:\\BIG.EXE /big");
  EXPECT_TRUE(LineStartingWith(window.report.Text(), "LENGTH:")
                  .starts_with("LENGTH:   " + std::to_string(bytes.size()) + " bytes    "));
}

}  // namespace
}  // namespace varnlink::test_support

#endif  // _WIN32
