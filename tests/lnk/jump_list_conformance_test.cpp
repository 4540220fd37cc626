// Real jump lists (../shared/jumplists): every shortcut that independent
// readers find in them must be found here, at its size, with its target,
// arguments and DestList entry, and no other; and every file must read
// without an error.

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <map>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>

#include "lnk/jump_list.h"
#include "lnk/shortcut_decoder.h"
#include "tests/support/corpus_folder.h"
#include "text/text_decoder.h"

namespace varnlink::test_support {
namespace {

using nlohmann::json;

// GUID text without braces, lower case, as the expected rows write it.
std::string PlainGuid(std::string guid) {
  std::erase_if(guid, [](char c) { return c == '{' || c == '}'; });
  for (char& c : guid) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return guid;
}

std::optional<std::string> OptStr(const json& value) {
  if (value.is_null()) return std::nullopt;
  return value.get<std::string>();
}

struct Found {
  const lnk::JumpListEntry* entry = nullptr;
  std::optional<lnk::ShortcutInfo> info;
  std::string decode_error;
};

// What differs between an expected row and what was read; "" when nothing.
std::string Compare(const json& row, const Found& found) {
  std::ostringstream out;
  const auto check = [&](bool same, const char* field, const auto& want, const auto& got) {
    if (!same) out << "\n    " << field << ": want " << want << ", got " << got;
  };
  const lnk::JumpListEntry& entry = *found.entry;
  check(entry.size == row["stream_size"].get<std::uint64_t>(), "stream_size", row["stream_size"], entry.size);
  if (!found.info) return out.str() + "\n    decode failed: " + found.decode_error;
  const lnk::ShortcutInfo& info = *found.info;
  const std::string target = row["target"].get<std::string>();
  if (!target.empty()) check(info.target == target, "target", target, info.target);
  check(info.arguments == OptStr(row["arguments"]), "arguments", row["arguments"],
        info.arguments.value_or("null"));
  const std::string type = row["type"].get<std::string>();
  if (type == "automatic") {
    check(entry.stream == row["stream"].get<std::string>(), "stream", row["stream"], entry.stream);
    if (row["orphan"].get<bool>() || !entry.dest_list) {
      check(row["orphan"].get<bool>() == !entry.dest_list, "orphan", row["orphan"], !entry.dest_list);
      return out.str();
    }
    const lnk::DestListEntry& d = *entry.dest_list;
    check(d.entry_number == row["entry_number"].get<std::uint32_t>(), "entry_number", row["entry_number"],
          d.entry_number);
    check(d.hostname == row["hostname"].get<std::string>(), "hostname", row["hostname"], d.hostname);
    check(platform::IsoUtcText(d.last_used) == row["last_access"].get<std::string>(), "last_access",
          row["last_access"], platform::IsoUtcText(d.last_used));
    const json& want_count = row["access_count"];
    check(want_count.is_null() ? !d.access_count
                               : d.access_count.value_or(0) == want_count.get<std::uint32_t>() && d.access_count,
          "access_count", want_count, d.access_count.value_or(0));
    check(d.pin_status == row["pin_status"].get<std::int32_t>() && d.pinned() == row["pinned"].get<bool>(),
          "pin_status", row["pin_status"], d.pin_status);
    check(d.path == row["destlist_path"].get<std::string>(), "destlist_path", row["destlist_path"], d.path);
    check(d.mru_position == row["mru_position"].get<std::size_t>(), "mru_position", row["mru_position"],
          d.mru_position);
    for (const auto& [field, got] : {std::pair{"droid_volume", d.droid_volume}, {"droid_file", d.droid_file},
                                     {"birth_droid_volume", d.birth_droid_volume},
                                     {"birth_droid_file", d.birth_droid_file}}) {
      check(PlainGuid(got) == PlainGuid(row[field].get<std::string>()), field, row[field], got);
    }
  } else if (type == "custom") {
    check(entry.stream == std::to_string(row["stream"].get<int>()), "stream", row["stream"], entry.stream);
    if (!entry.category) return out.str() + "\n    no category";
    check(entry.category->index == row["category_index"].get<std::size_t>(), "category_index",
          row["category_index"], entry.category->index);
    check(entry.category->type == row["category_type"].get<std::uint32_t>(), "category_type",
          row["category_type"], entry.category->type);
    const std::string want_name = row["category_type"] == 0 ? row["category_name"].get<std::string>() : "Tasks";
    check(entry.category->name == want_name, "category_name", want_name, entry.category->name);
  } else {  // custom_trailing: after the declared categories
    check(!entry.category, "category", "none", entry.category->name);
  }
  return out.str();
}

TEST(JumpListConformance, RealJumpListsReadAsTheIndependentReadersFoundThem) {
  const std::filesystem::path dir = JumpListFolder();
  if (!std::filesystem::exists(dir / "expected.jsonl")) {
    GTEST_SKIP() << "real jump lists not found at " << dir.string()
                 << " (expected.jsonl absent); set VARNLINK_JUMPLIST_DIR to run this test";
  }
  std::map<std::string, std::vector<json>> rows_by_file;
  for (const std::string& line : CorpusLines(dir / "expected.jsonl")) {
    const json row = json::parse(line);
    rows_by_file[row["file"].get<std::string>()].push_back(row);
  }
  const text::Windows1252Decoder ansi;
  std::ostringstream faults;
  std::size_t files = 0, shortcuts = 0;
  for (const std::string& line : CorpusLines(dir / "files.jsonl")) {
    const json file = json::parse(line);
    const std::string name = file["file"].get<std::string>();
    const auto bytes = CorpusBytes(dir / name);
    const bool automatic = file["type"] == "automatic";
    const lnk::JumpList list =
        automatic ? lnk::ReadAutomaticDestinations(bytes) : lnk::ReadCustomDestinations(bytes);
    ++files;
    if (list.error) faults << "\n" << name << ": " << *list.error;
    if (automatic && file["destlist"].is_object() && file["destlist"].contains("version")) {
      if (list.dest_list_version != file["destlist"]["version"].get<std::uint32_t>()) {
        faults << "\n" << name << ": DestList version differs";
      }
    }
    // Each entry with its decoded shortcut, by stream (automatic) or offset.
    std::map<std::string, Found> found;
    list.ForEachShortcut([&](const lnk::JumpListEntry& entry, std::span<const std::uint8_t> link) {
      Found item{&entry, std::nullopt, ""};
      try {
        item.info = lnk::Decode(link, ansi);
      } catch (const lnk::DecodeError& error) {
        item.decode_error = error.what();
      }
      found[automatic ? entry.stream : std::to_string(entry.offset)] = std::move(item);
    });
    const auto& rows = rows_by_file[name];
    if (rows.size() != list.entries.size()) {
      faults << "\n" << name << ": " << list.entries.size() << " entries, expected " << rows.size();
    }
    for (const json& row : rows) {
      ++shortcuts;
      const std::string key = automatic ? row["stream"].get<std::string>() : std::to_string(row["offset"].get<std::size_t>());
      const auto hit = found.find(key);
      if (hit == found.end()) {
        faults << "\n" << name << " #" << key << ": not found";
      } else if (const std::string diff = Compare(row, hit->second); !diff.empty()) {
        faults << "\n" << name << " #" << key << ":" << diff;
      }
    }
  }
  EXPECT_GT(files, 0u);
  EXPECT_EQ(faults.str(), "") << files << " jump lists, " << shortcuts << " shortcuts expected";
}

}  // namespace
}  // namespace varnlink::test_support
