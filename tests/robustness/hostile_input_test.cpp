// Hostile inputs, one row each: damaged and crafted shortcut files, special
// files posing as shortcuts, awkward names and paths, and a tree that changes
// between the walk's listing and the audit. Every row must end in a correct
// report or an error naming the file, never a crash, a hang or memory that
// grows with the file.

#include <dirent.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "tests/robustness/robustness_support.h"
#include "tests/support/link_writer.h"
#include "tests/support/scratch_folder.h"
#include "text/report_text.h"

namespace varnlink::test_support {
namespace {

namespace fs = std::filesystem;

// What a row hands to the auditor.
struct Subject {
  std::string path;                // the shortcut to audit, or the folder to walk
  bool walk = false;               // audit `path` as a folder tree through the window model
  bool needs_no_override = false;  // the row needs file permissions to apply
};

// What a row must give.
struct Expect {
  std::string error;                 // empty: a report; else a cause the error names
  std::string error_names;           // the file the error names (default: the subject)
  std::vector<std::string> lines;    // report lines that must be present
  std::vector<std::string> absent;   // texts that must not be in the report
  std::vector<std::string> message;  // texts of the message box shown at the run's end
};

Expect Fails(std::string cause, std::string names = {}) {
  Expect expect;
  expect.error = std::move(cause);
  expect.error_names = std::move(names);
  return expect;
}

Expect Reports(std::vector<std::string> lines, std::vector<std::string> absent = {},
               std::vector<std::string> message = {}) {
  Expect expect;
  expect.lines = std::move(lines);
  expect.absent = std::move(absent);
  expect.message = std::move(message);
  return expect;
}

Subject File(const ScratchFolder& dir, const std::string& name, const Bytes& bytes) {
  return {dir.Write(name, bytes)};
}

struct Row {
  Row(std::string row_name, std::function<Subject(const ScratchFolder&)> make_subject,
      std::function<Expect(const ScratchFolder&)> expected)
      : name(std::move(row_name)), make(std::move(make_subject)), expect(std::move(expected)) {}
  // Audits `bytes` as x.lnk.
  Row(std::string row_name, const Bytes& bytes, const Expect& expected)
      : Row(
            std::move(row_name), [bytes](auto& d) { return File(d, "x.lnk", bytes); },
            [expected](auto&) { return expected; }) {}

  std::string name;
  std::function<Subject(const ScratchFolder&)> make;
  std::function<Expect(const ScratchFolder&)> expect;
};

void PrintTo(const Row& row, std::ostream* out) { *out << row.name; }

std::string Shown(const std::string& text) { return text::ShownText(text); }
std::string Location(const std::string& path) { return "LOCATION:   " + Shown(path); }

// A genuine ANSI link with every counted string.
ShellLink FullLink() {
  ShellLink link = LocalLink("C:\\A.EXE");
  link.description = "Desc";
  link.working_dir = "C:\\W";
  link.arguments = "-x";
  link.icon_location = "I.ico";
  return link;
}

// FullLink with an ID list and an extra-data block (a console code page):
// a record of each kind to cut the file inside.
LinkLayout RecordsToCut() {
  ShellLink link = FullLink();
  link.id_list = std::vector<Bytes>{VolumeItem("C:\\")};
  link.extra_blocks.push_back(ExtraBlock(0xA0000004, {0x52, 0x03, 0, 0}));  // code page 850
  return LayoutLink(link);
}

Bytes Prefix(std::size_t n) {
  Bytes bytes = RecordsToCut().bytes;
  bytes.resize(n);
  return bytes;
}

// FullLink's bytes with 32-bit `values` put at their offsets into its link info.
Bytes LinkInfoWith(const std::vector<std::pair<std::size_t, std::uint32_t>>& values) {
  LinkLayout layout = LayoutLink(FullLink());
  for (const auto& [at, value] : values) PutU32(layout.bytes, layout.link_info_start + at, value);
  return layout.bytes;
}

// FullLink with a 20-byte ID list whose size says 0xFFFF; `class_id`: with
// the link class id, else with its first byte changed.
Bytes IdListSizedFFFF(bool class_id) {
  ShellLink link = FullLink();
  link.id_list = std::vector<Bytes>{Filled(20, 0x31)};
  Bytes bytes = BuildLink(link);
  PutU16(bytes, 76, 0xFFFF);
  if (!class_id) PutU8(bytes, 4, 0x02);
  return bytes;
}

// Writes `bytes` as `name` (when empty, the longest name the path limit
// allows) in a folder chain below `dir` whose innermost path is at least
// `length` bytes long, built relative to each parent so no call ever sees the
// whole path. Returns the shortcut's path.
std::string DeepShortcut(const ScratchFolder& dir, std::size_t length, std::string name,
                         const Bytes& bytes) {
  std::string path = dir.Path().string();
  const std::string component(200, 'd');
  int fd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  while (path.size() < length) {
    if (::mkdirat(fd, component.c_str(), 0755) != 0 && errno != EEXIST) {
      throw std::runtime_error(path + ": mkdirat: " + std::strerror(errno));
    }
    const int next = ::openat(fd, component.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    ::close(fd);
    fd = next;
    path += "/" + component;
  }
  if (name.empty()) {
    name = std::string(std::min<std::size_t>(NAME_MAX, PATH_MAX - 2 - path.size()) - 4, 'n');
    name += ".lnk";
  }
  const int file = ::openat(fd, name.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  ::close(fd);
  if (file < 0 || ::write(file, bytes.data(), bytes.size()) != static_cast<ssize_t>(bytes.size())) {
    throw std::runtime_error(path + "/" + name + ": cannot write");
  }
  ::close(file);
  return path + "/" + name;
}

// Removes everything inside the folder open as `fd`, however deep, relative to
// each parent (the scratch folder's own clean-up works on whole paths, which
// fail beyond the length limit). Errors are ignored: what is left is removed
// by the scratch folder.
void EmptyFolder(int fd) {
  DIR* folder = ::fdopendir(fd);
  if (folder == nullptr) {
    ::close(fd);
    return;
  }
  std::vector<std::string> names;
  while (const dirent* entry = ::readdir(folder)) {
    const std::string name = entry->d_name;
    if (name != "." && name != "..") names.push_back(name);
  }
  for (const std::string& name : names) {
    if (::unlinkat(fd, name.c_str(), 0) == 0) continue;
    const int child = ::openat(fd, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (child >= 0) EmptyFolder(child);
    ::unlinkat(fd, name.c_str(), AT_REMOVEDIR);
  }
  ::closedir(folder);
}

// Control and layout characters in every string of a link.
const std::string kHostile = "\r\nLOCATION:   C:\\x\x1b[2J\t\x7f";
const std::string kHostileShown = "??LOCATION:   C:\\x?[2J??";
const std::string kUnicodeHostile =
    "\r\nTARGET:   X\xe2\x80\xae"
    "exe.txt\xe2\x80\xa9"
    "LOCATION:   Y\xc2\x85";
const std::string kUnicodeHostileShown = "??TARGET:   X?exe.txt?LOCATION:   Y?";

ShellLink HostileLink(bool unicode) {
  const std::string text = unicode ? kUnicodeHostile : kHostile;
  ShellLink link;
  link.unicode = unicode;
  link.link_info = LinkInfo{};
  link.link_info->local_base_path = Text::Raw(BytesOf("C:\\T" + kHostile));
  if (unicode) link.link_info->local_base_path_unicode = Text("C:\\T" + text);
  link.description = Text(text);
  link.working_dir = Text("W" + text);
  link.arguments = Text("A" + text);
  link.icon_location = Text("I" + text);
  return link;
}

// A genuine link whose target can come only from its ID list (the computer,
// drive C: and `entry`), with strings the byte rules would read otherwise.
ShellLink PathItems(Bytes entry) {
  ShellLink link;
  link.unicode = true;
  link.id_list = std::vector<Bytes>{RootItem(kComputerClsid), VolumeItem("C:\\"), std::move(entry)};
  link.working_dir = "C:\\W";
  link.arguments = "-x";
  return link;
}

// Where PathItems' third item starts.
std::size_t EntryStart(const LinkLayout& layout) {
  return layout.id_list_start + 2 + (RootItem(kComputerClsid).size() + 2) +
         (VolumeItem("C:\\").size() + 2);
}

// A link read by its structure whose records name no target.
Expect NoTargetByStructure() {
  return Reports({"TARGET:    -x\r\n", "START IN:   C:\\W\r\n", "ICON SOURCE:   \r\n"});
}

// The cause of a link cut short, as the whole message after the path.
Expect CutShort(const std::string& record, std::size_t end, std::size_t size) {
  return Fails(": the shortcut is cut short: " + record + " ends at byte " + std::to_string(end) +
               " of a file of " + std::to_string(size) + " bytes");
}

// The first bytes of RecordsToCut(), to cut points in each record: too short
// to be known as a link (the byte rules' error), cut short, a description
// without its count, and ends that lose nothing.
std::vector<std::pair<std::size_t, Expect>> Cuts() {
  const LinkLayout cut = RecordsToCut();
  const std::size_t list = cut.id_list_start;
  const std::size_t info = cut.link_info_start;
  const std::size_t strings = cut.strings_start;
  const std::size_t block = cut.extra_data_start;
  const std::size_t block_end = block + 12;
  const Expect complete = Reports({"TARGET:   C:\\A.EXE -x\r\n", "START IN:   C:\\W\r\n"});
  return {
      {0, Fails("not a shortcut: the file is only 0 bytes long")},
      {19, Fails("not a shortcut: the file is only 19 bytes long")},
      {20, CutShort("the header", 76, 20)},
      {75, CutShort("the header", 76, 75)},
      {list + 1, CutShort("the ID list", list + 2, list + 1)},  // inside its size
      {info - 1, CutShort("the ID list", info, info - 1)},
      {info + 3, CutShort("the link info", info + 4, info + 3)},
      {strings - 1, CutShort("the link info", strings, strings - 1)},
      {strings + 1, Fails("the shortcut's strings end early")},
      {block + 2, CutShort("an extra-data block", block + 4, block + 2)},  // inside its size
      {block_end - 1, CutShort("an extra-data block", block_end, block_end - 1)},
      {block_end, complete},      // no terminal block
      {block_end + 2, complete},  // half the terminal block
  };
}

std::vector<Row> MakeRows() {
  std::vector<Row> rows = {
      // --- counts and sizes that reach past the end
      {"WorkingFolderCountFFFF",
       [] {
         ShellLink link = LocalLink("C:\\A.EXE");
         link.working_dir = Text::WithCount("C:\\W", 0xFFFF);
         link.arguments = "-x";
         return BuildLink(link);
       }(),
       // The working folder runs to the end; the arguments after it are gone.
       Reports({"TARGET:   C:\\A.EXE \r\n", "START IN:   C:\\W?\?-x"})},
      {"DescriptionCountFFFF",
       [] {
         ShellLink link = FullLink();
         link.description = Text::WithCount("Desc", 0xFFFF);
         link.relative_path = "..\\A.EXE";  // its count lies past the end
         return BuildLink(link);
       }(),
       Fails("the shortcut's strings end early")},
      {"IdListSizePastTheEnd", IdListSizedFFFF(true),
       Fails("the shortcut is cut short: the ID list ends at byte 65613 of a file of ")},
      // Without the class id it is no link: the byte rules find the volume record.
      {"IdListSizePastTheEndWithoutTheClassId", IdListSizedFFFF(false),
       Reports({"TARGET:   C:\\A.EXE"})},
      {"LinkInfoSizePastTheEnd", LinkInfoWith({{0, 0x00FFFFFF}}),
       Fails("the shortcut is cut short: the link info ends at byte " +
             std::to_string(76 + 0x00FFFFFF) + " of a file of ")},
      // The local base path's offset, then the common path suffix's.
      {"LinkInfoOffsetsOutsideIt", LinkInfoWith({{16, 0x7FFFFFF0}, {24, 0xFFFFFFFF}}),
       Reports({"TARGET:   C:\\A.EXE"})},
      // Both start at the offset fields, so each reads the other's offset byte
      // (24 or 16) and a NUL: control characters, shown as "?".
      {"LinkInfoOffsetsPointingAtEachOther", LinkInfoWith({{16, 24}, {24, 16}}),
       Reports({"TARGET:   ??"})},

      // --- shell items and property stores that do not hold together: no
      // target from them, the rest read by structure
      {"ShellItemRunningPastTheList",
       [] {
         LinkLayout layout = LayoutLink(PathItems(FileEntryItem({"A.EXE", "a.exe", false})));
         const std::size_t at = EntryStart(layout);
         PutU16(layout.bytes, at, static_cast<std::uint16_t>(layout.link_info_start - at + 2));
         return layout.bytes;
       }(),
       NoTargetByStructure()},
      {"ShellItemRunningPastTheFile",
       [] {
         ShellLink link = PathItems(FileEntryItem({"A.EXE", "a.exe", false}));
         link.working_dir.reset();
         link.arguments.reset();
         link.terminal_block = false;  // the list ends the file
         LinkLayout layout = LayoutLink(link);
         PutU16(layout.bytes, EntryStart(layout), 0xFFF0);
         return layout.bytes;
       }(),
       Reports({"TARGET:   \r\n"})},
      {"ShellItemSizeBelowTwo",
       [] {
         LinkLayout layout = LayoutLink(PathItems(FileEntryItem({"A.EXE", "a.exe", false})));
         PutU16(layout.bytes, EntryStart(layout), 1);
         return layout.bytes;
       }(),
       NoTargetByStructure()},
      // class 0x32, FAT fields, then the name at 14 to the item's end
      {"FileNameWithoutItsTerminator",
       BuildLink(PathItems(Concat({{0x32}, Filled(11, 0), BytesOf("A.EXE")}))),
       NoTargetByStructure()},
      {"ExtensionOffsetOutsideItsItem",
       [] {
         Bytes entry = FileEntryItem({"A.EXE", "a.exe", false});
         PutU16(entry, entry.size() - 2, 0xFFF0);
         return BuildLink(PathItems(entry));
       }(),
       NoTargetByStructure()},
      {"PropertyStoreSizesDoNotAddUp",
       [] {
         ShellLink link = PathItems({});
         link.id_list.reset();
         Bytes block = PropertyStoreBlock("Contoso.Notes_8wekyb3d8bbwe!App");
         // The first storage claims 4 bytes more than its values and their end fill.
         PutU32(block, 8, static_cast<std::uint32_t>(block[8] + 4));
         link.extra_blocks.push_back(block);
         return BuildLink(link);
       }(),
       NoTargetByStructure()},

      // --- broken UTF-16, and NUL
      {"OddUtf16ByteLength",
       [] {
         ShellLink link = LocalLink("C:\\A.EXE");
         link.unicode = true;
         link.icon_location = "ABCD";
         link.terminal_block = false;
         Bytes bytes = BuildLink(link);
         bytes.pop_back();  // the file ends inside the last UTF-16 unit
         return bytes;
       }(),
       Reports({"ICON SOURCE:    ABC\xef\xbf\xbd"})},
      {"LoneSurrogates",
       [] {
         ShellLink link = LocalLink("C:\\A.EXE");
         link.unicode = true;
         link.working_dir = Text::Raw({0x00, 0xD8, 'A', 0x00});  // high surrogate, then A
         link.arguments = Text::Raw({0x00, 0xDC, 0x00, 0xD8});   // low, then high at the end
         return BuildLink(link);
       }(),
       Reports({"START IN:   \xef\xbf\xbd"
                "A",
                "TARGET:   C:\\A.EXE \xef\xbf\xbd\xef\xbf\xbd"})},
      {"NulInCountedStrings",
       [] {
         ShellLink link = LocalLink("C:\\A.EXE");
         link.working_dir = Text::Raw({'C', 0, 'D'});
         return BuildLink(link);
       }(),
       Reports({"START IN:   C?D"})},

      // --- report lines hidden in every string, and in the file's name
      {"ControlCharactersInEveryAnsiString",
       [](auto& d) { return File(d, "x\r\nLOCATION:   \x1b.lnk", BuildLink(HostileLink(false))); },
       [](auto& d) {
         return Reports({"SHORTCUT NAME:   x??LOCATION:   ?",
                         Location(d.PathOf("x\r\nLOCATION:   \x1b.lnk")),
                         "TARGET:   C:\\T" + kHostileShown + " A" + kHostileShown,
                         "START IN:   W" + kHostileShown, "ICON SOURCE:    I" + kHostileShown});
       }},
      {"ControlAndLayoutCharactersInEveryUnicodeString",
       [](auto& d) {
         return File(d,
                     "x\xe2\x80\xae"
                     "knl.exe",
                     BuildLink(HostileLink(true)));
       },
       [](auto&) {
         return Reports({"SHORTCUT NAME:   x?knl",
                         "TARGET:   C:\\T" + kUnicodeHostileShown + " A" + kUnicodeHostileShown,
                         "START IN:   W" + kUnicodeHostileShown,
                         "ICON SOURCE:    I" + kUnicodeHostileShown});
       }},

      // --- special files posing as shortcuts
      {"FourGiBSparseFile",
       [](auto& d) {
         const std::string path = d.Write("x.lnk", BuildLink(FullLink()));
         fs::resize_file(path, 4ull << 30);
         return Subject{path};
       },
       [](auto&) {
         return Reports(
             {"TARGET:   C:\\A.EXE -x",
              "LENGTH:   4294967296 bytes          SHORTCUT KEY:   (none)        RUN:   Normal"});
       }},
      {"Fifo",
       [](auto& d) {
         if (::mkfifo(d.PathOf("x.lnk").c_str(), 0644) != 0) throw std::runtime_error("mkfifo");
         return Subject{d.PathOf("x.lnk")};
       },
       [](auto&) { return Fails("it is a FIFO, not a regular file"); }},
      {"DevicePath",
       [](auto& d) {
         fs::create_symlink("/dev/zero", d.PathOf("x.lnk"));
         return Subject{d.PathOf("x.lnk")};
       },
       [](auto&) { return Fails("it is a device, not a regular file"); }},
      {"SymbolicLinkLoop",
       [](auto& d) {
         fs::create_symlink("y.lnk", d.PathOf("x.lnk"));
         fs::create_symlink("x.lnk", d.PathOf("y.lnk"));
         return Subject{d.PathOf("x.lnk")};
       },
       [](auto&) { return Fails("Too many levels of symbolic links"); }},
      {"FolderNamedLnk",
       [](auto& d) {
         fs::create_directory(d.PathOf("x.lnk"));
         return Subject{d.PathOf("x.lnk")};
       },
       [](auto&) { return Fails("it is a folder, not a regular file"); }},
      {"NameThatIsNotUtf8",
       [](auto& d) { return File(d, "\xff\xfe\x80.lnk", BuildLink(FullLink())); },
       [](auto& d) {
         return Reports({"SHORTCUT NAME:   \xef\xbf\xbd\xef\xbf\xbd\xef\xbf\xbd",
                         Location(d.PathOf("\xff\xfe\x80.lnk"))});
       }},
      {"PathJustUnderTheLimit",
       [](auto& d) { return Subject{DeepShortcut(d, PATH_MAX - 260, "", BuildLink(FullLink()))}; },
       [](auto&) { return Reports({"TARGET:   C:\\A.EXE -x"}); }},
      {"PathOverTheLimit",
       [](auto& d) {
         return Subject{DeepShortcut(d, PATH_MAX + 10, "x.lnk", BuildLink(FullLink()))};
       },
       [](auto&) { return Fails("File name too long"); }},

      // --- walked trees
      {"WalkPastLoopsAndLinksToFolders",
       [](auto& d) {
         d.Write("a.lnk", BuildLink(LocalLink("C:\\A.EXE")));
         fs::create_directory(d.PathOf("sub"));
         d.Write("sub/b.lnk", BuildLink(LocalLink("C:\\B.EXE")));
         fs::create_directory_symlink("..", d.PathOf("sub/up.lnk"));  // back to the top
         fs::create_directory_symlink(".", d.PathOf("sub/self"));
         fs::create_symlink("loop2.lnk", d.PathOf("sub/loop1.lnk"));
         fs::create_symlink("loop1.lnk", d.PathOf("sub/loop2.lnk"));
         fs::create_symlink("/dev/zero", d.PathOf("sub/zero.lnk"));
         ::mkfifo(d.PathOf("sub/fifo.lnk").c_str(), 0644);
         fs::create_directory(d.PathOf("x.lnk"));
         d.Write("x.lnk/c.lnk", BuildLink(LocalLink("C:\\C.EXE")));
         d.Write("sub/\xff\xfe.lnk", BuildLink(LocalLink("C:\\D.EXE")));  // not UTF-8
         return Subject{d.Path().string(), true};
       },
       // Each real shortcut once; the links, the loop, the device, the FIFO
       // and the folder named x.lnk are no shortcuts.
       [](auto& d) {
         return Reports(
             {Location(d.PathOf("a.lnk")), Location(d.PathOf("sub/b.lnk")),
              Location(d.PathOf("x.lnk/c.lnk")),
              "LOCATION:   " + Shown(d.PathOf("sub/")) + "\xef\xbf\xbd\xef\xbf\xbd.lnk\r\n"},
             {"up.lnk", "loop1.lnk", "loop2.lnk", "zero.lnk", "fifo.lnk", "DUPLICATE",
              Location(d.PathOf("x.lnk")) + "\r\n"});
       }},
      {"WalkOfATreeNearTheLengthLimit",
       [](auto& d) {
         DeepShortcut(d, PATH_MAX - 300, "near.lnk", BuildLink(LocalLink("C:\\A.EXE")));
         DeepShortcut(d, PATH_MAX + 10, "over.lnk", BuildLink(LocalLink("C:\\B.EXE")));
         return Subject{d.Path().string(), true};
       },
       // The shortcut within the limit is audited; the folder beyond it cannot
       // be listed and is named in the message at the end.
       [](auto&) {
         return Reports({"TARGET:   C:\\A.EXE"}, {"over.lnk"},
                        {"could not be searched", "File name too long"});
       }},
      {"ShortcutDeletedBetweenListingAndAudit",
       [](auto& d) {
         d.Write("a.lnk", BuildLink(LocalLink("C:\\A.EXE")));
         d.Write("b.lnk", BuildLink(LocalLink("C:\\B.EXE")));
         return Subject{d.Path().string(), true};
       },
       [](auto& d) {
         return Reports({Location(d.PathOf("a.lnk"))}, {"b.lnk"},
                        {"1 shortcut vanished before it could be audited", d.PathOf("b.lnk")});
       }},
      {"FolderUnreadableBeforeItIsListed",
       [](auto& d) {
         d.Write("a.lnk", BuildLink(LocalLink("C:\\A.EXE")));
         fs::create_directory(d.PathOf("sub"));
         d.Write("sub/b.lnk", BuildLink(LocalLink("C:\\B.EXE")));
         return Subject{d.Path().string(), true, true};
       },
       [](auto& d) {
         return Reports({Location(d.PathOf("a.lnk"))}, {"b.lnk"},
                        {d.PathOf("sub"), "Permission denied"});
       }},
      {"FolderUnreadableAfterTheWalk",
       [](auto& d) {
         fs::create_directory(d.PathOf("sub"));
         d.Write("sub/b.lnk", BuildLink(LocalLink("C:\\B.EXE")));
         return Subject{d.PathOf("sub"), true, true};
       },
       [](auto& d) { return Fails("Permission denied", d.PathOf("sub/b.lnk")); }},
  };
  for (const auto& [size, expect] : Cuts()) {
    rows.push_back({"CutAfter" + std::to_string(size) + "Bytes", Prefix(size), expect});
  }
  return rows;
}

// What each walked row changes between listing and audit.
void ArmHook(const std::string& row, const ScratchFolder& dir, RealWindow& window) {
  const std::string top = dir.Path().string() + "/";
  if (row == "ShortcutDeletedBetweenListingAndAudit") {
    window.folders.hooked_folder = top;
    window.folders.after_listing = [&dir] { fs::remove(dir.PathOf("b.lnk")); };
  } else if (row == "FolderUnreadableBeforeItIsListed") {
    window.folders.hooked_folder = top;
    window.folders.after_listing = [&dir] { fs::permissions(dir.PathOf("sub"), fs::perms::none); };
  } else if (row == "FolderUnreadableAfterTheWalk") {
    window.folders.hooked_folder = dir.PathOf("sub") + "/";
    window.folders.after_listing = [&dir] { fs::permissions(dir.PathOf("sub"), fs::perms::none); };
  }
}

class HostileInput : public ::testing::TestWithParam<Row> {};

TEST_P(HostileInput, GivesACorrectReportOrAnErrorNamingTheFile) {
  const Row& row = GetParam();
  ScratchFolder dir;
  const Subject subject = row.make(dir);
  const Expect expect = row.expect(dir);
  const long peak_before = PeakResidentBytes();

  std::string error;
  std::string report;
  std::vector<std::string> messages;
  {
    WithoutFileOverride permissions_apply;
    if (subject.needs_no_override && !permissions_apply.Active()) {
      GTEST_SKIP() << "the system refuses to let file permissions apply to this test";
    }
    if (subject.walk) {
      RealWindow window;
      ArmHook(row.name, dir, window);
      error = window.AuditFolder(subject.path);
      report = window.model.report;
      messages = window.messages.shown;
    } else {
      // As the command line reads files (the window, above, reads them by
      // their whole paths): looked up by name in their folder, kept open.
      platform::LinuxFileServices files(/*keep_folder_open=*/true);
      RecordingMessageDialog dialog;
      const SelectionAudit audit = AuditSelection(files, dialog, {subject.path});
      error = audit.error;
      report = audit.report;
    }
  }

  // No allocation grows with the file: a 4 GiB file is read 16 MiB at most.
  EXPECT_LT(PeakResidentBytes() - peak_before, 256L << 20) << "memory grew with the input";

  if (!expect.error.empty()) {
    const std::string names = expect.error_names.empty() ? subject.path : expect.error_names;
    EXPECT_EQ(error.rfind(names + ":", 0), 0u) << "the error names the file: " << error;
    if (expect.error.starts_with(": ")) {
      EXPECT_EQ(error, names + expect.error);  // the whole message
    } else {
      EXPECT_NE(error.find(expect.error), std::string::npos) << error;
    }
    if (!subject.walk) {
      EXPECT_EQ(report, "") << "a failed audit appends nothing";
    }
  } else {
    ASSERT_EQ(error, "");
    ASSERT_FALSE(report.empty());
    // Only whole lines reach the report, and no control characters.
    for (std::size_t i = 0; i < report.size(); ++i) {
      const auto c = static_cast<unsigned char>(report[i]);
      if (c == '\r') {
        ASSERT_EQ(report[i + 1], '\n') << "at byte " << i;
      } else if (c == '\n') {
        ASSERT_EQ(report[i - 1], '\r') << "at byte " << i;
      } else {
        ASSERT_TRUE(c >= 0x20 && c != 0x7F) << "control character at byte " << i;
      }
    }
    if (!subject.walk) {
      EXPECT_NE(report.find(Location(subject.path) + "\r\n"), std::string::npos) << report;
    }
  }
  // Each expected line is found where a line starts (as a prefix of it, or
  // whole when it ends in CR LF).
  const std::string lines = "\n" + report;
  for (const std::string& line : expect.lines) {
    EXPECT_NE(lines.find("\n" + line), std::string::npos) << "missing line: " << line << "\nin:\n"
                                                          << report;
  }
  for (const std::string& text : expect.absent) {
    EXPECT_EQ(report.find(text), std::string::npos) << text << "\nin:\n" << report;
  }
  EmptyFolder(::open(dir.Path().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));

  for (const std::string& text : expect.message) {
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_NE(messages[0].find(text), std::string::npos) << messages[0];
  }
  if (expect.message.empty() && subject.walk) {
    EXPECT_EQ(messages, std::vector<std::string>{});
  }
}

INSTANTIATE_TEST_SUITE_P(Rows, HostileInput, ::testing::ValuesIn(MakeRows()),
                         [](const auto& row) { return row.param.name; });

}  // namespace
}  // namespace varnlink::test_support
