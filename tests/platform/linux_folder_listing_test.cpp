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

struct EntryCase {
  const char* name;
  void (*make)(const fs::path& folder, const char* name);
  std::optional<std::uint32_t> attributes;  // nullopt: left out
  EntryKind kind;
};

void File(const fs::path& folder, const char* name) {
  test_support::WriteFileBytes(folder / name, {1, 2, 3});
}
void ReadOnlyFile(const fs::path& folder, const char* name) {
  File(folder, name);
  fs::permissions(folder / name, fs::perms::owner_read | fs::perms::group_read);
}
void Folder(const fs::path& folder, const char* name) { fs::create_directory(folder / name); }
void Fifo(const fs::path& folder, const char* name) {
  ASSERT_EQ(::mkfifo((folder / name).c_str(), 0600), 0);
}
void LinkToFolder(const fs::path& folder, const char* name) {
  fs::create_directory_symlink(folder, folder / name);
}
void LinkToFile(const fs::path& folder, const char* name) {
  File(folder, "target-of-link");
  fs::create_symlink(folder / "target-of-link", folder / name);
}
void DanglingLink(const fs::path& folder, const char* name) {
  fs::create_symlink(folder / "nothing-here", folder / name);
}

TEST(LinuxFolderListing, ListsOrdinaryFilesAndFoldersAndLeavesOutHiddenAndSystem) {
  const std::vector<EntryCase> cases = {
      {"plain.lnk", File, kArchive, EntryKind::kRegularFile},
      {"readonly.lnk", ReadOnlyFile, kArchive, EntryKind::kRegularFile},
      {"Folder", Folder, kFolder, EntryKind::kFolder},
      {"alias.lnk", LinkToFile, kArchive, EntryKind::kRegularFile},
      {".hidden.lnk", File, std::nullopt, EntryKind::kOther},
      {".HiddenFolder", Folder, std::nullopt, EntryKind::kOther},
      {"pipe.lnk", Fifo, std::nullopt, EntryKind::kOther},
      {"loop", LinkToFolder, std::nullopt, EntryKind::kOther},
      {"dangling.lnk", DanglingLink, std::nullopt, EntryKind::kOther},
  };
  test_support::ScratchFolder scratch;
  for (const EntryCase& c : cases) c.make(scratch.Path(), c.name);

  const std::vector<FolderEntry> entries = LinuxFolderListing().List(scratch.Path().string() + "/");
  std::vector<std::string> order;
  for (const FolderEntry& entry : entries) order.push_back(entry.name);
  EXPECT_EQ(order, (std::vector<std::string>{".", "..", "alias.lnk", "Folder", "plain.lnk",
                                             "readonly.lnk", "target-of-link"}))
      << "dots first, then the order Windows lists an NTFS folder in";
  const auto listed = ByName(entries);
  for (const EntryCase& c : cases) {
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
  EXPECT_EQ(listing.Drives(),
            (std::vector<std::string>{"/", base + "/usb", base + "/my disk"}));
  EXPECT_EQ(listing.DriveRoot(base + "/usb"), base + "/usb/");
  EXPECT_EQ(listing.DriveRoot("/"), "/");
}

TEST(LinuxFolderListing, ReportsTheCurrentFolder) {
  EXPECT_EQ(LinuxFolderListing().CurrentFolder(), fs::current_path().string());
}

}  // namespace
}  // namespace varnlink::platform
