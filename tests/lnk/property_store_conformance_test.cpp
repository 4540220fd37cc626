// The forensic reading of shell items and property stores. The property-store
// block is set against what two independent decoders read from the real
// corpus (expected-forensic.jsonl); the shell items against built ID lists
// and the names expected-idlist.jsonl gives.

#include <gtest/gtest.h>

#include <filesystem>
#include <iterator>
#include <nlohmann/json.hpp>
#include <set>
#include <string>
#include <vector>

#include "lnk/shortcut_decoder.h"
#include "platform/file_time.h"
#include "tests/support/corpus_folder.h"
#include "tests/support/link_writer.h"
#include "text/text_decoder.h"

namespace varnlink::test_support {
namespace {

using nlohmann::json;

const text::Windows1252Decoder kAnsi;

// Files whose property store the peers read wrongly; the bytes settle it.
// (None so far.)
const std::set<std::string> kPeerErrors = {};

// The types the expected file lists: strings, integers, booleans, GUIDs and
// FILETIMEs.
bool Listed(std::uint16_t type) {
  static const std::set<std::uint16_t> kListed = {0x02, 0x03, 0x08, 0x0B, 0x10, 0x11, 0x12, 0x13,
                                                  0x14, 0x15, 0x16, 0x17, 0x1F, 0x40, 0x48};
  return kListed.contains(type);
}

// A FILETIME with all seven fractional digits.
std::string PreciseTime(platform::FileTime time) {
  std::string text = platform::IsoUtcText(time);
  const std::string fraction = std::to_string(10'000'000 + time.ticks % 10'000'000).substr(1);
  return text.insert(text.size() - 1, "." + fraction);
}

json AsExpected(const std::vector<lnk::Property>& properties) {
  json list = json::array();
  for (const lnk::Property& p : properties) {
    if (!Listed(p.type)) continue;
    json row = {{"format_id", p.format_id}, {"type", p.type}};
    if (const auto* id = std::get_if<std::uint32_t>(&p.id)) {
      row["id"] = *id;
    } else {
      row["id"] = std::get<std::string>(p.id);
    }
    std::visit(
        [&row](const auto& value) {
          using T = std::decay_t<decltype(value)>;
          if constexpr (std::is_same_v<T, std::monostate>) {
            row["value"] = nullptr;
          } else if constexpr (std::is_same_v<T, platform::FileTime>) {
            row["value"] = PreciseTime(value);
          } else {
            row["value"] = value;
          }
        },
        p.value);
    list.push_back(std::move(row));
  }
  return list;
}

TEST(PropertyStoreConformance, CorpusBlocksMatchThePeerDecoders) {
  const std::filesystem::path dir = CorpusFolder();
  const std::filesystem::path expected = dir / "expected-forensic.jsonl";
  if (!std::filesystem::exists(expected)) {
    GTEST_SKIP() << "real shortcut corpus not found at " << dir.string()
                 << " (expected-forensic.jsonl absent); set VARNLINK_CORPUS_DIR to run this test";
  }
  int files = 0;
  int disagreements = 0;
  int with_properties = 0;
  for (const std::string& line : CorpusLines(expected)) {
    const json row = json::parse(line);
    const std::string file = row["file"].get<std::string>();
    ++files;
    std::optional<std::vector<lnk::Property>> store;
    try {
      store = lnk::Decode(CorpusBytes(dir / Utf8Path(file)), kAnsi, lnk::Detail::kRecord).property_store;
    } catch (const lnk::DecodeError&) {
    }
    const json want = row["properties"];
    if (want.is_array() && !want.empty()) ++with_properties;
    const json got = store ? AsExpected(*store) : json();
    const bool agrees = want.is_null() ? !store || got.empty() : got == want;
    if (agrees || kPeerErrors.contains(file)) continue;
    ++disagreements;
    ADD_FAILURE() << file << "\n  expected " << want.dump() << "\n  read     " << got.dump();
  }
  EXPECT_GT(files, 600);
  EXPECT_GT(with_properties, 300);
  EXPECT_EQ(disagreements, 0);
}

// Real links whose target lies in the ID list: the last item names what the
// peers read as the target.
TEST(PropertyStoreConformance, CorpusShellItemsNameTheTargetsThePeersRead) {
  const std::filesystem::path dir = CorpusFolder();
  const std::filesystem::path expected = dir / "expected-idlist.jsonl";
  if (!std::filesystem::exists(expected)) {
    GTEST_SKIP() << "real shortcut corpus not found at " << dir.string()
                 << " (expected-idlist.jsonl absent); set VARNLINK_CORPUS_DIR to run this test";
  }
  int checked = 0;
  for (const std::string& line : CorpusLines(expected)) {
    const json row = json::parse(line);
    const std::string kind = row["class"].get<std::string>();
    const std::string target = row["expected_target"].get<std::string>();
    if (kind != "fs_path" && kind != "uri") continue;
    const std::string file = row["file"].get<std::string>();
    const lnk::ShortcutInfo info = lnk::Decode(CorpusBytes(dir / Utf8Path(file)), kAnsi, lnk::Detail::kRecord);
    ASSERT_TRUE(info.id_list && !info.id_list->items.empty()) << file;
    const lnk::ShellItem& last = info.id_list->items.back();
    if (kind == "uri") {
      EXPECT_EQ(last.type, "uri") << file;
      EXPECT_EQ(last.name.value_or(""), target) << file;
    } else if (last.type == "file" || last.type == "folder") {
      const std::string leaf = target.substr(target.find_last_of('\\') + 1);
      EXPECT_EQ(last.long_name.value_or(last.name.value_or("")), leaf) << file;
      EXPECT_EQ(info.id_list->items.front().type, "root") << file;
    }
    ++checked;
  }
  EXPECT_GT(checked, 0);
}

// Built ID lists: every item's kind and names, and a file entry's MFT
// reference and FAT times.
TEST(ShellItemReading, ItemsOfBuiltLists) {
  Bytes file = FileEntryItem({.primary_name = "REPORT~1.DOC",
                              .long_name = "Report 2024.docx",
                              .folder = false,
                              .version = 9});
  // Item positions less 2 (the body has no size): modified at 8; the
  // extension at 14 + the 14-byte padded name, its created at 8, accessed
  // at 12 and the file reference at 20.
  const std::size_t block = 14 + 14 - 2;
  const auto put32 = [&file](std::size_t at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) file[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
  };
  put32(8 - 2, 0x6B5A'5821);          // 2024-01-01 13:26:52 (date 0x5821, time 0x6B5A)
  put32(block + 8, 0x0000'5821);      // 2024-01-01 00:00:00
  put32(block + 12, 0x1234'0000);     // no date: null
  put32(block + 20, 0x0001'2345);     // entry 0x0003'00012345 (48 bits)
  put32(block + 24, 0x0007'0003);     // sequence 7

  ShellLink link;
  link.id_list = std::vector<Bytes>{RootItem(kComputerClsid), VolumeItem("C:\\"), file,
                                    UriItem("https://example.org/"), CategoryItem(3),
                                    Bytes{0x7A, 0x00, 0x01}};
  const lnk::ShortcutInfo info = lnk::Decode(BuildLink(link), kAnsi, lnk::Detail::kRecord);
  ASSERT_TRUE(info.id_list);
  const auto& items = info.id_list->items;
  ASSERT_EQ(items.size(), 6u);
  struct Row {
    std::string type;
    std::optional<std::string> name;
  };
  const Row rows[] = {{"root", std::string(kComputerClsid)},
                      {"volume", "C:\\"},
                      {"file", "REPORT~1.DOC"},
                      {"uri", "https://example.org/"},
                      {"control_panel_category", "3"},
                      {"0x7A", std::nullopt}};
  for (std::size_t i = 0; i < items.size(); ++i) {
    EXPECT_EQ(items[i].type, rows[i].type) << i;
    EXPECT_EQ(items[i].name, rows[i].name) << i;
  }
  EXPECT_EQ(items[2].long_name, "Report 2024.docx");
  EXPECT_EQ(items[2].mft_entry, 0x0003'0001'2345ULL);
  EXPECT_EQ(items[2].mft_sequence, 7);
  ASSERT_TRUE(items[2].modified && items[2].created);
  EXPECT_EQ(platform::IsoUtcText(*items[2].modified), "2024-01-01T13:26:52Z");
  EXPECT_EQ(platform::IsoUtcText(*items[2].created), "2024-01-01T00:00:00Z");
  EXPECT_FALSE(items[2].accessed);
}

// An item inconsistent inside keeps what could be read, and the items
// before it; the record is not stopped.
TEST(ShellItemReading, BrokenItemKeepsWhatWasRead) {
  Bytes file = FileEntryItem({.primary_name = "A", .long_name = "Alpha", .folder = true});
  file[file.size() - 2] = 0xF0;  // the extension's offset leaves the item
  ShellLink link;
  link.id_list = std::vector<Bytes>{RootItem(kComputerClsid), file, VolumeItem("D:\\")};
  const lnk::ShortcutInfo info = lnk::Decode(BuildLink(link), kAnsi, lnk::Detail::kRecord);
  ASSERT_TRUE(info.id_list);
  EXPECT_FALSE(info.id_list->holds_together);
  const auto& items = info.id_list->items;
  ASSERT_EQ(items.size(), 3u);
  EXPECT_EQ(items[1].type, "folder");
  EXPECT_FALSE(items[1].name);
  EXPECT_EQ(items[2].name, "D:\\");
}

}  // namespace
}  // namespace varnlink::test_support
