// The two reference examples, byte for byte: the Notepad entry of a genuine
// ANSI link, and a file read by the byte rules laid out field by field.

#include <gtest/gtest.h>

#include "lnk/shortcut_decoder.h"
#include "tests/support/audit_fixture.h"

namespace varnlink::test_support {
namespace {

using ReferenceExample = AuditTest;

TEST_F(ReferenceExample, NotepadEntryOfAnAnsiLinkIsByteExact) {
  // A genuine ANSI shortcut as Windows 98 would write it for Notepad.
  ShellLink link = LocalLink("C:\\WINDOWS\\NOTEPAD.EXE");
  link.id_list = std::vector<Bytes>{
      Concat({BytesOf("\x1f\x50"), Filled(16, 0xE0)}),            // My Computer
      Concat({BytesOf("\x2f"), BytesOf("C:\\"), Filled(19, 0)}),  // drive C:
      Concat({BytesOf("\x31"), Filled(11, 0), BytesOf("WINDOWS"), Filled(1, 0)}),
      Concat({BytesOf("\x32"), Filled(11, 0), BytesOf("NOTEPAD.EXE"), Filled(1, 0)}),
  };
  link.link_info->volume_id.label = "";  // empty label: 10 00 00 00 00
  link.relative_path = "..\\..\\..\\..\\NOTEPAD.EXE";
  link.working_dir = "C:\\WINDOWS";
  link.show_command = kShowNormal;
  link.hot_key = 0;
  Bytes bytes = BuildLink(link);
  ASSERT_LE(bytes.size(), 398u);
  link.trailing = Filled(398 - bytes.size(), 0);  // after the terminal block
  bytes = BuildLink(link);
  ASSERT_EQ(bytes.size(), 398u);

  const std::string path = "C:\\WINDOWS\\Start Menu\\Programs\\Accessories\\Notepad.lnk";
  FakeFileServices::File& file = files.Add(path, bytes);
  file.attributes = platform::kArchive;
  file.times = platform::FileTimes{.created = TimeAt({1999, 4, 12, 10, 15, 42}),
                                   .accessed = TimeAt({1999, 6, 3, 17, 1, 2}),
                                   .modified = TimeAt({1999, 4, 12, 10, 15, 42})};

  EXPECT_EQ(Audit(path),
            "SHORTCUT NAME:   Notepad\r\n"
            "LOCATION:   C:\\WINDOWS\\Start Menu\\Programs\\Accessories\\Notepad.lnk\r\n"
            "TARGET:   C:\\WINDOWS\\NOTEPAD.EXE\r\n"
            "START IN:   C:\\WINDOWS\r\n"
            "ICON SOURCE:   C:\\WINDOWS\\NOTEPAD.EXE\r\n"
            "LENGTH:   398 bytes          SHORTCUT KEY:   (none)        RUN:   Normal\r\n"
            "READ ONLY:   False       ARCHIVE:   True       HIDDEN:   False \r\n"
            "CREATED:   12 April 1999   10:15:42     MODIFIED:   12 April 1999   10:15:42"
            "     ACCESSED:   03 June 1999   \r\n"
            "\r\n");
  EXPECT_EQ(count, 1u);
  EXPECT_TRUE(messages.shown.empty());
}

TEST(ByteRuleExample, LayoutDecodesFieldByField) {
  Bytes bytes(100, 0);                // not a genuine link: bytes 0-3 are not 4C 00 00 00
  PutU8(bytes, 20, 0x3A);             // flags: 2, 8, 16 (working dir), 32 (arguments)
  PutU32(bytes, 100, 0x10);           // 100-103: pattern B, r = 100
  PutChars(bytes, 104, "DISK1");      // 104-108: passed over
  PutU8(bytes, 109, 0);               // the NUL that ends the search; target starts at 110
  PutChars(bytes, 110, "C:\\A.EXE");  // 110-117: Target
  PutU8(bytes, 118, 0);               // TargetEnd
  PutU8(bytes, 119, 0);               // passed over
  PutU16(bytes, 120, 4);              // the string before the working folder: 4 characters
  PutChars(bytes, 122, "..\\A");      // discarded
  PutU16(bytes, 126, 3);              // the working folder: 3 characters
  PutChars(bytes, 128, "C:\\");       // working directory
  PutU16(bytes, 131, 2);              // the arguments: 2 characters
  PutChars(bytes, 133, "/p");         // arguments
  PutU16(bytes, 135, 0);              // the icon location: empty
  ASSERT_EQ(bytes.size(), 137u);

  FakeFileServices files;
  const lnk::ShortcutInfo info = lnk::Decode(bytes, files.AnsiDecoder());
  EXPECT_FALSE(info.genuine);
  EXPECT_EQ(info.target, "C:\\A.EXE");
  EXPECT_EQ(info.target_source, lnk::TargetSource::kByteRules);
  EXPECT_EQ(info.link_flags, 0x3Au);
  EXPECT_EQ(info.description, std::nullopt);
  EXPECT_EQ(info.start_in, "C:\\");
  EXPECT_EQ(info.arguments, "/p");
  EXPECT_EQ(info.icon_location, std::nullopt);
  EXPECT_EQ(info.hot_key, std::nullopt);
  EXPECT_EQ(info.run, std::nullopt);
}

}  // namespace
}  // namespace varnlink::test_support
