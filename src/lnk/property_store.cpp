#include "lnk/property_store.h"

#include <string_view>

#include "lnk/guid.h"
#include "text/report_text.h"

namespace varnlink::lnk {
namespace {

// A storage: 32-bit size, "1SPS", a 16-byte format id, then values until a
// value size of 0.
constexpr std::uint32_t kStorageSignature = 0x53505331;  // "1SPS"
constexpr std::size_t kStorageHeaderSize = 24;
constexpr std::string_view kAppIdFormat = "{9F4C2855-9F79-4B39-A8D0-E1D42DE1D5F3}";
constexpr std::uint32_t kAppIdProperty = 5;

// A value of a format whose properties have ids: 32-bit size, 32-bit id, one
// reserved byte, then the typed value: 16-bit type, 2 padding bytes and, for a
// string, a 32-bit character count (with the terminating NUL) and UTF-16 text.
constexpr std::size_t kValueHeaderSize = 9;
constexpr std::size_t kTypeAt = 9;
constexpr std::size_t kCountAt = 13;
constexpr std::size_t kTextAt = 17;
constexpr std::uint16_t kUtf16String = 0x001F;

// The value's text when it is a string; its characters must lie inside the value.
std::optional<std::string> StringValue(const ByteReader& value) {
  if (value.ReadU16(kTypeAt) != kUtf16String) return std::nullopt;
  const std::uint32_t count = value.ReadU32(kCountAt);
  if (count > value.size() / 2) throw RecordError();  // keeps 2 * count from overflowing
  auto text = value.Sub(kTextAt, 2 * std::size_t{count}).bytes();
  while (text.size() >= 2 && text[text.size() - 1] == 0 && text[text.size() - 2] == 0) {
    text = text.first(text.size() - 2);
  }
  return text::Utf16LeToUtf8(text);
}

// The app user model id of one storage, when it holds one.
std::optional<std::string> ReadStorage(const ByteReader& storage) {
  if (storage.ReadU32(4) != kStorageSignature) throw RecordError();
  const bool app_format = GuidText(storage, 8) == kAppIdFormat;
  std::optional<std::string> app_id;
  std::size_t pos = kStorageHeaderSize;
  for (std::uint32_t size; (size = storage.ReadU32(pos)) != 0; pos += size) {
    if (size < kValueHeaderSize) throw RecordError();
    const ByteReader value = storage.Sub(pos, size);
    if (app_format && value.ReadU32(4) == kAppIdProperty && !app_id) app_id = StringValue(value);
  }
  if (pos + 4 != storage.size()) throw RecordError();
  return app_id;
}

}  // namespace

std::optional<std::string> AppUserModelId(const ByteReader& storages) {
  std::optional<std::string> app_id;
  std::size_t pos = 0;
  for (std::uint32_t size; (size = storages.ReadU32(pos)) != 0; pos += size) {
    if (size < kStorageHeaderSize + 4) throw RecordError();
    auto id = ReadStorage(storages.Sub(pos, size));
    if (!app_id) app_id = std::move(id);
  }
  return app_id;
}

}  // namespace varnlink::lnk
