// The shortcut decoder: genuine links read
// by their structure, every other file by the byte rules, hot key and run mode.

#include "auditor/shortcut_decoder.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "auditor/report_format.h"
#include "auditor/shortcut_auditor.h"
#include "tests/support/audit_fixture.h"
#include "tests/support/fake_file_services.h"
#include "tests/support/link_writer.h"

namespace varnlink::test_support {
namespace {

// The decoded shortcut as its report entry shows it.
struct Decoded {
  std::string target_args;
  std::string start_in;
  std::string icon_source;
  std::string key;
  std::string run;
  bool genuine = false;
};

Decoded Decode(const Bytes& bytes) {
  FakeFileServices files;
  auditor::ReportEntry entry;
  entry.info = auditor::DecodeShortcut("t.lnk", bytes, files);
  std::string report;
  auditor::AppendEntry(report, entry);
  const std::vector<std::string> lines = LinesOf(report);
  // Line 6 is "LENGTH:   0 bytes    ", two blanks, the key's text, two blanks
  // and the run mode's text (which may be empty).
  std::string rest = lines.at(5).substr(std::string("LENGTH:   0 bytes      ").size());
  std::string run;
  for (const char* mode : {"    RUN:   Normal", "    RUN:   Maximised", "    RUN:   Minimised"}) {
    if (rest.ends_with(mode)) run = mode;
  }
  rest.resize(rest.size() - run.size() - 2);
  return {lines.at(2), lines.at(3), lines.at(4), rest, run, entry.info.genuine};
}

struct DecodeCase {
  std::string name;
  std::function<Bytes()> bytes;
  std::string target_args;  // after "TARGET:   "
  std::string start_in;     // the whole START IN text
  std::string icon_source;  // the whole ICON SOURCE text
};

void PrintTo(const DecodeCase& c, std::ostream* os) { *os << c.name; }

// Instantiated three times: genuine links read by structure, broken structures
// that fall back to the byte rules, and files that are no genuine link.
class Decodes : public ::testing::TestWithParam<DecodeCase> {
 protected:
  void Check(bool genuine) {
    const Decoded d = Decode(GetParam().bytes());
    EXPECT_EQ(d.genuine, genuine);
    EXPECT_EQ(d.target_args, "TARGET:   " + GetParam().target_args);
    EXPECT_EQ(d.start_in, GetParam().start_in);
    EXPECT_EQ(d.icon_source, GetParam().icon_source);
  }
};
class DecodesGenuineLinks : public Decodes {};
class FallsBackToByteRules : public Decodes {};
class DecodesByByteRules : public Decodes {};

TEST_P(DecodesGenuineLinks, ByStructure) { Check(true); }
TEST_P(FallsBackToByteRules, WhenTheStructureDoesNotHold) { Check(false); }
TEST_P(DecodesByByteRules, OneBytePerCharacter) { Check(false); }

// A local link with working dir, arguments and icon but no relative path: the
// byte rules discard the first string and shift the rest.
ShellLink ThreeStrings() {
  ShellLink link = LocalLink("C:\\A.EXE");
  link.working_dir = "C:\\W";
  link.arguments = "-x";
  link.icon_location = "I.ico";
  return link;
}

const std::string kThreeStringsStartIn = "START IN:   C:\\W";
const std::string kThreeStringsIcon = "ICON SOURCE:    I.ico";
// What the byte rules make of ThreeStrings(): the working dir is discarded,
// the arguments read as working dir, the icon as arguments, the terminal block
// as an empty icon location.
const std::string kShiftedTarget = "C:\\A.EXE I.ico";
const std::string kShiftedStartIn = "START IN:   -x";
const std::string kShiftedIcon = "ICON SOURCE:    ";

std::vector<DecodeCase> GenuineCases() {
  return {
      {"AnsiLocalPathAndStrings", [] { return BuildLink(ThreeStrings()); }, "C:\\A.EXE -x",
       kThreeStringsStartIn, kThreeStringsIcon},
      {"AllFiveStrings",
       [] {
         ShellLink link = ThreeStrings();
         link.description = "Description";
         link.relative_path = "..\\A.EXE";
         return BuildLink(link);
       },
       "C:\\A.EXE -x", kThreeStringsStartIn, kThreeStringsIcon},
      {"UnicodeStrings",
       [] {
         ShellLink link = LocalLink("C:\\Users\\Zoe\\x.exe");
         link.unicode = true;
         link.description = "Zoë’s 说明";
         link.working_dir = "C:\\Users\\Zoë";
         link.arguments = "--title \"说明 €\"";
         link.icon_location = "C:\\Icons\\😀.ico";  // a surrogate pair: count 2 units
         return BuildLink(link);
       },
       "C:\\Users\\Zoe\\x.exe --title \"说明 €\"", "START IN:   C:\\Users\\Zoë",
       "ICON SOURCE:    C:\\Icons\\😀.ico"},
      {"AnsiStringsInWindows1252",
       [] {
         ShellLink link = LocalLink("C:\\Café\\x.exe");
         link.working_dir = "C:\\Café";
         link.arguments = "€5";
         return BuildLink(link);
       },
       "C:\\Café\\x.exe €5", "START IN:   C:\\Café", "ICON SOURCE:   C:\\Café\\x.exe"},
      {"UnicodeLocalPathWins",
       [] {
         ShellLink link = LocalLink("C:\\??.txt");
         link.link_info->local_base_path_unicode = "C:\\说明.txt";
         return BuildLink(link);
       },
       "C:\\说明.txt", "START IN:    ", "ICON SOURCE:   C:\\说明.txt"},
      {"EmptyUnicodeLocalPathLeavesTheAnsiOne",
       [] {
         ShellLink link = LocalLink("C:\\A.EXE");
         link.link_info->local_base_path_unicode = "";
         return BuildLink(link);
       },
       "C:\\A.EXE", "START IN:    ", "ICON SOURCE:   C:\\A.EXE"},
      {"LocalPathPlusSuffix",
       [] {
         ShellLink link = LocalLink("C:\\WINDOWS\\");
         link.link_info->common_path_suffix = "NOTEPAD.EXE";
         return BuildLink(link);
       },
       "C:\\WINDOWS\\NOTEPAD.EXE", "START IN:    ", "ICON SOURCE:   C:\\WINDOWS\\NOTEPAD.EXE"},
      {"UnicodeLocalPathPlusUnicodeSuffix",
       [] {
         ShellLink link = LocalLink("C:\\?\\");
         link.link_info->local_base_path_unicode = "C:\\Ω\\";
         link.link_info->common_path_suffix_unicode = "Ж.txt";
         return BuildLink(link);
       },
       "C:\\Ω\\Ж.txt", "START IN:    ", "ICON SOURCE:   C:\\Ω\\Ж.txt"},
      {"VolumeWithAnsiLabel",
       [] {
         ShellLink link = ThreeStrings();
         link.link_info->volume_id.label = "DISK1";
         return BuildLink(link);
       },
       "C:\\A.EXE -x", kThreeStringsStartIn, kThreeStringsIcon},
      {"VolumeWithUnicodeLabel",
       [] {
         ShellLink link = ThreeStrings();
         link.link_info->volume_id.label = "Système";
         link.link_info->volume_id.form = VolumeId::LabelForm::kUnicode;
         return BuildLink(link);
       },
       "C:\\A.EXE -x", kThreeStringsStartIn, kThreeStringsIcon},
      {"NetworkOnlyWithSuffix",
       [] {
         ShellLink link;
         link.link_info = LinkInfo{};
         link.link_info->network = NetworkLink{.net_name = "\\\\SERVER\\SHARE"};
         link.link_info->common_path_suffix = "Docs\\a.doc";
         link.working_dir = "\\\\SERVER\\SHARE\\Docs";
         return BuildLink(link);
       },
       "\\\\SERVER\\SHARE\\Docs\\a.doc", "START IN:   \\\\SERVER\\SHARE\\Docs",
       "ICON SOURCE:   \\\\SERVER\\SHARE\\Docs\\a.doc"},
      {"NetworkOnlyWithoutSuffix",
       [] {
         ShellLink link;
         link.link_info = LinkInfo{};
         link.link_info->network =
             NetworkLink{.net_name = "\\\\SERVER\\SHARE", .device_name = Text("Z:")};
         return BuildLink(link);
       },
       "\\\\SERVER\\SHARE", "START IN:    ", "ICON SOURCE:   \\\\SERVER\\SHARE"},
      {"NetworkOnlyUnicodeNames",
       [] {
         ShellLink link;
         link.link_info = LinkInfo{};
         link.link_info->network =
             NetworkLink{.net_name = "\\\\?\\C", .net_name_unicode = Text("\\\\ޓ\\C")};
         link.link_info->common_path_suffix = "relay\\??.txt";
         link.link_info->common_path_suffix_unicode = "relay\\说明.txt";
         return BuildLink(link);
       },
       "\\\\ޓ\\C\\relay\\说明.txt", "START IN:    ", "ICON SOURCE:   \\\\ޓ\\C\\relay\\说明.txt"},
      {"LocalPathBeforeNetwork",
       [] {
         ShellLink link = LocalLink("C:\\Users\\A");
         link.link_info->network = NetworkLink{.net_name = "\\\\PC\\Users"};
         return BuildLink(link);
       },
       "C:\\Users\\A", "START IN:    ", "ICON SOURCE:   C:\\Users\\A"},
      {"EnvironmentBlockUnicode",
       [] {
         ShellLink link;
         link.environment = EnvironmentBlock{"%windir%\\ansi.exe", "%windir%\\unicode.exe"};
         link.arguments = "/s";
         return BuildLink(link);
       },
       "%windir%\\unicode.exe /s", "START IN:    ", "ICON SOURCE:   %windir%\\unicode.exe"},
      {"EnvironmentBlockAnsiWhenUnicodeEmpty",
       [] {
         ShellLink link;
         link.environment = EnvironmentBlock{"%windir%\\ansi.exe", ""};
         return BuildLink(link);
       },
       "%windir%\\ansi.exe", "START IN:    ", "ICON SOURCE:   %windir%\\ansi.exe"},
      {"EnvironmentBlockWhenForceNoLinkInfo",
       [] {
         ShellLink link = LocalLink("C:\\ignored.exe");
         link.force_no_link_info = true;
         link.environment = EnvironmentBlock{"%x%\\a.exe", "%x%\\a.exe"};
         return BuildLink(link);
       },
       "%x%\\a.exe", "START IN:    ", "ICON SOURCE:   %x%\\a.exe"},
      {"NoLinkInfoNoEnvironmentGivesEmptyTarget",
       [] {
         ShellLink link;
         link.id_list = std::vector<Bytes>{BytesOf("\x1f\x50")};
         link.icon_location = "shell32.dll";
         return BuildLink(link);
       },
       "", "START IN:    ", "ICON SOURCE:    shell32.dll"},
      {"IdListHoldingVolumeLikeBytes",
       [] {
         // Shell items with 10 00 00 00 00 and a NUL: the byte rules would
         // take the target from inside the ID list.
         ShellLink link = ThreeStrings();
         link.id_list = std::vector<Bytes>{
             Concat({BytesOf("\x31"), Filled(1, 0x10), Filled(4, 0), BytesOf("JUNK")})};
         return BuildLink(link);
       },
       "C:\\A.EXE -x", kThreeStringsStartIn, kThreeStringsIcon},
      {"FolderTargetAttributesInHeader",
       [] {
         // Attributes 0x10 and zero times put 10 00 00 00 00 at byte 24.
         ShellLink link = ThreeStrings();
         link.file_attributes = 0x10;
         return BuildLink(link);
       },
       "C:\\A.EXE -x", kThreeStringsStartIn, kThreeStringsIcon},
      {"ArgumentsFlagWithEmptyArguments",
       [] {
         ShellLink link = LocalLink("C:\\A.EXE");
         link.arguments = "";
         return BuildLink(link);
       },
       "C:\\A.EXE ", "START IN:    ", "ICON SOURCE:   C:\\A.EXE"},
      {"ControlCharactersShownAsQuestionMarks",
       [] {
         ShellLink link = LocalLink("C:\\A\tB\x7F.EXE");
         link.working_dir = Text::Raw(BytesOf("C:\\\r\nSHORTCUT NAME:   x\x81"));
         link.arguments = "a\x1b[31mb";
         link.icon_location =
             "\xC2\x9D"
             "i.ico";  // U+009D: the unassigned byte 0x9D
         return BuildLink(link);
       },
       "C:\\A?B?.EXE a?[31mb", "START IN:   C:\\??SHORTCUT NAME:   x?", "ICON SOURCE:    ?i.ico"},
      {"TerminatingNulCountedIntoTheStrings",
       [] {
         // Some shell-link writers (Wine's among them) count each string's NUL.
         ShellLink link = LocalLink("C:\\A.EXE");
         link.unicode = true;
         link.working_dir = Text::Raw(Bytes{'C', 0, ':', 0, 0, 0});
         link.arguments = Text::Raw(Bytes{'/', 0, 'p', 0, 0, 0, 0, 0});
         link.icon_location = Text::Raw(Bytes{'i', 0, 0, 0, 'x', 0});  // a NUL inside stays
         return BuildLink(link);
       },
       "C:\\A.EXE /p", "START IN:   C:", "ICON SOURCE:    i?x"},
      {"UnicodeControlAndLoneSurrogate",
       [] {
         ShellLink link = LocalLink("C:\\A.EXE");
         link.unicode = true;
         // "a", CR, "b", lone high surrogate D800, "c", U+009B, U+2028, U+202E, U+2066
         link.arguments = Text::Raw(Bytes{'a', 0, 0x0D, 0, 'b', 0, 0x00, 0xD8, 'c', 0, 0x9B, 0x00,
                                          0x28, 0x20, 0x2E, 0x20, 0x66, 0x20});
         return BuildLink(link);
       },
       "C:\\A.EXE a?b\xEF\xBF\xBD"
       "c????",
       "START IN:    ", "ICON SOURCE:   C:\\A.EXE"},
  };
}

INSTANTIATE_TEST_SUITE_P(Decoder, DecodesGenuineLinks, ::testing::ValuesIn(GenuineCases()),
                         [](const auto& row) { return row.param.name; });

// The layout of ThreeStrings() with one structure field broken.
Bytes BrokenThreeStrings(const std::function<void(LinkLayout&)>& breakIt) {
  LinkLayout layout = LayoutLink(ThreeStrings());
  breakIt(layout);
  return layout.bytes;
}

std::vector<DecodeCase> BrokenStructureCases() {
  return {
      {"IdListPastTheEnd",
       [] {
         ShellLink link = ThreeStrings();
         link.id_list = std::vector<Bytes>{BytesOf("AB")};
         LinkLayout layout = LayoutLink(link);
         PutU16(layout.bytes, layout.id_list_start, 0x7FFF);
         return layout.bytes;
       },
       kShiftedTarget, kShiftedStartIn, kShiftedIcon},
      {"LinkInfoPastTheEnd",
       [] {
         return BrokenThreeStrings(
             [](LinkLayout& l) { PutU32(l.bytes, l.link_info_start, 0x7FFF); });
       },
       kShiftedTarget, kShiftedStartIn, kShiftedIcon},
      {"LocalPathOffsetOutsideLinkInfo",
       [] {
         return BrokenThreeStrings(
             [](LinkLayout& l) { PutU32(l.bytes, l.link_info_start + 16, 0x500); });
       },
       kShiftedTarget, kShiftedStartIn, kShiftedIcon},
      {"VolumeIdOffsetOutsideLinkInfo",
       [] {
         return BrokenThreeStrings(
             [](LinkLayout& l) { PutU32(l.bytes, l.link_info_start + 12, 0x500); });
       },
       kShiftedTarget, kShiftedStartIn, kShiftedIcon},
      {"SuffixWithoutNulInsideLinkInfo",
       [] {
         return BrokenThreeStrings([](LinkLayout& l) {
           // The suffix is the link info's last byte; make it no NUL.
           PutU8(l.bytes, l.strings_start - 1, 'Z');
         });
       },
       kShiftedTarget, kShiftedStartIn, kShiftedIcon},
  };
}

INSTANTIATE_TEST_SUITE_P(Decoder, FallsBackToByteRules, ::testing::ValuesIn(BrokenStructureCases()),
                         [](const auto& row) { return row.param.name; });

// A file that is no genuine link: 30 bytes of 'x' with byte 20 = `flags`, then `tail`.
Bytes NotALink(std::uint8_t flags, const Bytes& tail) {
  Bytes bytes(30, 'x');
  PutU8(bytes, 20, flags);
  AppendBytes(bytes, tail);
  return bytes;
}
// A counted string as the byte rules read it: 16-bit count, one byte per char.
Bytes Counted(std::string_view chars) {
  Bytes bytes;
  AppendU16(bytes, static_cast<std::uint16_t>(chars.size()));
  AppendChars(bytes, chars);
  return bytes;
}
const Bytes kPatternA = {0x10, 0, 0, 0, 0};  // label offset 16 and an empty label
const Bytes kPatternB = {0x10, 0, 0, 0};
const Bytes kNulPassedOver = {0, 0};  // the target's NUL and the byte after it

std::vector<DecodeCase> ByteRuleCases() {
  const std::string none = "START IN:    ";
  // clang-format off
  return {
      {"PatternATargetRightAfterIt",
       [] { return NotALink(0, Concat({kPatternA, BytesOf("C:\\T"), kNulPassedOver, Counted(""), Counted("")})); },
       "C:\\T", none, "ICON SOURCE:   C:\\T"},
      {"PatternBLabelPassedOver",
       [] { return NotALink(0, Concat({kPatternB, BytesOf("LABEL"), {0}, BytesOf("C:\\T"), kNulPassedOver, Counted(""), Counted("")})); },
       "C:\\T", none, "ICON SOURCE:   C:\\T"},
      {"PatternBInTheHeaderWins",
       [] {
         Bytes b = NotALink(0, Concat({Filled(10, 'x'), kPatternB, Filled(10, 'x')}));  // a later pattern B at 40
         PutU32(b, 24, 0x10);  // 24-27, followed by 'x'
         PutU8(b, 31, 0);      // the NUL after it: the target starts at 32
         PutChars(b, 32, "HDR");
         PutU8(b, 35, 0);
         return b;
       },
       "HDR", none, "ICON SOURCE:   HDR"},
      {"NoPatternByte3NulTargetAtByte4",
       [] {
         Bytes b = NotALink(0, {});
         PutBytes(b, 3, Concat({{0}, BytesOf("ABC"), {0}}));
         return b;
       },
       "ABC", none, "ICON SOURCE:   ABC"},
      {"NulAtTargetStartGivesEmptyTarget",
       [] { return NotALink(0, Concat({kPatternA, kNulPassedOver, Counted(""), Counted("")})); },
       "", none, "ICON SOURCE:   "},
      {"HasNameDiscardsTwoStrings",  // flags 4 and 16
       [] { return NotALink(0x14, Concat({kPatternA, BytesOf("T"), kNulPassedOver, Counted("1"), Counted("2"), Counted("W"), Counted("")})); },
       "T", "START IN:   W", "ICON SOURCE:   T"},
      {"WorkingDirWithoutRelativePathIsShifted",  // the first string is always discarded
       [] { return NotALink(0x10, Concat({kPatternA, BytesOf("T"), kNulPassedOver, Counted("WD"), Counted("NXT"), Counted("")})); },
       "T", "START IN:   NXT", "ICON SOURCE:   T"},
      {"IconFlagClearIgnoresIconString",
       [] { return NotALink(0, Concat({kPatternA, BytesOf("T"), kNulPassedOver, Counted(""), Counted("ICO")})); },
       "T", none, "ICON SOURCE:   T"},
      {"UnicodeFlagIgnoredCountsAreBytes",  // flags 16 and 128
       [] { return NotALink(0x90, Concat({kPatternA, BytesOf("T"), kNulPassedOver, Counted(""), Counted(std::string("W\0D\0", 4)), Counted("")})); },
       "T", "START IN:   W?D?", "ICON SOURCE:   T"},
      {"TolerantCountPastEndReusesLastCount",  // the first count reads 0xFFFF; later strings reuse it and read nothing
       [] { return NotALink(0x70, Concat({kPatternA, BytesOf("T"), kNulPassedOver, {0xFF, 0xFF, 'a'}})); },
       "T ", "START IN:   ", "ICON SOURCE:    "},
  };
  // clang-format on
}

INSTANTIATE_TEST_SUITE_P(Decoder, DecodesByByteRules, ::testing::ValuesIn(ByteRuleCases()),
                         [](const auto& row) { return row.param.name; });

// Targets a link's other records leave to its shell items or property store
// (the real corpus holds one link of each shape; these rows are the cases it
// lacks: every extension version, precedence, and lists that name nothing).
struct IdListCase {
  std::string name;
  std::function<ShellLink()> link;
  std::string target;
  auditor::TargetSource source;
};

void PrintTo(const IdListCase& c, std::ostream* os) { *os << c.name; }

class TakesTheTargetByPrecedence : public ::testing::TestWithParam<IdListCase> {};

TEST_P(TakesTheTargetByPrecedence, FromTheRecordThatNamesIt) {
  FakeFileServices files;
  const auditor::ShortcutInfo info =
      auditor::DecodeShortcut("t.lnk", BuildLink(GetParam().link()), files);
  EXPECT_TRUE(info.genuine);
  EXPECT_EQ(info.target, GetParam().target);
  EXPECT_EQ(info.target_source, GetParam().source);
}

// A Unicode link whose only records are `items` and, when given, a property store.
ShellLink ItemsOnly(std::vector<Bytes> items, std::string_view app_id = {}) {
  ShellLink link;
  link.unicode = true;
  link.id_list = std::move(items);
  if (!app_id.empty()) link.extra_blocks.push_back(PropertyStoreBlock(app_id));
  return link;
}

const std::string kComputer = "::" + std::string(kComputerClsid);
constexpr std::string_view kPrinters = "{2227A280-3AEA-1069-A2DE-08002B30309D}";

std::vector<IdListCase> IdListCases() {
  using auditor::TargetSource;
  const auto path = [] {
    return std::vector<Bytes>{
        RootItem(kComputerClsid),
        VolumeItem("C:\\"),
        FileEntryItem({"PROGRA~1", "Program Files", true, false, 3}),
        FileEntryItem({"Ünïcode", std::nullopt, true, true}),  // no extension: the primary name
        FileEntryItem({"MYAPP~1", "My App", true, false, 7}),
        FileEntryItem({"TOOLS~1", "Tools", true, false, 8}),
        FileEntryItem({"OLD~1", "not read", true, false, 5}),  // a version not known
        FileEntryItem({"RUNFIL~1.EXE", "run file.exe", false, false, 9})};
  };
  const std::string app = "Contoso.Notes_8wekyb3d8bbwe!App";
  return {
      {"FileEntriesByLongNameOfEveryVersion", [=] { return ItemsOnly(path()); },
       "C:\\Program Files\\Ünïcode\\My App\\Tools\\OLD~1\\run file.exe", TargetSource::kIdList},
      {"CplFileOfTheUnicodeLayout",
       [] {
         return ItemsOnly({RootItem(kComputerClsid), RegisteredFolderItem(kControlPanelClsid),
                           CplFileItem("C:\\Windows\\System32\\Ω.cpl", false)});
       },
       "C:\\Windows\\System32\\Ω.cpl", TargetSource::kIdList},
      {"EnvironmentBeforeTheIdList",
       [=] {
         ShellLink link = ItemsOnly(path(), app);
         link.environment = EnvironmentBlock{"%windir%\\a.exe", "%windir%\\a.exe"};
         return link;
       },
       "%windir%\\a.exe", TargetSource::kEnvironment},
      {"AppIdBeforeTheComputerAlone", [=] { return ItemsOnly({RootItem(kComputerClsid)}, app); },
       "shell:AppsFolder\\" + app, TargetSource::kAppId},
      {"AppIdWithoutExclamationMarkNamesNoApp",
       [] { return ItemsOnly({RootItem(kComputerClsid)}, "Contoso.Notes"); }, kComputer,
       TargetSource::kIdList},
      {"ListBeyondTheComputerBeforeAppId",
       [=] {
         return ItemsOnly({RootItem(kComputerClsid), RegisteredFolderItem(kPrinters)}, app);
       },
       kComputer + "\\::" + std::string(kPrinters), TargetSource::kIdList},
      {"PhoneIsNoRegisteredFolder",
       [] {
         return ItemsOnly({RootItem(kComputerClsid),
                           Concat({RegisteredFolderItem(kPrinters),
                                   GuidBytes("{5E591A74-DF96-48D3-8D67-1733BCEE28BA}")})});
       },
       "", TargetSource::kNone},
      {"LongerListNamesNothing",  // never half a path
       [=] {
         std::vector<Bytes> items = path();
         items.push_back(UriItem("http://example.com/"));
         return ItemsOnly(items);
       },
       "", TargetSource::kNone},
  };
}

INSTANTIATE_TEST_SUITE_P(Decoder, TakesTheTargetByPrecedence, ::testing::ValuesIn(IdListCases()),
                         [](const auto& row) { return row.param.name; });

TEST(Decoder, KeepsWhatTheIdListSaysWhicheverRecordGivesTheTarget) {
  FakeFileServices files;
  ShellLink link = LocalLink("C:\\Other\\A.EXE");
  link.id_list = {RootItem(kComputerClsid), VolumeItem("C:\\"),
                  FileEntryItem({"PROGRA~1", "Program Files"}),
                  FileEntryItem({"A.EXE", std::nullopt, false})};
  link.extra_blocks.push_back(PropertyStoreBlock("Contoso.Notes!App"));
  const auditor::ShortcutInfo info = auditor::DecodeShortcut("t.lnk", BuildLink(link), files);
  EXPECT_EQ(info.target, "C:\\Other\\A.EXE");
  EXPECT_EQ(info.app_id, "Contoso.Notes!App");
  ASSERT_TRUE(info.id_list.has_value());
  EXPECT_TRUE(info.id_list->holds_together);
  EXPECT_EQ(info.id_list->item_count, 4u);
  EXPECT_EQ(info.id_list->target, "C:\\Program Files\\A.EXE");
  ASSERT_EQ(info.id_list->file_entries.size(), 2u);
  EXPECT_EQ(info.id_list->file_entries[0].primary_name, "PROGRA~1");
  EXPECT_EQ(info.id_list->file_entries[0].long_name, "Program Files");
  EXPECT_EQ(info.id_list->file_entries[1].primary_name, "A.EXE");
  EXPECT_EQ(info.id_list->file_entries[1].long_name, std::nullopt);
  EXPECT_FALSE(info.id_list->control_panel_applet);

  // A Control Panel applet: a CPL file, and a control-panel item in a category.
  link.id_list = {RootItem(kComputerClsid), RegisteredFolderItem(kControlPanelClsid),
                  CplFileItem("C:\\Windows\\System32\\x.cpl", true)};
  const auditor::ShortcutInfo cpl = auditor::DecodeShortcut("t.lnk", BuildLink(link), files);
  EXPECT_TRUE(cpl.id_list->control_panel_applet);
  EXPECT_EQ(cpl.id_list->cpl_path, "C:\\Windows\\System32\\x.cpl");
  link.id_list = {RootItem("{26EE0668-A00A-44D7-9371-BEB064C98683}"), CategoryItem(5),
                  ControlPanelItem(kPrinters)};
  const auditor::ShortcutInfo item = auditor::DecodeShortcut("t.lnk", BuildLink(link), files);
  EXPECT_TRUE(item.id_list->control_panel_applet);
  EXPECT_EQ(item.id_list->cpl_path, std::nullopt);
}

TEST(Decoder, StrictFailuresNameThePath) {
  struct Failing {
    const char* name;
    Bytes bytes;
  };
  const Bytes no_nul =
      NotALink(0, Concat({kPatternA, BytesOf("xxxxx")}));  // no NUL ends the target
  const Bytes description_count_missing =  // HasName; the first count reads 0xFFFF, the description has none
      NotALink(0x04, Concat({kPatternA, BytesOf("T"), kNulPassedOver, {0xFF, 0xFF, 'a'}}));
  ShellLink link = LocalLink("C:\\A.EXE");
  link.description = "D";
  link.terminal_block = false;
  LinkLayout layout = LayoutLink(link);
  layout.bytes.resize(layout.strings_start);  // the description's count is missing
  const std::vector<Failing> cases = {
      {"19 bytes", Bytes(19, 'x')},
      {"no NUL after target start", no_nul},
      {"description count past end", description_count_missing},
      {"genuine link without its description's count", layout.bytes},
  };
  for (const Failing& c : cases) {
    SCOPED_TRACE(c.name);
    FakeFileServices files;
    files.Add("C:\\bad.lnk", c.bytes);
    try {
      (void)auditor::ShortcutAuditor(files).Audit("C:\\bad.lnk", auditor::TargetFilter::kAll);
      ADD_FAILURE() << "decoded without failing";
    } catch (const std::exception& e) {
      EXPECT_NE(std::string(e.what()).find("C:\\bad.lnk"), std::string::npos) << e.what();
    }
  }
  // The strings are strict only for a shortcut the target filter keeps.
  FakeFileServices files;
  files.Add("C:\\d.lnk", layout.bytes);
  EXPECT_EQ(auditor::ShortcutAuditor(files).Audit("C:\\d.lnk", auditor::TargetFilter::kNonExe),
            std::nullopt);
}

TEST(Decoder, GenuineTolerantStringPastTheEndIsCut) {
  ShellLink link = LocalLink("C:\\A.EXE");
  link.working_dir = Text::WithCount("C:\\WORK", 200);  // count beyond the file
  link.terminal_block = false;
  const Decoded d = Decode(BuildLink(link));
  // What follows the file's last byte is left to the implementer (a blank).
  EXPECT_TRUE(d.start_in.starts_with("START IN:   C:\\WORK")) << d.start_in;
  EXPECT_LE(d.start_in.size(), std::string("START IN:   C:\\WORK ").size());
  EXPECT_EQ(d.target_args, "TARGET:   C:\\A.EXE");
}

struct KeyCase {
  std::uint8_t key;
  std::uint8_t modifiers;
  std::string text;  // after "    SHORTCUT KEY:   "
};

TEST(Decoder, GenuineHotKeyNamesModifiersAndKey) {
  const std::vector<KeyCase> cases = {
      {0, 0, "(none)  "},
      {0, 6, "(none)  "},
      {'A', 6, "Ctrl + Alt + A"},  // the usual case reads as the byte rules' text
      {'7', 6, "Ctrl + Alt + 7"},
      {0x70, 6, "Ctrl + Alt + F1"},  // a key name, not the byte as "p"
      {0x87, 2, "Ctrl + F24"},
      {0x7B, 1, "Shift + F12"},
      {0x90, 0, "Num Lock"},
      {0x91, 4, "Alt + Scroll Lock"},
      {'Z', 7, "Ctrl + Shift + Alt + Z"},
      {'Q', 3, "Ctrl + Shift + Q"},
      {'Q', 5, "Shift + Alt + Q"},
      // Keys named for what they are, not the character of their code.
      // clang-format off
      {0x61, 6, "Ctrl + Alt + Num 1"},  // not "a"
      {0x24, 6, "Ctrl + Alt + Home"},   // not "$"
      {0xBA, 6, "Ctrl + Alt + ;"},      // not "º"
      {0x60, 0, "Num 0"}, {0x69, 0, "Num 9"}, {0x6A, 0, "Num *"}, {0x6B, 0, "Num +"},
      {0x6D, 0, "Num -"}, {0x6E, 0, "Num ."}, {0x6F, 0, "Num /"}, {0x20, 0, "Space"},
      {0x21, 0, "Page Up"}, {0x22, 0, "Page Down"}, {0x23, 0, "End"}, {0x25, 0, "Left"},
      {0x26, 0, "Up"}, {0x27, 0, "Right"}, {0x28, 0, "Down"}, {0x2D, 0, "Insert"},
      {0x2E, 0, "Delete"}, {0x13, 0, "Pause"}, {0x2C, 0, "Print Screen"}, {0xBB, 0, "="},
      {0xBC, 0, ","}, {0xBD, 0, "-"}, {0xBE, 0, "."}, {0xBF, 0, "/"}, {0xC0, 0, "`"},
      {0xDB, 0, "["}, {0xDC, 0, "\\"}, {0xDD, 0, "]"}, {0xDE, 0, "'"},
      // Any other code: its value, never a control character in the report.
      {0x0A, 6, "Ctrl + Alt + 0x0A"}, {0x07, 0, "0x07"}, {0x6C, 0, "0x6C"}, {0xFF, 0, "0xFF"},
      // clang-format on
  };
  for (const KeyCase& c : cases) {
    SCOPED_TRACE(::testing::Message() << "key " << int{c.key} << " modifiers " << int{c.modifiers});
    ShellLink link = LocalLink("C:\\A.EXE");
    link.hot_key = c.key;
    link.hot_key_modifiers = c.modifiers;
    EXPECT_EQ(Decode(BuildLink(link)).key, "    SHORTCUT KEY:   " + c.text);
  }
}

TEST(Decoder, ByteRuleHotKeyAndRunModeReadBytes64And60Only) {
  struct Case {
    std::size_t size;
    std::uint8_t byte60;
    std::uint8_t byte64;
    std::string key;
    std::string run;
  };
  const std::vector<Case> cases = {
      {80, 1, 65, "    SHORTCUT KEY:   Ctrl + Alt + A", "    RUN:   Normal"},
      {80, 7, 112, "    SHORTCUT KEY:   Ctrl + Alt + p", "    RUN:   Minimised"},
      {80, 3, 0, "    SHORTCUT KEY:   (none)  ", "    RUN:   Maximised"},
      {80, 2, 0, "    SHORTCUT KEY:   (none)  ", ""},
      {80, 0, 0, "    SHORTCUT KEY:   (none)  ", ""},
      {62, 1, 0, "    SHORTCUT KEY:   Ctrl + Alt + ", "    RUN:   Normal"},  // no byte 64
      {50, 1, 0, "    SHORTCUT KEY:   Ctrl + Alt + ", ""},                   // no byte 60 either
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << "size " << c.size << " byte60 " << int{c.byte60});
    Bytes b =
        NotALink(0, Concat({kPatternA, BytesOf("T"), kNulPassedOver, Counted(""), Counted("")}));
    b.resize(c.size, 'x');
    if (c.size > 60) PutU8(b, 60, c.byte60);
    if (c.size > 64) PutU8(b, 64, c.byte64);
    const Decoded d = Decode(b);
    EXPECT_EQ(d.key, c.key);
    EXPECT_EQ(d.run, c.run);
  }
}

TEST(Decoder, GenuineRunModes) {
  const std::vector<std::pair<std::uint32_t, std::string>> cases = {
      {1, "    RUN:   Normal"},
      {3, "    RUN:   Maximised"},
      {7, "    RUN:   Minimised"},
      {2, ""},
      {0, ""},
      {0x101, "    RUN:   Normal"}};  // only byte 60 is read
  for (const auto& [show, run] : cases) {
    ShellLink link = LocalLink("C:\\A.EXE");
    link.show_command = show;
    EXPECT_EQ(Decode(BuildLink(link)).run, run) << "show command " << show;
  }
}

}  // namespace
}  // namespace varnlink::test_support
