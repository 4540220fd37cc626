#include "text/code_page_decoder.h"

#include <algorithm>

#include "text/utf8.h"
#include "text/windows1252.h"

#ifdef _WIN32
#include <windows.h>

#include <climits>
#else
#include <iconv.h>

#include <cerrno>
#include <map>
#include <mutex>
#endif

namespace varnlink::text {
namespace {

constexpr unsigned kUtf8CodePage = 65001;

// UTF-8 as Windows' code page 65001 reads it: a byte that starts no valid
// sequence is U+FFFD. Both builds read it alike, without a converter.
std::string Utf8Checked(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size());
  for (std::size_t i = 0; i < bytes.size();) AppendUtf8(out, NextCodePoint(bytes, i));
  return out;
}

#ifdef _WIN32

std::string Converted(unsigned code_page, std::string_view bytes) {
  if (bytes.empty()) return {};
  const int length = static_cast<int>(std::min<std::size_t>(bytes.size(), INT_MAX));
  const int wide_length = MultiByteToWideChar(code_page, 0, bytes.data(), length, nullptr, 0);
  if (wide_length <= 0) return Windows1252ToUtf8(bytes);
  std::u16string wide(static_cast<std::size_t>(wide_length), u'\0');
  MultiByteToWideChar(code_page, 0, bytes.data(), length, reinterpret_cast<wchar_t*>(wide.data()),
                      wide_length);
  std::string out;
  out.reserve(wide.size());
  for (const char16_t unit : wide) AppendUtf8(out, unit);  // the pages hold no surrogates
  return out;
}

#else

bool IsDoubleByte(unsigned code_page) {
  return code_page == 932 || code_page == 936 || code_page == 949 || code_page == 950;
}

std::string IconvName(unsigned code_page) { return "CP" + std::to_string(code_page); }

// Bytes Windows reads where glibc's converter refuses them, beyond the bytes
// 0x80 to 0x9F of the single-byte pages (which Windows reads as the C1
// control of the same value): the private-use characters Windows gives
// undefined bytes, CP1255's 0xCA (holam haser for vav), and the single bytes
// of the double-byte pages that start no pair.
struct WindowsByte {
  unsigned code_page;
  unsigned char byte;
  char16_t code_point;
};
// clang-format off
constexpr WindowsByte kWindowsBytes[] = {
    {1253, 0xAA, 0xF8F9}, {1253, 0xD2, 0xF8FA}, {1253, 0xFF, 0xF8FB},
    {1255, 0xCA, 0x05BA}, {1255, 0xD9, 0xF88D}, {1255, 0xDA, 0xF88E}, {1255, 0xDB, 0xF88F},
    {1255, 0xDC, 0xF890}, {1255, 0xDD, 0xF891}, {1255, 0xDE, 0xF892}, {1255, 0xDF, 0xF893},
    {1255, 0xFB, 0xF894}, {1255, 0xFC, 0xF895}, {1255, 0xFF, 0xF896},
    {1257, 0xA1, 0xF8FC}, {1257, 0xA5, 0xF8FD},
    {874, 0xDB, 0xF8C1}, {874, 0xDC, 0xF8C2}, {874, 0xDD, 0xF8C3}, {874, 0xDE, 0xF8C4},
    {874, 0xFC, 0xF8C5}, {874, 0xFD, 0xF8C6}, {874, 0xFE, 0xF8C7}, {874, 0xFF, 0xF8C8},
    {932, 0x80, 0x0080}, {932, 0xA0, 0xF8F0}, {932, 0xFD, 0xF8F1}, {932, 0xFE, 0xF8F2},
    {932, 0xFF, 0xF8F3},
    {936, 0xFF, 0xF8F5},
    {949, 0x80, 0x0080}, {949, 0xFF, 0xF8F7},
    {950, 0xFF, 0xF8F8},
};
// clang-format on

std::optional<char16_t> WindowsByteOf(unsigned code_page, unsigned char byte) {
  for (const WindowsByte& known : kWindowsBytes) {
    if (known.code_page == code_page && known.byte == byte) return known.code_point;
  }
  if (!IsDoubleByte(code_page) && byte >= 0x80 && byte <= 0x9F) return byte;
  return std::nullopt;
}

class Converter {
 public:
  explicit Converter(unsigned code_page) : cd_(iconv_open("UTF-8", IconvName(code_page).c_str())) {}
  ~Converter() {
    if (ok()) iconv_close(cd_);
  }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;
  [[nodiscard]] bool ok() const { return cd_ != reinterpret_cast<iconv_t>(-1); }

  // Converts `bytes` onto `out` up to the first it refuses (or the end), and
  // returns how many it took. The converter's state is reset afterwards.
  std::size_t Convert(std::string_view bytes, std::string& out) {
    char* in = const_cast<char*>(bytes.data());
    std::size_t left = bytes.size();
    char buffer[256];
    while (true) {
      char* at = buffer;
      std::size_t room = sizeof buffer;
      const std::size_t result = iconv(cd_, &in, &left, &at, &room);
      const int error = errno;
      if (result != static_cast<std::size_t>(-1)) {
        iconv(cd_, nullptr, nullptr, &at, &room);  // a base character held back for a mark
        out.append(buffer, static_cast<std::size_t>(at - buffer));
        break;
      }
      out.append(buffer, static_cast<std::size_t>(at - buffer));
      if (error != E2BIG) break;
    }
    iconv(cd_, nullptr, nullptr, nullptr, nullptr);
    return bytes.size() - left;
  }

 private:
  iconv_t cd_;
};

// A single-byte page as UTF-8, byte by byte: each byte read alone by the
// converter (so that no two bytes combine), where it refuses one as Windows.
using ByteTable = std::array<std::string, 256>;

const ByteTable* SingleByteTable(unsigned code_page) {
  static std::mutex mutex;
  static std::map<unsigned, std::optional<ByteTable> > tables;
  const std::lock_guard lock(mutex);
  auto [it, added] = tables.try_emplace(code_page);
  if (added) {
    Converter converter(code_page);
    if (converter.ok()) {
      ByteTable table;
      for (unsigned b = 0; b < 256; ++b) {
        const char byte = static_cast<char>(b);
        if (converter.Convert(std::string_view(&byte, 1), table[b]) == 1 && !table[b].empty()) {
          continue;
        }
        table[b].clear();
        AppendUtf8(table[b], WindowsByteOf(code_page, static_cast<unsigned char>(b))
                                 .value_or(kReplacementCharacter));
      }
      it->second = std::move(table);
    }
  }
  return it->second ? &*it->second : nullptr;
}

// Whether `byte` leads a pair in a double-byte page.
bool IsLeadByte(unsigned code_page, unsigned char byte) {
  if (code_page == 932) return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
  return byte >= 0x81 && byte <= 0xFE;
}

// A double-byte page: the converter reads what it can; where it refuses,
// Windows' reading: a known single byte, else a lead byte and the byte after
// it, or a lone byte, as the page's default character (U+30FB in 932, "?").
std::string DoubleByteToUtf8(unsigned code_page, std::string_view bytes) {
  Converter converter(code_page);
  if (!converter.ok()) return Windows1252ToUtf8(bytes);
  std::string out;
  out.reserve(bytes.size() * 3 / 2);
  std::size_t at = 0;
  while (at < bytes.size()) {
    at += converter.Convert(bytes.substr(at), out);
    if (at == bytes.size()) break;
    const auto byte = static_cast<unsigned char>(bytes[at]);
    if (const auto known = WindowsByteOf(code_page, byte)) {
      AppendUtf8(out, *known);
      ++at;
      continue;
    }
    AppendUtf8(out, code_page == 932 ? U'\u30FB' : U'?');
    at += IsLeadByte(code_page, byte) ? std::min<std::size_t>(2, bytes.size() - at) : 1;
  }
  return out;
}

std::string Converted(unsigned code_page, std::string_view bytes) {
  if (IsDoubleByte(code_page)) return DoubleByteToUtf8(code_page, bytes);
  const ByteTable* table = SingleByteTable(code_page);
  if (table == nullptr) return Windows1252ToUtf8(bytes);
  std::string out;
  out.reserve(bytes.size() * 2);
  for (const char c : bytes) out += (*table)[static_cast<unsigned char>(c)];
  return out;
}

#endif

}  // namespace

bool IsAnsiCodePage(unsigned code_page) {
  return std::find(kAnsiCodePages.begin(), kAnsiCodePages.end(), code_page) != kAnsiCodePages.end();
}

std::optional<std::string> CodePageFault(unsigned code_page) {
  if (code_page == kUtf8CodePage) return std::nullopt;
#ifdef _WIN32
  if (IsValidCodePage(code_page)) return std::nullopt;
  return "Windows has no converter for code page " + std::to_string(code_page);
#else
  if (IsDoubleByte(code_page) ? Converter(code_page).ok() : SingleByteTable(code_page) != nullptr) {
    return std::nullopt;
  }
  return "iconv cannot open " + IconvName(code_page) + " (are glibc's gconv modules installed?)";
#endif
}

std::string CodePageDecoder::AnsiToUtf8(std::string_view bytes) const {
  if (code_page_ == kUtf8CodePage) return Utf8Checked(bytes);
  return Converted(code_page_, bytes);
}

}  // namespace varnlink::text
