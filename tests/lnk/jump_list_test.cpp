// Jump lists that do not hold together, and empty ones, through the public
// readers: each gives what can be read and at most one error, naming the
// cause; never a crash, a hang or an allocation the file does not back.

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "lnk/app_ids.h"
#include "lnk/jump_list.h"
#include "tests/support/compound_file_writer.h"
#include "tests/support/link_writer.h"

namespace varnlink::test_support {
namespace {

// A DestList of version 4 declaring `declared` entries, holding entries for
// `numbers` with the path "C:\x".
Bytes DestListOf(std::uint32_t declared, const std::vector<std::uint32_t>& numbers) {
  Bytes list;
  PutU32(list, 0, 4);          // version
  PutU32(list, 4, declared);   // entries
  PutU32(list, 28, 0);         // the header's 32 bytes
  for (const std::uint32_t number : numbers) {
    Bytes entry(130, 0);
    PutChars(entry, 72, "HOST");  // NetBIOS name
    PutU32(entry, 88, number);
    PutU64(entry, 100, 133'000'000'000'000'000ULL);  // last used
    PutU32(entry, 108, 0xFFFFFFFF);                  // not pinned
    PutU32(entry, 116, 3);                           // access count
    PutU16(entry, 128, 4);                           // path length in characters
    AppendBytes(entry, ToUtf16Le("C:\\x"));
    AppendU32(entry, 0);                             // no property store follows
    AppendBytes(list, entry);
  }
  return list;
}

Bytes Link() { return BuildLink(LocalLink("C:\\A.EXE")); }
const Bytes kClassId = GuidBytes("{00021401-0000-0000-C000-000000000046}");
const Bytes kFooter = {0xAB, 0xFB, 0xBF, 0xBA};

// A custom list of one task category declaring `declared` shortcuts.
Bytes TaskList(std::uint32_t declared, int links, bool trailing_link) {
  Bytes list;
  AppendU32(list, 2);  // version
  AppendU32(list, 1);  // categories
  AppendU32(list, 0);
  AppendU32(list, 2);  // user tasks
  AppendU32(list, declared);
  for (int i = 0; i < links; ++i) AppendBytes(list, Concat({kClassId, Link()}));
  AppendBytes(list, kFooter);
  if (trailing_link) AppendBytes(list, Concat({kClassId, Link()}));
  return list;
}

// A compound file of a DestList for entries 1 and 2 and their streams, the
// second of 4096 bytes or more (so in sectors of its own), damaged by `harm`.
Bytes Automatic(const std::function<void(CompoundFileImage&)>& harm) {
  Bytes big = Link();
  big.resize(5000, 0);
  CompoundFileImage image = WriteCompoundFile({{"DestList", DestListOf(2, {1, 2})}, {"1", Link()}, {"2", big}});
  harm(image);
  return image.bytes;
}

struct Row {
  const char* name;
  Bytes bytes;
  bool custom;
  std::size_t readable;  // entries with bytes
  std::size_t entries;
  std::string error;     // part of the one error; "" for none
};

std::vector<Row> Rows() {
  const auto sound = [](CompoundFileImage&) {};
  return {
      {"a sound automatic list", Automatic(sound), false, 2, 2, ""},
      {"an empty DestList", WriteCompoundFile({{"DestList", {}}}).bytes, false, 0, 0, ""},
      {"only a root entry", WriteCompoundFile({}).bytes, false, 0, 0, ""},
      {"an empty custom list", Bytes{2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}, true, 0, 0, ""},
      {"a file cut short inside a stream", Automatic([](CompoundFileImage& f) { f.bytes.resize(f.bytes.size() - 600); }),
       false, 1, 2, "cut short: its FAT chain of stream 2 reaches past its end"},
      {"a header cut short", Bytes(300, 0xD0), false, 0, 0, "header needs 512 bytes"},
      {"a FAT chain that loops", Automatic([](CompoundFileImage& f) {
         PutU32(f.bytes, f.fat_at + 4 * (f.first_sector[2] + 1), f.first_sector[2]);
       }), false, 1, 2, "FAT chain of stream 2 loops"},
      {"a FAT chain that leaves the file", Automatic([](CompoundFileImage& f) {
         PutU32(f.bytes, f.fat_at + 4 * f.first_sector[2], 1000);
       }), false, 1, 2, "FAT chain of stream 2 leaves the file"},
      {"a directory entry pointing outside", Automatic([](CompoundFileImage& f) {
         PutU32(f.bytes, f.entry_at[2] + 72, 99);  // entry "1"'s right sibling
       }), false, 1, 2, "points to entry 99 outside the directory"},
      {"a huge declared stream size", Automatic([](CompoundFileImage& f) {
         PutU32(f.bytes, f.entry_at[3] + 120, 0xFFFFFF00);
       }), false, 1, 2, "stream 2 declares 4294967040 bytes, more than the file holds"},
      {"a DestList shorter than its entries", Automatic([](CompoundFileImage& f) {
         PutU32(f.bytes, f.entry_at[1] + 120, 32 + 142 + 100);
       }), false, 2, 2, "the DestList ends inside entry 2 of 2"},
      {"a DestList naming one stream twice",
       WriteCompoundFile({{"DestList", DestListOf(2, {1, 1})}, {"1", Link()}}).bytes, false, 1, 2,
       "names the stream 1 more than once"},
      {"a custom category holding fewer shortcuts than declared", TaskList(3, 1, false), true, 1, 1,
       "category 1 declares 3 shortcuts but holds 1"},
      {"a custom category holding more shortcuts than declared", TaskList(1, 2, false), true, 2, 2,
       "category 1 declares 1 shortcuts but holds 2"},
      {"a shortcut after the last category", TaskList(1, 1, true), true, 2, 2, ""},
      {"bytes after the last category that are no shortcut",
       Concat({TaskList(1, 1, false), Filled(40, 0x55)}), true, 1, 1, "40 bytes at byte"},
      {"a custom list cut short inside a category", Bytes{2, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0}, true, 0, 0,
       "ends inside its category 1"},
  };
}

TEST(JumpListReaders, GiveWhatCanBeReadAndOneErrorNamingTheCause) {
  for (const Row& row : Rows()) {
    SCOPED_TRACE(row.name);
    const lnk::JumpList list =
        row.custom ? lnk::ReadCustomDestinations(row.bytes) : lnk::ReadAutomaticDestinations(row.bytes);
    std::size_t readable = 0;
    list.ForEachShortcut([&](const lnk::JumpListEntry& entry, std::span<const std::uint8_t> link) {
      if (!entry.error) {
        EXPECT_EQ(link.size(), entry.size);
        EXPECT_EQ(link.size() >= 4 ? link[0] : 0, 0x4C) << entry.stream << " starts as a link";
        ++readable;
      }
    });
    EXPECT_EQ(readable, row.readable);
    EXPECT_EQ(list.entries.size(), row.entries);
    if (row.error.empty()) {
      EXPECT_FALSE(list.error) << *list.error;
    } else {
      ASSERT_TRUE(list.error);
      EXPECT_NE(list.error->find(row.error), std::string::npos) << *list.error;
    }
  }
}

TEST(JumpListReaders, AutomaticEntriesCarryTheirDestListEntryOrSayTheStreamIsMissing) {
  const Bytes bytes =
      WriteCompoundFile({{"DestList", DestListOf(2, {2, 1})}, {"1", Link()}, {"3", Link()}}).bytes;
  const lnk::JumpList list = lnk::ReadAutomaticDestinations(bytes);
  ASSERT_EQ(list.entries.size(), 3u);
  // Most recent first (entry 2, whose stream is missing), then entry 1, then
  // stream 3, which has no DestList entry.
  EXPECT_EQ(list.entries[0].stream, "2");
  EXPECT_EQ(list.entries[0].error, "no shortcut stream for this entry");
  EXPECT_EQ(list.entries[1].stream, "1");
  ASSERT_TRUE(list.entries[1].dest_list);
  EXPECT_EQ(list.entries[1].dest_list->mru_position, 1u);
  EXPECT_EQ(list.entries[1].dest_list->hostname, "HOST");
  EXPECT_EQ(list.entries[1].dest_list->access_count, 3u);
  EXPECT_FALSE(list.entries[1].dest_list->pinned());
  EXPECT_EQ(list.entries[1].dest_list->path, "C:\\x");
  EXPECT_EQ(list.entries[2].stream, "3");
  EXPECT_FALSE(list.entries[2].dest_list);
  EXPECT_FALSE(list.entries[2].error);
}

TEST(AppName, KnowsWellKnownAppIdsWhateverTheirCaseOrLeadingZeros) {
  EXPECT_EQ(lnk::AppName("5F7B5F1E01B83767"), "Windows Explorer Quick Access");
  EXPECT_EQ(lnk::AppName("012dc1ea8e34b5a6"), "Microsoft Paint");
  EXPECT_EQ(lnk::AppName("0123456789abcdef"), std::nullopt);
  EXPECT_EQ(lnk::AppName("not hex"), std::nullopt);
}

}  // namespace
}  // namespace varnlink::test_support
