// What the link info and the extra-data blocks hold for an
// investigator, on built links: consistent blocks give their values, a block
// whose size does not match its kind gives none (and never stops the rest),
// the first block of a kind counts, and the bytes after the terminal block
// are found.

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "lnk/shortcut_decoder.h"
#include "tests/support/link_writer.h"
#include "text/text_decoder.h"

namespace varnlink::test_support {
namespace {

constexpr std::uint32_t kTracker = 0xA0000003;
constexpr std::uint32_t kSpecialFolder = 0xA0000005;
constexpr std::uint32_t kDarwin = 0xA0000006;
constexpr std::uint32_t kKnownFolder = 0xA000000B;

// A version-1 object id: 2010-07-10T20:59:48.4344063Z on 00:13:77:D3:4A:59.
constexpr std::string_view kVersion1 = "{136502FF-8C66-11DF-B6EB-001377D34A59}";
constexpr std::uint64_t kVersion1Ticks = 129232691884344063ULL;
constexpr std::string_view kVersion4 = "{4F7C66DA-D320-4CC4-8D50-165DD98EBC01}";

Bytes U32Bytes(std::uint32_t value) {
  Bytes bytes;
  AppendU32(bytes, value);
  return bytes;
}

lnk::ShortcutInfo Decoded(const ShellLink& link) {
  return lnk::Decode(BuildLink(link), text::Windows1252Decoder(), lnk::Detail::kRecord);
}

lnk::ExtraBlocks BlocksOf(std::vector<Bytes> blocks, Bytes trailing = {}, bool terminal = true) {
  ShellLink link = LocalLink("C:\\A.EXE");
  link.extra_blocks = std::move(blocks);
  link.trailing = std::move(trailing);
  link.terminal_block = terminal;
  const lnk::ShortcutInfo info = Decoded(link);
  EXPECT_TRUE(info.extra_blocks.has_value());
  return info.extra_blocks.value_or(lnk::ExtraBlocks{});
}

TEST(ForensicFields, TrackerGivesItsIdsAndAVersionOneIdsNodeAndTime) {
  const lnk::ExtraBlocks v1 = BlocksOf({TrackerBlock(kVersion1, kVersion4)});
  ASSERT_TRUE(v1.tracker);
  EXPECT_EQ(v1.tracker->machine_id, "netbook");
  EXPECT_EQ(v1.tracker->droid_file, kVersion1);
  EXPECT_EQ(v1.tracker->birth_droid_file, kVersion4);
  ASSERT_TRUE(v1.tracker->mac && v1.tracker->droid_time);
  EXPECT_EQ(*v1.tracker->mac, (std::array<std::uint8_t, 6>{0x00, 0x13, 0x77, 0xD3, 0x4A, 0x59}));
  EXPECT_EQ(v1.tracker->droid_time->ticks, kVersion1Ticks);

  const lnk::ExtraBlocks v4 = BlocksOf({TrackerBlock(kVersion4, kVersion4)});
  ASSERT_TRUE(v4.tracker);
  EXPECT_FALSE(v4.tracker->mac || v4.tracker->droid_time) << "a version-4 id holds no node or time";
}

TEST(ForensicFields, ABlockOfTheWrongSizeGivesNothingAndTheFirstOfAKindCounts) {
  const lnk::ExtraBlocks blocks = BlocksOf({
      ExtraBlock(kSpecialFolder, Concat({U32Bytes(0x25), U32Bytes(0), U32Bytes(0)})),  // 0x14
      ExtraBlock(kSpecialFolder, Concat({U32Bytes(0x26), U32Bytes(0)})),
      ExtraBlock(kKnownFolder,
                 Concat({GuidBytes("{1AC14E77-02E7-4E5D-B744-2EB1AE5198B7}"), U32Bytes(0)})),
      ExtraBlock(kKnownFolder,
                 Concat({GuidBytes("{905E63B6-C1BF-494E-B29C-65B732D3D21A}"), U32Bytes(0)})),
      TrackerBlock(kVersion1, kVersion1),
  });
  EXPECT_EQ(blocks.signatures, (std::vector<std::uint32_t>{kSpecialFolder, kSpecialFolder,
                                                           kKnownFolder, kKnownFolder, kTracker}));
  EXPECT_FALSE(blocks.special_folder) << "the first special-folder block, 0x14 bytes, counts";
  EXPECT_EQ(blocks.known_folder, "{1AC14E77-02E7-4E5D-B744-2EB1AE5198B7}");
  EXPECT_TRUE(blocks.tracker) << "a bad block before it does not stop the list";
}

struct DarwinCase {
  const char* descriptor;
  std::optional<std::string> product, feature, component;
};

TEST(ForensicFields, DarwinDescriptorsNameTheirProductFeatureAndComponent) {
  const std::vector<DarwinCase> cases = {
      {"34TL`lrv5(mOG_3$,CC!ReaderProgramFiles>p=@0y{Wn0A8XHjl@4WqB",
       "{AC76BA86-7AD7-1036-7B44-A93000000001}", "ReaderProgramFiles",
       "{F95C9759-13AF-4E41-A46B-DBD281608D53}"},
      {"xb'BV5!!!!!!!!!MKKSk<", "{90140000-0011-0000-0000-0000000FF1CE}", "", std::nullopt},
      {"xb'BV5!!!!!!!!!MKKSkFiles>short", std::nullopt, std::nullopt, std::nullopt},
      {"xb'BV5!!!!!!!!!MKK|kFiles<", std::nullopt, std::nullopt, std::nullopt},
      {"~~~~~!!!!!!!!!!!!!!!<", std::nullopt, std::nullopt, std::nullopt},  // past 32 bits
  };
  for (const DarwinCase& c : cases) {
    const lnk::ExtraBlocks blocks = BlocksOf({DarwinBlock(c.descriptor)});
    ASSERT_TRUE(blocks.darwin) << c.descriptor;
    EXPECT_EQ(blocks.darwin->descriptor, c.descriptor);
    EXPECT_EQ(blocks.darwin->product, c.product) << c.descriptor;
    EXPECT_EQ(blocks.darwin->feature, c.feature) << c.descriptor;
    EXPECT_EQ(blocks.darwin->component, c.component) << c.descriptor;
  }
}

TEST(ForensicFields, TheTerminalBlockEndsTheLinkWhereverTheFileGoesOn) {
  const ShellLink link = LocalLink("C:\\A.EXE");
  const std::size_t end = BuildLink(link).size();
  EXPECT_EQ(BlocksOf({}, Filled(5, 0xCC)).terminal_end, end);
  EXPECT_EQ(BlocksOf({}).terminal_end, end);
  // A block of 4 to 7 bytes ends the list without a terminal block.
  EXPECT_FALSE(BlocksOf({}, {}, false).terminal_end);
  EXPECT_FALSE(BlocksOf({Concat({U32Bytes(6), Filled(2, 0)})}, Filled(4, 0)).terminal_end);
}

TEST(ForensicFields, LinkInfoPartsAreKeptWhateverNamesTheTarget) {
  ShellLink link;
  link.force_no_link_info = true;
  LinkInfo info;
  info.local_base_path = "C:\\Users\\";
  info.volume_id.label = "SSD";
  info.volume_id.form = VolumeId::LabelForm::kUnicode;
  info.network = NetworkLink{"\\\\NETBOOK\\USERS", "\\\\NETBOOK\\Users", "Z:", 0x002E0000};
  info.common_path_suffix = "Administrator";
  link.link_info = info;
  const lnk::ShortcutInfo decoded = Decoded(link);
  ASSERT_TRUE(decoded.link_info_parts);
  const lnk::LinkInfoParts& parts = *decoded.link_info_parts;
  EXPECT_EQ(parts.drive_type, 3u);
  EXPECT_EQ(parts.drive_serial, 0x1C2D3E4Fu);
  EXPECT_EQ(parts.volume_label, "SSD");
  EXPECT_EQ(parts.local_base_path, "C:\\Users\\");
  EXPECT_EQ(parts.common_path_suffix, "Administrator");
  EXPECT_EQ(parts.network_share, "\\\\NETBOOK\\Users");
  EXPECT_EQ(parts.network_device, "Z:");
  EXPECT_EQ(parts.network_provider, 0x002E0000u);
}

}  // namespace
}  // namespace varnlink::test_support
