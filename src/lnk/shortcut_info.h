#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "platform/file_time.h"

namespace varnlink::lnk {

// Where a shortcut's target was found.
enum class TargetSource {
  kNone,         // nowhere: the target is empty
  kLinkInfo,     // the link info's local path or network share
  kEnvironment,  // the environment-variables block
  kIdList,       // the shell items of the ID list
  kAppId,        // the property store's app user model id (a packaged app)
  kByteRules,    // not a genuine link: found by the byte rules
};

// The show command of the link header, where it is one the report names.
enum class RunMode { kNormal = 1, kMaximised = 3, kMinimised = 7 };

struct HotKey {
  std::uint8_t modifiers = 0;  // 1 Shift, 2 Ctrl, 4 Alt
  // The key's name; nullopt when the file ends before the key (byte rules).
  std::optional<std::string> key;
};

// A file or folder of the ID list, by the names its shell item holds.
struct IdListEntry {
  std::string primary_name;  // the item's own name, often the 8.3 short name
  // The long name of its 0xBEEF0004 extension; nullopt where the item has no
  // such extension, one of a version whose layout is not known, or an empty
  // name there.
  std::optional<std::string> long_name;
  // The primary name's bytes when the item holds it in the ANSI code page
  // (nullopt when all below 0x80, as for AnsiBytes).
  std::optional<std::string> primary_name_bytes;
};

// One shell item of the ID list as an investigator reads it.
struct ShellItem {
  // "root", "volume", "folder", "file", "network", "uri",
  // "control_panel_category", "control_panel_item", "cpl_file",
  // "users_property_view", "delegate", or the class byte as "0xNN".
  std::string type{};
  // What the item names: a CLSID, drive, primary name, location, URI,
  // category number, path, KNOWNFOLDERID or app id; nullopt where it names
  // nothing or its name could not be read.
  std::optional<std::string> name{};
  std::optional<std::string> long_name{};  // a file entry's 0xBEEF0004 long name
  // The NTFS file reference of a 0xBEEF0004 extension of version 7 on: the
  // 48-bit MFT entry and the 16-bit sequence number.
  std::optional<std::uint64_t> mft_entry{};
  std::optional<std::uint16_t> mft_sequence{};
  // FAT dates and times (2-second steps) of a file entry (modified) and its
  // 0xBEEF0004 extension (created, accessed). FAT times are the writing
  // machine's local clock and record no zone: they are held as they stand,
  // as if they were UTC, never converted.
  std::optional<platform::FileTime> created{};
  std::optional<platform::FileTime> modified{};
  std::optional<platform::FileTime> accessed{};
};

// One property of a serialized property store.
struct Property {
  std::string format_id{};  // "{XXXXXXXX-...}" upper case
  // The property's id, or its name in a storage of named properties.
  std::variant<std::uint32_t, std::string> id{};
  std::optional<std::string> name{};  // the well-known name ("System.AppUserModel.ID")
  std::uint16_t type = 0;           // the VT_ type number
  // Strings (and GUIDs, braced upper case) as text, integers, booleans,
  // FILETIMEs; monostate for the types not decoded or a value that does not
  // lie inside its property.
  std::variant<std::monostate, bool, std::int64_t, std::uint64_t, std::string, platform::FileTime>
      value{};
};

// What the shell items of a link's ID list say, kept whichever record gives
// the target, so that the ID list can be set against the other records.
struct IdListInfo {
  // False when an item does not hold together (it runs past the list, has a
  // size below 2, a name without its terminator, an extension offset outside
  // the item, ...); nothing below is then set.
  bool holds_together = true;
  std::size_t item_count = 0;  // shell items before the terminating empty one
  // The parsing name of the whole list (C:\dir\file, ::{CLSID}, a URI,
  // shell:AppsFolder\<app id>, ...); nullopt when the list has no shape
  // that names a target.
  std::optional<std::string> target;
  std::vector<IdListEntry> file_entries;  // in list order
  // The list holds a Control Panel applet: a CPL-file item or a control-panel item.
  bool control_panel_applet = false;
  std::optional<std::string> cpl_path;  // the CPL-file item's path
  // The list is the Internet folder and a URI: a web link, opened as it shows.
  bool names_uri = false;
  // Every item, in order, with what could be read of it; kept (up to the
  // item that breaks the list) even when the list does not hold together.
  // These two are read with Detail::kRecord only.
  std::vector<ShellItem> items;
  // The properties stored inside the items (an apps item's), in order.
  std::vector<Property> properties;
};

// What the link info says, kept whichever record gives the target (genuine
// links whose link info is not to be ignored).
struct LinkInfoPaths {
  // The local path, else the network path; "" when it names neither.
  std::string target;
  // The local base path and common path suffix, their Unicode forms where
  // present; nullopt when the link info has no local part or an empty one.
  std::optional<std::string> local_path;
  // The target was read in the creating machine's code page alone: no
  // Unicode form of the local base path, or of the share's name and suffix.
  bool target_ansi_only = false;
  // The target's bytes when every part of it is ANSI (the share's name, "\\"
  // and the suffix for a network path), as for AnsiBytes.
  std::optional<std::string> target_bytes;
  // The network link's provider type (0x00020000 a Windows share, 0x002E0000
  // WebDAV); nullopt when there is no network link or it marks the type invalid.
  std::optional<std::uint32_t> network_provider_type;
};

// The environment-variables block's two halves, each up to its first NUL.
struct EnvironmentHalves {
  std::string ansi;     // 260 bytes in the code page
  std::string unicode;  // 260 UTF-16 units
};

// The character counts of the counted strings as Windows finds them, each
// where Windows reads it (bytes for ANSI strings, UTF-16 units for Unicode
// ones); nullopt for a string the link does not have.
struct StringCounts {
  std::optional<std::uint16_t> description;
  std::optional<std::uint16_t> relative_path;
  std::optional<std::uint16_t> start_in;
  std::optional<std::uint16_t> arguments;
};

// The bytes of the strings read in the ANSI code page, as the link holds them,
// beside their texts in ShortcutInfo, so that the text can be read again in
// another code page once the link's Unicode strings tell which one. nullopt
// where the string is absent, Unicode, or all below 0x80: such bytes read
// alike in every ANSI code page, so the text is the bytes.
struct AnsiBytes {
  // The target's, when it came wholly from ANSI bytes: the link info, the
  // environment block's ANSI half or the byte rules.
  std::optional<std::string> target;
  std::optional<std::string> description;
  std::optional<std::string> relative_path;
  std::optional<std::string> start_in;
  std::optional<std::string> arguments;
  std::optional<std::string> icon_location;
  std::optional<std::string> environment;  // the environment block's ANSI half
};

// The strings as their counts declare them, each after the whole of the one
// before, where that reading differs from Windows' (ShortcutInfo's strings):
// a count of 260 or more in the description, relative path or working folder
// makes the two readings part. A string declared past the end of the file is
// cut there. nullopt for a string both read alike.
struct DeclaredStrings {
  std::optional<std::string> description{};
  std::optional<std::string> relative_path{};
  std::optional<std::string> start_in{};
  std::optional<std::string> arguments{};
  std::optional<std::string> icon_location{};

  bool operator==(const DeclaredStrings&) const = default;
};

// Why the ANSI strings were read in the code page they were.
enum class CodePageSource {
  kGiven,     // the user named it
  kInferred,  // the link's own Unicode strings hold its ANSI strings in it
  kConsole,   // the ANSI page of the console block's OEM code page
  kDefault,   // the system's ANSI code page (Windows-1252 on Linux)
};

struct CodePageChoice {
  unsigned code_page = 1252;
  CodePageSource source = CodePageSource::kDefault;
};

// The header's values beside its flags and times.
struct HeaderValues {
  std::uint32_t file_attributes = 0;  // the target's, FILE_ATTRIBUTE_... bits
  std::uint32_t target_size = 0;
  std::int32_t icon_index = 0;
  std::uint32_t show_command = 0;
};

// The link info's parts as it records them, whether or not it names the
// target (ForceNoLinkInfo). Each is nullopt where the link info does not have
// it, or where its offset or its string leaves the link info or its part: an
// inconsistent part gives no value, never a guess. Strings are the Unicode
// forms where the link info has them.
struct LinkInfoParts {
  std::optional<std::uint32_t> drive_type{};  // DRIVE_UNKNOWN (0) ... DRIVE_RAMDISK (6)
  std::optional<std::uint32_t> drive_serial{};
  std::optional<std::string> volume_label{};
  std::optional<std::string> local_base_path{};
  std::optional<std::string> common_path_suffix{};
  std::optional<std::string> network_share{};
  std::optional<std::string> network_device{};      // only with ValidDevice
  std::optional<std::uint32_t> network_provider{};  // only with ValidNetType
};

// The tracker block (0xA0000003): where the link-tracking service last knew
// the target. Object ids are braced upper-case GUIDs.
struct TrackerData {
  std::string machine_id{};  // NetBIOS name
  std::string droid_volume{};
  std::string droid_file{};
  std::string birth_droid_volume{};
  std::string birth_droid_file{};
  // From droid_file when it is a version-1 UUID (RFC 4122 variant): the
  // node (the MAC address of the machine that made it) and its time.
  std::optional<std::array<std::uint8_t, 6>> mac{};
  std::optional<platform::FileTime> droid_time{};
};

// An advertised (MSI) shortcut's descriptor (0xA0000006) and what it names.
struct DarwinData {
  std::string descriptor{};  // the Unicode one unless empty
  // Decoded from the descriptor's compressed GUIDs; nullopt when it is not
  // one of the shapes product[feature]>component or product[feature]<.
  std::optional<std::string> product{};
  std::optional<std::string> feature{};
  std::optional<std::string> component{};
};

// What the extra-data blocks hold for an investigator (genuine links whose
// strings end inside the file). The first block of each kind counts; one
// whose size does not match its kind gives nothing.
struct ExtraBlocks {
  std::vector<std::uint32_t> signatures{};  // in file order, up to the terminal block
  std::optional<TrackerData> tracker{};
  std::optional<std::string> known_folder{};      // 0xA000000B's GUID
  std::optional<std::uint32_t> special_folder{};  // 0xA0000005's CSIDL
  std::optional<DarwinData> darwin{};
  std::optional<std::string> shim_layer{};  // 0xA0000008
  // Where the terminal block ends; nullopt when the blocks end otherwise (no
  // terminal block, a block size of 4 to 7, or a block cut by the file's end).
  std::optional<std::size_t> terminal_end{};
};

// How much of a link the decoder reads.
enum class Detail {
  kAudit,   // what the report and the checks use
  // Also what an investigator's record holds beyond that: the header's other
  // values, the link info's parts, every shell item and property, and the
  // extra-data blocks (ShortcutInfo's header, link_info_parts, extra_blocks,
  // property_store and the ID list's items and properties).
  kRecord,
};

// What decoding one shortcut file yields, as values: texts are UTF-8 as the
// file holds them (converted from UTF-16 or the ANSI code page), nothing is
// masked or labelled yet; a field the file does not have is nullopt.
struct ShortcutInfo {
  bool genuine = false;          // read by its structure, not by the byte rules
  std::uint32_t link_flags = 0;  // the header's flags (byte rules: byte 20 alone)

  std::string target;  // without arguments; empty when the source is kNone
  TargetSource target_source = TargetSource::kNone;

  // What Windows runs when the link's records disagree, which need not be
  // the target above: the environment block's Unicode half when it is a valid
  // path; else its ANSI half when the Unicode half is empty; else the ID
  // list's target (a packaged app's where the list leaves it to the property
  // store); else the link info's. Links read by the byte rules: their target.
  std::string effective_target;
  TargetSource effective_target_source = TargetSource::kNone;

  // The counted strings as Windows reads them (shell-link-format.md §10): at
  // most 259 characters of the description, relative path and working folder,
  // each string read right after what Windows read of the one before.
  std::optional<std::string> description;
  std::optional<std::string> relative_path;
  std::optional<std::string> start_in;
  std::optional<std::string> arguments;
  std::optional<std::string> icon_location;
  // Genuine links whose counts declare other strings than Windows reads.
  std::optional<DeclaredStrings> declared_strings;
  std::optional<HotKey> hot_key;  // nullopt: no hot key
  std::optional<RunMode> run;     // nullopt: a show command the report does not name
  StringCounts string_counts;     // genuine links

  std::optional<LinkInfoPaths> link_info;  // genuine links with a link info not ignored
  // The first environment-variables block, whatever the flags say (genuine links).
  std::optional<EnvironmentHalves> environment;

  // The ID list's shell items (genuine links with an ID list).
  std::optional<IdListInfo> id_list;
  // The app user model id of the property-store block (a packaged app's
  // "Publisher.App_hash!App"); nullopt when there is none or the property
  // store does not hold together.
  std::optional<std::string> app_id;
  // Every property of the first property-store block, in order, as far as
  // its storages can be read; nullopt when the link has no such block, or
  // with Detail::kAudit.
  std::optional<std::vector<Property>> property_store;

  // The target's times as the link header records them (genuine links; nullopt
  // where the header holds zero).
  std::optional<platform::FileTime> target_created;
  std::optional<platform::FileTime> target_accessed;
  std::optional<platform::FileTime> target_modified;

  // Set when a counted string before the working folder has a length that lies
  // past the end of the file where Windows reads it (its position): such a
  // shortcut cannot be reported.
  std::optional<std::size_t> strings_end_early_at;

  AnsiBytes ansi_bytes;
  // The console block's (0xA0000004) code page: the console's OEM code page,
  // not an ANSI one. nullopt when the link has no such block, or the first
  // one is not 12 bytes.
  std::optional<std::uint32_t> console_code_page;
  // The code page the ANSI strings were read in, and why; nullopt when the
  // link has no ANSI string with a byte above 0x7F, or was decoded without a
  // choice of code page (lnk::Decode alone reads in the decoder's page).
  std::optional<CodePageChoice> code_page;

  // Where the link ends in the bytes decoded: just past its terminal
  // extra-data block, else (no terminal block) the end of the bytes. What
  // follows is no part of the link. nullopt for files read by the byte rules.
  std::optional<std::size_t> link_end;

  // What Detail::kRecord reads besides; nullopt (empty) with Detail::kAudit.
  // The header's other values (genuine links).
  std::optional<HeaderValues> header;
  // The link info's parts (genuine links with a link info).
  std::optional<LinkInfoParts> link_info_parts;
  std::optional<ExtraBlocks> extra_blocks;
};

}  // namespace varnlink::lnk
