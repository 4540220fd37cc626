#include "lnk/link_structure.h"

#include <algorithm>
#include <array>
#include <limits>
#include <string_view>
#include <utility>

#include "lnk/counted_strings.h"
#include "lnk/extra_data.h"
#include "lnk/link_header.h"
#include "lnk/shell_items.h"
#include "lnk/shortcut_decoder.h"
#include "text/report_text.h"
#include "text/windows_path.h"

namespace varnlink::lnk {
namespace {

constexpr std::array<std::uint8_t, 20> kLinkHeaderStart = {
    0x4C, 0x00, 0x00, 0x00,                          // header size
    0x01, 0x14, 0x02, 0x00, 0x00, 0x00, 0x00, 0x00,  // link class id
    0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46};

constexpr std::size_t kMinLinkInfoSize = 0x1C;
constexpr std::size_t kLinkInfoUnicodeHeaderSize = 0x24;
constexpr std::uint32_t kVolumeIdAndLocalBasePath = 0x1;
constexpr std::uint32_t kNetworkLinkAndPathSuffix = 0x2;
constexpr std::size_t kNetworkLinkUnicodeOffsets = 0x14;
constexpr std::uint32_t kValidDevice = 0x1;   // network link flag: the device name is set
constexpr std::uint32_t kValidNetType = 0x2;  // network link flag: the provider type is set

// The offset field at `field` of `record`, which must point inside it.
std::size_t OffsetIn(const ByteReader& record, std::size_t field) {
  const std::uint32_t offset = record.ReadU32(field);
  if (offset >= record.size()) throw RecordError();
  return offset;
}

// The string an offset field points at; nullopt when the offset is 0 (absent).
std::optional<DecodedString> StringAt(const ByteReader& record, std::size_t field, bool unicode,
                                      const text::TextDecoder& decoder) {
  if (record.ReadU32(field) == 0) return std::nullopt;
  return StringOf(TerminatedBytes(record, OffsetIn(record, field), unicode), unicode, decoder);
}

// The network link: the share's name, its Unicode form when there is one.
// Its offsets count from its own start and must stay inside the link info.
DecodedString NetworkName(const ByteReader& network, const text::TextDecoder& decoder) {
  DecodedString name = StringOf(TerminatedBytes(network, OffsetIn(network, 8), false), false,
                                decoder);
  if (network.ReadU32(8) > kNetworkLinkUnicodeOffsets) {
    if (auto wide = StringAt(network, 20, true, decoder); wide && !wide->text.empty()) {
      name = std::move(*wide);
    }
  }
  return name;
}

// `a` and `b` joined by ASCII `between`, ANSI when both are (an ASCII part's
// bytes are its text).
DecodedString Joined(const DecodedString& a, std::string_view between, const DecodedString& b) {
  DecodedString joined{a.text + std::string(between) + b.text, a.ansi && b.ansi, std::nullopt};
  if (joined.ansi && (a.ansi_bytes || b.ansi_bytes)) {
    joined.ansi_bytes =
        a.ansi_bytes.value_or(a.text) + std::string(between) + b.ansi_bytes.value_or(b.text);
  }
  return joined;
}

// The network link's provider type, when its flags mark it valid. Read
// without throwing: it does not decide whether the link info holds together.
std::optional<std::uint32_t> NetworkProviderType(const ByteReader& info) {
  const auto at = info.U32(20);
  if (!at) return std::nullopt;
  const auto network_flags = info.U32(*at + 4);
  if (!network_flags || !(*network_flags & kValidNetType)) return std::nullopt;
  return info.U32(*at + 16);
}

// A part of the link info read on its own: nullopt when it does not hold
// together, whatever the rest does.
template <typename Read>
auto PartOf(Read&& read) -> std::optional<decltype(read())> {
  try {
    return read();
  } catch (const RecordError&) {
    return std::nullopt;
  }
}

// The string an offset field points at, its Unicode form where the record has
// that offset and it is set.
std::optional<std::string> TextAt(const ByteReader& record, std::size_t field,
                                  std::optional<std::size_t> unicode_field,
                                  const text::TextDecoder& decoder) {
  if (unicode_field) {
    if (auto wide = StringAt(record, *unicode_field, true, decoder)) return std::move(wide->text);
  }
  if (auto narrow = StringAt(record, field, false, decoder)) return std::move(narrow->text);
  return std::nullopt;
}

// The link info's parts, each on its own (see LinkInfoParts).
LinkInfoParts ReadLinkInfoParts(const ByteReader& info, const text::TextDecoder& decoder) {
  LinkInfoParts parts;
  const auto header_size = info.U32(4);
  const auto info_flags = info.U32(8);
  if (!header_size || !info_flags || *header_size < kMinLinkInfoSize ||
      *header_size > info.size()) {
    return parts;
  }
  const bool has_unicode_offsets = *header_size >= kLinkInfoUnicodeHeaderSize;
  const auto unicode = [&](std::size_t field) {
    return has_unicode_offsets ? std::optional<std::size_t>(field) : std::nullopt;
  };
  if (*info_flags & kVolumeIdAndLocalBasePath) {
    // The volume id: size, drive type, serial, label offset; a label offset of
    // 0x14 says a Unicode label's offset follows.
    if (const auto volume = PartOf([&] {
          const std::size_t at = OffsetIn(info, 12);
          return info.Sub(at, info.ReadU32(at));
        })) {
      if (volume->size() >= 16) {
        parts.drive_type = volume->ReadU32(4);
        parts.drive_serial = volume->ReadU32(8);
        parts.volume_label = PartOf([&] {
          const bool wide = volume->ReadU32(12) == 0x14;
          return TerminatedString(*volume, OffsetIn(*volume, wide ? 16 : 12), wide, decoder);
        });
      }
    }
    parts.local_base_path =
        PartOf([&] { return TextAt(info, 16, unicode(28), decoder); }).value_or(std::nullopt);
  }
  parts.common_path_suffix =
      PartOf([&] { return TextAt(info, 24, unicode(32), decoder); }).value_or(std::nullopt);
  if (*info_flags & kNetworkLinkAndPathSuffix) {
    if (const auto network = PartOf([&] {
          const std::size_t at = OffsetIn(info, 20);
          return info.Sub(at, info.ReadU32(at));
        })) {
      const auto network_flags = network->U32(4);
      const auto name_offset = network->U32(8);
      if (network_flags && name_offset) {
        const bool wide = *name_offset > kNetworkLinkUnicodeOffsets;
        parts.network_share =
            PartOf([&] {
              return TextAt(*network, 8, wide ? std::optional<std::size_t>(20) : std::nullopt,
                            decoder);
            }).value_or(std::nullopt);
        if (*network_flags & kValidDevice) {
          parts.network_device =
              PartOf([&] {
                return TextAt(*network, 12, wide ? std::optional<std::size_t>(24) : std::nullopt,
                              decoder);
              }).value_or(std::nullopt);
        }
        if (*network_flags & kValidNetType) parts.network_provider = network->U32(16);
      }
    }
  }
  return parts;
}

// What the link info names: its local path, its network path, the target.
LinkInfoPaths ReadLinkInfo(const ByteReader& info, const text::TextDecoder& decoder) {
  const std::uint32_t header_size = info.ReadU32(4);
  const std::uint32_t info_flags = info.ReadU32(8);
  if (header_size < kMinLinkInfoSize || header_size > info.size()) throw RecordError();
  const bool has_unicode_offsets = header_size >= kLinkInfoUnicodeHeaderSize;
  LinkInfoPaths paths;
  if (info_flags & kNetworkLinkAndPathSuffix) {
    paths.network_provider_type = NetworkProviderType(info);
  }

  const DecodedString none{"", true, std::nullopt};
  // The common path suffix: its Unicode form when there is one.
  DecodedString suffix = StringAt(info, 24, false, decoder).value_or(none);
  if (has_unicode_offsets) {
    if (auto wide = StringAt(info, 32, true, decoder)) suffix = std::move(*wide);
  }

  if (info_flags & kVolumeIdAndLocalBasePath) {
    // The volume id is not used, but an offset outside the link info means
    // the structure does not hold together.
    (void)OffsetIn(info, 12);
    DecodedString base = StringAt(info, 16, false, decoder).value_or(none);
    if (has_unicode_offsets) {
      if (auto wide = StringAt(info, 28, true, decoder); wide && !wide->text.empty()) {
        base = std::move(*wide);
      }
    }
    if (!base.text.empty()) {
      DecodedString path = Joined(base, "", suffix);
      paths.local_path = path.text;
      paths.target = std::move(path.text);
      paths.target_ansi_only = base.ansi;
      paths.target_bytes = std::move(path.ansi_bytes);
      return paths;
    }
  }

  if (info_flags & kNetworkLinkAndPathSuffix) {
    const std::size_t at = OffsetIn(info, 20);
    const DecodedString name = NetworkName(info.Sub(at, info.size() - at), decoder);
    if (!name.text.empty()) {
      DecodedString path = suffix.text.empty() ? name : Joined(name, "\\", suffix);
      paths.target = std::move(path.text);
      paths.target_ansi_only = name.ansi && suffix.ansi;
      paths.target_bytes = std::move(path.ansi_bytes);
    }
  }
  return paths;
}

// Windows reads at most this many characters of the description, the
// relative path and the working folder, whatever their counts say, starts the
// next string right after them, and takes the last character of a full read
// as the string's end. It reads the arguments and the icon location whole.
constexpr std::uint16_t kWindowsReadCharacters = 260;

// The most characters Windows reads of the counted string of `flag`.
std::uint16_t MostRead(std::uint32_t flag) {
  const bool capped = flag == kHasName || flag == kHasRelativePath || flag == kHasWorkingDir;
  return capped ? kWindowsReadCharacters : std::numeric_limits<std::uint16_t>::max();
}

// Position just past the counted strings as Windows reads them, or nullopt
// when one runs past the end.
std::optional<std::size_t> StringsEnd(const ByteReader& file, std::size_t pos,
                                      std::uint32_t flags) {
  const std::size_t unit = (flags & kIsUnicode) ? 2 : 1;
  for (std::uint32_t flag : {kHasName, kHasRelativePath, kHasWorkingDir, kHasArguments,
                             kHasIconLocation}) {
    if (!(flags & flag)) continue;
    const auto count = file.U16(pos);
    if (!count) return std::nullopt;
    pos += 2 + unit * std::min(*count, MostRead(flag));
    if (pos > file.size()) return std::nullopt;
  }
  return pos;
}

std::optional<platform::FileTime> HeaderTime(const ByteReader& file, std::size_t pos) {
  const std::uint64_t ticks = file.ReadU64(pos);
  if (ticks == 0) return std::nullopt;
  return platform::FileTime{ticks};
}

// The counted strings as Windows reads them, the description and relative
// path strict (see ShortcutInfo::strings_end_early_at), the rest tolerant;
// then, where a count Windows does not read whole makes them part, the
// strings as their counts declare them. Some writers count a string's
// terminating NUL into it; it is no part of the text.
void ReadStrings(const ByteReader& file, std::size_t pos, const text::TextDecoder& decoder,
                 ShortcutInfo& info) {
  const bool unicode = (info.link_flags & kIsUnicode) != 0;
  const std::size_t unit = unicode ? 2 : 1;
  // Each string's flag, strictness, text, bytes when ANSI, declared reading
  // and, where the checks use it, count.
  struct Field {
    std::uint32_t flag;
    bool strict;
    std::optional<std::string>* text;
    std::optional<std::string>* ansi_bytes;
    std::optional<std::string> DeclaredStrings::*declared;
    std::optional<std::uint16_t>* count;
  };
  StringCounts& counts = info.string_counts;
  AnsiBytes& raw = info.ansi_bytes;
  using D = DeclaredStrings;
  const std::array fields = {
      Field{kHasName, true, &info.description, &raw.description, &D::description,
            &counts.description},
      Field{kHasRelativePath, true, &info.relative_path, &raw.relative_path, &D::relative_path,
            &counts.relative_path},
      Field{kHasWorkingDir, false, &info.start_in, &raw.start_in, &D::start_in, &counts.start_in},
      Field{kHasArguments, false, &info.arguments, &raw.arguments, &D::arguments,
            &counts.arguments},
      Field{kHasIconLocation, false, &info.icon_location, &raw.icon_location, &D::icon_location,
            nullptr},
  };
  const auto text_at = [&](std::size_t start, std::size_t length) {
    auto bytes = file.Slice(start, length);
    while (bytes.size() >= unit && bytes.size() % unit == 0 && bytes[bytes.size() - 1] == 0 &&
           bytes[bytes.size() - unit] == 0) {
      bytes = bytes.first(bytes.size() - unit);
    }
    return StringOf(bytes, unicode, decoder);
  };

  CountedStrings strings(file, pos, unit);
  bool parted = false;  // a string was not read whole
  for (const Field& field : fields) {
    if (!(info.link_flags & field.flag)) continue;
    const std::uint16_t most = MostRead(field.flag);
    const auto place = strings.Next(field.strict, most);
    if (!place) {
      info.strings_end_early_at = strings.Position();
      return;
    }
    const bool full_read = strings.Count() >= most && most == kWindowsReadCharacters;
    parted = parted || full_read;
    DecodedString decoded = text_at(place->start, place->length - (full_read ? unit : 0));
    *field.text = std::move(decoded.text);
    *field.ansi_bytes = std::move(decoded.ansi_bytes);
    if (field.count != nullptr) *field.count = strings.Count();
  }
  if (!parted) return;

  CountedStrings declared(file, pos, unit);
  DeclaredStrings differing;
  bool differs = false;
  for (const Field& field : fields) {
    if (!(info.link_flags & field.flag)) continue;
    const StringPlace place = *declared.Next(false);
    std::string text = text_at(place.start, place.length).text;
    if (text == **field.text) continue;
    differing.*field.declared = std::move(text);
    differs = true;
  }
  if (differs) info.declared_strings = std::move(differing);
}

// Names of virtual-key codes outside the runs of digits, letters, function
// keys and number-pad digits.
// clang-format off
constexpr std::array<std::pair<std::uint8_t, std::string_view>, 31> kKeyNames = {{
    {0x13, "Pause"},     {0x20, "Space"},  {0x21, "Page Up"},      {0x22, "Page Down"},
    {0x23, "End"},       {0x24, "Home"},   {0x25, "Left"},         {0x26, "Up"},
    {0x27, "Right"},     {0x28, "Down"},   {0x2C, "Print Screen"}, {0x2D, "Insert"},
    {0x2E, "Delete"},    {0x6A, "Num *"},  {0x6B, "Num +"},        {0x6D, "Num -"},
    {0x6E, "Num ."},     {0x6F, "Num /"},  {0x90, "Num Lock"},     {0x91, "Scroll Lock"},
    {0xBA, ";"},         {0xBB, "="},      {0xBC, ","},            {0xBD, "-"},
    {0xBE, "."},         {0xBF, "/"},      {0xC0, "`"},            {0xDB, "["},
    {0xDC, "\\"},        {0xDD, "]"},      {0xDE, "'"},
}};
// clang-format on

// The name of a hot key's virtual-key code; a code without a name shows as
// its value, "0x07".
std::string KeyName(std::uint8_t key) {
  if ((key >= 0x30 && key <= 0x39) || (key >= 0x41 && key <= 0x5A)) {
    return std::string(1, static_cast<char>(key));
  }
  if (key >= 0x70 && key <= 0x87) return "F" + std::to_string(key - 0x6F);
  if (key >= 0x60 && key <= 0x69) return "Num " + std::to_string(key - 0x60);
  for (const auto& [code, name] : kKeyNames) {
    if (code == key) return std::string(name);
  }
  constexpr char kDigits[] = "0123456789ABCDEF";
  return {'0', 'x', kDigits[key >> 4], kDigits[key & 0xF]};
}

// A packaged app's id names the target of a link whose ID list names nothing
// beyond the computer: no list, an empty one, or the computer root alone.
bool LeavesTargetToAppId(const std::optional<IdListInfo>& list) {
  return !list ||
         (list->holds_together && (list->item_count == 0 || list->target == kComputerParsingName));
}

// The target by precedence: the link info's path, the environment block's
// target, a packaged app's id, then the ID list's parsing name.
void ChooseTarget(ShortcutInfo& info) {
  const EnvironmentHalves* environment = info.environment ? &*info.environment : nullptr;
  if (info.link_info && !info.link_info->target.empty()) {
    info.target = info.link_info->target;
    info.target_source = TargetSource::kLinkInfo;
    info.ansi_bytes.target = info.link_info->target_bytes;
  } else if (environment && !(environment->unicode.empty() && environment->ansi.empty())) {
    info.target = environment->unicode.empty() ? environment->ansi : environment->unicode;
    info.target_source = TargetSource::kEnvironment;
    if (environment->unicode.empty()) info.ansi_bytes.target = info.ansi_bytes.environment;
  } else if (info.app_id && info.app_id->find('!') != std::string::npos &&
             LeavesTargetToAppId(info.id_list)) {
    info.target = "shell:AppsFolder\\" + *info.app_id;
    info.target_source = TargetSource::kAppId;
  } else if (info.id_list && info.id_list->target) {
    info.target = *info.id_list->target;
    info.target_source = TargetSource::kIdList;
  }
}

// What Windows runs: the shell takes the environment block's Unicode half
// when it is a valid path and ignores the other records; with that half
// empty it runs the ANSI half; otherwise it resolves the ID list, and uses
// the link info only to find a target that has moved.
void ChooseEffectiveTarget(ShortcutInfo& info) {
  const auto take = [&info](const std::string& target, TargetSource source) {
    info.effective_target = target;
    info.effective_target_source = source;
  };
  if ((info.link_flags & kHasExpString) && info.environment) {
    const EnvironmentHalves& halves = *info.environment;
    if (text::IsWindowsPath(halves.unicode))
      return take(halves.unicode, TargetSource::kEnvironment);
    if (halves.unicode.empty() && !halves.ansi.empty()) {
      return take(halves.ansi, TargetSource::kEnvironment);
    }
  }
  if (info.target_source == TargetSource::kAppId) return take(info.target, TargetSource::kAppId);
  if (info.id_list && info.id_list->target) {
    return take(*info.id_list->target, TargetSource::kIdList);
  }
  if (info.link_info && !info.link_info->target.empty()) {
    take(info.link_info->target, TargetSource::kLinkInfo);
  }
}

}  // namespace

bool IsGenuineLink(const ByteReader& file) {
  if (file.size() < kLinkHeaderStart.size()) return false;
  return std::equal(kLinkHeaderStart.begin(), kLinkHeaderStart.end(),
                    file.Slice(0, kLinkHeaderStart.size()).begin());
}

CutShort::CutShort(std::string_view record, std::size_t end, std::size_t file_size)
    : std::runtime_error(std::string(record) + " ends at byte " + std::to_string(end) +
                         " of a file of " + std::to_string(file_size) + " bytes") {}

std::optional<ShortcutInfo> ReadByStructure(const ByteReader& file,
                                            const text::TextDecoder& decoder, Detail detail) {
  const bool whole_record = detail == Detail::kRecord;
  if (!IsGenuineLink(file)) return std::nullopt;
  // Where `record` ends as declared must lie inside the file. Bytes that stop
  // at the read limit may go on in the file, so there nothing is called cut.
  const auto must_fit = [&file](std::string_view record, std::size_t end) {
    if (end > file.size() && file.size() < kMaxShortcutBytes) {
      throw CutShort(record, end, file.size());
    }
  };
  must_fit("the header", kHeaderSize);
  ShortcutInfo info;
  info.genuine = true;
  info.link_flags = file.ReadU32(kFlagsByte);
  info.target_created = HeaderTime(file, 28);
  info.target_accessed = HeaderTime(file, 36);
  info.target_modified = HeaderTime(file, 44);
  if (whole_record) {
    // Attributes at 24, then the times, the target's size, icon index, show command.
    info.header = HeaderValues{file.ReadU32(24), file.ReadU32(52),
                               static_cast<std::int32_t>(file.ReadU32(56)), file.ReadU32(60)};
  }

  std::size_t pos = kHeaderSize;
  std::optional<ByteReader> id_list;
  try {
    if (info.link_flags & kHasLinkTargetIdList) {
      must_fit("the ID list", pos + 2);
      const std::uint16_t list_size = file.ReadU16(pos);
      must_fit("the ID list", pos + 2 + list_size);
      id_list = file.Sub(pos + 2, list_size);
      pos += 2 + list_size;
    }
    if (info.link_flags & kHasLinkInfo) {
      must_fit("the link info", pos + 4);
      const std::uint32_t info_size = file.ReadU32(pos);
      must_fit("the link info", pos + info_size);
      if (info_size < kMinLinkInfoSize) throw RecordError();
      const ByteReader link_info = file.Sub(pos, info_size);
      if (whole_record) info.link_info_parts = ReadLinkInfoParts(link_info, decoder);
      if (!(info.link_flags & kForceNoLinkInfo)) info.link_info = ReadLinkInfo(link_info, decoder);
      pos += info_size;
    }
  } catch (const RecordError&) {
    return std::nullopt;
  }
  // Faults inside the shell items or the property store leave those records
  // without a target; they do not make the link fall back to the byte rules.
  if (id_list) info.id_list = ReadIdList(*id_list, decoder, detail);
  ExtraData extra;
  info.link_end = file.size();
  if (const auto extra_at = StringsEnd(file, pos, info.link_flags)) {
    const ByteReader blocks = file.From(*extra_at);
    if (const auto cut_at = CutExtraBlockEnd(blocks)) {
      must_fit("an extra-data block", *extra_at + *cut_at);
    }
    extra = ReadExtraData(blocks, decoder, detail);
    if (whole_record) {
      info.extra_blocks = ReadExtraBlocks(blocks);
      if (info.extra_blocks->terminal_end) *info.extra_blocks->terminal_end += *extra_at;
    }
    if (const auto end = TerminalBlockEnd(blocks)) info.link_end = *extra_at + *end;
  }
  info.app_id = std::move(extra.app_id);
  info.property_store = std::move(extra.properties);
  info.environment = std::move(extra.environment);
  info.ansi_bytes.environment = std::move(extra.environment_ansi_bytes);
  info.console_code_page = extra.console_code_page;
  ChooseTarget(info);
  ChooseEffectiveTarget(info);

  ReadStrings(file, pos, decoder, info);
  if (const std::uint8_t key = file.ReadU8(kHotKeyByte); key != 0) {
    info.hot_key = HotKey{file.ReadU8(kHotKeyModifiersByte), KeyName(key)};
  }
  info.run = RunModeOf(file.U8(kShowCommandByte));
  return info;
}

}  // namespace varnlink::lnk
