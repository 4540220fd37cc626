#include "auditor/link_structure.h"

#include <algorithm>
#include <array>

#include "auditor/report_text.h"

namespace varnlink::auditor {
namespace {

constexpr std::array<std::uint8_t, 20> kLinkHeaderStart = {
    0x4C, 0x00, 0x00, 0x00,                          // header size
    0x01, 0x14, 0x02, 0x00, 0x00, 0x00, 0x00, 0x00,  // link class id
    0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46};

constexpr std::uint32_t kEnvironmentBlock = 0xA0000001;
constexpr std::size_t kEnvironmentBlockSize = 0x314;
constexpr std::size_t kEnvironmentAnsiBytes = 260;

// A NUL-terminated string inside [start, end): ANSI or UTF-16LE.
std::optional<std::string> TerminatedString(const ByteReader& file, std::size_t start,
                                            std::size_t end, bool unicode,
                                            const platform::FileServices& files) {
  if (unicode) {
    const auto nul = file.FindNul16(start, end);
    if (!nul) return std::nullopt;
    return Utf16LeToUtf8(file.Slice(start, *nul - start));
  }
  const auto nul = file.FindNul(start, end);
  if (!nul) return std::nullopt;
  const auto bytes = file.Slice(start, *nul - start);
  return files.AnsiToUtf8({reinterpret_cast<const char*>(bytes.data()), bytes.size()});
}

// A string field of a fixed-size block: up to its first NUL, or all of it.
std::string FixedString(const ByteReader& file, std::size_t start, std::size_t length,
                        bool unicode, const platform::FileServices& files) {
  if (auto text = TerminatedString(file, start, start + length, unicode, files)) return *text;
  const auto bytes = file.Slice(start, length);
  if (unicode) return Utf16LeToUtf8(bytes);
  return files.AnsiToUtf8({reinterpret_cast<const char*>(bytes.data()), bytes.size()});
}

// Reads one offset field of a structure at `base` and checks that it points
// inside [base, end). Offset 0 means "absent" where `optional` is set.
struct Offset {
  bool ok = false;
  std::optional<std::size_t> position;
};

Offset OffsetField(const ByteReader& file, std::size_t base, std::size_t field, std::size_t end,
                   bool zero_means_absent) {
  const auto value = file.U32(base + field);
  if (!value) return {};
  if (*value == 0 && zero_means_absent) return {true, std::nullopt};
  const std::size_t position = base + *value;
  if (*value >= end - base) return {};
  return {true, position};
}

// The target path held by the link info at [start, start + size), or "" when
// it names none. nullopt when its offsets or paths do not hold together.
std::optional<std::string> LinkInfoTarget(const ByteReader& file, std::size_t start,
                                          std::size_t size, const platform::FileServices& files) {
  const std::size_t end = start + size;
  const auto header_size = file.U32(start + 4);
  const auto info_flags = file.U32(start + 8);
  if (!header_size || !info_flags || *header_size < 0x1C || *header_size > size) {
    return std::nullopt;
  }
  const bool has_unicode_offsets = *header_size >= 0x24;

  auto path_at = [&](std::size_t field, bool unicode) -> std::optional<std::optional<std::string>> {
    const Offset offset = OffsetField(file, start, field, end, true);
    if (!offset.ok) return std::nullopt;
    if (!offset.position) return std::optional<std::string>{};
    auto text = TerminatedString(file, *offset.position, end, unicode, files);
    if (!text) return std::nullopt;
    return std::optional<std::string>{std::move(*text)};
  };

  // The common path suffix: its Unicode form when there is one.
  std::string suffix;
  const auto ansi_suffix = path_at(24, false);
  if (!ansi_suffix) return std::nullopt;
  if (*ansi_suffix) suffix = **ansi_suffix;
  if (has_unicode_offsets) {
    const auto wide_suffix = path_at(32, true);
    if (!wide_suffix) return std::nullopt;
    if (*wide_suffix) suffix = **wide_suffix;
  }

  if (*info_flags & 0x1) {  // volume id and local base path
    // The volume id is not used, but an offset outside the link info means
    // the structure does not hold together.
    if (!OffsetField(file, start, 12, end, false).ok) return std::nullopt;
    std::string base;
    const auto ansi_base = path_at(16, false);
    if (!ansi_base) return std::nullopt;
    if (*ansi_base) base = **ansi_base;
    if (has_unicode_offsets) {
      const auto wide_base = path_at(28, true);
      if (!wide_base) return std::nullopt;
      if (*wide_base && !(*wide_base)->empty()) base = **wide_base;
    }
    if (!base.empty()) return base + suffix;
  }

  if (*info_flags & 0x2) {  // network link
    const Offset link = OffsetField(file, start, 20, end, false);
    if (!link.ok) return std::nullopt;
    const std::size_t net = *link.position;
    const auto net_name_offset = file.U32(net + 8);
    if (!net_name_offset) return std::nullopt;
    std::string name;
    const Offset ansi_name = OffsetField(file, net, 8, end, false);
    if (!ansi_name.ok) return std::nullopt;
    auto ansi = TerminatedString(file, *ansi_name.position, end, false, files);
    if (!ansi) return std::nullopt;
    name = *ansi;
    if (*net_name_offset > 0x14) {
      const Offset wide_name = OffsetField(file, net, 20, end, true);
      if (!wide_name.ok) return std::nullopt;
      if (wide_name.position) {
        auto wide = TerminatedString(file, *wide_name.position, end, true, files);
        if (!wide) return std::nullopt;
        if (!wide->empty()) name = *wide;
      }
    }
    if (!name.empty()) return suffix.empty() ? name : name + "\\" + suffix;
  }
  return std::string{};
}

// Position just past the counted strings, or nullopt when one runs past the end.
std::optional<std::size_t> StringsEnd(const ByteReader& file, std::size_t pos, std::uint32_t flags) {
  const std::size_t unit = (flags & kIsUnicode) ? 2 : 1;
  for (std::uint32_t flag : {kHasName, kHasRelativePath, kHasWorkingDir, kHasArguments,
                             kHasIconLocation}) {
    if (!(flags & flag)) continue;
    const auto count = file.U16(pos);
    if (!count) return std::nullopt;
    pos += 2 + unit * *count;
    if (pos > file.size()) return std::nullopt;
  }
  return pos;
}

// The target of the environment-variables block among the extra data blocks.
std::string EnvironmentTarget(const ByteReader& file, std::size_t pos,
                              const platform::FileServices& files) {
  while (true) {
    const auto block_size = file.U32(pos);
    if (!block_size || *block_size < 4) return {};
    const auto signature = file.U32(pos + 4);
    if (!signature) return {};
    if (*signature == kEnvironmentBlock && *block_size >= kEnvironmentBlockSize &&
        file.Contains(pos, kEnvironmentBlockSize)) {
      const std::size_t ansi = pos + 8;
      const std::size_t wide = ansi + kEnvironmentAnsiBytes;
      std::string target = FixedString(file, wide, 2 * kEnvironmentAnsiBytes, true, files);
      if (target.empty()) target = FixedString(file, ansi, kEnvironmentAnsiBytes, false, files);
      return target;
    }
    if (*block_size > file.size() - pos) return {};
    pos += *block_size;
  }
}

}  // namespace

bool IsGenuineLink(const ByteReader& file) {
  if (file.size() < kHeaderSize) return false;
  return std::equal(kLinkHeaderStart.begin(), kLinkHeaderStart.end(),
                    file.Slice(0, kLinkHeaderStart.size()).begin());
}

std::optional<LinkLayout> ReadLinkLayout(const ByteReader& file,
                                         const platform::FileServices& files) {
  if (!IsGenuineLink(file)) return std::nullopt;
  LinkLayout layout;
  layout.flags = *file.U32(20);

  std::size_t pos = kHeaderSize;
  if (layout.flags & kHasLinkTargetIdList) {
    const auto list_size = file.U16(pos);
    if (!list_size || !file.Contains(pos + 2, *list_size)) return std::nullopt;
    pos += 2 + *list_size;
  }

  std::string target;
  if (layout.flags & kHasLinkInfo) {
    const auto info_size = file.U32(pos);
    if (!info_size || *info_size < 0x1C || !file.Contains(pos, *info_size)) return std::nullopt;
    if (!(layout.flags & kForceNoLinkInfo)) {
      auto info_target = LinkInfoTarget(file, pos, *info_size, files);
      if (!info_target) return std::nullopt;
      target = std::move(*info_target);
    }
    pos += *info_size;
  }
  layout.strings_start = pos;

  if (target.empty()) {
    if (const auto extra = StringsEnd(file, pos, layout.flags)) {
      target = EnvironmentTarget(file, *extra, files);
    }
  }
  layout.target = std::move(target);
  return layout;
}

}  // namespace varnlink::auditor
