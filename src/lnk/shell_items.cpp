#include "lnk/shell_items.h"

#include <algorithm>
#include <initializer_list>
#include <string_view>
#include <vector>

#include "lnk/guid.h"
#include "lnk/link_header.h"
#include "lnk/property_store.h"

namespace varnlink::lnk {
namespace {

// CLSIDs of the root and registered folders the list's shapes name.
constexpr std::string_view kComputer = "{20D04FE0-3AEA-1069-A2D8-08002B30309D}";
constexpr std::string_view kControlPanel = "{21EC2020-3AEA-1069-A2DD-08002B30309D}";
constexpr std::string_view kUsersFiles = "{59031A47-3F72-44A7-89C5-5595FE6B30EE}";
constexpr std::string_view kControlPanelCategories = "{26EE0668-A00A-44D7-9371-BEB064C98683}";
constexpr std::string_view kInternet = "{871C5380-42A0-1069-A2EA-08002B30309D}";
constexpr std::string_view kGames = "{ED228FDF-9EA8-4870-83B1-96B02CFE0D52}";
constexpr std::string_view kApplications = "{4234D49B-0245-4DF3-B780-3893943456E1}";
// A registered-folder item ending with this CLSID is a delegate item (a
// phone, for one), not a folder of its own.
constexpr std::string_view kDelegate = "{5E591A74-DF96-48D3-8D67-1733BCEE28BA}";

constexpr std::size_t kClassAt = 2;
constexpr std::size_t kClsidSize = 16;
constexpr std::uint32_t kCategorySignature = 0x39DE2184;
constexpr std::uint32_t kGameSignature = 0x49534647;       // "GFSI" at 4
constexpr std::uint32_t kAppsSignature = 0x53505041;       // "APPS" at 6
constexpr std::uint32_t kUsersViewSignature = 0x23FEBBEE;  // at 6
constexpr std::uint32_t kLastCategory = 11;

// File entries: FAT date and time, attributes, then the primary name at 14;
// extension blocks may follow, the item's last 16-bit value giving the offset
// of the first. The long name is in the 0xBEEF0004 block, at an offset that
// depends on the block's version.
constexpr std::size_t kPrimaryNameAt = 14;
constexpr std::uint8_t kUnicodeName = 0x04;
constexpr std::size_t kExtensionHeaderSize = 8;  // 16-bit size and version, signature
constexpr std::uint32_t kFileEntryExtension = 0xBEEF0004;

enum class Kind {
  kOther,
  kRoot,
  kVolume,
  kRegisteredFolder,
  kFileEntry,
  kUri,
  kCategory,
  kControlPanelItem,
  kCplFile,
  kGame,
  kUsersView,
  kApps,
};

// One shell item as the list's shapes need it: its kind and its one value
// (a CLSID, drive name, file name, path, URI, category number, GUID or app id).
struct Item {
  Kind kind = Kind::kOther;
  std::string value;
};

// --- one decode function per item kind --------------------------------------

// Root folder (class 0x1F): sort index at 3, CLSID at 4.
Item RootFolder(const ByteReader& item) { return {Kind::kRoot, GuidText(item, 4)}; }

// Volume: the drive name, such as "C:\", at 3 in a 20-byte field.
Item Volume(const ByteReader& item, const text::TextDecoder& decoder) {
  const ByteReader field = item.Sub(3, std::min<std::size_t>(20, item.size() - 3));
  return {Kind::kVolume, TerminatedString(field, 0, false, decoder)};
}

// Registered folder (class 0x2E): CLSID at 4.
Item RegisteredFolder(const ByteReader& item) {
  const std::string clsid = GuidText(item, 4);
  if (GuidText(item, item.size() - kClsidSize) == kDelegate) return {};
  return {Kind::kRegisteredFolder, clsid};
}

// The offset of a file entry's first extension block; nullopt when the item
// has no room for one after its primary name (items of older systems end
// with the name). Throws when it has room but the offset leaves the item.
std::optional<std::size_t> ExtensionOffset(const ByteReader& item, bool unicode) {
  const auto nul = unicode ? item.FindNul16(kPrimaryNameAt, item.size())
                           : item.FindNul(kPrimaryNameAt, item.size());
  const std::size_t name_end = nul ? *nul + (unicode ? 2 : 1) : item.size();
  if (item.size() - name_end < kExtensionHeaderSize + 2) return std::nullopt;
  const std::size_t offset = item.ReadU16(item.size() - 2);
  if (offset < kPrimaryNameAt || offset > item.size() - 2 - kExtensionHeaderSize) {
    throw RecordError();
  }
  return offset;
}

// Where a 0xBEEF0004 block of each version holds the long name.
std::optional<std::size_t> LongNameOffset(std::uint16_t version) {
  switch (version) {
    case 3:
      return 20;  // Windows XP
    case 7:
      return 38;  // Vista
    case 8:
      return 42;  // 7 and 8.0
    case 9:
      return 46;  // 8.1 and 10
    default:
      return std::nullopt;
  }
}

// The long name of a 0xBEEF0004 block; nullopt for a version whose layout is
// not known or an empty name.
std::optional<std::string> LongName(const ByteReader& block) {
  const auto at = LongNameOffset(block.ReadU16(2));
  if (!at) return std::nullopt;
  const auto nul = block.FindNul16(*at, block.size());
  if (!nul) throw RecordError();
  if (*nul == *at) return std::nullopt;
  return text::Utf16LeToUtf8(block.Slice(*at, *nul - *at));
}

// File entry (class 0x3X): the primary name, ANSI or UTF-16 (bit 0x04), and
// the long name of its extension. Windows XP writes some UTF-16 primary names
// that fill their field up to the extension without a NUL.
IdListEntry FileEntry(const ByteReader& item, const text::TextDecoder& decoder) {
  const bool unicode = (item.ReadU8(kClassAt) & kUnicodeName) != 0;
  const auto extension = ExtensionOffset(item, unicode);
  const ByteReader field =
      item.Sub(kPrimaryNameAt, extension.value_or(item.size()) - kPrimaryNameAt);
  const auto nul = unicode ? field.FindNul16(0, field.size()) : field.FindNul(0, field.size());
  if (!nul && !extension) throw RecordError();
  const auto name = field.Slice(0, nul.value_or(field.size()));
  DecodedString primary = StringOf(name, unicode, decoder);
  IdListEntry entry{std::move(primary.text), std::nullopt, std::move(primary.ansi_bytes)};
  if (extension) {
    const ByteReader block = item.Sub(*extension, item.ReadU16(*extension));
    if (block.ReadU32(4) == kFileEntryExtension) entry.long_name = LongName(block);
  }
  return entry;
}

// URI (class 0x61): flags at 3 (0x80: UTF-16 text), a 16-bit data size at 4,
// and with no data the URI at 8. URIs after data are of a layout not known.
Item Uri(const ByteReader& item, const text::TextDecoder& decoder) {
  const bool unicode = (item.ReadU8(3) & 0x80) != 0;
  if (item.ReadU16(4) != 0) return {};
  return {Kind::kUri, TerminatedString(item, 8, unicode, decoder)};
}

// Control-panel category (class 0x01): signature at 4, category number at 8.
Item Category(const ByteReader& item) {
  if (item.U32(4) != kCategorySignature) return {};
  const std::uint32_t number = item.ReadU32(8);
  if (number > kLastCategory) return {};
  return {Kind::kCategory, std::to_string(number)};
}

// Control-panel item (class 0x71): CLSID at 14.
Item ControlPanelItem(const ByteReader& item) {
  return {Kind::kControlPanelItem, GuidText(item, 14)};
}

// CPL file (class 0x00 under Control Panel). When byte 12 is not zero the
// path is at 12 in the code page, else in UTF-16 at 24, whatever the link's
// own IsUnicode flag says.
Item CplFile(const ByteReader& item, const text::TextDecoder& decoder) {
  const bool ansi = item.ReadU8(12) != 0;
  return {Kind::kCplFile, TerminatedString(item, ansi ? 12 : 24, !ansi, decoder)};
}

// Game (class 0x00, "GFSI" at 4): the game's GUID at 8.
Item Game(const ByteReader& item) { return {Kind::kGame, GuidText(item, 8)}; }

// Property view of the user's files (class 0x00, signature at 6): an
// identifier of 16 bytes at 14, a KNOWNFOLDERID.
Item UsersView(const ByteReader& item) {
  if (item.ReadU16(12) != kClsidSize) return {};
  return {Kind::kUsersView, GuidText(item, 14)};
}

// Apps item (class 0x00, "APPS" at 6): property storages from 22.
Item Apps(const ByteReader& item) {
  return {Kind::kApps, AppUserModelId(item.From(22)).value_or("")};
}

// --- the list ----------------------------------------------------------------

bool IsControlPanel(const Item& item) {
  return (item.kind == Kind::kRoot || item.kind == Kind::kRegisteredFolder) &&
         item.value == kControlPanel;
}

// Class 0x00 items are told apart by their signatures, a CPL file by its place
// under Control Panel, or under one of its categories, as a link made from
// the category view holds it.
Item ClassZeroItem(const ByteReader& item, const Item* previous,
                   const text::TextDecoder& decoder) {
  if (item.U32(4) == kGameSignature) return Game(item);
  if (item.U32(6) == kAppsSignature) return Apps(item);
  if (item.U32(6) == kUsersViewSignature) return UsersView(item);
  if (previous != nullptr && (IsControlPanel(*previous) || previous->kind == Kind::kCategory)) {
    return CplFile(item, decoder);
  }
  return {};
}

Item ReadItem(const ByteReader& item, const Item* previous, const text::TextDecoder& decoder,
              IdListInfo& info) {
  const std::uint8_t type = item.ReadU8(kClassAt);
  if (type == 0x1F) return RootFolder(item);
  if (type == 0x2E) return RegisteredFolder(item);
  if ((type & 0x70) == 0x20 && (type & 0x01) != 0) return Volume(item, decoder);
  if ((type & 0x70) == 0x30) {
    info.file_entries.push_back(FileEntry(item, decoder));
    const IdListEntry& entry = info.file_entries.back();
    return {Kind::kFileEntry, entry.long_name.value_or(entry.primary_name)};
  }
  if (type == 0x61) return Uri(item, decoder);
  if (type == 0x01) return Category(item);
  if (type == 0x71) return ControlPanelItem(item);
  if (type == 0x00) return ClassZeroItem(item, previous, decoder);
  return {};
}

// Each item: a 16-bit size (with itself), then its class and data; a size of
// 0 ends the list.
std::vector<Item> ReadItems(const ByteReader& list, const text::TextDecoder& decoder,
                            IdListInfo& info) {
  std::vector<Item> items;
  for (std::size_t pos = 0; pos < list.size();) {
    const std::uint16_t size = list.ReadU16(pos);
    if (size == 0) break;
    if (size < 2) throw RecordError();
    items.push_back(
        ReadItem(list.Sub(pos, size), items.empty() ? nullptr : &items.back(), decoder, info));
    pos += size;
  }
  return items;
}

// True when the items are exactly of these kinds, in this order.
bool HasShape(const std::vector<Item>& items, std::initializer_list<Kind> kinds) {
  return std::equal(items.begin(), items.end(), kinds.begin(), kinds.end(),
                    [](const Item& item, Kind kind) { return item.kind == kind; });
}

// A volume and file entries as one path: "C:\" alone, or "C:\dir\file".
std::optional<std::string> FileSystemPath(const std::vector<Item>& items) {
  std::string path;
  for (std::size_t i = 1; i < items.size(); ++i) {
    if (items[i].kind != (i == 1 ? Kind::kVolume : Kind::kFileEntry) || items[i].value.empty()) {
      return std::nullopt;
    }
    if (!path.empty() && !path.ends_with('\\')) path += '\\';
    path += items[i].value;
  }
  return path;
}

// The parsing name of the whole list, when its shape names one.
std::optional<std::string> ListTarget(const std::vector<Item>& items) {
  if (items.empty() || items[0].kind != Kind::kRoot) return std::nullopt;
  const std::string& root = items[0].value;
  const std::string root_name = "::" + root;
  if (items.size() == 1) return root_name;
  const std::string& second = items[1].value;
  if (root == kComputer) {
    if (items[1].kind == Kind::kVolume) return FileSystemPath(items);
    if (HasShape(items, {Kind::kRoot, Kind::kRegisteredFolder, Kind::kCplFile}) &&
        second == kControlPanel && !items[2].value.empty()) {
      return items[2].value;
    }
    if (HasShape(items, {Kind::kRoot, Kind::kRegisteredFolder, Kind::kCategory, Kind::kCplFile}) &&
        second == kControlPanel && !items[3].value.empty()) {
      return items[3].value;
    }
    if (HasShape(items, {Kind::kRoot, Kind::kRegisteredFolder})) return root_name + "\\::" + second;
  }
  if (root == kUsersFiles && HasShape(items, {Kind::kRoot, Kind::kUsersView})) {
    return root_name + "\\" + second;
  }
  if (root == kControlPanelCategories) {
    if (HasShape(items, {Kind::kRoot, Kind::kCategory})) return root_name + "\\" + second;
    if (HasShape(items, {Kind::kRoot, Kind::kCategory, Kind::kCplFile}) &&
        !items[2].value.empty()) {
      return items[2].value;
    }
    if (HasShape(items, {Kind::kRoot, Kind::kCategory, Kind::kControlPanelItem})) {
      return root_name + "\\" + second + "\\::" + items[2].value;
    }
  }
  if (root == kInternet && HasShape(items, {Kind::kRoot, Kind::kUri}) && !second.empty()) {
    return second;
  }
  if (root == kGames && HasShape(items, {Kind::kRoot, Kind::kGame})) {
    return root_name + "\\" + second;
  }
  if (root == kApplications && HasShape(items, {Kind::kRoot, Kind::kApps}) && !second.empty()) {
    return "shell:AppsFolder\\" + second;
  }
  return std::nullopt;
}

// --- every item, as an investigator reads it ---------------------------------

// A FAT date and time (date in the low 16 bits: day, month, years since
// 1980; time in the high: seconds / 2, minutes, hours) as it stands, held as
// if it were UTC; nullopt for zero or a date or time that does not exist.
std::optional<platform::FileTime> FatTime(std::uint32_t value) {
  const unsigned date = value & 0xFFFF;
  const unsigned time = value >> 16;
  const unsigned day = date & 0x1F;
  const unsigned month = (date >> 5) & 0x0F;
  const int year = 1980 + static_cast<int>(date >> 9);
  const unsigned second = 2 * (time & 0x1F);
  const unsigned minute = (time >> 5) & 0x3F;
  const unsigned hour = time >> 11;
  if (day == 0 || month == 0 || month > 12 || hour > 23 || minute > 59 || second > 59) {
    return std::nullopt;
  }
  // Days since 1970-01-01 of the civil date (years from 1980 on).
  const int y = year - (month <= 2 ? 1 : 0);
  const int era = y / 400;
  const int yoe = y - era * 400;
  const int m = static_cast<int>(month);
  const int doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + static_cast<int>(day) - 1;
  const int doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  const std::int64_t days = std::int64_t{era} * 146097 + doe - 719468;
  const std::int64_t seconds = days * 86400 + hour * 3600 + minute * 60 + second;
  return platform::FileTime{platform::kTicksTo1970 +
                            static_cast<std::uint64_t>(seconds) * platform::kTicksPerSecond};
}

std::string ClassName(std::uint8_t type) {
  constexpr char kDigits[] = "0123456789ABCDEF";
  return std::string("0x") + kDigits[type >> 4] + kDigits[type & 0xF];
}

// A file entry's 0xBEEF0004 extension: created and accessed FAT times at 8
// and 12; from version 7 on, the NTFS file reference at 20.
void DescribeFileExtension(const ByteReader& block, ShellItem& out) {
  out.created = FatTime(block.ReadU32(8));
  out.accessed = FatTime(block.ReadU32(12));
  if (block.ReadU16(2) >= 7) {
    const std::uint64_t reference = block.ReadU64(20);
    out.mft_entry = reference & 0xFFFF'FFFF'FFFFULL;
    out.mft_sequence = static_cast<std::uint16_t>(reference >> 48);
  }
}

void DescribeFileEntry(const ByteReader& item, const text::TextDecoder& decoder, ShellItem& out) {
  const std::uint8_t type = item.ReadU8(kClassAt);
  out.type = (type & 0x01) != 0 ? "folder" : "file";
  out.modified = FatTime(item.ReadU32(8));
  IdListEntry entry = FileEntry(item, decoder);
  out.name = std::move(entry.primary_name);
  out.long_name = std::move(entry.long_name);
  if (const auto extension = ExtensionOffset(item, (type & kUnicodeName) != 0)) {
    const ByteReader block = item.Sub(*extension, item.ReadU16(*extension));
    if (block.ReadU32(4) == kFileEntryExtension) DescribeFileExtension(block, out);
  }
}

// Network location (class 0x4X): flags at 4, the location from 5.
void DescribeNetwork(const ByteReader& item, const text::TextDecoder& decoder, ShellItem& out) {
  out.type = "network";
  out.name = TerminatedString(item, 5, false, decoder);
}

// Fills `out` with what `item` holds, as far as it can be read; throws
// RecordError at the first part that leaves the item, `out` keeping what
// came before.
void DescribeItem(const ByteReader& item, const Item* previous, const text::TextDecoder& decoder,
                  ShellItem& out, std::vector<Property>& properties) {
  const std::uint8_t type = item.ReadU8(kClassAt);
  out.type = ClassName(type);
  const auto named = [&out](std::string_view kind, const Item& read) {
    out.type = kind;
    if (!read.value.empty()) out.name = read.value;
  };
  if (type == 0x1F) return named("root", RootFolder(item));
  if (type == 0x2E) {
    const std::string clsid = GuidText(item, 4);
    if (item.size() >= 4 + 2 * kClsidSize && GuidText(item, item.size() - kClsidSize) == kDelegate) {
      out.type = "delegate";
      return;
    }
    out.name = clsid;
    return;
  }
  if ((type & 0x70) == 0x20) {
    out.type = "volume";
    if ((type & 0x01) != 0) out.name = Volume(item, decoder).value;
    return;
  }
  if ((type & 0x70) == 0x30) return DescribeFileEntry(item, decoder, out);
  if ((type & 0x70) == 0x40) return DescribeNetwork(item, decoder, out);
  if (type == 0x61) {
    out.type = "uri";
    const Item uri = Uri(item, decoder);
    if (uri.kind == Kind::kUri) out.name = uri.value;
    return;
  }
  if (type == 0x01) {
    const Item category = Category(item);
    if (category.kind == Kind::kCategory) named("control_panel_category", category);
    return;
  }
  if (type == 0x71) return named("control_panel_item", ControlPanelItem(item));
  if (type == 0x00) {
    if (item.U32(6) == kAppsSignature) {
      properties = ReadProperties(item.From(22));
    }
    const Item read = ClassZeroItem(item, previous, decoder);
    if (read.kind == Kind::kUsersView) return named("users_property_view", read);
    if (read.kind == Kind::kCplFile) return named("cpl_file", read);
    if (!read.value.empty()) out.name = read.value;
  }
}

// Every item of the list, each with what could be read of it, up to the
// terminating empty item or an item that leaves the list; and the
// properties stored in them.
void DescribeItems(const ByteReader& list, const text::TextDecoder& decoder, IdListInfo& info) {
  std::optional<Item> previous;
  for (std::size_t pos = 0; list.Contains(pos, 2);) {
    const std::uint16_t size = list.ReadU16(pos);
    if (size == 0) break;
    ShellItem described;
    std::vector<Property> properties;
    if (size < 3) break;  // too small to hold its class
    if (!list.Contains(pos, size)) {
      // An item running past the list: its class is all that is its own.
      if (list.Contains(pos, 3)) {
        described.type = ClassName(list.ReadU8(pos + kClassAt));
        info.items.push_back(std::move(described));
      }
      break;
    }
    const ByteReader item = list.Sub(pos, size);
    try {
      DescribeItem(item, previous ? &*previous : nullptr, decoder, described, properties);
    } catch (const RecordError&) {
      // The item keeps what was read before the fault.
    }
    try {
      previous = ReadItem(item, previous ? &*previous : nullptr, decoder, info);
    } catch (const RecordError&) {
      previous = Item{};
    }
    info.items.push_back(std::move(described));
    info.properties.insert(info.properties.end(), std::make_move_iterator(properties.begin()),
                           std::make_move_iterator(properties.end()));
    pos += size;
  }
}

}  // namespace

IdListInfo ReadIdList(const ByteReader& list, const text::TextDecoder& decoder, Detail detail) {
  IdListInfo info;
  if (detail == Detail::kRecord) {
    // Described in a list of its own: reading an item also records what the
    // list holds, which ReadItems below does once.
    IdListInfo described;
    DescribeItems(list, decoder, described);
    info.items = std::move(described.items);
    info.properties = std::move(described.properties);
  }
  try {
    const std::vector<Item> items = ReadItems(list, decoder, info);
    info.item_count = items.size();
    info.target = ListTarget(items);
    info.names_uri =
        info.target && HasShape(items, {Kind::kRoot, Kind::kUri}) && items[0].value == kInternet;
    for (const Item& item : items) {
      if (item.kind == Kind::kCplFile || item.kind == Kind::kControlPanelItem) {
        info.control_panel_applet = true;
      }
      if (item.kind == Kind::kCplFile && !info.cpl_path) info.cpl_path = item.value;
    }
  } catch (const RecordError&) {
    IdListInfo broken;
    broken.holds_together = false;
    broken.items = std::move(info.items);
    broken.properties = std::move(info.properties);
    return broken;
  }
  return info;
}

}  // namespace varnlink::lnk
