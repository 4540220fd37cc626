#include "platform/win32/win32_folder_listing.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <system_error>

#include "platform/file_services.h"
#include "tests/support/scratch_folder.h"
#include "tests/win32/win32_test_files.h"

namespace varnlink::platform {
namespace {

using test_support::ScratchFolder;
using namespace varnlink::win32_test;

std::vector<std::string> NamesOf(const std::vector<FolderEntry>& entries) {
  std::vector<std::string> names;
  for (const auto& entry : entries) names.push_back(entry.name);
  return names;
}

const FolderEntry* Find(const std::vector<FolderEntry>& entries, const std::string& name) {
  const auto it = std::find_if(entries.begin(), entries.end(),
                               [&](const FolderEntry& e) { return e.name == name; });
  return it == entries.end() ? nullptr : &*it;
}

struct EntryCase {
  const char* name;
  bool folder;
  DWORD attributes;
  bool listed;
};

TEST(Win32FolderListing, LeavesOutHiddenAndSystemEntries) {
  const EntryCase cases[] = {
      {"normal.lnk", false, FILE_ATTRIBUTE_ARCHIVE, true},
      {"read only.lnk", false, FILE_ATTRIBUTE_READONLY, true},
      {"hidden.lnk", false, FILE_ATTRIBUTE_HIDDEN, false},
      {"system.lnk", false, FILE_ATTRIBUTE_SYSTEM, false},
      {"hidden system.lnk", false, FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM, false},
      {"sub", true, FILE_ATTRIBUTE_DIRECTORY, true},
      {"hidden sub", true, FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN, false},
      {"system sub", true, FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_SYSTEM, false},
  };
  const ScratchFolder folder;
  for (const auto& c : cases) {
    const std::string path = folder.PathOf(c.name);
    ASSERT_TRUE(c.folder ? MakeFolder(path) : MakeFile(path)) << path;
    ASSERT_TRUE(SetAttributes(path, c.attributes)) << path;
  }
  const auto entries = Win32FolderListing().List(folder.PathOf(""));
  for (const auto& c : cases) {
    const FolderEntry* entry = Find(entries, c.name);
    EXPECT_EQ(entry != nullptr, c.listed) << c.name;
    if (entry == nullptr) continue;
    EXPECT_EQ(entry->kind, c.folder ? EntryKind::kFolder : EntryKind::kRegularFile) << c.name;
    EXPECT_EQ((entry->attributes & kFolder) != 0, c.folder) << c.name;
    EXPECT_EQ((entry->attributes & kReadOnly) != 0,
              (c.attributes & FILE_ATTRIBUTE_READONLY) != 0) << c.name;
  }
  SetAttributes(folder.PathOf("read only.lnk"), FILE_ATTRIBUTE_NORMAL);
}

// "." and ".." come first inside a folder, and alone in an empty one.
TEST(Win32FolderListing, YieldsTheDotEntriesFirstInsideAFolder) {
  const ScratchFolder folder;
  EXPECT_EQ(NamesOf(Win32FolderListing().List(folder.PathOf(""))),
            (std::vector<std::string>{".", ".."}));
  ASSERT_TRUE(MakeFile(folder.PathOf("a.lnk")));
  EXPECT_EQ(NamesOf(Win32FolderListing().List(folder.PathOf(""))),
            (std::vector<std::string>{".", "..", "a.lnk"}));
}

TEST(Win32FolderListing, YieldsNoDotEntriesAtADriveRoot) {
  const auto names = NamesOf(Win32FolderListing().List("C:\\"));
  EXPECT_FALSE(names.empty());
  EXPECT_EQ(std::count(names.begin(), names.end(), "."), 0);
  EXPECT_EQ(std::count(names.begin(), names.end(), ".."), 0);
}

TEST(Win32FolderListing, ListsWhatIsNoFolderAsEmpty) {
  const ScratchFolder folder;
  const std::string file = folder.PathOf("file.lnk");
  ASSERT_TRUE(MakeFile(file));
  const Win32FolderListing listing;
  EXPECT_TRUE(listing.List(file + "\\").empty());
  EXPECT_TRUE(listing.List(folder.PathOf("missing") + "\\").empty());
  EXPECT_FALSE(listing.IsFolder(file));
  EXPECT_FALSE(listing.IsFolder(folder.PathOf("missing")));
  EXPECT_TRUE(listing.IsFolder(folder.PathOf("")));
}

TEST(Win32FolderListing, ListsNamesInAnyScript) {
  const ScratchFolder folder;
  const std::vector<std::string> names = {"caf\xC3\xA9.lnk", "\xE6\x97\xA5\xE6\x9C\xAC.lnk",
                                          "smile \xF0\x9F\x98\x80.lnk", "ends in dot."};
  std::vector<RemovedAtEnd> removals;
  for (const auto& name : names) {
    removals.push_back(RemovedAtEnd{folder.PathOf(name)});
    ASSERT_TRUE(MakeFile(folder.PathOf(name))) << name;
  }
  const auto entries = Win32FolderListing().List(folder.PathOf(""));
  for (const auto& name : names) {
    EXPECT_NE(Find(entries, name), nullptr) << name;
  }
}

TEST(Win32FolderListing, ListsAFolderBeyondMaxPath) {
  const ScratchFolder folder;
  std::string path = folder.PathOf("");
  while (path.size() < 300) {
    path += std::string(40, 'd') + "\\";
    ASSERT_TRUE(MakeFolder(path)) << path;
  }
  ASSERT_TRUE(MakeFile(path + "deep.lnk"));
  const auto names = NamesOf(Win32FolderListing().List(path));
  EXPECT_EQ(names, (std::vector<std::string>{".", "..", "deep.lnk"}));
}

TEST(Win32FolderListing, NamesDrivesByLetterAndLabel) {
  const Win32FolderListing listing;
  const auto drives = listing.Drives();
  const auto c = std::find_if(drives.begin(), drives.end(),
                              [](const std::string& d) { return d.rfind("c:", 0) == 0; });
  ASSERT_NE(c, drives.end());
  EXPECT_TRUE(*c == "c:" || (c->size() > 5 && c->substr(2, 2) == " [" && c->back() == ']')) << *c;
  EXPECT_EQ(listing.DriveRoot(*c), "C:\\");
  EXPECT_EQ(listing.DriveRoot("z: [DATA]"), "Z:\\");
}

TEST(Win32FolderListing, GivesTheCurrentFolderWithoutATrailingSeparator) {
  const ScratchFolder folder;
  wchar_t previous[MAX_PATH] = {};
  GetCurrentDirectoryW(MAX_PATH, previous);
  ASSERT_TRUE(SetCurrentDirectoryW(Utf8ToWide(folder.PathOf("")).c_str()));
  const std::string current = Win32FolderListing().CurrentFolder();
  SetCurrentDirectoryW(previous);
  EXPECT_EQ(current + "\\", folder.PathOf(""));
}

}  // namespace
}  // namespace varnlink::platform
