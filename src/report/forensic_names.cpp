#include "report/forensic_names.h"

#include <algorithm>
#include <cstdio>
#include <utility>

namespace varnlink::report {
namespace {

using Named = std::pair<std::uint32_t, std::string_view>;

std::string HexText(std::uint32_t value, int digits) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%0*X", digits, static_cast<unsigned>(value));
  return text;
}

// The names of a value's bits, `names` listed by bit from bit 0; unnamed
// bits (an empty name, or past the list) by their value.
template <std::size_t N>
std::vector<std::string> BitNames(std::uint32_t bits,
                                  const std::array<std::string_view, N>& names) {
  std::vector<std::string> out;
  for (std::uint32_t bit = 0; bit < 32; ++bit) {
    const std::uint32_t mask = std::uint32_t{1} << bit;
    if (!(bits & mask)) continue;
    if (bit < N && !names[bit].empty()) {
      out.emplace_back(names[bit]);
    } else {
      out.push_back(HexText(mask, 1));
    }
  }
  return out;
}

constexpr std::array<std::string_view, 27> kLinkFlags = {
    "HasLinkTargetIDList",
    "HasLinkInfo",
    "HasName",
    "HasRelativePath",
    "HasWorkingDir",
    "HasArguments",
    "HasIconLocation",
    "IsUnicode",
    "ForceNoLinkInfo",
    "HasExpString",
    "RunInSeparateProcess",
    "Unused1",
    "HasDarwinID",
    "RunAsUser",
    "HasExpIcon",
    "NoPidlAlias",
    "Unused2",
    "RunWithShimLayer",
    "ForceNoLinkTrack",
    "EnableTargetMetadata",
    "DisableLinkPathTracking",
    "DisableKnownFolderTracking",
    "DisableKnownFolderAlias",
    "AllowLinkToLink",
    "UnaliasOnSave",
    "PreferEnvironmentPath",
    "KeepLocalIDListForUNCTarget",
};

// Bit 3 (0x8) is reserved.
constexpr std::array<std::string_view, 23> kFileAttributes = {
    "READONLY",
    "HIDDEN",
    "SYSTEM",
    "",
    "DIRECTORY",
    "ARCHIVE",
    "DEVICE",
    "NORMAL",
    "TEMPORARY",
    "SPARSE_FILE",
    "REPARSE_POINT",
    "COMPRESSED",
    "OFFLINE",
    "NOT_CONTENT_INDEXED",
    "ENCRYPTED",
    "INTEGRITY_STREAM",
    "VIRTUAL",
    "NO_SCRUB_DATA",
    "RECALL_ON_OPEN",
    "PINNED",
    "UNPINNED",
    "",
    "RECALL_ON_DATA_ACCESS",
};

constexpr std::array<std::string_view, 7> kDriveTypes = {
    "unknown", "no_root_dir", "removable", "fixed", "remote", "cdrom", "ramdisk"};

// WNNC_NET_ names by the provider type's high word, from 0x0001.
constexpr std::array<std::string_view, 0x43> kProviders = {
    "MSNET",     "LANMAN",      "NETWARE",     "VINES",    "10NET",     "LOCUS",       "SUN_PC_NFS",
    "LANSTEP",   "9TILES",      "LANTASTIC",   "AS400",    "FTP_NFS",   "PATHWORKS",   "LIFENET",
    "POWERLAN",  "BWNFS",       "COGENT",      "FARALLON", "APPLETALK", "INTERGRAPH",  "SYMFONET",
    "CLEARCASE", "FRONTIER",    "BMC",         "DCE",      "AVID",      "DOCUSPACE",   "MANGOSOFT",
    "SERNET",    "RIVERFRONT1", "RIVERFRONT2", "DECORB",   "PROTSTOR",  "FJ_REDIR",    "DISTINCT",
    "TWINS",     "RDR2SAMPLE",  "CSC",         "3IN1",     "",          "EXTENDNET",   "STAC",
    "FOXBAT",    "YAHOO",       "EXIFS",       "DAV",      "KNOWARE",   "OBJECT_DIRE", "MASFAX",
    "HOB_NFS",   "SHIVA",       "IBMAL",       "LOCK",     "TERMSRV",   "SRT",         "QUINCY",
    "OPENAFS",   "AVID1",       "DFS",         "KWNP",     "ZENWORKS",  "DRIVEONWEB",  "VMWARE",
    "RSFX",      "MFILES",      "MS_NFS",      "GOOGLE",
};

// clang-format off
constexpr std::array<std::pair<std::string_view, std::string_view>, 60> kKnownFolders = {{
    {"{0139D44E-6AFE-49F2-8690-3DAFCAE6FFB8}", "CommonPrograms"},
    {"{0762D272-C50A-4BB0-A382-697DCD729B80}", "UserProfiles"},
    {"{0AC0837C-BBF8-452A-850D-79D08E667CA7}", "ComputerFolder"},
    {"{1777F761-68AD-4D8A-87BD-30B759FA33DD}", "Favorites"},
    {"{18989B1D-99B5-455B-841C-AB7C74E4DDFC}", "Videos"},
    {"{1AC14E77-02E7-4E5D-B744-2EB1AE5198B7}", "System"},
    {"{2400183A-6185-49FB-A2D8-4A392A602BA3}", "PublicVideos"},
    {"{2B0F765D-C0E9-4171-908E-08A611B84FF6}", "Cookies"},
    {"{3214FAB5-9757-4298-BB61-92A9DEAA44FF}", "PublicMusic"},
    {"{33E28130-4E1E-4676-835A-98395C3BC3BB}", "Pictures"},
    {"{352481E8-33BE-4251-BA85-6007CAEDCF9D}", "InternetCache"},
    {"{374DE290-123F-4565-9164-39C4925E467B}", "Downloads"},
    {"{3D644C9B-1FB8-4F30-9B45-F670235F79C0}", "PublicDownloads"},
    {"{3EB685DB-65F9-4CF6-A03A-E3EF65729F3D}", "RoamingAppData"},
    {"{4BD8D571-6D19-48D3-BE97-422220080E43}", "Music"},
    {"{4C5C32FF-BB9D-43B0-B5B4-2D72E54EAAA4}", "SavedGames"},
    {"{52A4F021-7B75-48A9-9F6B-4B87A210BC8F}", "QuickLaunch"},
    {"{56784854-C6CB-462B-8169-88E350ACB882}", "Contacts"},
    {"{5CD7AEE2-2219-4A67-B85D-6C9CE15660CB}", "UserProgramFiles"},
    {"{5E6C858F-0E22-4760-9AFE-EA3317B67173}", "Profile"},
    {"{625B53C3-AB48-4EC1-BA1F-A1EF4146FC19}", "StartMenu"},
    {"{62AB5D82-FDC1-4DC3-A9DD-070D1D495D97}", "ProgramData"},
    {"{6D809377-6AF0-444B-8957-A3773F02200E}", "ProgramFilesX64"},
    {"{724EF170-A42D-4FEF-9F26-B60E846FBA4F}", "AdminTools"},
    {"{7C5A40EF-A0FB-4BFC-874A-C0F2E0B9FA8E}", "ProgramFilesX86"},
    {"{82A5EA35-D9CD-47C5-9629-E15D2F714E6E}", "CommonStartup"},
    {"{82A74AEB-AEB4-465C-A014-D097EE346D63}", "ControlPanelFolder"},
    {"{8983036C-27C0-404B-8F08-102D10DCFD74}", "SendTo"},
    {"{905E63B6-C1BF-494E-B29C-65B732D3D21A}", "ProgramFiles"},
    {"{9E3995AB-1F9C-4F13-B827-48B24B6C7174}", "UserPinned"},
    {"{A4115719-D62E-491D-AA7C-E74B8BE3B067}", "CommonStartMenu"},
    {"{A520A1A4-1780-4FF6-BD18-167343C5AF16}", "LocalAppDataLow"},
    {"{A63293E8-664E-48DB-A079-DF759E0509F7}", "Templates"},
    {"{A77F5D77-2E2B-44C3-A6A2-ABA601054A51}", "Programs"},
    {"{AE50C081-EBD2-438A-8655-8A092E34987A}", "Recent"},
    {"{B4BFCC3A-DB2C-424C-B029-7FE99A87C641}", "Desktop"},
    {"{B6EBFB86-6907-413C-9AF7-4FC2ABF07CC5}", "PublicPictures"},
    {"{B7534046-3ECB-4C18-BE4E-64CD4CB7D6AC}", "RecycleBinFolder"},
    {"{B94237E7-57AC-4347-9151-B08C6C32D1F7}", "CommonTemplates"},
    {"{B97D20BB-F46A-4C97-BA10-5E3608430854}", "Startup"},
    {"{BCB5256F-79F6-4CEE-B725-DC34E402FD46}", "ImplicitAppShortcuts"},
    {"{BFB9D5E0-C6A9-404C-B2B2-AE6DB6AF4968}", "Links"},
    {"{C4AA340D-F20F-4863-AFEF-F87EF2E6BA25}", "PublicDesktop"},
    {"{D0384E7D-BAC3-4797-8F14-CBA229B392B5}", "CommonAdminTools"},
    {"{D20BEEC4-5CA8-4905-AE3B-BF251EA09B53}", "NetworkFolder"},
    {"{D65231B0-B2F1-4857-A4CE-A8E7C6EA7D27}", "SystemX86"},
    {"{D9DC8A3B-B784-432E-A781-5A1130A75963}", "History"},
    {"{DE974D24-D9C6-4D3E-BF91-F4455120B917}", "ProgramFilesCommonX86"},
    {"{DFDF76A2-C82A-4D63-906A-5644AC457385}", "Public"},
    {"{ED4824AF-DCE4-45A8-81E2-FC7965083634}", "PublicDocuments"},
    {"{F1B32785-6FBA-4FCF-9D55-7B8E7F157091}", "LocalAppData"},
    {"{F38BF404-1D43-42F2-9305-67DE0B28FC23}", "Windows"},
    {"{F3CE0F7C-4901-4ACC-8648-D5D44B04EF8F}", "UsersFiles"},
    {"{F7F1ED05-9F6D-47A2-AAAE-29D317C6F066}", "ProgramFilesCommon"},
    {"{FD228CB7-AE11-4AE3-864C-16F3910AB8FE}", "Fonts"},
    {"{FDD39AD0-238F-46AF-ADB4-6C85480369C7}", "Documents"},
    {"{6365D5A7-0F0D-45E5-87F6-0DA56B6A4F7D}", "ProgramFilesCommonX64"},
    {"{C5ABBF53-E17F-4121-8900-86626FC2C973}", "NetHood"},
    {"{9274BD8D-CFD1-41C3-B35E-B13F55A758F4}", "PrintHood"},
    {"{8AD10C31-2ADB-4296-A8F7-E4701232C972}", "ResourceDir"},
}};

constexpr std::array<Named, 55> kSpecialFolders = {{
    {0x00, "CSIDL_DESKTOP"},          {0x01, "CSIDL_INTERNET"},
    {0x02, "CSIDL_PROGRAMS"},         {0x03, "CSIDL_CONTROLS"},
    {0x04, "CSIDL_PRINTERS"},         {0x05, "CSIDL_PERSONAL"},
    {0x06, "CSIDL_FAVORITES"},        {0x07, "CSIDL_STARTUP"},
    {0x08, "CSIDL_RECENT"},           {0x09, "CSIDL_SENDTO"},
    {0x0A, "CSIDL_BITBUCKET"},        {0x0B, "CSIDL_STARTMENU"},
    {0x0D, "CSIDL_MYMUSIC"},          {0x0E, "CSIDL_MYVIDEO"},
    {0x10, "CSIDL_DESKTOPDIRECTORY"}, {0x11, "CSIDL_DRIVES"},
    {0x12, "CSIDL_NETWORK"},          {0x13, "CSIDL_NETHOOD"},
    {0x14, "CSIDL_FONTS"},            {0x15, "CSIDL_TEMPLATES"},
    {0x16, "CSIDL_COMMON_STARTMENU"}, {0x17, "CSIDL_COMMON_PROGRAMS"},
    {0x18, "CSIDL_COMMON_STARTUP"},   {0x19, "CSIDL_COMMON_DESKTOPDIRECTORY"},
    {0x1A, "CSIDL_APPDATA"},          {0x1B, "CSIDL_PRINTHOOD"},
    {0x1C, "CSIDL_LOCAL_APPDATA"},    {0x1D, "CSIDL_ALTSTARTUP"},
    {0x1E, "CSIDL_COMMON_ALTSTARTUP"}, {0x1F, "CSIDL_COMMON_FAVORITES"},
    {0x20, "CSIDL_INTERNET_CACHE"},   {0x21, "CSIDL_COOKIES"},
    {0x22, "CSIDL_HISTORY"},          {0x23, "CSIDL_COMMON_APPDATA"},
    {0x24, "CSIDL_WINDOWS"},          {0x25, "CSIDL_SYSTEM"},
    {0x26, "CSIDL_PROGRAM_FILES"},    {0x27, "CSIDL_MYPICTURES"},
    {0x28, "CSIDL_PROFILE"},          {0x29, "CSIDL_SYSTEMX86"},
    {0x2A, "CSIDL_PROGRAM_FILESX86"}, {0x2B, "CSIDL_PROGRAM_FILES_COMMON"},
    {0x2C, "CSIDL_PROGRAM_FILES_COMMONX86"}, {0x2D, "CSIDL_COMMON_TEMPLATES"},
    {0x2E, "CSIDL_COMMON_DOCUMENTS"}, {0x2F, "CSIDL_COMMON_ADMINTOOLS"},
    {0x30, "CSIDL_ADMINTOOLS"},       {0x31, "CSIDL_CONNECTIONS"},
    {0x35, "CSIDL_COMMON_MUSIC"},     {0x36, "CSIDL_COMMON_PICTURES"},
    {0x37, "CSIDL_COMMON_VIDEO"},     {0x38, "CSIDL_RESOURCES"},
    {0x39, "CSIDL_RESOURCES_LOCALIZED"}, {0x3A, "CSIDL_COMMON_OEM_LINKS"},
    {0x3B, "CSIDL_CDBURN_AREA"},
}};
// clang-format on

}  // namespace

std::vector<std::string> LinkFlagNames(std::uint32_t flags) { return BitNames(flags, kLinkFlags); }

std::vector<std::string> FileAttributeNames(std::uint32_t attributes) {
  return BitNames(attributes, kFileAttributes);
}

std::string DriveTypeName(std::uint32_t drive_type) {
  if (drive_type < kDriveTypes.size()) return std::string(kDriveTypes[drive_type]);
  return HexText(drive_type, 1);
}

std::string NetworkProviderName(std::uint32_t provider) {
  const std::uint32_t high = provider >> 16;
  if ((provider & 0xFFFF) == 0 && high >= 1 && high <= kProviders.size() &&
      !kProviders[high - 1].empty()) {
    return "WNNC_NET_" + std::string(kProviders[high - 1]);
  }
  return HexText(provider, 8);
}

std::optional<std::string_view> KnownFolderName(std::string_view guid) {
  for (const auto& [id, name] : kKnownFolders) {
    if (id == guid) return name;
  }
  return std::nullopt;
}

std::optional<std::string_view> SpecialFolderName(std::uint32_t csidl) {
  for (const auto& [id, name] : kSpecialFolders) {
    if (id == csidl) return name;
  }
  return std::nullopt;
}

std::string MacText(const std::array<std::uint8_t, 6>& mac) {
  char text[18];
  std::snprintf(text, sizeof text, "%02x:%02x:%02x:%02x:%02x:%02x", mac[0], mac[1], mac[2], mac[3],
                mac[4], mac[5]);
  return text;
}

std::string PreciseUtcText(platform::FileTime time) {
  std::string text = platform::IsoUtcText(time);  // whole seconds, ends in 'Z'
  char fraction[9];
  std::snprintf(fraction, sizeof fraction, ".%07u",
                static_cast<unsigned>(time.ticks % platform::kTicksPerSecond));
  text.insert(text.size() - 1, fraction);
  return text;
}

}  // namespace varnlink::report
