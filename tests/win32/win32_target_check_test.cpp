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
  ~Win32TargetCheck() override { DeleteFileW(platform::ApiPath(long_folder + "\\deep.txt").c_str()); }

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

TEST_F(Win32TargetCheck, FindsRealFilesWhateverTheirCaseAndLength) {
  for (const std::string& target : {folder + "\\App\\present.exe", Upper(folder + "\\App\\present.exe"),
                                    folder + "\\App", long_folder + "\\deep.txt"}) {
    const auditor::TargetStatus status = Check(target, TargetSource::kLinkInfo);
    EXPECT_EQ(status.outcome, TargetOutcome::kFound) << target;
    EXPECT_EQ(status.checked_path, target);
  }
}

TEST_F(Win32TargetCheck, SaysWhatItLookedForWhenAFileIsMissing) {
  const std::string target = folder + "\\App\\absent.exe";
  const auditor::TargetStatus status = Check(target, TargetSource::kLinkInfo);
  EXPECT_EQ(status.outcome, TargetOutcome::kMissing);
  EXPECT_EQ(status.checked_path, target);
}

TEST_F(Win32TargetCheck, ExpandsTheSystemsOwnVariables) {
  const std::string windir = Environment(L"windir");
  ASSERT_FALSE(windir.empty()) << "the system has no %windir%";
  const auditor::TargetStatus present = Check("%windir%\\system32", TargetSource::kEnvironment);
  EXPECT_EQ(present.outcome, TargetOutcome::kFound);
  EXPECT_EQ(present.checked_path, windir + "\\system32");
  const auditor::TargetStatus absent = Check("%WINDIR%\\no-such-program.exe", TargetSource::kEnvironment);
  EXPECT_EQ(absent.outcome, TargetOutcome::kMissing);
  EXPECT_EQ(absent.checked_path, windir + "\\no-such-program.exe");
  EXPECT_EQ(Check("%VARNLINK_NO_SUCH_VARIABLE%\\x", TargetSource::kEnvironment).reason,
            NotCheckedReason::kUnknownVariable);
}

TEST_F(Win32TargetCheck, PassesOverADriveTheSystemDoesNotHave) {
  const char drive = AbsentDrive();
  if (drive == 0) GTEST_SKIP() << "every drive letter from Q: to Y: is in use";
  EXPECT_EQ(Check(std::string{drive} + ":\\x.exe", TargetSource::kLinkInfo).reason,
            NotCheckedReason::kUnmappedDrive);
}

TEST_F(Win32TargetCheck, LooksForAMappedDriveInItsFolder) {
  const char drive = AbsentDrive();
  if (drive == 0) GTEST_SKIP() << "every drive letter from Q: to Y: is in use";
  TargetCheckSettings settings;
  settings.drives.emplace_back(drive, folder);
  const auditor::TargetStatus status =
      Check(std::string{drive} + ":\\APP\\present.exe", TargetSource::kLinkInfo, settings);
  EXPECT_EQ(status.outcome, TargetOutcome::kFound);
  EXPECT_EQ(status.checked_path, folder + "\\APP\\present.exe");
}

}  // namespace
}  // namespace varnlink::audit
