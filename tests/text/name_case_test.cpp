// Windows names compare by the NTFS upper-case table, and 8.3 names by one
// rule: the rows are what Windows itself treats as one name, or as two.

#include "text/name_case.h"

#include <gtest/gtest.h>

#include <string>

#include "text/windows_path.h"

namespace varnlink::text {
namespace {

TEST(NameCase, NamesAreAlikeExactlyAsWindowsComparesThem) {
  const struct {
    std::string a;
    std::string b;
    bool alike;
  } kRows[] = {
      {"NOTEPAD.EXE", "notepad.exe", true},
      {"notepad.exe", "notepad.exf", false},
      {"caf\xC3\xA9.lnk", "CAF\xC3\x89.LNK", true},    // é, É
      {"\xCF\x83\xCF\x82", "\xCE\xA3\xCE\xA3", true},  // σ and final ς, Σ
      {"\xD1\x84\xD0\xB0\xD0\xB9\xD0\xBB", "\xD0\xA4\xD0\x90\xD0\x99\xD0\x9B", true},  // файл
      {"\xEF\xBD\x81", "\xEF\xBC\xA1", true},  // fullwidth a, A
      {"stra\xC3\x9F"
       "e",
       "STRASSE", false},                         // ß is no "SS"
      {"\xC3\x9F", "\xE1\xBA\x9E", false},        // nor capital ẞ
      {"%coms\xC5\xBFpec%", "%COMSPEC%", false},  // long ſ is no S
      {"\xC4\xB1", "I", false},                   // dotless ı is no I
      {"i", "\xC4\xB0", false},                   // nor İ an i
      {"k", "\xE2\x84\xAA", false},               // nor Kelvin K a k
      {"\xC2\xB5", "\xCE\x9C", false},            // nor µ a Greek Μ
      {"a\xFF", "a\xFE", false},                  // bytes that are not UTF-8
      {"a\xFF", "a\xEF\xBF\xBD", false},          // are not U+FFFD either
  };
  for (const auto& row : kRows) {
    EXPECT_EQ(EqualsIgnoringCase(row.a, row.b), row.alike) << row.a << " / " << row.b;
    EXPECT_EQ(StartsWithIgnoringCase(row.a + "\\x", row.b), row.alike) << row.a;
    EXPECT_EQ(EndsWithIgnoringCase("x\\" + row.a, row.b), row.alike) << row.a;
  }
  EXPECT_TRUE(EndsWithIgnoringCase("\xC3\xA9t\xC3\xA9.LNK", ".lnk"));
  EXPECT_FALSE(EndsWithIgnoringCase("lnk", ".lnk"));
  EXPECT_TRUE(StartsWithIgnoringCase("SHELL:AppsFolder\\x", "shell:"));
}

TEST(NameCase, ShortNamesAreTheFormsWindowsMakesOfLongOnes) {
  const struct {
    std::string short_name;
    std::string long_name;
    bool same;
  } kRows[] = {
      {"PROGRA~1", "Program Files", true},
      {"progra~1", "Program Files", true},  // written in lower case
      {"RUNFIL~1.EXE", "run file.exe", true},
      {"RU4E2A~1.EXE", "run file.exe", true},  // the hashed form
      {"RUNFIL~1.TXT", "run file.exe", false},
      {"PROGRA~1", "Windows", false},
      {"PROGRAMFILES~1", "Program Files", false},  // longer than 8.3
      {"~1", "Program Files", false},              // no characters of the name
      {"PROGRA~1.", "Program Files", false},
  };
  for (const auto& row : kRows) {
    EXPECT_EQ(SameFileName(row.short_name, row.long_name), row.same) << row.short_name;
    EXPECT_EQ(SameFileName(row.long_name, row.short_name), row.same) << row.short_name;
  }
  EXPECT_TRUE(IsShortName("~$NOTE~1.DOC"));  // "~" may also stand in the name
  EXPECT_FALSE(IsShortName("NOTEPAD.EXE"));
  EXPECT_FALSE(IsShortName("PROGRA~X"));
}

}  // namespace
}  // namespace varnlink::text
