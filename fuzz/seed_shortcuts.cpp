#include "fuzz/seed_shortcuts.h"

#include "audit/shortcut_auditor.h"
#include "fuzz/audit_input.h"
#include "fuzz/entry_ops.h"
#include "tests/support/fake_file_services.h"

namespace varnlink::fuzz {
namespace {

using namespace test_support;

ShellLink Full(bool unicode) {
  ShellLink link = LocalLink("C:\\WINDOWS\\NOTEPAD.EXE");
  link.unicode = unicode;
  link.description = "Notes";
  link.relative_path = "..\\..\\WINDOWS\\NOTEPAD.EXE";
  link.working_dir = "C:\\WINDOWS";
  link.arguments = "/p C:\\readme.txt";
  link.icon_location = "%SystemRoot%\\system32\\shell32.dll";
  link.hot_key = 'N';
  link.hot_key_modifiers = kHotKeyCtrl | kHotKeyAlt;
  return link;
}

// A Unicode link whose target lies in `items` or, with `app_id`, in its
// property store.
ShellLink ItemsOnly(std::vector<Bytes> items, std::string_view app_id = {}) {
  ShellLink link;
  link.unicode = true;
  link.id_list = std::move(items);
  if (!app_id.empty()) link.extra_blocks.push_back(PropertyStoreBlock(app_id));
  link.icon_location = "%SystemRoot%\\system32\\shell32.dll";
  return link;
}

// One link of each kind of shell item and each shape of ID list that names a
// target, as the real corpus holds them, and a packaged app's links.
template <typename Add>
void AddShellItemLinks(const Add& add) {
  const Bytes computer = RootItem(kComputerClsid);
  ShellLink path = ItemsOnly({computer, VolumeItem("C:\\"),
                              FileEntryItem({"PROGRA~1", "Program Files", true, false, 3}),
                              FileEntryItem({"Ünïcode", std::nullopt, true, true}),
                              FileEntryItem({"MYAPP~1", "My App", true, false, 7}),
                              FileEntryItem({"TOOLS~1", "Tools", true, false, 8}),
                              FileEntryItem({"RUNFIL~1.EXE", "run file.exe", false, false, 9})});
  path.arguments = "/k";
  path.hot_key = 0x24;  // Home
  path.hot_key_modifiers = kHotKeyCtrl | kHotKeyAlt;
  add("fs-path", path);
  ShellLink darwin = path;  // an advertised shortcut: an installer block beside the list
  darwin.extra_blocks.push_back(ExtraBlock(0xA0000006, Filled(0x314 - 8, 'A')));
  add("darwin", darwin);
  // Every kind of extra-data block an investigator's record reads, each whole.
  ShellLink blocks = path;
  blocks.extra_blocks = {
      TrackerBlock("{136502FF-8C66-11DF-B6EB-001377D34A59}", "{136502FF-8C66-11DF-B6EB-001377D34A58}"),
      DarwinBlock("34TL`lrv5(mOG_3$,CC!ReaderProgramFiles>p=@0y{Wn0A8XHjl@4WqB"),
      ExtraBlock(0xA000000B, Concat({GuidBytes("{374DE290-123F-4565-9164-39C4925E467B}"),
                                     Bytes{0x50, 0, 0, 0}})),
      ExtraBlock(0xA0000005, Bytes{0x24, 0, 0, 0, 0x50, 0, 0, 0}),
      ExtraBlock(0xA0000008, ToUtf16Le("WinXPSp3")),
      ExtraBlock(0xA0000004, Bytes{0xB5, 0x01, 0, 0}),
      PropertyStoreBlock("Microsoft.WindowsCalculator_8wekyb3d8bbwe!App")};
  blocks.trailing = BytesOf("appended after the link");
  add("every-block", blocks);
  add("volume", ItemsOnly({computer, VolumeItem("E:\\")}));
  add("cpl-ansi-layout", ItemsOnly({computer, RegisteredFolderItem(kControlPanelClsid),
                                    CplFileItem("C:\\WINDOWS\\System32\\imdisk.cpl", true)}));
  add("cpl-unicode-layout", ItemsOnly({computer, RegisteredFolderItem(kControlPanelClsid),
                                       CplFileItem("C:\\Windows\\System32\\x.cpl", false)}));
  add("this-pc-folder",
      ItemsOnly({computer, RegisteredFolderItem("{A8CDFF1C-4878-43BE-B5FD-F8091C1C60D0}")}));
  add("users-known-folder", ItemsOnly({RootItem("{59031A47-3F72-44A7-89C5-5595FE6B30EE}"),
                                       UsersViewItem("{FDD39AD0-238F-46AF-ADB4-6C85480369C7}")}));
  add("control-panel",
      ItemsOnly({RootItem("{26EE0668-A00A-44D7-9371-BEB064C98683}"), CategoryItem(5),
                 ControlPanelItem("{BB06C0E4-D293-4F75-8A90-CB05B6477EEE}")}));
  add("uri", ItemsOnly({RootItem("{871C5380-42A0-1069-A2EA-08002B30309D}"),
                        UriItem("http://go.microsoft.com/fwlink/?LinkId=63049")}));
  add("games", ItemsOnly({RootItem("{ED228FDF-9EA8-4870-83B1-96B02CFE0D52}"),
                          GameItem("{205286E5-F5F2-4306-BDB1-864245E33227}")}));
  add("apps-item", ItemsOnly({RootItem("{4234D49B-0245-4DF3-B780-3893943456E1}"),
                              AppsItem("windows.immersivecontrolpanel_cw5n1h2txyewy!"
                                       "microsoft.windows.immersivecontrolpanel")}));
  add("root-clsid", ItemsOnly({RootItem("{2559A1F3-21D7-11D4-BDAF-00C04F60B9F0}")}));
  add("app-id", ItemsOnly({computer}, "Microsoft.WindowsCalculator_8wekyb3d8bbwe!App"));
  ShellLink app_only = ItemsOnly({}, "Microsoft.BingWeather_8wekyb3d8bbwe!App");
  app_only.id_list.reset();
  add("app-id-without-id-list", app_only);
}

std::vector<Seed> Links() {
  std::vector<Seed> seeds;
  auto add = [&](std::string name, const ShellLink& link) {
    seeds.push_back({std::move(name), BuildLink(link)});
  };
  add("local-ansi", LocalLink("C:\\WINDOWS\\NOTEPAD.EXE"));
  add("full-ansi", Full(false));
  add("full-unicode", Full(true));

  ShellLink id_list = Full(true);
  id_list.id_list = std::vector<Bytes>{Concat({BytesOf("\x1f\x50"), Filled(16, 0xE0)}),
                                       Concat({BytesOf("\x2f"), BytesOf("C:\\"), Filled(19, 0)})};
  id_list.show_command = kShowMaximized;
  add("id-list", id_list);

  AddShellItemLinks(add);

  ShellLink labelled = LocalLink("D:\\GAMES\\RUN.EXE");
  labelled.link_info->volume_id.label = "DISK1";
  labelled.show_command = kShowMinNoActive;
  add("volume-label", labelled);

  ShellLink wide_label = LocalLink("E:\\setup.exe");
  wide_label.link_info->volume_id.label = "Ünïcode";
  wide_label.link_info->volume_id.form = VolumeId::LabelForm::kUnicode;
  wide_label.link_info->local_base_path_unicode = Text("E:\\séttup.exe");
  wide_label.link_info->common_path_suffix_unicode = Text("");
  add("unicode-paths", wide_label);

  ShellLink network;
  network.link_info = LinkInfo{};
  network.link_info->network = NetworkLink{};
  network.link_info->network->net_name = "\\\\SERVER\\SHARE";
  network.link_info->network->device_name = Text("Z:");
  network.link_info->common_path_suffix = "Docs\\a.doc";
  add("network", network);

  ShellLink wide_network = network;
  wide_network.link_info->network->net_name_unicode = Text("\\\\SERVER\\SHÄRE");
  wide_network.unicode = true;
  wide_network.working_dir = "Z:\\";
  add("network-unicode", wide_network);

  ShellLink environment;
  environment.environment =
      EnvironmentBlock{"%ProgramFiles%\\App\\app.exe", "%ProgramFiles%\\App\\app.exe"};
  environment.arguments = "--start";
  environment.hot_key = 0x70;  // F1
  environment.hot_key_modifiers = kHotKeyShift;
  add("environment", environment);

  ShellLink loop;
  const std::string through_loop = "%SystemRoot%\\..\\LOOP\\x.exe";
  loop.environment = EnvironmentBlock{through_loop, through_loop};
  add("environment-loop", loop);

  ShellLink forced = Full(false);
  forced.force_no_link_info = true;
  add("force-no-link-info", forced);

  ShellLink long_count = LocalLink("C:\\A.EXE");
  long_count.working_dir = Text::WithCount("C:\\", 0xFFFF);
  add("count-ffff", long_count);
  return seeds;
}

// The byte-rule layout of a file that is not a genuine link: flags 0x3A at 20,
// the label offset at 100, the label, the target and four counted strings.
Bytes ByteRuleLayout() {
  Bytes bytes;
  PutU8(bytes, 20, 0x3A);
  PutU8(bytes, 60, 1);
  PutU8(bytes, 64, 'A');
  PutU32(bytes, 100, 0x10);
  PutChars(bytes, 104, "DISK1");
  PutChars(bytes, 110, "C:\\A.EXE");
  PutU16(bytes, 120, 4);
  PutChars(bytes, 122, "..\\A");
  PutU16(bytes, 126, 3);
  PutChars(bytes, 128, "C:\\");
  PutU16(bytes, 131, 2);
  PutChars(bytes, 133, "/p");
  PutU16(bytes, 135, 0);
  return bytes;
}

// The entries of auditing every seed shortcut in turn.
std::vector<report::ReportEntry> EntriesOf(const std::vector<Seed>& shortcuts) {
  FakeFileServices files;
  std::vector<report::ReportEntry> entries;
  const audit::ShortcutAuditor auditor(files);
  for (const Seed& seed : shortcuts) {
    const std::string path = "C:\\Links\\" + seed.name + ".lnk";
    files.Add(path, seed.bytes);
    try {
      if (auto entry = auditor.Audit(path, audit::TargetFilter::kAll)) entries.push_back(*entry);
    } catch (const std::exception&) {
      // a seed the auditor refuses adds nothing
    }
  }
  return entries;
}

}  // namespace

std::vector<Seed> SeedShortcuts() {
  std::vector<Seed> seeds = Links();
  seeds.push_back({"byte-rules", ByteRuleLayout()});
  Bytes no_pattern = Filled(40, 'x');
  PutU8(no_pattern, 3, 0);
  PutU8(no_pattern, 20, 0x10);
  seeds.push_back({"no-pattern", no_pattern});
  seeds.push_back({"empty", {}});
  seeds.push_back({"19-bytes", Filled(19, 0)});
  Bytes header = BuildLink(ShellLink{});
  header.resize(76);
  seeds.push_back({"76-bytes-header", header});
  return seeds;
}

std::vector<Seed> AuditSeeds() {
  std::vector<Seed> seeds;
  for (const Seed& shortcut : SeedShortcuts()) {
    seeds.push_back({shortcut.name, shortcut.bytes});  // raw: default choices
    // Both checks, audited twice.
    const std::string twice = MakeAuditInput(shortcut.bytes, 0x80 | 0x08 | 0x04);
    seeds.push_back({shortcut.name + "-twice", Bytes(twice.begin(), twice.end())});
    // ".EXE Targets " and "/" as the separator.
    const std::string exe = MakeAuditInput(shortcut.bytes, 0x40 | 0x01);
    seeds.push_back({shortcut.name + "-exe", Bytes(exe.begin(), exe.end())});
    // The missing-target check on a mounted disk, and on the running system.
    const std::string checked = MakeAuditInput(shortcut.bytes, 0x80 | 0x04 | 0x10);
    seeds.push_back({shortcut.name + "-checked", Bytes(checked.begin(), checked.end())});
    const std::string live = MakeAuditInput(shortcut.bytes, 0x20 | 0x10);
    seeds.push_back({shortcut.name + "-checked-live", Bytes(live.begin(), live.end())});
  }
  return seeds;
}

std::vector<Seed> DuplicateSearchSeeds() {
  // The seed shortcuts' entries, each twice, then with their targets cut in half.
  std::string input;
  const std::vector<report::ReportEntry> entries = EntriesOf(SeedShortcuts());
  for (int round = 0; round < 2; ++round) {
    for (const report::ReportEntry& entry : entries) {
      PutEntry(input, {entry.facts.path, entry.info.target, entry.info.arguments});
    }
  }
  for (const report::ReportEntry& entry : entries) {
    PutEntry(input, {"C:\\Half.lnk", entry.info.target.substr(0, entry.info.target.size() / 2),
                     entry.info.arguments});
  }
  return {{"seed-entries", Bytes(input.begin(), input.end())}};
}

}  // namespace varnlink::fuzz
