#include "audit/folder_walk.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>

#include "platform/linux/linux_folder_listing.h"
#include "tests/support/fake_folder_listing.h"
#include "tests/support/scratch_folder.h"

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

// Regular files ending in ".lnk" in any case are audited, depth first in
// listing order; lookalikes, a folder named like a shortcut and what is
// neither file nor folder are not. Only folders are listed, "." and ".."
// never; sub-folders that cannot be listed are passed over.
TEST(FolderWalk, FindsShortcutsDepthFirstInListingOrderAndListsOnlyFolders) {
  FakeFolderListing folders('/');
  folders.AddEntry("/r/", {".", 16, EntryKind::kFolder});
  folders.AddEntry("/r/", {"..", 16, EntryKind::kFolder});
  folders.AddFile("/r/", "b.lnk");
  folders.AddFolder("/r/", "Sub");
  folders.AddFile("/r/Sub/", "x.lnk");
  folders.AddFolder("/r/Sub/", "Deeper");
  folders.AddFile("/r/Sub/Deeper/", "y.lnk");
  folders.AddFolder("/r/Sub/", "Gone");
  folders.Fail("/r/Sub/Gone/", EIO);
  folders.AddFile("/r/Sub/", "w.lnk");
  folders.AddFolder("/r/", "Locked");
  folders.Fail("/r/Locked/", EACCES);
  for (const char* name : {"OLD.LNK", "Mixed.Lnk", "notes.lnk.txt", "alnk"}) {
    folders.AddFile("/r/", name);
  }
  folders.AddFile("/r/", "bare.lnk", 0);  // no attribute marks at all
  folders.AddEntry("/r/", {"pipe.lnk", 4, EntryKind::kOther});
  folders.AddFolder("/r/", "x.lnk");
  folders.AddFile("/r/", "a.lnk");

  FolderWalk walk(folders, '/');
  EXPECT_EQ(WalkAll(walk, "/r/", true),
            (Paths{"/r/b.lnk", "/r/Sub/x.lnk", "/r/Sub/Deeper/y.lnk", "/r/Sub/w.lnk", "/r/OLD.LNK",
                   "/r/Mixed.Lnk", "/r/bare.lnk", "/r/a.lnk"}));
  EXPECT_EQ(folders.listed,
            (Paths{"/r/", "/r/Sub/", "/r/Sub/Deeper/", "/r/Sub/Gone/", "/r/Locked/", "/r/x.lnk/"}));
  ASSERT_EQ(walk.Skipped().size(), 2u);
  EXPECT_EQ(walk.Skipped()[0].folder, "/r/Sub/Gone/");
  EXPECT_EQ(walk.Skipped()[1].folder, "/r/Locked/");
  EXPECT_EQ(walk.Skipped()[1].reason, std::generic_category().message(EACCES));

  folders.listed.clear();
  FolderWalk top(folders, '/');
  EXPECT_EQ(WalkAll(top, "/r/", false),
            (Paths{"/r/b.lnk", "/r/OLD.LNK", "/r/Mixed.Lnk", "/r/bare.lnk", "/r/a.lnk"}));
  EXPECT_EQ(folders.listed, (Paths{"/r/"}));
  EXPECT_TRUE(top.Skipped().empty());
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

TEST(FolderWalkOnDisk, FindsWhatAUserSeesAndSkipsHiddenSystemAndLookalikes) {
  test_support::ScratchFolder scratch;
  const std::string root = scratch.Path().string() + "/";
  const auto make = [&](const std::string& relative) {
    std::filesystem::create_directories(std::filesystem::path(root + relative).parent_path());
    test_support::WriteFileBytes(root + relative, {0x4C, 0, 0, 0});
    return root + relative;
  };
  for (const char* other : {"notes.lnk.txt", ".hidden.lnk", ".HiddenFolder/inside.lnk"})
    make(other);
  const std::string a = make("a.lnk");
  const std::string old = make("Sub/OLD.LNK");
  const std::string deep = make("Sub/Deeper/deep.lnk");
  const std::string inner = make("folder.lnk/inner.lnk");
  ASSERT_EQ(::mkfifo((root + "pipe.lnk").c_str(), 0600), 0);
  std::filesystem::create_directory_symlink(root, root + "Sub/loop");
  std::filesystem::create_symlink(root + "a.lnk", root + "alias.lnk");

  // Depth first, each folder in the order Windows lists it: by name, case
  // ignored ("Deeper" before "OLD.LNK"), "a.lnk" before "alias.lnk".
  platform::LinuxFolderListing listing;
  FolderWalk walk(listing, '/');
  EXPECT_EQ(WalkAll(walk, root, true), (Paths{a, root + "alias.lnk", inner, deep, old}));
  EXPECT_EQ(WalkAll(walk, root, false), (Paths{a, root + "alias.lnk"}));
}

}  // namespace
}  // namespace varnlink::audit
