// Links whose ANSI text is in another machine's code page: the page each is
// read in, why, and what that makes of its target and of target_mismatch.

#include "lnk/code_page_choice.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "checks/suspicious_checks.h"
#include "tests/support/link_writer.h"

namespace varnlink::test_support {
namespace {

using lnk::CodePageSource;

// D:\新建文件夹\Adobe Photoshop 2020\Photoshop.exe in code page 936.
const Bytes kChinesePath =
    BytesOf("D:\\\xD0\xC2\xBD\xA8\xCE\xC4\xBC\xFE\xBC\xD0\\Adobe Photoshop 2020\\Photoshop.exe");
// C:\Программы\Редактор.exe in code page 1251.
const Bytes kRussianPath =
    BytesOf("C:\\\xCF\xF0\xEE\xE3\xF0\xE0\xEC\xEC\xFB\\\xD0\xE5\xE4\xE0\xEA\xF2\xEE\xF0.exe");
constexpr const char* kRussianTarget = "C:\\Программы\\Редактор.exe";

// A link whose link info holds `path` in ANSI only.
ShellLink AnsiOnly(const Bytes& path) {
  ShellLink link;
  link.unicode = true;
  link.link_info = LinkInfo{};
  link.link_info->local_base_path = Text::Raw(path);
  return link;
}

// The Chinese link as made on its machine: the ID list holds the long names.
ShellLink Chinese() {
  ShellLink link = AnsiOnly(kChinesePath);
  link.id_list = {{RootItem(kComputerClsid), VolumeItem("D:\\"),
                   FileEntryItem({"B0C3~1", "新建文件夹"}),
                   FileEntryItem({"ADOBEP~1", "Adobe Photoshop 2020"}),
                   FileEntryItem({"PHOTOS~1.EXE", "Photoshop.exe", false})}};
  return link;
}

// The Russian link: its environment block holds the path in Unicode too.
ShellLink Russian(std::string unicode = kRussianTarget) {
  ShellLink link = AnsiOnly(kRussianPath);
  link.environment = EnvironmentBlock{Text::Raw(kRussianPath), std::move(unicode)};
  return link;
}

ShellLink WithConsole(ShellLink link, std::uint8_t low, std::uint8_t high) {
  link.extra_blocks.push_back(ExtraBlock(0xA0000004, {low, high, 0, 0}));
  return link;
}

struct Row {
  std::string name;
  ShellLink link;
  std::optional<unsigned> given;
  std::optional<lnk::CodePageChoice> choice;  // nullopt: no choice needed
  std::string target;
  bool mismatch = false;  // target_mismatch fires
};

void PrintTo(const Row& row, std::ostream* os) { *os << row.name; }

class ReadsAnsiText : public ::testing::TestWithParam<Row> {};

TEST_P(ReadsAnsiText, InTheCodePageOfTheMachineThatMadeTheLink) {
  const Row& row = GetParam();
  const lnk::ShortcutInfo info = lnk::DecodeInCodePage(BuildLink(row.link), row.given, 1252);
  ASSERT_EQ(info.code_page.has_value(), row.choice.has_value());
  if (row.choice) {
    EXPECT_EQ(info.code_page->code_page, row.choice->code_page);
    EXPECT_EQ(info.code_page->source, row.choice->source);
  }
  EXPECT_EQ(info.target, row.target);
  bool mismatch = false;
  for (const auto& found : checks::FindSuspicions(info, "t.lnk")) {
    mismatch = mismatch || found.check == "target_mismatch";
  }
  EXPECT_EQ(mismatch, row.mismatch);
}

const Row kRows[] = {
    {"ascii_needs_no_choice", LocalLink("C:\\a.exe"), std::nullopt, std::nullopt, "C:\\a.exe"},
    {"chinese_inferred_from_id_list_long_names", Chinese(), std::nullopt,
     lnk::CodePageChoice{936, CodePageSource::kInferred},
     "D:\\新建文件夹\\Adobe Photoshop 2020\\Photoshop.exe"},
    // Read in full in its inferred page, it names what the environment block names.
    {"russian_inferred_from_environment", Russian(), std::nullopt,
     lnk::CodePageChoice{1251, CodePageSource::kInferred}, kRussianTarget},
    // 1250 reads "é" alike: Western comes first.
    {"western_comes_first",
     [] {
       ShellLink link = AnsiOnly(BytesOf("C:\\Caf\xE9\\menu.txt"));
       link.id_list = {{RootItem(kComputerClsid), VolumeItem("C:\\"),
                        FileEntryItem({"CAF~1", "Café"}),
                        FileEntryItem({"menu.txt", "menu.txt", false})}};
       return link;
     }(),
     std::nullopt, lnk::CodePageChoice{1252, CodePageSource::kInferred}, "C:\\Café\\menu.txt"},
    // Nothing in Unicode decides: the console's OEM 866 is ANSI 1251.
    {"console_block", WithConsole(AnsiOnly(kRussianPath), 0x62, 0x03), std::nullopt,
     lnk::CodePageChoice{1251, CodePageSource::kConsole}, kRussianTarget},
    // Defaulted to, the link info's name is not compared with the environment block's.
    {"default_without_clue", Russian("C:\\Tools\\other.exe"), std::nullopt,
     lnk::CodePageChoice{1252, CodePageSource::kDefault},
     "C:\\Ïðîãðàììû\\Ðåäàêòîð.exe"},
    // Given, it wins over the link's own strings, and is compared in full.
    {"given_wins", Russian(), 1252u, lnk::CodePageChoice{1252, CodePageSource::kGiven},
     "C:\\Ïðîãðàììû\\Ðåäàêòîð.exe", true},
};

INSTANTIATE_TEST_SUITE_P(Links, ReadsAnsiText, ::testing::ValuesIn(kRows),
                         [](const auto& row) { return row.param.name; });

}  // namespace
}  // namespace varnlink::test_support
