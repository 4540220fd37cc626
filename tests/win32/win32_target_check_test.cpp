// The missing-target check on the running Windows system (under Wine in the
// cross-build): real files, the system's own environment and drives.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "checks/target_check.h"
#include "platform/target_files.h"
#include "tests/support/scratch_folder.h"
#include "tests/win32/win32_test_files.h"

namespace varnlink::audit {
namespace {

using checks::NotCheckedReason;
using checks::TargetStatus;
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

TEST(Win32TargetCheck, FindsRealFilesAndSaysWhatItLookedFor) {
  const test_support::ScratchFolder scratch;
  const std::string folder = scratch.Path().string();
  const std::string windir = Environment(L"windir");
  ASSERT_FALSE(windir.empty()) << "the system has no %windir%";
  ASSERT_TRUE(MakeFolder(folder + "\\App"));
  const std::string present = folder + "\\App\\present.exe";
  ASSERT_TRUE(MakeFile(present));
  // A file deeper than MAX_PATH allows without the long form.
  std::string deep = folder;
  for (const char letter : {'a', 'b', 'c'}) {
    deep += "\\" + std::string(100, letter);
    ASSERT_TRUE(MakeFolder(deep));
  }
  const RemovedAtEnd deep_file{deep + "\\deep.txt"};
  ASSERT_TRUE(MakeFile(deep_file.path));

  using enum checks::TargetOutcome;
  using enum lnk::TargetSource;
  struct Row {
    std::string target;
    lnk::TargetSource source;
    TargetStatus expected;
    checks::TargetCheckSettings settings{};
  };
  const std::string absent = folder + "\\App\\absent.exe";
  std::vector<Row> rows{
      {present, kLinkInfo, {kFound, {}, present}},
      {Upper(present), kLinkInfo, {kFound, {}, Upper(present)}},
      {deep_file.path, kLinkInfo, {kFound, {}, deep_file.path}},
      // The system said "file not found" or "path not found": absent.
      {absent, kLinkInfo, {kMissing, {}, absent, true}},
      // The system's own environment.
      {"%windir%\\system32", kEnvironment, {kFound, {}, windir + "\\system32"}},
      {"%WINDIR%\\no-such.exe", kEnvironment, {kMissing, {}, windir + "\\no-such.exe", true}},
      {"%VARNLINK_NO_SUCH_VARIABLE%\\x",
       kEnvironment,
       {kNotChecked, NotCheckedReason::kUnknownVariable, {}}}};
  // A drive the system does not have is passed over unless it is mapped.
  const char drive = AbsentDrive();
  if (drive != 0) {
    const std::string elsewhere = std::string{drive} + ":\\APP\\present.exe";
    rows.push_back({elsewhere, kLinkInfo, {kNotChecked, NotCheckedReason::kUnmappedDrive, {}}});
    rows.push_back({elsewhere,
                    kLinkInfo,
                    {kFound, {}, folder + "\\APP\\present.exe"},
                    {{{drive, folder}}, {}}});
  }
  for (const Row& row : rows) {
    checks::TargetCheck check(platform::SystemTargetFiles(), row.settings, folder);
    lnk::ShortcutInfo info;
    info.target = row.target;
    info.target_source = row.source;
    EXPECT_EQ(check.Check(info, folder + "\\a.lnk"), row.expected) << row.target;
  }
  if (drive == 0) GTEST_SKIP() << "every drive letter from Q: to Y: is in use: no unmapped drive";
}

}  // namespace
}  // namespace varnlink::audit
