#include "platform/linux/linux_folder_listing.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <system_error>

#include "platform/file_services.h"
#include "tests/support/link_writer.h"
#include "tests/support/scratch_folder.h"

namespace varnlink::platform {
namespace {

namespace fs = std::filesystem;

std::map<std::string, FolderEntry> ByName(const std::vector<FolderEntry>& entries) {
  std::map<std::string, FolderEntry> by_name;
  for (const FolderEntry& entry : entries) by_name.emplace(entry.name, entry);
  return by_name;
}

TEST(LinuxFolderListing, ListsOrdinaryFilesAndFoldersAndLeavesOutHiddenAndSystem) {
  test_support::ScratchFolder scratch;
  const fs::path dir = scratch.Path();
  for (const char* name : {"plain.lnk", "readonly.lnk", ".hidden.lnk", "target-of-link"}) {
    test_support::WriteFileBytes(dir / name, {1, 2, 3});
  }
  fs::permissions(dir / "readonly.lnk", fs::perms::owner_read | fs::perms::group_read);
  fs::create_directory(dir / "Folder");
  fs::create_directory(dir / ".HiddenFolder");
  ASSERT_EQ(::mkfifo((dir / "pipe.lnk").c_str(), 0600), 0);
  fs::create_directory_symlink(dir, dir / "loop");
  fs::create_symlink(dir / "target-of-link", dir / "alias.lnk");
  fs::create_symlink(dir / "nothing-here", dir / "dangling.lnk");
  const struct {
    const char* name;
    std::optional<std::uint32_t> attributes;  // nullopt: left out
    EntryKind kind;
  } cases[] = {
      {"plain.lnk", kArchive, EntryKind::kRegularFile},
      {"readonly.lnk", kArchive, EntryKind::kRegularFile},
      {"Folder", kFolder, EntryKind::kFolder},
      {"alias.lnk", kArchive, EntryKind::kRegularFile},
      {".hidden.lnk", std::nullopt, EntryKind::kOther},
      {".HiddenFolder", std::nullopt, EntryKind::kOther},
      {"pipe.lnk", std::nullopt, EntryKind::kOther},
      {"loop", std::nullopt, EntryKind::kOther},
      {"dangling.lnk", std::nullopt, EntryKind::kOther},
  };

  const std::vector<FolderEntry> entries = LinuxFolderListing().List(scratch.Path().string() + "/");
  std::vector<std::string> order;
  for (const FolderEntry& entry : entries) order.push_back(entry.name);
  EXPECT_EQ(order, (std::vector<std::string>{".", "..", "alias.lnk", "Folder", "plain.lnk",
                                             "readonly.lnk", "target-of-link"}))
      << "dots first, then the order Windows lists an NTFS folder in";
  const auto listed = ByName(entries);
  for (const auto& c : cases) {
    auto found = listed.find(c.name);
    if (!c.attributes) {
      EXPECT_EQ(found, listed.end()) << c.name << " should be left out";
      continue;
    }
    ASSERT_NE(found, listed.end()) << c.name << " should be listed";
    EXPECT_EQ(found->second.attributes, *c.attributes) << c.name;
    EXPECT_EQ(found->second.kind, c.kind) << c.name;
  }
  EXPECT_TRUE(listed.contains(".") && listed.contains("..")) << "inside a folder that is not /";
}

TEST(LinuxFolderListing, ListsNoDotEntriesAtTheRootAndLeavesOutKernelFileSystems) {
  const auto root = ByName(LinuxFolderListing().List("/"));
  EXPECT_FALSE(root.contains("."));
  EXPECT_FALSE(root.contains(".."));
  std::ifstream mounts("/proc/self/mounts");
  std::string source, point, type, rest;
  bool proc_mounted = false;
  while (mounts >> source >> point >> type && std::getline(mounts, rest)) {
    proc_mounted = proc_mounted || (point == "/proc" && type == "proc");
  }
  if (!proc_mounted) GTEST_SKIP() << "/proc is not a proc mount here";
  EXPECT_FALSE(root.contains("proc")) << "/proc is a kernel file system's mount point";
}

TEST(LinuxFolderListing, ListsAPathThatIsNotAFolderAsEmpty) {
  test_support::ScratchFolder scratch;
  const std::string file = scratch.Write("a.lnk", {1});
  const LinuxFolderListing listing;
  EXPECT_TRUE(listing.List(file + "/").empty());
  EXPECT_TRUE(listing.List(scratch.PathOf("missing") + "/").empty());
  EXPECT_FALSE(listing.IsFolder(file));
  EXPECT_FALSE(listing.IsFolder(scratch.PathOf("missing")));
  EXPECT_TRUE(listing.IsFolder(scratch.Path().string()));
}

TEST(LinuxFolderListing, AFolderPathBeyondTheSystemLimitFailsNamingIt) {
  std::string folder = "/";
  while (folder.size() <= PATH_MAX) folder += std::string(200, 'x') + "/";
  try {
    (void)LinuxFolderListing().List(folder);
    FAIL() << "expected a failure";
  } catch (const std::system_error& e) {
    EXPECT_EQ(e.code().value(), ENAMETOOLONG);
    EXPECT_EQ(std::string(e.what()).rfind(folder + ": cannot list folder", 0), 0u);
  }
}

TEST(LinuxFolderListing, AFolderThatCannotBeReadFailsNamingIt) {
  if (::geteuid() == 0) GTEST_SKIP() << "root reads every folder; see the too-long path test";
  test_support::ScratchFolder scratch;
  const fs::path locked = scratch.Path() / "locked";
  fs::create_directory(locked);
  fs::permissions(locked, fs::perms::none);
  try {
    (void)LinuxFolderListing().List(locked.string() + "/");
    ADD_FAILURE() << "expected a failure";
  } catch (const std::system_error& e) {
    EXPECT_EQ(e.code().value(), EACCES);
    EXPECT_NE(std::string(e.what()).find(locked.string()), std::string::npos) << e.what();
  }
  fs::permissions(locked, fs::perms::owner_all);
}

TEST(LinuxFolderListing, OffersRealFileSystemsAsDrives) {
  test_support::ScratchFolder scratch;
  fs::create_directory(scratch.Path() / "my disk");
  fs::create_directory(scratch.Path() / "usb");
  const std::string base = scratch.Path().string();
  const std::string mounts = scratch.PathOf("mounts");
  std::ofstream(mounts) << "overlay / overlay rw 0 0\n"
                        << "proc /proc proc rw 0 0\n"
                        << "sysfs /sys sysfs rw 0 0\n"
                        << "tmpfs /dev/shm tmpfs rw 0 0\n"
                        << "/dev/sdb1 " << base << "/usb vfat rw 0 0\n"
                        << "/dev/sdb1 " << base << "/usb vfat rw 0 0\n"
                        << "/dev/sdc1 " << base << "/my\\040disk ext4 rw 0 0\n"
                        << "/dev/sdd1 " << base << "/gone ext4 rw 0 0\n";
  const LinuxFolderListing listing(mounts);
  EXPECT_EQ(listing.Drives(), (std::vector<std::string>{"/", base + "/usb", base + "/my disk"}));
  EXPECT_EQ(listing.DriveRoot(base + "/usb"), base + "/usb/");
  EXPECT_EQ(listing.DriveRoot("/"), "/");
}

}  // namespace
}  // namespace varnlink::platform
