#pragma once

// Test-support writer of Windows shell link (.lnk) files.
//
// Two levels:
//  - Raw layouts: little-endian writers that put bytes at given positions, so a
//    byte-rule test can state its input field by field ("bytes 100-103: 10 00 00 00").
//  - Genuine links: `ShellLink` describes a shortcut field by field (header, ID
//    list, link info, counted strings, extra data); `BuildLink` lays it out exactly
//    as the format notes (../shared/shell-link-format.md) describe, computing every
//    size, offset and flag from what is present unless a test overrides it.
//
// Texts are given as UTF-8 and converted to the field's encoding: Windows-1252
// for ANSI fields (throws std::invalid_argument for a character Windows-1252
// lacks), UTF-16LE for Unicode fields. `Text::Raw` stores bytes exactly as given.
// The writer never validates a combination: it writes what it is told, so tests
// can build damaged links too. It does not depend on the auditor or GoogleTest.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace varnlink::test_support {

using Bytes = std::vector<std::uint8_t>;

// ---------------------------------------------------------------------------
// Raw byte layouts. The Put* writers grow `bytes` with zeros when `pos` lies
// past its end; the Append* writers add at the end.

void PutU8(Bytes& bytes, std::size_t pos, std::uint8_t value);
void PutU16(Bytes& bytes, std::size_t pos, std::uint16_t value);
void PutU32(Bytes& bytes, std::size_t pos, std::uint32_t value);
void PutU64(Bytes& bytes, std::size_t pos, std::uint64_t value);
void PutBytes(Bytes& bytes, std::size_t pos, const Bytes& data);
// One byte per char of `chars`, no NUL added ("DISK1" puts 5 bytes).
void PutChars(Bytes& bytes, std::size_t pos, std::string_view chars);

void AppendU16(Bytes& bytes, std::uint16_t value);
void AppendU32(Bytes& bytes, std::uint32_t value);
void AppendU64(Bytes& bytes, std::uint64_t value);
void AppendBytes(Bytes& bytes, const Bytes& data);
void AppendChars(Bytes& bytes, std::string_view chars);

// One byte per char: BytesOf("C:\\A.EXE") is 8 bytes, no NUL.
[[nodiscard]] Bytes BytesOf(std::string_view chars);
// `count` bytes of `value`.
[[nodiscard]] Bytes Filled(std::size_t count, std::uint8_t value);
// The bytes of several pieces one after another.
[[nodiscard]] Bytes Concat(std::initializer_list<Bytes> pieces);

// ---------------------------------------------------------------------------
// Text encodings.

// UTF-8 to Windows-1252 bytes. U+0081, U+008D, U+008F, U+0090 and U+009D (the
// code points Windows maps the five unassigned bytes to) give those bytes.
// Throws std::invalid_argument for invalid UTF-8 or a character not in the page.
[[nodiscard]] Bytes ToWindows1252(std::string_view utf8);
// UTF-8 to UTF-16LE bytes (no terminator). Throws std::invalid_argument for invalid UTF-8.
[[nodiscard]] Bytes ToUtf16Le(std::string_view utf8);
// Number of UTF-16 code units of `utf8`.
[[nodiscard]] std::size_t Utf16Units(std::string_view utf8);

// A text field's value: UTF-8 converted to the field's encoding, or raw bytes
// stored exactly as given (for ANSI: the bytes; for Unicode: UTF-16LE bytes).
// `count`, when set, is written as a counted string's count instead of the
// real one (a string reaching past the end, a count of 0xFFFF, ...).
struct Text {
  Text() = default;
  Text(const char* utf8_text) : utf8(utf8_text) {}             // NOLINT: implicit on purpose
  Text(std::string utf8_text) : utf8(std::move(utf8_text)) {}  // NOLINT: implicit on purpose
  static Text Raw(Bytes stored_bytes, std::optional<std::uint16_t> count_override = std::nullopt);
  static Text WithCount(std::string utf8_text, std::uint16_t count_override);

  // The stored bytes in single-byte (Windows-1252) or UTF-16LE form.
  [[nodiscard]] Bytes Ansi() const;
  [[nodiscard]] Bytes Unicode() const;

  std::string utf8{};
  std::optional<Bytes> raw{};
  std::optional<std::uint16_t> count{};
};

// ---------------------------------------------------------------------------
// Genuine shell links.

// Link flags (32-bit field at byte 20).
enum LinkFlag : std::uint32_t {
  kHasLinkTargetIdList = 0x1,
  kHasLinkInfo = 0x2,
  kHasName = 0x4,
  kHasRelativePath = 0x8,
  kHasWorkingDir = 0x10,
  kHasArguments = 0x20,
  kHasIconLocation = 0x40,
  kIsUnicode = 0x80,
  kForceNoLinkInfo = 0x100,
  kHasExpString = 0x200,
};

// Show-command values (32-bit field at byte 60).
enum ShowCommand : std::uint32_t { kShowNormal = 1, kShowMaximized = 3, kShowMinNoActive = 7 };

// Hot-key modifiers (byte 65).
enum HotKeyModifier : std::uint8_t { kHotKeyShift = 1, kHotKeyCtrl = 2, kHotKeyAlt = 4 };

// The volume id of a link info with a local path. An ANSI volume id with an
// empty label contains the bytes 10 00 00 00 00 (label offset 16, lone NUL).
struct VolumeId {
  enum class LabelForm { kAnsi, kUnicode };
  Text label{};  // "" = empty label
  LabelForm form = LabelForm::kAnsi;
  std::uint32_t drive_type = 3;  // DRIVE_FIXED
  std::uint32_t serial_number = 0x1C2D3E4F;
};

// The common network relative link of a link info with a network target.
struct NetworkLink {
  Text net_name{};                         // ANSI, e.g. "\\\\SERVER\\SHARE"
  std::optional<Text> net_name_unicode{};  // when set, Unicode offsets are written (offset > 0x14)
  std::optional<Text> device_name{};       // ANSI, e.g. "Z:"; sets ValidDevice
  std::uint32_t provider_type = 0x00020000;  // WNNC_NET_LANMAN; sets ValidNetType
};

struct LinkInfo {
  // Local target: the volume id and the ANSI local base path (flag 0x1 of the
  // link info). Unset = no local part.
  std::optional<Text> local_base_path{};
  VolumeId volume_id;
  // Network target (flag 0x2 of the link info). Unset = no network part.
  std::optional<NetworkLink> network{};
  // ANSI common path suffix; written (possibly empty) whenever the link info is.
  Text common_path_suffix{};
  // Unicode forms. When either is set the link-info header is 0x24 bytes and
  // both Unicode offsets are written (a missing Unicode local path gives offset
  // 0; a missing Unicode suffix gives an empty Unicode string).
  std::optional<Text> local_base_path_unicode{};
  std::optional<Text> common_path_suffix_unicode{};
};

// The environment-variables block (0xA0000001, 0x314 bytes): the target with
// variables as 260 ANSI bytes then 260 UTF-16 units, each NUL-padded.
struct EnvironmentBlock {
  Text ansi{};
  Text unicode{};
};

struct ShellLink {
  // --- header (76 bytes)
  std::optional<std::uint32_t> flags{};  // written instead of the computed flags when set
  std::uint32_t extra_flags = 0;         // OR'ed into the computed flags
  std::uint32_t file_attributes = 0x20;
  std::uint64_t creation_time = 0;  // FILETIME values (see FileTimeOf)
  std::uint64_t access_time = 0;
  std::uint64_t write_time = 0;
  std::uint32_t file_size = 0;
  std::int32_t icon_index = 0;
  std::uint32_t show_command = kShowNormal;
  std::uint8_t hot_key = 0;            // virtual-key code (byte 64)
  std::uint8_t hot_key_modifiers = 0;  // HotKeyModifier bits (byte 65)

  // --- ID list: item bodies; the writer adds each item's size and the
  // terminating empty item. Unset = no ID list (flag 0x1 clear).
  std::optional<std::vector<Bytes>> id_list{};

  // --- link info (flag 0x2). `force_no_link_info` sets flag 0x100; the link
  // info, when given, is still written.
  std::optional<LinkInfo> link_info{};
  bool force_no_link_info = false;

  // --- counted strings, each written only when set (and its flag set).
  bool unicode = false;  // IsUnicode (0x80): UTF-16LE, counts in UTF-16 units
  std::optional<Text> description{};
  std::optional<Text> relative_path{};
  std::optional<Text> working_dir{};
  std::optional<Text> arguments{};
  std::optional<Text> icon_location{};

  // --- extra data
  std::optional<EnvironmentBlock> environment{};  // flag 0x200
  std::vector<Bytes> extra_blocks{};  // whole blocks (see ExtraBlock), written after `environment`
  bool terminal_block = true;         // the 4-byte zero block that ends the list
  Bytes trailing{};                   // anything after the end (padding, junk)
};

// Where the parts of a built link start (byte positions in `bytes`); a part
// that is absent has the position where it would have started.
struct LinkLayout {
  Bytes bytes{};
  std::uint32_t flags = 0;
  std::size_t id_list_start = 76;
  std::size_t link_info_start = 76;
  std::size_t local_base_path_start = 0;  // 0 when absent
  std::size_t strings_start = 76;
  std::size_t extra_data_start = 76;
};

// The flags `link` gets: its override, else those computed from what is present.
[[nodiscard]] std::uint32_t FlagsOf(const ShellLink& link);
[[nodiscard]] LinkLayout LayoutLink(const ShellLink& link);
[[nodiscard]] Bytes BuildLink(const ShellLink& link);

// A convenient genuine ANSI link to a local target: link info with the local
// base path `target` (volume with an empty label) and nothing else.
[[nodiscard]] ShellLink LocalLink(std::string target);

// A whole extra-data block: 32-bit size (8 + data), 32-bit signature, data.
[[nodiscard]] Bytes ExtraBlock(std::uint32_t signature, const Bytes& data);

// ---------------------------------------------------------------------------
// Shell items of an ID list. Each gives an item's body (its class byte on), as
// ShellLink::id_list takes it; offsets inside an item count from the item's
// start, its size field included, as a reader sees them. Texts are UTF-16LE
// unless said otherwise; GUIDs are given as "{20D04FE0-3AEA-1069-A2D8-08002B30309D}".

inline constexpr std::string_view kComputerClsid = "{20D04FE0-3AEA-1069-A2D8-08002B30309D}";
inline constexpr std::string_view kControlPanelClsid = "{21EC2020-3AEA-1069-A2DD-08002B30309D}";

// The 16 bytes of a GUID (Data1 to Data3 little-endian). Throws std::invalid_argument.
[[nodiscard]] Bytes GuidBytes(std::string_view text);

[[nodiscard]] Bytes RootItem(std::string_view clsid);              // class 0x1F
[[nodiscard]] Bytes VolumeItem(std::string_view drive);            // class 0x2F: "C:\\", ASCII
[[nodiscard]] Bytes RegisteredFolderItem(std::string_view clsid);  // class 0x2E

// A file entry (class 0x31 folder, 0x32 file; 0x04 with a UTF-16 primary
// name): the primary name at 14, then, when `long_name` is set, a 0xBEEF0004
// extension of `version` (3, 7, 8 or 9 place the long name at 20, 38, 42 or
// 46) and the item's last 16-bit value, the extension's offset.
struct FileEntry {
  std::string primary_name;  // Windows-1252 unless `unicode`
  std::optional<std::string> long_name{};
  bool folder = true;
  bool unicode = false;
  std::uint16_t version = 9;
};
[[nodiscard]] Bytes FileEntryItem(const FileEntry& entry);

[[nodiscard]] Bytes UriItem(std::string_view uri);             // class 0x61, the URI at 8
[[nodiscard]] Bytes CategoryItem(std::uint32_t number);        // class 0x01, 12 bytes
[[nodiscard]] Bytes ControlPanelItem(std::string_view clsid);  // class 0x71, 30 bytes
// A CPL file (class 0x00): the ANSI layout (path at 12, Windows-1252) or the
// Unicode layout (path at 24).
[[nodiscard]] Bytes CplFileItem(std::string_view path, bool ansi_layout);
[[nodiscard]] Bytes GameItem(std::string_view game_id);            // class 0x00, "GFSI"
[[nodiscard]] Bytes UsersViewItem(std::string_view known_folder);  // class 0x00, property view
[[nodiscard]] Bytes AppsItem(std::string_view app_id);             // class 0x00, "APPS"

// Serialized property storages holding `app_id` as property 5 of format
// {9F4C2855-9F79-4B39-A8D0-E1D42DE1D5F3}, after a storage of another format;
// and the property-store extra-data block (0xA0000009) of them.
[[nodiscard]] Bytes AppIdStorages(std::string_view app_id);
[[nodiscard]] Bytes PropertyStoreBlock(std::string_view app_id);

// A tracker block (0xA0000003) of machine "netbook" whose file droids are
// these, its volume droids a version-4 id.
[[nodiscard]] Bytes TrackerBlock(std::string_view file_droid, std::string_view birth_file_droid);
// An advertised shortcut's block (0xA0000006): the descriptor in both halves.
[[nodiscard]] Bytes DarwinBlock(std::string_view descriptor);

// A FILETIME (100 ns since 1601-01-01 UTC) for a Unix time in seconds.
[[nodiscard]] std::uint64_t FileTimeOf(std::int64_t unix_seconds);

// ---------------------------------------------------------------------------
// Files.

// Writes `bytes` to `path`, replacing the file. Throws std::runtime_error naming the path.
void WriteFileBytes(const std::filesystem::path& path, const Bytes& bytes);

}  // namespace varnlink::test_support
