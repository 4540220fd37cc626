#include "tests/support/link_writer.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <fstream>
#include <stdexcept>

namespace varnlink::test_support {
namespace {

constexpr std::size_t kHeaderSize = 76;
constexpr std::array<std::uint8_t, 16> kLinkClassId = {
    0x01, 0x14, 0x02, 0x00, 0x00, 0x00, 0x00, 0x00, 0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46};
constexpr std::uint32_t kEnvironmentSignature = 0xA0000001;
constexpr std::size_t kEnvironmentBlockSize = 0x314;
constexpr std::size_t kEnvironmentChars = 260;

// Unicode code points U+0080..U+009F of the Windows-1252 bytes 0x80..0x9F;
// the five unassigned bytes map to themselves, as Windows maps them.
constexpr std::array<char32_t, 32> kHighControls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

std::u32string DecodeUtf8(std::string_view utf8) {
  std::u32string out;
  for (std::size_t i = 0; i < utf8.size();) {
    const auto lead = static_cast<std::uint8_t>(utf8[i]);
    std::size_t extra = 0;
    char32_t cp = 0;
    if (lead < 0x80) {
      cp = lead;
    } else if ((lead & 0xE0) == 0xC0) {
      extra = 1;
      cp = lead & 0x1Fu;
    } else if ((lead & 0xF0) == 0xE0) {
      extra = 2;
      cp = lead & 0x0Fu;
    } else if ((lead & 0xF8) == 0xF0) {
      extra = 3;
      cp = lead & 0x07u;
    } else {
      throw std::invalid_argument("link writer: invalid UTF-8 lead byte");
    }
    if (i + extra >= utf8.size()) {
      throw std::invalid_argument("link writer: truncated UTF-8 sequence");
    }
    for (std::size_t k = 1; k <= extra; ++k) {
      const auto next = static_cast<std::uint8_t>(utf8[i + k]);
      if ((next & 0xC0) != 0x80) throw std::invalid_argument("link writer: invalid UTF-8");
      cp = (cp << 6) | (next & 0x3Fu);
    }
    if (cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
      throw std::invalid_argument("link writer: invalid code point");
    }
    out.push_back(cp);
    i += extra + 1;
  }
  return out;
}

// A NUL-terminated ANSI / UTF-16LE form of a text.
Bytes AnsiZ(const Text& text) {
  Bytes out = text.Ansi();
  out.push_back(0);
  return out;
}
Bytes UnicodeZ(const Text& text) {
  Bytes out = text.Unicode();
  out.push_back(0);
  out.push_back(0);
  return out;
}

std::uint32_t U32(std::size_t value) {
  if (value > 0xFFFFFFFFu) throw std::length_error("link writer: value exceeds 32 bits");
  return static_cast<std::uint32_t>(value);
}

Bytes VolumeIdBytes(const VolumeId& volume) {
  Bytes out;
  AppendU32(out, 0);  // size, patched below
  AppendU32(out, volume.drive_type);
  AppendU32(out, volume.serial_number);
  if (volume.form == VolumeId::LabelForm::kAnsi) {
    AppendU32(out, 0x10);  // label right after the 16-byte record
    AppendBytes(out, AnsiZ(volume.label));
  } else {
    AppendU32(out, 0x14);  // "the label is Unicode; its offset follows"
    AppendU32(out, 0x14);
    AppendBytes(out, UnicodeZ(volume.label));
  }
  PutU32(out, 0, U32(out.size()));
  return out;
}

Bytes NetworkLinkBytes(const NetworkLink& network) {
  const bool unicode = network.net_name_unicode.has_value();
  const std::size_t fixed = unicode ? 0x1C : 0x14;
  const Bytes net_name = AnsiZ(network.net_name);
  const Bytes device = network.device_name ? AnsiZ(*network.device_name) : Bytes{};
  Bytes out;
  std::uint32_t flags = 0x2;              // ValidNetType
  if (network.device_name) flags |= 0x1;  // ValidDevice
  AppendU32(out, 0);                      // size, patched below
  AppendU32(out, flags);
  AppendU32(out, U32(fixed));                                               // net name
  AppendU32(out, network.device_name ? U32(fixed + net_name.size()) : 0u);  // device name
  AppendU32(out, network.provider_type);
  std::size_t unicode_offsets_at = 0;
  if (unicode) {
    unicode_offsets_at = out.size();
    AppendU32(out, 0);
    AppendU32(out, 0);
  }
  AppendBytes(out, net_name);
  AppendBytes(out, device);
  if (unicode) {
    PutU32(out, unicode_offsets_at, U32(out.size()));
    AppendBytes(out, UnicodeZ(*network.net_name_unicode));
    if (network.device_name) {
      PutU32(out, unicode_offsets_at + 4, U32(out.size()));
      AppendBytes(out, UnicodeZ(*network.device_name));
    }
  }
  PutU32(out, 0, U32(out.size()));
  return out;
}

// The link info and the position of the ANSI local base path inside it (0 when none).
std::pair<Bytes, std::size_t> LinkInfoBytes(const LinkInfo& info) {
  const bool unicode = info.local_base_path_unicode || info.common_path_suffix_unicode;
  const std::size_t header_size = unicode ? 0x24 : 0x1C;
  Bytes out(header_size, 0);
  PutU32(out, 4, U32(header_size));
  std::uint32_t flags = 0;
  std::size_t local_path_at = 0;
  if (info.local_base_path) {
    flags |= 0x1;
    PutU32(out, 12, U32(out.size()));
    AppendBytes(out, VolumeIdBytes(info.volume_id));
    local_path_at = out.size();
    PutU32(out, 16, U32(out.size()));
    AppendBytes(out, AnsiZ(*info.local_base_path));
  }
  if (info.network) {
    flags |= 0x2;
    PutU32(out, 20, U32(out.size()));
    AppendBytes(out, NetworkLinkBytes(*info.network));
  }
  PutU32(out, 8, flags);
  PutU32(out, 24, U32(out.size()));
  AppendBytes(out, AnsiZ(info.common_path_suffix));
  if (unicode) {
    if (info.local_base_path_unicode) {
      PutU32(out, 28, U32(out.size()));
      AppendBytes(out, UnicodeZ(*info.local_base_path_unicode));
    }
    PutU32(out, 32, U32(out.size()));
    AppendBytes(out, UnicodeZ(info.common_path_suffix_unicode.value_or(Text{})));
  }
  PutU32(out, 0, U32(out.size()));
  return {out, local_path_at};
}

void AppendCountedString(Bytes& out, const Text& text, bool unicode) {
  const Bytes body = unicode ? text.Unicode() : text.Ansi();
  const std::size_t units = unicode ? body.size() / 2 : body.size();
  if (!text.count && units > 0xFFFF) throw std::length_error("link writer: string too long");
  AppendU16(out, text.count.value_or(static_cast<std::uint16_t>(units)));
  AppendBytes(out, body);
}

Bytes EnvironmentBlockBytes(const EnvironmentBlock& block) {
  Bytes ansi = block.ansi.Ansi();
  Bytes unicode = block.unicode.Unicode();
  if (ansi.size() > kEnvironmentChars || unicode.size() > 2 * kEnvironmentChars) {
    throw std::length_error("link writer: environment target longer than 260 characters");
  }
  ansi.resize(kEnvironmentChars, 0);
  unicode.resize(2 * kEnvironmentChars, 0);
  Bytes out = ExtraBlock(kEnvironmentSignature, Concat({ansi, unicode}));
  if (out.size() != kEnvironmentBlockSize) throw std::logic_error("environment block size");
  return out;
}

}  // namespace

// --- raw layouts -----------------------------------------------------------

void PutU8(Bytes& bytes, std::size_t pos, std::uint8_t value) {
  if (bytes.size() <= pos) bytes.resize(pos + 1, 0);
  bytes[pos] = value;
}
void PutU16(Bytes& bytes, std::size_t pos, std::uint16_t value) {
  for (std::size_t i = 0; i < 2; ++i)
    PutU8(bytes, pos + i, static_cast<std::uint8_t>(value >> (8 * i)));
}
void PutU32(Bytes& bytes, std::size_t pos, std::uint32_t value) {
  for (std::size_t i = 0; i < 4; ++i)
    PutU8(bytes, pos + i, static_cast<std::uint8_t>(value >> (8 * i)));
}
void PutU64(Bytes& bytes, std::size_t pos, std::uint64_t value) {
  for (std::size_t i = 0; i < 8; ++i)
    PutU8(bytes, pos + i, static_cast<std::uint8_t>(value >> (8 * i)));
}
void PutBytes(Bytes& bytes, std::size_t pos, const Bytes& data) {
  if (bytes.size() < pos + data.size()) bytes.resize(pos + data.size(), 0);
  std::copy(data.begin(), data.end(), bytes.begin() + static_cast<std::ptrdiff_t>(pos));
}
void PutChars(Bytes& bytes, std::size_t pos, std::string_view chars) {
  PutBytes(bytes, pos, BytesOf(chars));
}

void AppendU16(Bytes& bytes, std::uint16_t value) { PutU16(bytes, bytes.size(), value); }
void AppendU32(Bytes& bytes, std::uint32_t value) { PutU32(bytes, bytes.size(), value); }
void AppendU64(Bytes& bytes, std::uint64_t value) { PutU64(bytes, bytes.size(), value); }
void AppendBytes(Bytes& bytes, const Bytes& data) {
  bytes.insert(bytes.end(), data.begin(), data.end());
}
void AppendChars(Bytes& bytes, std::string_view chars) { AppendBytes(bytes, BytesOf(chars)); }

Bytes BytesOf(std::string_view chars) {
  Bytes out;
  out.reserve(chars.size());
  for (char c : chars) out.push_back(static_cast<std::uint8_t>(c));
  return out;
}

Bytes Filled(std::size_t count, std::uint8_t value) { return Bytes(count, value); }

Bytes Concat(std::initializer_list<Bytes> pieces) {
  Bytes out;
  for (const Bytes& piece : pieces) AppendBytes(out, piece);
  return out;
}

// --- text encodings --------------------------------------------------------

Bytes ToWindows1252(std::string_view utf8) {
  Bytes out;
  for (char32_t cp : DecodeUtf8(utf8)) {
    if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) {
      out.push_back(static_cast<std::uint8_t>(cp));
      continue;
    }
    bool found = false;
    for (std::size_t i = 0; i < kHighControls.size(); ++i) {
      if (kHighControls[i] == cp) {
        out.push_back(static_cast<std::uint8_t>(0x80 + i));
        found = true;
        break;
      }
    }
    if (!found) throw std::invalid_argument("link writer: character not in Windows-1252");
  }
  return out;
}

Bytes ToUtf16Le(std::string_view utf8) {
  Bytes out;
  auto unit = [&out](std::uint32_t u) {
    out.push_back(static_cast<std::uint8_t>(u & 0xFF));
    out.push_back(static_cast<std::uint8_t>(u >> 8));
  };
  for (char32_t cp : DecodeUtf8(utf8)) {
    if (cp >= 0x10000) {
      const std::uint32_t v = cp - 0x10000;
      unit(0xD800 + (v >> 10));
      unit(0xDC00 + (v & 0x3FF));
    } else {
      unit(cp);
    }
  }
  return out;
}

std::size_t Utf16Units(std::string_view utf8) { return ToUtf16Le(utf8).size() / 2; }

Text Text::Raw(Bytes stored_bytes, std::optional<std::uint16_t> count_override) {
  Text text;
  text.raw = std::move(stored_bytes);
  text.count = count_override;
  return text;
}

Text Text::WithCount(std::string utf8_text, std::uint16_t count_override) {
  Text text(std::move(utf8_text));
  text.count = count_override;
  return text;
}

Bytes Text::Ansi() const { return raw ? *raw : ToWindows1252(utf8); }
Bytes Text::Unicode() const { return raw ? *raw : ToUtf16Le(utf8); }

// --- genuine links ---------------------------------------------------------

std::uint32_t FlagsOf(const ShellLink& link) {
  if (link.flags) return *link.flags;
  std::uint32_t flags = link.extra_flags;
  if (link.id_list) flags |= kHasLinkTargetIdList;
  if (link.link_info) flags |= kHasLinkInfo;
  if (link.description) flags |= kHasName;
  if (link.relative_path) flags |= kHasRelativePath;
  if (link.working_dir) flags |= kHasWorkingDir;
  if (link.arguments) flags |= kHasArguments;
  if (link.icon_location) flags |= kHasIconLocation;
  if (link.unicode) flags |= kIsUnicode;
  if (link.force_no_link_info) flags |= kForceNoLinkInfo;
  if (link.environment) flags |= kHasExpString;
  return flags;
}

LinkLayout LayoutLink(const ShellLink& link) {
  LinkLayout layout;
  layout.flags = FlagsOf(link);
  Bytes& out = layout.bytes;

  PutU32(out, 0, static_cast<std::uint32_t>(kHeaderSize));
  PutBytes(out, 4, Bytes(kLinkClassId.begin(), kLinkClassId.end()));
  PutU32(out, 20, layout.flags);
  PutU32(out, 24, link.file_attributes);
  PutU64(out, 28, link.creation_time);
  PutU64(out, 36, link.access_time);
  PutU64(out, 44, link.write_time);
  PutU32(out, 52, link.file_size);
  PutU32(out, 56, static_cast<std::uint32_t>(link.icon_index));
  PutU32(out, 60, link.show_command);
  PutU8(out, 64, link.hot_key);
  PutU8(out, 65, link.hot_key_modifiers);
  PutBytes(out, 66, Bytes(10, 0));  // reserved

  layout.id_list_start = out.size();
  if (link.id_list) {
    Bytes items;
    for (const Bytes& item : *link.id_list) {
      if (item.size() + 2 > 0xFFFF) throw std::length_error("link writer: ID list item too long");
      AppendU16(items, static_cast<std::uint16_t>(item.size() + 2));
      AppendBytes(items, item);
    }
    AppendU16(items, 0);  // terminating empty item
    if (items.size() > 0xFFFF) throw std::length_error("link writer: ID list too long");
    AppendU16(out, static_cast<std::uint16_t>(items.size()));
    AppendBytes(out, items);
  }

  layout.link_info_start = out.size();
  if (link.link_info) {
    auto [info, local_path_at] = LinkInfoBytes(*link.link_info);
    if (local_path_at != 0) layout.local_base_path_start = layout.link_info_start + local_path_at;
    AppendBytes(out, info);
  }

  layout.strings_start = out.size();
  for (const std::optional<Text>* text : {&link.description, &link.relative_path, &link.working_dir,
                                          &link.arguments, &link.icon_location}) {
    if (*text) AppendCountedString(out, **text, link.unicode);
  }

  layout.extra_data_start = out.size();
  if (link.environment) AppendBytes(out, EnvironmentBlockBytes(*link.environment));
  for (const Bytes& block : link.extra_blocks) AppendBytes(out, block);
  if (link.terminal_block) AppendU32(out, 0);
  AppendBytes(out, link.trailing);
  return layout;
}

Bytes BuildLink(const ShellLink& link) { return LayoutLink(link).bytes; }

ShellLink LocalLink(std::string target) {
  ShellLink link;
  link.link_info = LinkInfo{};
  link.link_info->local_base_path = Text(std::move(target));
  return link;
}

Bytes ExtraBlock(std::uint32_t signature, const Bytes& data) {
  Bytes out;
  AppendU32(out, U32(8 + data.size()));
  AppendU32(out, signature);
  AppendBytes(out, data);
  return out;
}

Bytes TrackerBlock(std::string_view file_droid, std::string_view birth_file_droid) {
  constexpr std::string_view kVolume = "{4F7C66DA-D320-4CC4-8D50-165DD98EBC01}";
  Bytes data;
  AppendU32(data, 0x58);
  AppendU32(data, 0);
  Bytes machine = BytesOf("netbook");
  machine.resize(16, 0);
  AppendBytes(data, machine);
  for (const std::string_view id : {kVolume, file_droid, kVolume, birth_file_droid}) {
    AppendBytes(data, GuidBytes(id));
  }
  return ExtraBlock(0xA0000003, data);
}

Bytes DarwinBlock(std::string_view descriptor) {
  Bytes ansi = BytesOf(descriptor);
  ansi.resize(260, 0);
  Bytes wide = ToUtf16Le(descriptor);
  wide.resize(520, 0);
  return ExtraBlock(0xA0000006, Concat({ansi, wide}));
}

// --- shell items -----------------------------------------------------------

namespace {

// The body of an item built whole, its size field in place.
Bytes Body(const Bytes& item) { return Bytes(item.begin() + 2, item.end()); }

Bytes Utf16Z(std::string_view text) { return UnicodeZ(Text(std::string(text))); }

// A property value of type UTF-16 string: size, id, reserved byte, type
// 0x001F, padding, character count with the NUL, text.
Bytes StringProperty(std::uint32_t id, std::string_view text) {
  const Bytes utf16 = Utf16Z(text);
  Bytes value(4, 0);
  AppendU32(value, id);
  value.push_back(0);
  AppendU16(value, 0x001F);
  AppendU16(value, 0);
  AppendU32(value, U32(utf16.size() / 2));
  AppendBytes(value, utf16);
  PutU32(value, 0, U32(value.size()));
  return value;
}

// A storage: size, "1SPS", format id, values, a zero value size.
Bytes Storage(std::string_view format, const Bytes& values) {
  Bytes storage;
  AppendU32(storage, U32(24 + values.size() + 4));
  AppendChars(storage, "1SPS");
  AppendBytes(storage, GuidBytes(format));
  AppendBytes(storage, values);
  AppendU32(storage, 0);
  return storage;
}

}  // namespace

Bytes GuidBytes(std::string_view text) {
  std::string hex;
  for (char c : text.substr(std::min<std::size_t>(1, text.size()))) {
    if (std::isxdigit(static_cast<unsigned char>(c))) hex += c;
  }
  if (text.size() != 38 || text.front() != '{' || text.back() != '}' || hex.size() != 32) {
    throw std::invalid_argument("link writer: not a GUID: " + std::string(text));
  }
  // Data1, Data2 and Data3 are stored little-endian, the last 8 bytes in order.
  constexpr std::array<std::size_t, 16> kOrder = {3, 2, 1,  0,  5,  4,  7,  6,
                                                  8, 9, 10, 11, 12, 13, 14, 15};
  Bytes out;
  for (std::size_t i : kOrder) {
    out.push_back(static_cast<std::uint8_t>(std::stoul(hex.substr(2 * i, 2), nullptr, 16)));
  }
  return out;
}

Bytes RootItem(std::string_view clsid) { return Concat({{0x1F, 0x50}, GuidBytes(clsid)}); }

Bytes VolumeItem(std::string_view drive) {
  Bytes body = Concat({{0x2F}, BytesOf(drive)});
  body.resize(23, 0);  // a 20-byte name field and two bytes more, as Windows writes it
  return body;
}

Bytes RegisteredFolderItem(std::string_view clsid) {
  return Concat({{0x2E, 0x80}, GuidBytes(clsid)});
}

Bytes FileEntryItem(const FileEntry& entry) {
  Bytes item(14, 0);
  PutU8(item, 2,
        static_cast<std::uint8_t>((entry.folder ? 0x31 : 0x32) | (entry.unicode ? 0x04 : 0)));
  PutU16(item, 12, entry.folder ? 0x10 : 0x20);  // attributes
  AppendBytes(item, entry.unicode ? Utf16Z(entry.primary_name) : AnsiZ(Text(entry.primary_name)));
  if (item.size() % 2 != 0) item.push_back(0);
  if (entry.long_name) {
    const std::size_t offset = item.size();
    const std::size_t name_at = entry.version == 3   ? 20
                                : entry.version == 7 ? 38
                                : entry.version == 8 ? 42
                                                     : 46;
    Bytes block(name_at, 0);
    PutU16(block, 2, entry.version);
    PutU32(block, 4, 0xBEEF0004);
    AppendBytes(block, Utf16Z(*entry.long_name));
    AppendU16(block, static_cast<std::uint16_t>(offset));  // the item's last value
    PutU16(block, 0, static_cast<std::uint16_t>(block.size()));
    AppendBytes(item, block);
  }
  return Body(item);
}

Bytes UriItem(std::string_view uri) { return Concat({{0x61, 0x80, 0, 0, 0, 0}, Utf16Z(uri)}); }

Bytes CategoryItem(std::uint32_t number) {
  Bytes item(12, 0);
  PutU8(item, 2, 0x01);
  PutU32(item, 4, 0x39DE2184);
  PutU32(item, 8, number);
  return Body(item);
}

Bytes ControlPanelItem(std::string_view clsid) {
  Bytes item(14, 0);
  PutU8(item, 2, 0x71);
  AppendBytes(item, GuidBytes(clsid));
  return Body(item);
}

Bytes CplFileItem(std::string_view path, bool ansi_layout) {
  const std::size_t path_at = ansi_layout ? 12 : 24;
  Bytes item(path_at, 0);
  PutU32(item, 4, 0xFFFFFFFF);
  AppendBytes(item, ansi_layout ? AnsiZ(Text(std::string(path))) : Utf16Z(path));
  AppendBytes(item, ansi_layout ? Bytes{'A', 0, 0} : Bytes{'A', 0, 0, 0, 0, 0});  // name, comment
  return Body(item);
}

Bytes GameItem(std::string_view game_id) {
  return Concat({{0x00, 0x00}, BytesOf("GFSI"), GuidBytes(game_id), Filled(8, 0)});
}

Bytes UsersViewItem(std::string_view known_folder) {
  Bytes item(14, 0);
  PutU16(item, 4, 0x1A);
  PutU32(item, 6, 0x23FEBBEE);
  PutU16(item, 12, 16);  // the identifier's size
  AppendBytes(item, GuidBytes(known_folder));
  AppendU16(item, 0);
  return Body(item);
}

Bytes AppsItem(std::string_view app_id) {
  Bytes item(22, 0);
  PutChars(item, 6, "APPS");
  AppendBytes(item, AppIdStorages(app_id));
  return Body(item);
}

Bytes AppIdStorages(std::string_view app_id) {
  return Concat({Storage("{B725F130-47EF-101A-A5F1-02608C9EEBAC}", StringProperty(10, "App")),
                 Storage("{9F4C2855-9F79-4B39-A8D0-E1D42DE1D5F3}", StringProperty(5, app_id)),
                 Filled(4, 0)});
}

Bytes PropertyStoreBlock(std::string_view app_id) {
  return ExtraBlock(0xA0000009, AppIdStorages(app_id));
}

std::uint64_t FileTimeOf(std::int64_t unix_seconds) {
  constexpr std::int64_t kSecondsFrom1601To1970 = 11644473600;
  return static_cast<std::uint64_t>(unix_seconds + kSecondsFrom1601To1970) * 10'000'000u;
}

// --- files -----------------------------------------------------------------

void WriteFileBytes(const std::filesystem::path& path, const Bytes& bytes) {
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  if (!file) throw std::runtime_error("cannot create " + path.string());
  file.write(reinterpret_cast<const char*>(bytes.data()),
             static_cast<std::streamsize>(bytes.size()));
  if (!file) throw std::runtime_error("cannot write " + path.string());
}

}  // namespace varnlink::test_support
