#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
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
  // not an ANSI one. nullopt when the link has no such block.
  std::optional<std::uint32_t> console_code_page;
  // The code page the ANSI strings were read in, and why; nullopt when the
  // link has no ANSI string with a byte above 0x7F, or was decoded without a
  // choice of code page (lnk::Decode alone reads in the decoder's page).
  std::optional<CodePageChoice> code_page;

  // Where the link ends in the bytes decoded: just past its terminal
  // extra-data block, else (no terminal block) the end of the bytes. What
  // follows is no part of the link. nullopt for files read by the byte rules.
  std::optional<std::size_t> link_end;
};

}  // namespace varnlink::lnk
