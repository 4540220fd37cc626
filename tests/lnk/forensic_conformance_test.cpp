// Real-corpus conformance of the forensic fields: every file of
// ../shared/corpus is decoded, and what the header, the link info and the
// extra-data blocks hold must agree with what two independent decoders read
// (expected-forensic.jsonl). Values are compared as the decoder keeps them,
// not as records name them. Every disagreement is listed.

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <iterator>
#include <nlohmann/json.hpp>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "lnk/shortcut_decoder.h"
#include "report/forensic_names.h"
#include "tests/support/corpus_folder.h"
#include "text/text_decoder.h"

namespace varnlink::test_support {
namespace {

using nlohmann::json;

// Files and fields where the bytes show the peers wrong; each with the reason.
const std::set<std::pair<std::string, std::string>> kPeersWrong = {};

template <typename T>
json Maybe(const std::optional<T>& value) {
  return value ? json(*value) : json(nullptr);
}

std::string Hex8(std::uint32_t value) {
  char text[9];
  std::snprintf(text, sizeof text, "%08X", value);
  return text;
}

// The fields of `info` as the corpus writes them, by the corpus's names.
json FieldsOf(const lnk::ShortcutInfo& info, std::uintmax_t file_size) {
  json got = json::object();
  got["link_flags"] = info.genuine ? json(info.link_flags) : json(nullptr);
  const auto& header = info.header;
  got["file_attributes"] = header ? json(header->file_attributes) : json(nullptr);
  got["target_size"] = header ? json(header->target_size) : json(nullptr);
  got["icon_index"] = header ? json(header->icon_index) : json(nullptr);
  got["show_command"] = header ? json(header->show_command) : json(nullptr);

  const lnk::LinkInfoParts parts = info.link_info_parts.value_or(lnk::LinkInfoParts{});
  got["drive_type"] = Maybe(parts.drive_type);
  got["drive_serial"] = parts.drive_serial ? json(Hex8(*parts.drive_serial)) : json(nullptr);
  got["volume_label"] = Maybe(parts.volume_label);
  got["local_base_path"] = Maybe(parts.local_base_path);
  got["common_path_suffix"] = Maybe(parts.common_path_suffix);
  got["net_name"] = Maybe(parts.network_share);
  got["device_name"] = Maybe(parts.network_device);
  got["provider_type"] = Maybe(parts.network_provider);

  const lnk::ExtraBlocks* blocks = info.extra_blocks ? &*info.extra_blocks : nullptr;
  const lnk::TrackerData* tracker = blocks && blocks->tracker ? &*blocks->tracker : nullptr;
  got["machine_id"] = tracker ? json(tracker->machine_id) : json(nullptr);
  got["droid_volume"] = tracker ? json(tracker->droid_volume) : json(nullptr);
  got["droid_file"] = tracker ? json(tracker->droid_file) : json(nullptr);
  got["birth_droid_volume"] = tracker ? json(tracker->birth_droid_volume) : json(nullptr);
  got["birth_droid_file"] = tracker ? json(tracker->birth_droid_file) : json(nullptr);
  got["mac"] = tracker && tracker->mac ? json(report::MacText(*tracker->mac)) : json(nullptr);
  got["droid_time"] = tracker && tracker->droid_time
                          ? json(report::PreciseUtcText(*tracker->droid_time))
                          : json(nullptr);
  got["known_folder"] = blocks ? Maybe(blocks->known_folder) : json(nullptr);
  got["special_folder"] = blocks ? Maybe(blocks->special_folder) : json(nullptr);
  got["console_codepage"] = Maybe(info.console_code_page);
  got["darwin"] = blocks && blocks->darwin ? json(blocks->darwin->descriptor) : json(nullptr);
  got["shim_layer"] = blocks ? Maybe(blocks->shim_layer) : json(nullptr);
  got["extra_blocks"] = nullptr;
  if (blocks) {
    got["extra_blocks"] = json::array();
    for (const std::uint32_t signature : blocks->signatures)
      got["extra_blocks"].push_back(Hex8(signature));
  }
  got["overlay_offset"] = nullptr;
  got["overlay_size"] = nullptr;
  if (blocks && blocks->terminal_end && *blocks->terminal_end < file_size) {
    got["overlay_offset"] = *blocks->terminal_end;
    got["overlay_size"] = file_size - *blocks->terminal_end;
  }
  return got;
}

TEST(ForensicConformance, EveryFieldAgreesWithThePeerDecoders) {
  const std::filesystem::path dir = CorpusFolder();
  const std::filesystem::path expected = dir / "expected-forensic.jsonl";
  if (!std::filesystem::exists(expected)) {
    GTEST_SKIP() << "real shortcut corpus not found at " << dir.string()
                 << " (expected-forensic.jsonl absent); set VARNLINK_CORPUS_DIR to run this test";
  }
  const text::Windows1252Decoder ansi;

  int files = 0, agreeing = 0, disagreements = 0, excepted = 0;
  for (const std::string& line : CorpusLines(expected)) {
    const json row = json::parse(line);
    const std::string file = row["file"].get<std::string>();
    const auto path = dir / Utf8Path(file);
    const std::vector<std::uint8_t> bytes = CorpusBytes(path);
    ++files;
    json got;
    try {
      got = FieldsOf(lnk::Decode(bytes, ansi, lnk::Detail::kRecord), bytes.size());
    } catch (const std::exception& e) {
      ++disagreements;
      ADD_FAILURE() << file << ": not decoded: " << e.what();
      continue;
    }
    bool agrees = true;
    for (const auto& [field, value] : got.items()) {
      const json& want = row.at(field);
      if (want == value) continue;
      if (kPeersWrong.contains({file, field})) {
        ++excepted;
        continue;
      }
      agrees = false;
      ++disagreements;
      ADD_FAILURE() << file << ": " << field << "\n  expected: " << want.dump()
                    << "\n  got:      " << value.dump();
    }
    agreeing += agrees ? 1 : 0;
  }
  std::cout << "[ forensic ] " << agreeing << " of " << files << " files agree on every field; "
            << disagreements << " disagreement(s), " << excepted
            << " where the bytes show the peers wrong\n";
  EXPECT_GT(files, 0) << "expected-forensic.jsonl lists no file";
}

}  // namespace
}  // namespace varnlink::test_support
