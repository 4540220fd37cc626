#include "audit/folder_walk.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>

#include "platform/linux/linux_folder_listing.h"
#include "tests/support/scratch_folder.h"
#include "tests/support/fake_folder_listing.h"

namespace varnlink::audit {
namespace {

using platform::EntryKind;
using test_support::FakeFolderListing;
using Paths = std::vector<std::string>;

// Every path the walk of `folder` hands on, in order.
Paths WalkAll(FolderWalk& walk, const std::string& folder, bool subfolders) {
  Paths found;
  walk.Walk(folder, subfolders, [&](const std::string& path) {
    found.push_back(path);
    return true;
  });
  return found;
}

TEST(FolderWalk, FindsShortcutsDepthFirstInListingOrder) {
  FakeFolderListing folders('/');
  folders.AddFile("/r/", "b.lnk");
  folders.AddFolder("/r/", "Sub");
  folders.AddFile("/r/Sub/", "x.lnk");
  folders.AddFolder("/r/Sub/", "Deeper");
  folders.AddFile("/r/Sub/Deeper/", "y.lnk");
  folders.AddFile("/r/Sub/", "w.lnk");
  folders.AddFile("/r/", "a.lnk");
  FolderWalk walk(folders, '/');
  EXPECT_EQ(WalkAll(walk, "/r/", true),
            (Paths{"/r/b.lnk", "/r/Sub/x.lnk", "/r/Sub/Deeper/y.lnk", "/r/Sub/w.lnk", "/r/a.lnk"}));
  EXPECT_TRUE(walk.Skipped().empty());
}

struct EntryCase {
  const char* why;
  platform::FolderEntry entry;
  bool audited;
};

// Names each row in test output.
void PrintTo(const EntryCase& c, std::ostream* out) { *out << c.why; }

class FolderWalkEntries : public ::testing::TestWithParam<EntryCase> {};

TEST_P(FolderWalkEntries, AuditsRegularFilesEndingInLnkWhateverTheirCase) {
  FakeFolderListing folders('\\');
  folders.AddEntry("C:\\D\\", GetParam().entry);
  FolderWalk walk(folders, '\\');
  const Paths expected =
      GetParam().audited ? Paths{"C:\\D\\" + GetParam().entry.name} : Paths{};
  EXPECT_EQ(WalkAll(walk, "C:\\D\\", true), expected) << GetParam().why;
}

INSTANTIATE_TEST_SUITE_P(
    Names, FolderWalkEntries,
    ::testing::Values(
        EntryCase{"plain shortcut", {"Notepad.lnk", 32, EntryKind::kRegularFile}, true},
        EntryCase{"extension in capitals", {"OLD.LNK", 32, EntryKind::kRegularFile}, true},
        EntryCase{"mixed case", {"Mixed.Lnk", 32, EntryKind::kRegularFile}, true},
        EntryCase{"no attribute marks at all", {"bare.lnk", 0, EntryKind::kRegularFile}, true},
        EntryCase{".lnk inside the name", {"notes.lnk.txt", 32, EntryKind::kRegularFile}, false},
        EntryCase{"ends in lnk without the dot", {"alnk", 32, EntryKind::kRegularFile}, false},
        EntryCase{"a folder named like a shortcut", {"x.lnk", 16, EntryKind::kFolder}, false},
        EntryCase{"neither file nor folder", {"pipe.lnk", 4, EntryKind::kOther}, false}));

class FolderWalkListings : public ::testing::TestWithParam<std::pair<bool, Paths>> {};

// Files are never listed as if they were folders, "." and ".." never lead
// anywhere, and without sub-folders only the folder itself is listed.
TEST_P(FolderWalkListings, ListsOnlyTheFoldersItSearches) {
  FakeFolderListing folders('/');
  folders.AddEntry("/r/", {".", 16, EntryKind::kFolder});
  folders.AddEntry("/r/", {"..", 16, EntryKind::kFolder});
  folders.AddFile("/r/", "a.lnk");
  folders.AddFolder("/r/", "Sub");
  folders.AddFile("/r/Sub/", "b.lnk");
  FolderWalk walk(folders, '/');
  WalkAll(walk, "/r/", GetParam().first);
  EXPECT_EQ(folders.listed, GetParam().second);
}

INSTANTIATE_TEST_SUITE_P(Subfolders, FolderWalkListings,
                         ::testing::Values(std::pair{true, Paths{"/r/", "/r/Sub/"}},
                                           std::pair{false, Paths{"/r/"}}));

TEST(FolderWalk, PassesOverSubFoldersItCannotListAndGoesOn) {
  FakeFolderListing folders('/');
  folders.AddFile("/r/", "a.lnk");
  folders.AddFolder("/r/", "Locked");
  folders.Fail("/r/Locked/", EACCES);
  folders.AddFolder("/r/", "Open");
  folders.AddFile("/r/Open/", "b.lnk");
  folders.AddFolder("/r/Open/", "Gone");
  folders.Fail("/r/Open/Gone/", EIO);
  folders.AddFile("/r/", "c.lnk");
  FolderWalk walk(folders, '/');
  EXPECT_EQ(WalkAll(walk, "/r/", true), (Paths{"/r/a.lnk", "/r/Open/b.lnk", "/r/c.lnk"}));
  ASSERT_EQ(walk.Skipped().size(), 2u);
  EXPECT_EQ(walk.Skipped()[0].folder, "/r/Locked/");
  EXPECT_EQ(walk.Skipped()[0].reason, std::generic_category().message(EACCES));
  EXPECT_EQ(walk.Skipped()[1].folder, "/r/Open/Gone/");
}

TEST(FolderWalk, AnErrorOnTheStartingFolderEndsTheWalkNamingIt) {
  FakeFolderListing folders('/');
  folders.Fail("/r/", EIO);
  for (const std::string folder : {"/r/", "/missing/"}) {
    FolderWalk walk(folders, '/');
    try {
      WalkAll(walk, folder, true);
      ADD_FAILURE() << folder << ": expected an error";
    } catch (const std::runtime_error& e) {
      EXPECT_EQ(std::string(e.what()).rfind(folder + ": ", 0), 0u) << e.what();
    }
  }
}

TEST(FolderWalk, StopsTheMomentItsVisitorSaysSo) {
  FakeFolderListing folders('/');
  for (int i = 0; i < 5; ++i) folders.AddFile("/r/", std::to_string(i) + ".lnk");
  folders.AddFolder("/r/", "Sub");
  FolderWalk walk(folders, '/');
  std::size_t visits = 0;
  EXPECT_FALSE(walk.Walk("/r/", true, [&](const std::string&) { return ++visits < 4; }));
  EXPECT_EQ(visits, 4u);
  EXPECT_EQ(folders.listed, (Paths{"/r/"}));
}

// --- real folders

class FolderWalkOnDisk : public ::testing::Test {
 protected:
  std::string Make(const std::string& relative) {
    const auto path = scratch.Path() / relative;
    std::filesystem::create_directories(path.parent_path());
    test_support::WriteFileBytes(path, {0x4C, 0, 0, 0});
    return path.string();
  }
  std::string Root() const { return scratch.Path().string() + "/"; }
  Paths Walk(bool subfolders) {
    FolderWalk walk(listing, '/');
    return WalkAll(walk, Root(), subfolders);
  }

  test_support::ScratchFolder scratch;
  platform::LinuxFolderListing listing;
};

TEST_F(FolderWalkOnDisk, FindsWhatAUserSeesAndSkipsHiddenSystemAndLookalikes) {
  const std::string a = Make("a.lnk");
  const std::string old = Make("Sub/OLD.LNK");
  const std::string deep = Make("Sub/Deeper/deep.lnk");
  Make("notes.lnk.txt");
  Make(".hidden.lnk");
  Make(".HiddenFolder/inside.lnk");
  std::filesystem::create_directories(scratch.Path() / "folder.lnk");
  Make("folder.lnk/inner.lnk");
  const std::string inner = Root() + "folder.lnk/inner.lnk";
  ASSERT_EQ(::mkfifo((Root() + "pipe.lnk").c_str(), 0600), 0);
  std::filesystem::create_directory_symlink(scratch.Path(), scratch.Path() / "Sub" / "loop");
  std::filesystem::create_symlink(scratch.Path() / "a.lnk", scratch.Path() / "alias.lnk");
  const std::string alias = Root() + "alias.lnk";

  // Depth first, each folder in the order Windows lists it: by name, case
  // ignored ("Deeper" before "OLD.LNK"), "a.lnk" before "alias.lnk".
  EXPECT_EQ(Walk(true), (Paths{a, alias, inner, deep, old}));
  EXPECT_EQ(Walk(false), (Paths{a, alias}));
}

}  // namespace
}  // namespace varnlink::audit
