#include "lnk/property_store.h"

#include <span>
#include <string_view>
#include <utility>

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

namespace varnlink::lnk {
namespace {

// The storage of named properties: each value has a name instead of an id.
constexpr std::string_view kNamedFormat = "{D5CDD505-2E9C-101B-9397-08002B2CF9AE}";

struct KnownProperty {
  std::string_view format_id;
  std::uint32_t id;
  std::string_view name;
};

// The properties links are seen to hold, by their canonical names.
constexpr KnownProperty kKnownProperties[] = {
    {"{B725F130-47EF-101A-A5F1-02608C9EEBAC}", 2, "System.ItemFolderNameDisplay"},
    {"{B725F130-47EF-101A-A5F1-02608C9EEBAC}", 4, "System.ItemTypeText"},
    {"{B725F130-47EF-101A-A5F1-02608C9EEBAC}", 10, "System.ItemNameDisplay"},
    {"{B725F130-47EF-101A-A5F1-02608C9EEBAC}", 12, "System.Size"},
    {"{B725F130-47EF-101A-A5F1-02608C9EEBAC}", 13, "System.FileAttributes"},
    {"{B725F130-47EF-101A-A5F1-02608C9EEBAC}", 14, "System.DateModified"},
    {"{B725F130-47EF-101A-A5F1-02608C9EEBAC}", 15, "System.DateCreated"},
    {"{B725F130-47EF-101A-A5F1-02608C9EEBAC}", 16, "System.DateAccessed"},
    {"{9F4C2855-9F79-4B39-A8D0-E1D42DE1D5F3}", 2, "System.AppUserModel.RelaunchCommand"},
    {"{9F4C2855-9F79-4B39-A8D0-E1D42DE1D5F3}", 3, "System.AppUserModel.RelaunchIconResource"},
    {"{9F4C2855-9F79-4B39-A8D0-E1D42DE1D5F3}", 4,
     "System.AppUserModel.RelaunchDisplayNameResource"},
    {"{9F4C2855-9F79-4B39-A8D0-E1D42DE1D5F3}", 5, "System.AppUserModel.ID"},
    {"{9F4C2855-9F79-4B39-A8D0-E1D42DE1D5F3}", 6, "System.AppUserModel.IsDestListSeparator"},
    {"{9F4C2855-9F79-4B39-A8D0-E1D42DE1D5F3}", 8,
     "System.AppUserModel.ExcludeFromShowInNewInstall"},
    {"{9F4C2855-9F79-4B39-A8D0-E1D42DE1D5F3}", 9, "System.AppUserModel.PreventPinning"},
    {"{B9B4B3FC-2B51-4A42-B5D8-324146AFCF25}", 2, "System.Link.TargetParsingPath"},
    {"{28636AA6-953D-11D2-B5D6-00C04FD918D0}", 24, "System.ParsingName"},
    {"{28636AA6-953D-11D2-B5D6-00C04FD918D0}", 30, "System.ParsingPath"},
    {"{E3E0584C-B788-4A5A-BB20-7F5A44C9ACDD}", 6, "System.ItemFolderPathDisplay"},
    {"{E3E0584C-B788-4A5A-BB20-7F5A44C9ACDD}", 7, "System.ItemPathDisplay"},
    {"{DABD30ED-0043-4789-A7F8-D013A4736622}", 100, "System.ItemFolderPathDisplayNarrow"},
    {"{446D16B1-8DAD-4870-A748-402EA43D788C}", 100, "System.ThumbnailCacheId"},
    {"{446D16B1-8DAD-4870-A748-402EA43D788C}", 104, "System.VolumeId"},
    {"{F29F85E0-4FF9-1068-AB91-08002B27B3D9}", 2, "System.Title"},
    {"{F29F85E0-4FF9-1068-AB91-08002B27B3D9}", 3, "System.Subject"},
    {"{F29F85E0-4FF9-1068-AB91-08002B27B3D9}", 4, "System.Author"},
    {"{F29F85E0-4FF9-1068-AB91-08002B27B3D9}", 5, "System.Keywords"},
    {"{F29F85E0-4FF9-1068-AB91-08002B27B3D9}", 6, "System.Comment"},
};

std::optional<std::string> KnownName(std::string_view format_id, std::uint32_t id) {
  for (const KnownProperty& known : kKnownProperties) {
    if (known.id == id && known.format_id == format_id) return std::string(known.name);
  }
  return std::nullopt;
}

// Variant types (a typed value's 16-bit type).
enum : std::uint16_t {
  kVtI2 = 0x02,
  kVtI4 = 0x03,
  kVtBstr = 0x08,
  kVtBool = 0x0B,
  kVtI1 = 0x10,
  kVtUi1 = 0x11,
  kVtUi2 = 0x12,
  kVtUi4 = 0x13,
  kVtI8 = 0x14,
  kVtUi8 = 0x15,
  kVtInt = 0x16,
  kVtUint = 0x17,
  kVtLpstr = 0x1E,
  kVtLpwstr = 0x1F,
  kVtFiletime = 0x40,
  kVtClsid = 0x48,
};

// UTF-16 text of `bytes` up to its first NUL.
std::string TextUpToNul(std::span<const std::uint8_t> bytes) {
  std::size_t end = 0;
  while (end + 1 < bytes.size() && (bytes[end] != 0 || bytes[end + 1] != 0)) end += 2;
  return text::Utf16LeToUtf8(bytes.first(end));
}

// The value of a typed value (16-bit type, 2 padding bytes, then the value).
// Strings in a property store are UTF-16: a VT_LPWSTR's count is of characters,
// a VT_BSTR's (and VT_LPSTR's, the store's code page being Unicode) of bytes,
// both with the terminating NUL. Throws RecordError when the value leaves `typed`.
decltype(Property::value) TypedValue(const ByteReader& typed, std::uint16_t type) {
  constexpr std::size_t at = 4;
  const auto sign = [](std::uint64_t bits, int width) {
    const std::uint64_t top = std::uint64_t{1} << (width - 1);
    return static_cast<std::int64_t>((bits ^ top) - top);
  };
  switch (type) {
    case kVtI1:
      return sign(typed.ReadU8(at), 8);
    case kVtUi1:
      return std::uint64_t{typed.ReadU8(at)};
    case kVtI2:
      return sign(typed.ReadU16(at), 16);
    case kVtUi2:
      return std::uint64_t{typed.ReadU16(at)};
    case kVtI4:
    case kVtInt:
      return sign(typed.ReadU32(at), 32);
    case kVtUi4:
    case kVtUint:
      return std::uint64_t{typed.ReadU32(at)};
    case kVtI8:
      return static_cast<std::int64_t>(typed.ReadU64(at));
    case kVtUi8:
      return typed.ReadU64(at);
    case kVtBool:
      return typed.ReadU16(at) != 0;
    case kVtFiletime:
      return platform::FileTime{typed.ReadU64(at)};
    case kVtClsid:
      return GuidText(typed, at);
    case kVtLpwstr: {
      const std::uint32_t count = typed.ReadU32(at);
      if (count > typed.size() / 2) throw RecordError();
      return TextUpToNul(typed.Sub(at + 4, 2 * std::size_t{count}).bytes());
    }
    case kVtBstr:
    case kVtLpstr:
      return TextUpToNul(typed.Sub(at + 4, typed.ReadU32(at)).bytes());
    default:
      return std::monostate{};
  }
}

// One value of a storage: its size, its id (or, in the named storage, the
// size of its name), a reserved byte, the name when named, then the typed
// value. Throws RecordError when its id or type cannot be read.
Property ReadProperty(const ByteReader& value, const std::string& format_id, bool named) {
  Property property;
  property.format_id = format_id;
  std::size_t typed_at = kValueHeaderSize;
  if (named) {
    const std::uint32_t name_size = value.ReadU32(4);
    if (name_size > value.size()) throw RecordError();
    property.id = TextUpToNul(value.Sub(kValueHeaderSize, name_size).bytes());
    typed_at += name_size;
  } else {
    const std::uint32_t id = value.ReadU32(4);
    property.id = id;
    property.name = KnownName(format_id, id);
  }
  const ByteReader typed = value.From(typed_at);
  property.type = typed.ReadU16(0);
  try {
    property.value = TypedValue(typed, property.type);
  } catch (const RecordError&) {
    property.value = std::monostate{};
  }
  return property;
}

// The properties of one storage until its terminating zero size, or the
// first value that does not lie inside it.
void ReadStorageProperties(const ByteReader& storage, std::vector<Property>& out) {
  if (storage.ReadU32(4) != kStorageSignature) return;
  const std::string format_id = GuidText(storage, 8);
  const bool named = format_id == kNamedFormat;
  for (std::size_t pos = kStorageHeaderSize; storage.Contains(pos, 4);) {
    const std::uint32_t size = storage.ReadU32(pos);
    if (size < kValueHeaderSize || !storage.Contains(pos, size)) return;
    out.push_back(ReadProperty(storage.Sub(pos, size), format_id, named));
    pos += size;
  }
}

}  // namespace

std::vector<Property> ReadProperties(const ByteReader& storages) {
  std::vector<Property> properties;
  for (std::size_t pos = 0; storages.Contains(pos, 4);) {
    const std::uint32_t size = storages.ReadU32(pos);
    if (size < kStorageHeaderSize || !storages.Contains(pos, size)) break;
    try {
      ReadStorageProperties(storages.Sub(pos, size), properties);
    } catch (const RecordError&) {
      // What the storage held before the fault is kept.
    }
    pos += size;
  }
  return properties;
}

std::string VariantTypeName(std::uint16_t type) {
  static constexpr std::pair<std::uint16_t, std::string_view> kNames[] = {
      {0x00, "VT_EMPTY"},   {0x01, "VT_NULL"},     {0x02, "VT_I2"},       {0x03, "VT_I4"},
      {0x04, "VT_R4"},      {0x05, "VT_R8"},       {0x06, "VT_CY"},       {0x07, "VT_DATE"},
      {0x08, "VT_BSTR"},    {0x0A, "VT_ERROR"},    {0x0B, "VT_BOOL"},     {0x0E, "VT_DECIMAL"},
      {0x10, "VT_I1"},      {0x11, "VT_UI1"},      {0x12, "VT_UI2"},      {0x13, "VT_UI4"},
      {0x14, "VT_I8"},      {0x15, "VT_UI8"},      {0x16, "VT_INT"},      {0x17, "VT_UINT"},
      {0x1E, "VT_LPSTR"},   {0x1F, "VT_LPWSTR"},   {0x40, "VT_FILETIME"}, {0x41, "VT_BLOB"},
      {0x42, "VT_STREAM"},  {0x43, "VT_STORAGE"},  {0x44, "VT_STREAMED_OBJECT"},
      {0x45, "VT_STORED_OBJECT"}, {0x46, "VT_BLOB_OBJECT"}, {0x47, "VT_CF"},
      {0x48, "VT_CLSID"},   {0x49, "VT_VERSIONED_STREAM"},
  };
  const std::uint16_t base = type & 0x0FFF;
  for (const auto& [number, name] : kNames) {
    if (number != base) continue;
    std::string text(name);
    if (type & 0x1000) text = "VT_VECTOR|" + text;
    if (type & 0x2000) text = "VT_ARRAY|" + text;
    if ((type & 0xC000) == 0) return text;
  }
  constexpr char kDigits[] = "0123456789ABCDEF";
  std::string hex = "0x";
  for (int shift = 12; shift >= 0; shift -= 4) hex += kDigits[(type >> shift) & 0xF];
  return hex;
}

}  // namespace varnlink::lnk
