// The shortcut decoder: genuine links read by their structure, every other
// file by the byte rules, hot key and run mode, the ANSI strings' bytes, where
// the link ends, and the failures that end a run.

#include "lnk/shortcut_decoder.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "audit/shortcut_auditor.h"
#include "report/report_format.h"
#include "text/text_decoder.h"
#include "tests/support/audit_fixture.h"
#include "tests/support/fake_file_services.h"
#include "tests/support/link_writer.h"

namespace varnlink::test_support {
namespace {

const text::Windows1252Decoder kAnsi;

lnk::ShortcutInfo Decoded(const Bytes& bytes) { return lnk::Decode(bytes, kAnsi); }

// The bytes of `link` after `edit`.
Bytes Built(ShellLink link, const std::function<void(ShellLink&)>& edit) {
  edit(link);
  return BuildLink(link);
}

// A link whose only link info is this network part and common path suffix.
ShellLink NetworkOnly(NetworkLink network, Text suffix = {},
                      std::optional<Text> suffix_unicode = std::nullopt) {
  ShellLink link;
  link.link_info = LinkInfo{};
  link.link_info->network = std::move(network);
  link.link_info->common_path_suffix = std::move(suffix);
  link.link_info->common_path_suffix_unicode = std::move(suffix_unicode);
  return link;
}

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

using Str = std::optional<std::string>;

struct DecodeCase {
  std::string name;
  Bytes bytes;
  std::string target;
  Str arguments;
  Str start_in;
  Str icon_location;
  bool genuine = true;
};

void PrintTo(const DecodeCase& c, std::ostream* os) { *os << c.name; }

class Decodes : public ::testing::TestWithParam<DecodeCase> {};

TEST_P(Decodes, TargetArgumentsStartInAndIcon) {
  const DecodeCase& c = GetParam();
  const lnk::ShortcutInfo info = Decoded(c.bytes);
  EXPECT_EQ(info.genuine, c.genuine);
  EXPECT_EQ(info.target, c.target);
  EXPECT_EQ(info.arguments, c.arguments);
  EXPECT_EQ(info.start_in, c.start_in);
  EXPECT_EQ(info.icon_location, c.icon_location);
}

std::vector<DecodeCase> GenuineCases() {
  const Str none;
  return {
      {"UnicodeStrings",
       Built(LocalLink("C:\\Users\\Zoe\\x.exe"),
             [](ShellLink& l) {
               l.unicode = true;
               l.working_dir = "C:\\Users\\Zoë";
               l.arguments = "--title \"说明 €\"";
               l.icon_location = "C:\\Icons\\😀.ico";  // a surrogate pair: count 2 units
             }),
       "C:\\Users\\Zoe\\x.exe", "--title \"说明 €\"", "C:\\Users\\Zoë", "C:\\Icons\\😀.ico"},
      {"AnsiStringsInWindows1252",
       Built(LocalLink("C:\\Café\\x.exe"),
             [](ShellLink& l) {
               l.working_dir = "C:\\Café";
               l.arguments = "€5";
             }),
       "C:\\Café\\x.exe", "€5", "C:\\Café", none},
      {"UnicodeLocalPathWins",
       Built(LocalLink("C:\\??.txt"),
             [](ShellLink& l) { l.link_info->local_base_path_unicode = "C:\\说明.txt"; }),
       "C:\\说明.txt", none, none, none},
      {"EmptyUnicodeLocalPathLeavesTheAnsiOne",
       Built(LocalLink("C:\\A.EXE"),
             [](ShellLink& l) { l.link_info->local_base_path_unicode = ""; }),
       "C:\\A.EXE", none, none, none},
      {"LocalPathPlusSuffix",
       Built(LocalLink("C:\\WINDOWS\\"),
             [](ShellLink& l) { l.link_info->common_path_suffix = "NOTEPAD.EXE"; }),
       "C:\\WINDOWS\\NOTEPAD.EXE", none, none, none},
      {"UnicodeLocalPathPlusUnicodeSuffix",
       Built(LocalLink("C:\\?\\"),
             [](ShellLink& l) {
               l.link_info->local_base_path_unicode = "C:\\Ω\\";
               l.link_info->common_path_suffix_unicode = "Ж.txt";
             }),
       "C:\\Ω\\Ж.txt", none, none, none},
      {"NetworkOnlyWithSuffix",
       Built(NetworkOnly({.net_name = "\\\\SERVER\\SHARE"}, "Docs\\a.doc"),
             [](ShellLink& l) { l.working_dir = "\\\\SERVER\\SHARE\\Docs"; }),
       "\\\\SERVER\\SHARE\\Docs\\a.doc", none, "\\\\SERVER\\SHARE\\Docs", none},
      {"NetworkOnlyWithoutSuffix",
       BuildLink(NetworkOnly({.net_name = "\\\\SERVER\\SHARE", .device_name = Text("Z:")})),
       "\\\\SERVER\\SHARE", none, none, none},
      {"NetworkOnlyUnicodeNames",
       BuildLink(NetworkOnly({.net_name = "\\\\?\\C", .net_name_unicode = Text("\\\\ޓ\\C")},
                             "relay\\??.txt", "relay\\说明.txt")),
       "\\\\ޓ\\C\\relay\\说明.txt", none, none, none},
      {"LocalPathBeforeNetwork",
       Built(LocalLink("C:\\Users\\A"),
             [](ShellLink& l) { l.link_info->network = NetworkLink{.net_name = "\\\\PC\\Users"}; }),
       "C:\\Users\\A", none, none, none},
      {"EnvironmentBlockUnicode",
       Built({},
             [](ShellLink& l) {
               l.environment = EnvironmentBlock{"%windir%\\ansi.exe", "%windir%\\unicode.exe"};
               l.arguments = "/s";
             }),
       "%windir%\\unicode.exe", "/s", none, none},
      {"EnvironmentBlockAnsiWhenUnicodeEmpty",
       Built({}, [](ShellLink& l) { l.environment = EnvironmentBlock{"%windir%\\ansi.exe", ""}; }),
       "%windir%\\ansi.exe", none, none, none},
      {"EnvironmentBlockWhenForceNoLinkInfo",
       Built(LocalLink("C:\\ignored.exe"),
             [](ShellLink& l) {
               l.force_no_link_info = true;
               l.environment = EnvironmentBlock{"%x%\\a.exe", "%x%\\a.exe"};
             }),
       "%x%\\a.exe", none, none, none},
      {"NoLinkInfoNoEnvironmentGivesEmptyTarget",
       Built({},
             [](ShellLink& l) {
               l.id_list = std::vector<Bytes>{BytesOf("\x1f\x50")};
               l.icon_location = "shell32.dll";
             }),
       "", none, none, "shell32.dll"},
      {"ArgumentsFlagWithEmptyArguments",
       Built(LocalLink("C:\\A.EXE"), [](ShellLink& l) { l.arguments = ""; }), "C:\\A.EXE", "",
       none, none},
      {"ControlCharactersAndUnassignedBytesPassThrough",  // the report masks them
       Built(LocalLink("C:\\A\tB\x7F.EXE"),
             [](ShellLink& l) {
               l.working_dir = Text::Raw(BytesOf("C:\\\r\nSHORTCUT NAME:   x\x81"));
               l.arguments = "a\x1b[31mb";
               l.icon_location = "\xC2\x9Di.ico";  // U+009D: the unassigned byte 0x9D
             }),
       "C:\\A\tB\x7F.EXE", "a\x1b[31mb", "C:\\\r\nSHORTCUT NAME:   x\xC2\x81", "\xC2\x9Di.ico"},
      {"TerminatingNulCountedIntoTheStrings",
       // Some shell-link writers (Wine's among them) count each string's NUL.
       Built(LocalLink("C:\\A.EXE"),
             [](ShellLink& l) {
               l.unicode = true;
               l.working_dir = Text::Raw(Bytes{'C', 0, ':', 0, 0, 0});
               l.arguments = Text::Raw(Bytes{'/', 0, 'p', 0, 0, 0, 0, 0});
               l.icon_location = Text::Raw(Bytes{'i', 0, 0, 0, 'x', 0});  // a NUL inside stays
             }),
       "C:\\A.EXE", "/p", "C:", std::string("i\0x", 3)},
      {"LoneSurrogateBecomesAReplacementCharacter",
       Built(LocalLink("C:\\A.EXE"),
             [](ShellLink& l) {
               l.unicode = true;
               l.arguments = Text::Raw(Bytes{'b', 0, 0x00, 0xD8, 'c', 0});  // "b", D800, "c"
             }),
       "C:\\A.EXE", "b\xEF\xBF\xBD" "c", none, none},
  };
}

std::vector<DecodeCase> ByteRuleCases() {
  const Str none;
  // clang-format off
  std::vector<DecodeCase> cases = {
      {"PatternATargetRightAfterIt",
       NotALink(0, Concat({kPatternA, BytesOf("C:\\T"), kNulPassedOver, Counted(""), Counted("")})),
       "C:\\T", none, none, none},
      {"PatternBLabelPassedOver",
       NotALink(0, Concat({kPatternB, BytesOf("LABEL"), {0}, BytesOf("C:\\T"), kNulPassedOver, Counted(""), Counted("")})),
       "C:\\T", none, none, none},
      {"PatternBInTheHeaderWins",
       [] {
         Bytes b = NotALink(0, Concat({Filled(10, 'x'), kPatternB, Filled(10, 'x')}));  // a later pattern B at 40
         PutU32(b, 24, 0x10);  // 24-27, followed by 'x'
         PutU8(b, 31, 0);      // the NUL after it: the target starts at 32
         PutChars(b, 32, "HDR");
         PutU8(b, 35, 0);
         return b;
       }(),
       "HDR", none, none, none},
      {"NoPatternByte3NulTargetAtByte4",
       [] {
         Bytes b = NotALink(0, {});
         PutBytes(b, 3, Concat({{0}, BytesOf("ABC"), {0}}));
         return b;
       }(),
       "ABC", none, none, none},
      {"NulAtTargetStartGivesEmptyTarget",
       NotALink(0, Concat({kPatternA, kNulPassedOver, Counted(""), Counted("")})),
       "", none, none, none},
      {"HasNameDiscardsTwoStrings",  // flags 4 and 16
       NotALink(0x14, Concat({kPatternA, BytesOf("T"), kNulPassedOver, Counted("1"), Counted("2"), Counted("W"), Counted("")})),
       "T", none, "W", none},
      {"WorkingDirWithoutRelativePathIsShifted",  // the first string is always discarded
       NotALink(0x10, Concat({kPatternA, BytesOf("T"), kNulPassedOver, Counted("WD"), Counted("NXT"), Counted("")})),
       "T", none, "NXT", none},
      {"IconFlagClearIgnoresIconString",
       NotALink(0, Concat({kPatternA, BytesOf("T"), kNulPassedOver, Counted(""), Counted("ICO")})),
       "T", none, none, none},
      {"UnicodeFlagIgnoredCountsAreBytes",  // flags 16 and 128
       NotALink(0x90, Concat({kPatternA, BytesOf("T"), kNulPassedOver, Counted(""), Counted(std::string("W\0D\0", 4)), Counted("")})),
       "T", none, std::string("W\0D\0", 4), none},
      {"TolerantCountPastEndReusesLastCount",  // the first count reads 0xFFFF; later strings reuse it and read nothing
       NotALink(0x70, Concat({kPatternA, BytesOf("T"), kNulPassedOver, {0xFF, 0xFF, 'a'}})),
       "T", "", "", ""},
      {"AStringReachingPastTheEndTakesInOneBlank",  // the file ends 2 bytes into the working folder's 5
       NotALink(0x10, Concat({kPatternA, BytesOf("T"), kNulPassedOver, Counted(""), {5, 0, 'W', 'D'}})),
       "T", none, "WD ", none},
  };
  // clang-format on
  for (DecodeCase& c : cases) c.genuine = false;
  return cases;
}

INSTANTIATE_TEST_SUITE_P(Genuine, Decodes, ::testing::ValuesIn(GenuineCases()),
                         [](const auto& row) { return row.param.name; });
INSTANTIATE_TEST_SUITE_P(ByteRules, Decodes, ::testing::ValuesIn(ByteRuleCases()),
                         [](const auto& row) { return row.param.name; });

// A local link with working dir, arguments and icon but no relative path.
ShellLink ThreeStrings() {
  ShellLink link = LocalLink("C:\\A.EXE");
  link.working_dir = "C:\\W";
  link.arguments = "-x";
  link.icon_location = "I.ico";
  return link;
}

// ThreeStrings() with records that do not change what is shown, and with one
// link info field broken. A broken link info falls back to the byte rules,
// which discard the first string and shift the rest: the working dir is
// discarded, the arguments read as working dir, the icon as arguments, the
// terminal block as an empty icon location.
TEST(Decoder, ReadsByStructureOrFallsBackToTheByteRules) {
  const auto broken = [](const std::function<void(LinkLayout&)>& break_it,
                         const ShellLink& link = ThreeStrings()) {
    LinkLayout layout = LayoutLink(link);
    break_it(layout);
    return layout.bytes;
  };
  const struct {
    const char* name;
    Bytes bytes;
    bool genuine;
  } cases[] = {
      {"plain", BuildLink(ThreeStrings()), true},
      {"all five strings",
       Built(ThreeStrings(),
             [](ShellLink& l) {
               l.description = "Description";
               l.relative_path = "..\\A.EXE";
             }),
       true},
      {"ANSI volume label",
       Built(ThreeStrings(), [](ShellLink& l) { l.link_info->volume_id.label = "DISK1"; }), true},
      {"Unicode volume label",
       Built(ThreeStrings(),
             [](ShellLink& l) {
               l.link_info->volume_id.label = "Système";
               l.link_info->volume_id.form = VolumeId::LabelForm::kUnicode;
             }),
       true},
      // Shell items with 10 00 00 00 00 and a NUL: the byte rules would take
      // the target from inside the ID list.
      {"ID list holding volume-like bytes",
       Built(ThreeStrings(),
             [](ShellLink& l) {
               l.id_list = std::vector<Bytes>{
                   Concat({BytesOf("\x31"), Filled(1, 0x10), Filled(4, 0), BytesOf("JUNK")})};
             }),
       true},
      // Attributes 0x10 and zero times put 10 00 00 00 00 at byte 24.
      {"folder attributes in the header",
       Built(ThreeStrings(), [](ShellLink& l) { l.file_attributes = 0x10; }), true},
      {"local path offset outside the link info",
       broken([](LinkLayout& l) { PutU32(l.bytes, l.link_info_start + 16, 0x500); }), false},
      {"volume id offset outside the link info",
       broken([](LinkLayout& l) { PutU32(l.bytes, l.link_info_start + 12, 0x500); }), false},
      // The suffix is the link info's last byte; make it no NUL.
      {"suffix without NUL inside the link info",
       broken([](LinkLayout& l) { PutU8(l.bytes, l.strings_start - 1, 'Z'); }), false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const lnk::ShortcutInfo info = Decoded(c.bytes);
    EXPECT_EQ(info.genuine, c.genuine);
    EXPECT_EQ(info.target, "C:\\A.EXE");
    EXPECT_EQ(info.arguments, c.genuine ? "-x" : "I.ico");
    EXPECT_EQ(info.start_in, c.genuine ? "C:\\W" : "-x");
    EXPECT_EQ(info.icon_location, c.genuine ? "I.ico" : "");
  }
}

// A Unicode link whose only records are `items` and, when given, a property store.
ShellLink ItemsOnly(std::vector<Bytes> items, std::string_view app_id = {}) {
  ShellLink link;
  link.unicode = true;
  link.id_list = std::move(items);
  if (!app_id.empty()) link.extra_blocks.push_back(PropertyStoreBlock(app_id));
  return link;
}
Bytes BuiltItemsOnly(std::vector<Bytes> items, std::string_view app_id = {}) {
  return BuildLink(ItemsOnly(std::move(items), app_id));
}

const std::string kComputer = "::" + std::string(kComputerClsid);
constexpr std::string_view kPrinters = "{2227A280-3AEA-1069-A2DE-08002B30309D}";

// Targets a link's other records leave to its shell items or property store
// (the real corpus holds one link of each shape; these rows are the cases it
// lacks: every extension version, precedence, and lists that name nothing).
TEST(Decoder, TakesTheTargetByPrecedenceFromTheRecordThatNamesIt) {
  using lnk::TargetSource;
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
  std::vector<Bytes> longer = path();
  longer.push_back(UriItem("http://example.com/"));
  const struct {
    const char* name;
    Bytes bytes;
    std::string target;
    lnk::TargetSource source;
  } cases[] = {
      {"FileEntriesByLongNameOfEveryVersion", BuiltItemsOnly(path()),
       "C:\\Program Files\\Ünïcode\\My App\\Tools\\OLD~1\\run file.exe", TargetSource::kIdList},
      {"CplFileOfTheUnicodeLayout",
       BuiltItemsOnly({RootItem(kComputerClsid), RegisteredFolderItem(kControlPanelClsid),
                       CplFileItem("C:\\Windows\\System32\\Ω.cpl", false)}),
       "C:\\Windows\\System32\\Ω.cpl", TargetSource::kIdList},
      {"EnvironmentBeforeTheIdList",
       Built(ItemsOnly(path(), app),
             [](ShellLink& l) {
               l.environment = EnvironmentBlock{"%windir%\\a.exe", "%windir%\\a.exe"};
             }),
       "%windir%\\a.exe", TargetSource::kEnvironment},
      {"AppIdBeforeTheComputerAlone", BuiltItemsOnly({RootItem(kComputerClsid)}, app),
       "shell:AppsFolder\\" + app, TargetSource::kAppId},
      {"AppIdWithoutExclamationMarkNamesNoApp",
       BuiltItemsOnly({RootItem(kComputerClsid)}, "Contoso.Notes"), kComputer,
       TargetSource::kIdList},
      {"ListBeyondTheComputerBeforeAppId",
       BuiltItemsOnly({RootItem(kComputerClsid), RegisteredFolderItem(kPrinters)}, app),
       kComputer + "\\::" + std::string(kPrinters), TargetSource::kIdList},
      {"PhoneIsNoRegisteredFolder",
       BuiltItemsOnly({RootItem(kComputerClsid),
                       Concat({RegisteredFolderItem(kPrinters),
                               GuidBytes("{5E591A74-DF96-48D3-8D67-1733BCEE28BA}")})}),
       "", TargetSource::kNone},
      {"LongerListNamesNothing", BuiltItemsOnly(longer), "", TargetSource::kNone},  // no half path
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const lnk::ShortcutInfo info = Decoded(c.bytes);
    EXPECT_TRUE(info.genuine);
    EXPECT_EQ(info.target, c.target);
    EXPECT_EQ(info.target_source, c.source);
  }
}

TEST(Decoder, KeepsWhatTheIdListSaysWhicheverRecordGivesTheTarget) {
  ShellLink link = LocalLink("C:\\Other\\A.EXE");
  link.id_list = {RootItem(kComputerClsid), VolumeItem("C:\\"),
                  FileEntryItem({"PROGRA~1", "Program Files"}),
                  FileEntryItem({"A.EXE", std::nullopt, false})};
  link.extra_blocks.push_back(PropertyStoreBlock("Contoso.Notes!App"));
  const lnk::ShortcutInfo info = Decoded(BuildLink(link));
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
  const lnk::ShortcutInfo cpl = Decoded(BuildLink(link));
  EXPECT_TRUE(cpl.id_list->control_panel_applet);
  EXPECT_EQ(cpl.id_list->cpl_path, "C:\\Windows\\System32\\x.cpl");
  link.id_list = {RootItem("{26EE0668-A00A-44D7-9371-BEB064C98683}"), CategoryItem(5),
                  ControlPanelItem(kPrinters)};
  const lnk::ShortcutInfo item = Decoded(BuildLink(link));
  EXPECT_TRUE(item.id_list->control_panel_applet);
  EXPECT_EQ(item.id_list->cpl_path, std::nullopt);
}

using StrictFailures = AuditTest;

// A file too short, or cut where a string must be, ends the run naming the
// shortcut and keeps the report so far; so does one missing or locked.
TEST_F(StrictFailures, NameThePathAndLeaveNoTrace) {
  ShellLink cut = LocalLink("C:\\A.EXE");
  cut.description = "D";
  cut.terminal_block = false;
  LinkLayout layout = LayoutLink(cut);
  layout.bytes.resize(layout.strings_start);  // the description's count is missing
  AddFile("C:\\L\\cut.lnk", layout.bytes);
  AddFile("C:\\L\\short.lnk", Bytes(19, 'x'));
  AddFile("C:\\L\\no-nul.lnk", NotALink(0, Concat({kPatternA, BytesOf("xxxxx")})));
  // HasName; the first count reads 0xFFFF, the description has none.
  AddFile("C:\\L\\no-count.lnk",
          NotALink(0x04, Concat({kPatternA, BytesOf("T"), kNulPassedOver, {0xFF, 0xFF, 'a'}})));
  AddLink("C:\\L\\locked.lnk", LocalLink("C:\\B.EXE")).unreadable = true;
  AddLink("C:\\L\\ok.lnk", LocalLink("C:\\A.EXE"));
  const std::string before = Audit("C:\\L\\ok.lnk");
  for (const char* path : {"C:\\L\\cut.lnk", "C:\\L\\short.lnk", "C:\\L\\no-nul.lnk",
                           "C:\\L\\no-count.lnk", "C:\\L\\locked.lnk", "C:\\L\\missing.lnk"}) {
    try {
      AuditPaths({"C:\\L\\ok.lnk", path, "C:\\L\\ok.lnk"});
      ADD_FAILURE() << path << " was audited";
    } catch (const std::exception& e) {
      EXPECT_NE(std::string(e.what()).find(path), std::string::npos) << e.what();
    }
    EXPECT_EQ(Report(), before) << "the run ends there, with the report so far";
  }
  // The strings are strict only for a shortcut the target filter keeps.
  options.target_filter = audit::TargetFilter::kNonExe;
  EXPECT_EQ(Audit("C:\\L\\cut.lnk"), "");
}

// A genuine link with a record whose size reaches past the end of the file
// is no shortcut to report: in a run that keeps
// going, each is a failure with its cause and no entry, so no duplicate of
// the others (cut in the header, the byte rules would read two alike). A link
// that ends right after a whole block, without the terminal block, is whole.
TEST_F(StrictFailures, CutShortLinksFailAndAreNoDuplicates) {
  const auto sized = [](ShellLink link, std::size_t LinkLayout::*record, std::uint32_t size) {
    LinkLayout layout = LayoutLink(link);
    PutU32(layout.bytes, layout.*record, size);
    return layout.bytes;
  };
  ShellLink listed = ThreeStrings();
  listed.id_list = std::vector<Bytes>{BytesOf("AB")};
  ShellLink blocks = ThreeStrings();
  blocks.extra_blocks.push_back(ExtraBlock(0xA0000004, {0x52, 0x03, 0, 0}));  // code page 850
  ShellLink whole = blocks;
  whole.link_info->local_base_path = Text("C:\\B.EXE");
  whole.terminal_block = false;
  const Bytes header = BuildLink(ThreeStrings());
  const struct {
    std::string name;
    Bytes bytes;
    std::string cut;  // empty: whole
  } links[] = {
      // 0xFFFF as the ID list's size, zeros over its item's.
      {"list.lnk", sized(listed, &LinkLayout::id_list_start, 0xFFFF),
       "the ID list ends at byte 65613"},
      {"info.lnk", sized(ThreeStrings(), &LinkLayout::link_info_start, 0x7FFF),
       "the link info ends at byte 32843"},
      {"block.lnk", sized(blocks, &LinkLayout::extra_data_start, 0x7FFF),
       "an extra-data block ends at byte " +
           std::to_string(LayoutLink(blocks).extra_data_start + 0x7FFF)},
      {"header.lnk", Bytes(header.begin(), header.begin() + 40), "the header ends at byte 76"},
      {"header2.lnk", Bytes(header.begin(), header.begin() + 50), "the header ends at byte 76"},
      {"ok.lnk", header, ""},
      {"whole.lnk", BuildLink(whole), ""},
  };
  audit::AuditRequest request;
  request.folder = "C:\\L\\";
  request.options.warn_duplicate_targets = request.options.warn_duplicate_arguments = true;
  request.keep_going = true;
  std::vector<std::string> causes;
  for (const auto& file : links) {
    AddFile(request.folder + file.name, file.bytes);
    request.selected_names.push_back(file.name);
    if (!file.cut.empty()) {
      causes.push_back("the shortcut is cut short: " + file.cut + " of a file of " +
                       std::to_string(file.bytes.size()) + " bytes");
    }
  }
  audit::AuditRun(files, folders).Run(request, sink);
  std::vector<std::string> failed;
  for (const report::FailedShortcut& failure : sink.failures) failed.push_back(failure.cause);
  EXPECT_EQ(failed, causes);
  ASSERT_EQ(sink.entries.size(), 2u);
  EXPECT_EQ(sink.entries[1].info.target, "C:\\B.EXE");
  EXPECT_EQ(sink.report.find("DUPLICATE"), std::string::npos) << sink.report;
}

TEST(Decoder, GenuineTolerantStringPastTheEndIsCut) {
  ShellLink link = LocalLink("C:\\A.EXE");
  link.working_dir = Text::WithCount("C:\\WORK", 200);  // count beyond the file
  link.terminal_block = false;
  const lnk::ShortcutInfo info = Decoded(BuildLink(link));
  EXPECT_EQ(info.start_in, "C:\\WORK");
  EXPECT_EQ(info.target, "C:\\A.EXE");
}

// Windows reads at most 260 characters of the description, relative path and
// working folder, keeps 259 of a full read, and reads the next string and the
// extra data right after; the arguments and icon it reads whole. What the
// counts declare stays where it differs.
TEST(Decoder, ReadsTheStringsAsWindowsDoes) {
  const std::string x260(260, 'x');
  const auto units = [](const std::string& utf8) { return ToUtf16Le(utf8); };
  // The public finding: a Unicode description counting 272 holds 260
  // characters, then the count (11) and text of the arguments Windows reads;
  // the declared arguments, count 0, and the terminal block follow, which
  // Windows reads as its terminal block.
  ShellLink finding = LocalLink("C:\\Windows\\System32\\cmd.exe");
  finding.unicode = true;
  finding.description = Text::Raw(Concat({units(x260), {11, 0}, units("/c calc.exe")}), 272);
  finding.arguments = "";
  // ANSI: a relative path of 259 read whole; a working folder counting 263
  // holds 260 bytes, then the count (1) and text of the arguments.
  ShellLink ansi = LocalLink("C:\\A.EXE");
  ansi.relative_path = std::string(259, 'r');
  ansi.working_dir = Text::Raw(Concat({BytesOf(x260), {1, 0}, BytesOf("a")}), 263);
  ansi.arguments = "";
  // A count of 260: the 260th character is taken as the end.
  ShellLink count260 = LocalLink("C:\\A.EXE");
  count260.description = std::string(259, 'd') + "E";
  count260.arguments = "-a";
  // 0xFFFF, past the end of the file, where Windows' 260 lie inside it.
  ShellLink past_end = LocalLink("C:\\A.EXE");
  past_end.unicode = true;
  past_end.description = Text::Raw(Concat({units(x260), {4, 0}, units("calc")}), 0xFFFF);
  past_end.arguments = "";
  // 300, where Windows' 260 do not fit: the relative path's count is missing.
  ShellLink short_file = LocalLink("C:\\A.EXE");
  short_file.description = Text::WithCount("Desc", 300);
  short_file.relative_path = "..\\A.EXE";
  short_file.terminal_block = false;

  const std::string x259(259, 'x');
  const Str none;
  const struct {
    std::string name;
    ShellLink link;
    Str description, relative_path, start_in, arguments;
    std::optional<lnk::DeclaredStrings> declared;
    std::size_t after_link = 0;  // bytes past the terminal block Windows reads
    bool ends_early = false;     // at the strings' start + 2 + 260 characters
  } cases[] = {
      {"finding", finding, x259, none, none, "/c calc.exe",
       lnk::DeclaredStrings{.description = x260 + "\x0B/c calc.exe", .arguments = ""}, 2},
      {"ansi", ansi, none, std::string(259, 'r'), x259, "a",
       lnk::DeclaredStrings{.start_in = x260 + std::string("\x01\0a", 3), .arguments = ""}, 2},
      {"count260", count260, std::string(259, 'd'), none, none, "-a",
       lnk::DeclaredStrings{.description = std::string(259, 'd') + "E"}},
      {"past_end", past_end, x259, none, none, "calc",
       lnk::DeclaredStrings{.description = x260 + '\x04' + "calc", .arguments = ""}, 2},
      {"short_file", short_file, none, none, none, none, std::nullopt, 0, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const LinkLayout layout = LayoutLink(c.link);
    const lnk::ShortcutInfo info = Decoded(layout.bytes);
    if (c.ends_early) {
      EXPECT_EQ(info.strings_end_early_at, layout.strings_start + 2 + 260);
      continue;
    }
    EXPECT_EQ(info.strings_end_early_at, std::nullopt);
    EXPECT_EQ(info.description, c.description);
    EXPECT_EQ(info.relative_path, c.relative_path);
    EXPECT_EQ(info.start_in, c.start_in);
    EXPECT_EQ(info.arguments, c.arguments);
    EXPECT_EQ(info.declared_strings, c.declared);
    EXPECT_EQ(info.link_end, layout.bytes.size() - c.after_link);
  }
}

TEST(Decoder, GenuineHotKeyNamesTheKeyAndKeepsTheModifiers) {
  const struct {
    std::uint8_t key;
    std::string name;
  } cases[] = {
      // Keys named for what they are, not the character of their code; the
      // ends of each run; any other code as its value, never a control character.
      {'A', "A"}, {'9', "9"}, {0x70, "F1"}, {0x87, "F24"}, {0x60, "Num 0"}, {0x69, "Num 9"},
      {0x24, "Home"}, {0xBA, ";"}, {0x0A, "0x0A"}, {0x6C, "0x6C"}, {0xFF, "0xFF"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::Message() << "key " << int{c.key});
    ShellLink link = LocalLink("C:\\A.EXE");
    link.hot_key = c.key;
    link.hot_key_modifiers = 5;
    const lnk::ShortcutInfo info = Decoded(BuildLink(link));
    ASSERT_TRUE(info.hot_key.has_value());
    EXPECT_EQ(info.hot_key->key, c.name);
    EXPECT_EQ(info.hot_key->modifiers, 5);
  }
  ShellLink none = LocalLink("C:\\A.EXE");
  none.hot_key_modifiers = 6;  // modifiers without a key are no hot key
  EXPECT_EQ(Decoded(BuildLink(none)).hot_key, std::nullopt);
}

TEST(Decoder, ByteRuleHotKeyAndRunModeReadBytes64And60Only) {
  using lnk::RunMode;
  const struct {
    std::size_t size;
    std::uint8_t byte60;
    std::uint8_t byte64;
    std::optional<std::string> key;  // nullopt: no hot key; "": Ctrl + Alt and no key byte
    std::optional<RunMode> run;
  } cases[] = {
      {80, 1, 65, "A", RunMode::kNormal},
      {80, 7, 112, "p", RunMode::kMinimised},  // the byte as a character
      {80, 3, 0, std::nullopt, RunMode::kMaximised},
      {80, 2, 0, std::nullopt, std::nullopt},
      {62, 1, 0, "", RunMode::kNormal},  // no byte 64
      {64, 1, 0, " ", RunMode::kNormal},  // byte 64 is the blank after the last
      {50, 1, 0, "", std::nullopt},      // no byte 60 either
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::Message() << "size " << c.size << " byte60 " << int{c.byte60});
    Bytes b =
        NotALink(0, Concat({kPatternA, BytesOf("T"), kNulPassedOver, Counted(""), Counted("")}));
    b.resize(c.size, 'x');
    if (c.size > 60) PutU8(b, 60, c.byte60);
    if (c.size > 64) PutU8(b, 64, c.byte64);
    const lnk::ShortcutInfo info = Decoded(b);
    EXPECT_EQ(info.run, c.run);
    ASSERT_EQ(info.hot_key.has_value(), c.key.has_value());
    if (!c.key) continue;
    EXPECT_EQ(info.hot_key->modifiers, 6);  // Ctrl + Alt
    EXPECT_EQ(info.hot_key->key, c.key->empty() ? std::nullopt : c.key);
  }
}

// The report names the modifiers in one order, whatever their bits.
TEST(Decoder, ReportNamesTheModifiersCtrlShiftAlt) {
  for (const auto& [modifiers, text] : {std::pair{7, "Ctrl + Shift + Alt + Z"},
                                        std::pair{3, "Ctrl + Shift + Z"},
                                        std::pair{5, "Shift + Alt + Z"}}) {
    ShellLink link = LocalLink("C:\\A.EXE");
    link.hot_key = 'Z';
    link.hot_key_modifiers = static_cast<std::uint8_t>(modifiers);
    report::ReportEntry entry;
    entry.info = Decoded(BuildLink(link));
    std::string report;
    report::AppendEntry(report, entry);
    EXPECT_NE(report.find(std::string("SHORTCUT KEY:   ") + text + "  "), std::string::npos)
        << report;
  }
}

// Where the link ends: past its terminal block, whatever follows; at the end
// of the bytes when it has none; unknown for bytes read by the byte rules.
TEST(Decoder, SaysWhereTheLinkEnds) {
  ShellLink link = ThreeStrings();
  link.extra_blocks.push_back(ExtraBlock(0xA0000004, {0x52, 0x03, 0, 0}));
  const Bytes alone = BuildLink(link);
  link.trailing = Concat({BytesOf("appended"), BuildLink(ThreeStrings())});
  const Bytes followed = BuildLink(link);
  link.trailing = {};
  link.terminal_block = false;
  const Bytes unended = BuildLink(link);
  link.terminal_block = true;
  link.working_dir = Text::WithCount("C:\\W", 300);  // the strings run past the end
  const Bytes strings_past_end = BuildLink(link);

  EXPECT_EQ(Decoded(alone).link_end, alone.size());
  EXPECT_EQ(Decoded(followed).link_end, alone.size());
  EXPECT_EQ(Decoded(followed).target, "C:\\A.EXE");
  EXPECT_EQ(Decoded(unended).link_end, unended.size());
  EXPECT_EQ(Decoded(strings_past_end).link_end, strings_past_end.size());
  EXPECT_EQ(Decoded(NotALink(0, Concat({kPatternA, BytesOf("T"), kNulPassedOver}))).link_end,
            std::nullopt);
}

// Each ANSI string's bytes stay beside its text, to be read again in another
// code page; Unicode strings keep none.
TEST(Decoder, KeepsTheBytesOfAnsiStrings) {
  ShellLink ansi = LocalLink("C:\\Café\\");
  ansi.link_info->common_path_suffix = "x.exe";
  ansi.description = "Ünï";
  ansi.arguments = "€5";
  ansi.environment = EnvironmentBlock{"%x%\\é.exe", "%x%\\é.exe"};
  ansi.id_list = {FileEntryItem({"CAFÉ~1", "Café"})};
  const lnk::ShortcutInfo a = Decoded(BuildLink(ansi));
  EXPECT_EQ(a.ansi_bytes.target, "C:\\Caf\xE9\\x.exe");
  EXPECT_EQ(a.ansi_bytes.description, "\xDCn\xEF");
  EXPECT_EQ(a.ansi_bytes.arguments, "\x80" "5");
  EXPECT_EQ(a.ansi_bytes.start_in, std::nullopt);
  EXPECT_EQ(a.ansi_bytes.environment, "%x%\\\xE9.exe");
  ASSERT_TRUE(a.id_list.has_value());
  ASSERT_EQ(a.id_list->file_entries.size(), 1u);
  EXPECT_EQ(a.id_list->file_entries[0].primary_name_bytes, "CAF\xC9~1");

  const lnk::ShortcutInfo share = Decoded(BuildLink(NetworkOnly({.net_name = "\\\\Sé\\C"}, "d")));
  EXPECT_EQ(share.ansi_bytes.target, "\\\\S\xE9\\C\\d");

  ShellLink wide = ansi;
  wide.unicode = true;
  wide.link_info->local_base_path_unicode = "C:\\Café\\";
  wide.id_list = {FileEntryItem({"Café", std::nullopt, true, true})};
  const lnk::ShortcutInfo w = Decoded(BuildLink(wide));
  EXPECT_EQ(w.ansi_bytes.target, std::nullopt);
  EXPECT_EQ(w.ansi_bytes.description, std::nullopt);
  EXPECT_EQ(w.ansi_bytes.arguments, std::nullopt);
  EXPECT_EQ(w.id_list->file_entries.at(0).primary_name_bytes, std::nullopt);

  const lnk::ShortcutInfo rules =
      Decoded(NotALink(0x10, Concat({kPatternA, BytesOf("C:\\\xE9"), kNulPassedOver, Counted(""),
                                     Counted("W\xE9")})));
  EXPECT_EQ(rules.ansi_bytes.target, "C:\\\xE9");
  EXPECT_EQ(rules.ansi_bytes.start_in, "W\xE9");
  // ASCII reads alike in every code page: its text is its bytes.
  EXPECT_EQ(Decoded(BuildLink(ThreeStrings())).ansi_bytes.target, std::nullopt);
}

}  // namespace
}  // namespace varnlink::test_support
