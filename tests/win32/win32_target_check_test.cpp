// The missing-target check on the running Windows system (under Wine in the
// cross-build): real files, the system's own environment and drives.

#include <gtest/gtest.h>

#include "audit/target_check.h"
#include "platform/target_files.h"
#include "tests/support/scratch_folder.h"
#include "tests/win32/win32_test_files.h"

namespace varnlink::audit {
namespace {

using auditor::NotCheckedReason;
using auditor::TargetOutcome;
using auditor::TargetSource;
using namespace varnlink::win32_test;

std::string Environment(const wchar_t* name) {
  wchar_t value[1024] = {};
  const DWORD got = GetEnvironmentVariableW(name, value, 1024);
  return got > 0 && got < 1024 ? platform::WideToUtf8(value) : std::string();
}

// A drive letter the system does not have.
char AbsentDrive() {
  const DWORD drives = GetLogicalDrives();
  for (char letter = 'Q'; letter <= 'Y'; ++letter) {
    if ((drives & (1u << (letter - 'A'))) == 0) return letter;
  }
  return 0;
}

std::string Upper(std::string text) {
  for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return text;
}

class Win32TargetCheck : public testing::Test {
 protected:
  Win32TargetCheck() : folder(scratch.Path().string()) {
    EXPECT_TRUE(MakeFolder(folder + "\\App"));
    EXPECT_TRUE(MakeFile(folder + "\\App\\present.exe"));
    // A folder deeper than MAX_PATH allows without the long form.
    long_folder = folder;
    for (int i = 0; i < 3; ++i) {
      long_folder += "\\" + std::string(100, static_cast<char>('a' + i));
      EXPECT_TRUE(MakeFolder(long_folder));
    }
    EXPECT_TRUE(MakeFile(long_folder + "\\deep.txt"));
  }
  ~Win32TargetCheck() override {
    DeleteFileW(platform::ApiPath(long_folder + "\\deep.txt").c_str());
  }

  auditor::TargetStatus Check(const std::string& target, TargetSource source,
                              const TargetCheckSettings& settings = {}) {
    TargetCheck check(platform::SystemTargetFiles(), settings, folder);
    auditor::ShortcutInfo info;
    info.target = target;
    info.target_source = source;
    return check.Check(info, folder + "\\a.lnk");
  }

  test_support::ScratchFolder scratch;
  std::string folder;
  std::string long_folder;
};

TEST_F(Win32TargetCheck, FindsRealFilesAndSaysWhatItLookedFor) {
  const std::string windir = Environment(L"windir");
  ASSERT_FALSE(windir.empty()) << "the system has no %windir%";
  struct Row {
    std::string target;
    TargetSource source;
    TargetOutcome outcome;
    std::string checked;
  };
  const std::string present = folder + "\\App\\present.exe";
  for (const Row& row : std::initializer_list<Row>{
           {present, TargetSource::kLinkInfo, TargetOutcome::kFound, present},
           {Upper(present), TargetSource::kLinkInfo, TargetOutcome::kFound, Upper(present)},
           {long_folder + "\\deep.txt", TargetSource::kLinkInfo, TargetOutcome::kFound,
            long_folder + "\\deep.txt"},
           {folder + "\\App\\absent.exe", TargetSource::kLinkInfo, TargetOutcome::kMissing,
            folder + "\\App\\absent.exe"},
           // The system's own environment.
           {"%windir%\\system32", TargetSource::kEnvironment, TargetOutcome::kFound,
            windir + "\\system32"},
           {"%WINDIR%\\no-such.exe", TargetSource::kEnvironment, TargetOutcome::kMissing,
            windir + "\\no-such.exe"}}) {
    const auditor::TargetStatus status = Check(row.target, row.source);
    EXPECT_EQ(status.outcome, row.outcome) << row.target;
    EXPECT_EQ(status.checked_path, row.checked) << row.target;
  }
  EXPECT_EQ(Check("%VARNLINK_NO_SUCH_VARIABLE%\\x", TargetSource::kEnvironment).reason,
            NotCheckedReason::kUnknownVariable);
}

TEST_F(Win32TargetCheck, PassesOverADriveTheSystemDoesNotHaveUnlessItIsMapped) {
  const char drive = AbsentDrive();
  if (drive == 0) GTEST_SKIP() << "every drive letter from Q: to Y: is in use";
  const std::string target = std::string{drive} + ":\\APP\\present.exe";
  EXPECT_EQ(Check(target, TargetSource::kLinkInfo).reason, NotCheckedReason::kUnmappedDrive);
  const auditor::TargetStatus mapped =
      Check(target, TargetSource::kLinkInfo, {{{drive, folder}}, {}});
  EXPECT_EQ(mapped.outcome, TargetOutcome::kFound);
  EXPECT_EQ(mapped.checked_path, folder + "\\APP\\present.exe");
}

}  // namespace
}  // namespace varnlink::audit
