#include "lnk/jump_list.h"

#include <algorithm>
#include <array>
#include <map>

#include "lnk/byte_reader.h"
#include "lnk/shortcut_decoder.h"
#include "text/text_decoder.h"
#include "text/utf16.h"

namespace varnlink::lnk {
namespace {

// The shell link class id 00021401-0000-0000-C000-000000000046 as stored:
// before each shortcut of a custom list, and in every link header.
constexpr std::array<std::uint8_t, 16> kShellLinkClassId = {0x01, 0x14, 0x02, 0x00, 0x00, 0x00, 0x00, 0x00,
                                                            0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46};
constexpr std::uint32_t kFooter = 0xBABFFBAB;
constexpr std::size_t kCustomHeaderSize = 12;
constexpr char kNoStream[] = "no shortcut stream for this entry";

void KeepFirst(std::optional<std::string>& error, const std::optional<std::string>& fault) {
  if (!error && fault) error = fault;
}

// A shortcut stream's name: its entry number in lower-case hexadecimal.
std::optional<std::uint32_t> EntryNumber(const std::string& name) {
  if (name.empty() || name.size() > 8) return std::nullopt;
  std::uint32_t value = 0;
  for (const char c : name) {
    if (c >= '0' && c <= '9') {
      value = value * 16 + static_cast<std::uint32_t>(c - '0');
    } else if (c >= 'a' && c <= 'f') {
      value = value * 16 + static_cast<std::uint32_t>(c - 'a' + 10);
    } else {
      return std::nullopt;
    }
  }
  return value;
}

// The class id then the start of a link header (its size, 0x4C, and the
// class id again): where a shortcut starts when the structure cannot say.
std::optional<std::size_t> NextLinkStart(const ByteReader& file, std::size_t from) {
  std::array<std::uint8_t, 36> pattern{};
  std::copy(kShellLinkClassId.begin(), kShellLinkClassId.end(), pattern.begin());
  pattern[16] = 0x4C;
  std::copy(kShellLinkClassId.begin(), kShellLinkClassId.end(), pattern.begin() + 20);
  return file.Find(pattern, from);
}

bool ClassIdAt(const ByteReader& file, std::size_t pos) {
  const auto at = file.Slice(pos, kShellLinkClassId.size());
  return std::equal(at.begin(), at.end(), kShellLinkClassId.begin(), kShellLinkClassId.end());
}

bool FooterAt(const ByteReader& file, std::size_t pos) { return file.U32(pos) == kFooter; }

class CustomListReader {
 public:
  explicit CustomListReader(std::span<const std::uint8_t> bytes) : file_(bytes) { list_.bytes = bytes; }

  JumpList Read() {
    if (file_.size() < kCustomHeaderSize) {
      list_.error = "the custom jump list is cut short inside its header (" + std::to_string(file_.size()) +
                    " bytes)";
      return std::move(list_);
    }
    const std::uint32_t categories = file_.ReadU32(4);
    std::size_t pos = kCustomHeaderSize;
    for (std::uint32_t index = 0; index < categories; ++index) {
      if (!ReadCategory(index, pos)) break;
    }
    ReadTrailing(pos);
    return std::move(list_);
  }

 private:
  void Fault(std::string cause) { KeepFirst(list_.error, std::move(cause)); }

  // Reads category `index` at `pos` with its shortcuts and footer; false
  // when it does not hold together (the rest is then searched for links).
  bool ReadCategory(std::uint32_t index, std::size_t& pos) {
    const std::string which = "category " + std::to_string(index + 1);
    const auto type = file_.U32(pos);
    CustomCategory category{index, type.value_or(0), ""};
    std::optional<std::uint32_t> declared;
    pos += 4;
    if (type == 0u) {
      const auto length = file_.U16(pos);
      if (length && file_.Contains(pos + 2, 2 * std::size_t{*length})) {
        category.name = text::Utf16LeToUtf8(file_.Slice(pos + 2, 2 * std::size_t{*length}));
        pos += 2 + 2 * std::size_t{*length};
        declared = file_.U32(pos);
        pos += 4;
      }
    } else if (type == 1u) {
      // A known category holds no shortcuts of its own: the shell fills it
      // from the automatic list.
      if (const auto id = file_.U32(pos)) {
        const auto known = static_cast<std::int32_t>(*id);
        category.name = known == 1   ? "Frequent"
                        : known == 2 ? "Recent"
                                     : "Known category " + std::to_string(known);
        declared = 0;
        pos += 4;
      }
    } else if (type == 2u) {
      category.name = "Tasks";
      declared = file_.U32(pos);
      pos += 4;
    } else if (type) {
      Fault("the custom jump list's " + which + " has the unknown type " + std::to_string(*type));
      pos -= 4;
      return false;
    }
    if (!declared || pos > file_.size()) {
      Fault("the custom jump list ends inside its " + which);
      pos = std::min(pos, file_.size());
      return false;
    }
    std::uint32_t found = 0;
    while (!FooterAt(file_, pos)) {
      if (!ClassIdAt(file_, pos)) {
        Fault("the custom jump list's " + which + " is not closed by its footer at byte " + std::to_string(pos));
        return false;
      }
      ReadLink(pos, category);
      ++found;
    }
    pos += 4;
    if (found != *declared) {
      Fault("the custom jump list's " + which + " declares " + std::to_string(*declared) +
            " shortcuts but holds " + std::to_string(found));
    }
    return true;
  }

  // Shortcuts after the last category (a program may write them so) or
  // after a category that does not hold together.
  void ReadTrailing(std::size_t pos) {
    while (pos < file_.size()) {
      if (FooterAt(file_, pos) && pos + 4 == file_.size()) return;
      const std::size_t at = ClassIdAt(file_, pos) && file_.size() - pos > kShellLinkClassId.size()
                                 ? pos
                                 : NextLinkStart(file_, pos).value_or(file_.size());
      if (at != pos) {
        Fault("the custom jump list holds " + std::to_string(at - pos) + " bytes at byte " +
              std::to_string(pos) + " that are no shortcut");
      }
      if (at == file_.size()) return;
      pos = at;
      ReadLink(pos, std::nullopt);
    }
  }

  // Reads the shortcut after the class id at `pos` and moves past it. Its
  // end is where its own structure ends, looked for no further than the next
  // link's start (so that a file of many links is decoded once over, not once
  // a link); a link cut short or without a terminal block runs to the next
  // link or the file's end (before a closing footer).
  void ReadLink(std::size_t& pos, const std::optional<CustomCategory>& category) {
    const std::size_t start = pos + kShellLinkClassId.size();
    const std::size_t next = NextLinkStart(file_, start).value_or(file_.size());
    const std::span<const std::uint8_t> rest = file_.Slice(start, std::min(next - start, kMaxShortcutBytes));
    std::optional<std::size_t> end;
    try {
      const ShortcutInfo info = Decode(rest, ansi_);
      if (info.link_end && *info.link_end > 0 && *info.link_end < rest.size()) end = *info.link_end;
    } catch (const DecodeError&) {
    }
    if (!end) {
      end = next - start;
      if (next == file_.size() && *end >= 4 && FooterAt(file_, file_.size() - 4)) *end -= 4;
    }
    JumpListEntry entry;
    entry.stream = std::to_string(list_.entries.size());
    entry.offset = start;
    entry.size = *end;
    entry.category = category;
    list_.entries.push_back(std::move(entry));
    pos = start + *end;
  }

  ByteReader file_;
  JumpList list_;
  text::Windows1252Decoder ansi_;  // the link's end does not depend on its code page
};

}  // namespace

JumpList ReadAutomaticDestinations(std::span<const std::uint8_t> bytes) {
  JumpList list;
  list.bytes = bytes;
  try {
    list.compound_file = CompoundFile::Open(bytes);
  } catch (const CompoundFileError& error) {
    list.error = error.what();
    return list;
  }
  const CompoundFile& cf = *list.compound_file;
  KeepFirst(list.error, cf.DirectoryFault());

  std::map<std::uint32_t, std::size_t> shortcut_streams;  // by entry number
  const auto& streams = cf.Streams();
  for (std::size_t i = 0; i < streams.size(); ++i) {
    if (const auto number = EntryNumber(streams[i].name)) shortcut_streams.emplace(*number, i);
  }
  DestList dest_list;
  if (const StreamEntry* stream = cf.Find("DestList")) {
    KeepFirst(list.error, stream->fault);
    if (!stream->fault) {
      std::vector<std::uint8_t> buffer;
      cf.Read(*stream, buffer);
      dest_list = ReadDestList(buffer);
      if (!buffer.empty()) list.dest_list_version = dest_list.version;
      KeepFirst(list.error, dest_list.error);
    }
  }

  std::vector<bool> listed(streams.size(), false);
  const auto add = [&](JumpListEntry entry, std::optional<std::size_t> index) {
    if (index) {
      const StreamEntry& stream = streams[*index];
      listed[*index] = true;
      entry.stream = stream.name;
      entry.stream_index = index;
      entry.size = stream.fault ? 0 : stream.size;
      entry.error = stream.fault;
      KeepFirst(list.error, stream.fault);
    } else {
      entry.error = kNoStream;
    }
    list.entries.push_back(std::move(entry));
  };
  for (DestListEntry& item : dest_list.entries) {
    JumpListEntry entry;
    entry.stream = item.StreamName();
    const auto found = shortcut_streams.find(item.entry_number);
    entry.dest_list = std::move(item);
    if (found != shortcut_streams.end() && listed[found->second]) {
      // One stream is one shortcut: a second entry for it is a fault, and
      // handing its bytes out again would let a small file cost much.
      entry.error = "the DestList names the stream " + entry.stream + " more than once";
      KeepFirst(list.error, entry.error);
      list.entries.push_back(std::move(entry));
      continue;
    }
    add(std::move(entry), found != shortcut_streams.end() ? std::optional(found->second) : std::nullopt);
  }
  for (const auto& [number, index] : shortcut_streams) {
    if (!listed[index]) add(JumpListEntry{}, index);
  }
  return list;
}

JumpList ReadCustomDestinations(std::span<const std::uint8_t> bytes) { return CustomListReader(bytes).Read(); }

void JumpList::ForEachShortcut(
    const std::function<void(const JumpListEntry&, std::span<const std::uint8_t>)>& visit) const {
  std::vector<std::uint8_t> buffer;
  for (const JumpListEntry& entry : entries) {
    if (entry.error) {
      visit(entry, {});
    } else if (entry.stream_index && compound_file) {
      compound_file->Read(compound_file->Streams()[*entry.stream_index], buffer);
      visit(entry, buffer);
    } else if (!entry.stream_index) {
      visit(entry, bytes.subspan(entry.offset, static_cast<std::size_t>(entry.size)));
    }
  }
}

}  // namespace varnlink::lnk
