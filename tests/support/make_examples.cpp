// Writes the example shortcuts that ship in examples/ (the folder the README's
// run command and the window open on). The examples test runs this into a
// scratch folder and compares the result with examples/ byte for byte, so the
// committed files always match what the project's own link writer makes.
//
//   varnlink-make-examples FOLDER

#include <exception>
#include <filesystem>
#include <iostream>
#include <string>

#include "tests/support/link_writer.h"

namespace {

using varnlink::test_support::BuildLink;
using varnlink::test_support::FileTimeOf;
using varnlink::test_support::LocalLink;
using varnlink::test_support::NetworkLink;
using varnlink::test_support::ShellLink;
using varnlink::test_support::WriteFileBytes;
namespace ts = varnlink::test_support;

// Fixed target times (2001-10-25 12:00:00 UTC and an hour later) keep the
// files the same on every build.
constexpr std::int64_t kTargetCreated = 1004011200;
constexpr std::int64_t kTargetWritten = 1004014800;

ShellLink Local(const std::string& target, bool unicode) {
  ShellLink link = LocalLink(target);
  link.unicode = unicode;
  link.creation_time = FileTimeOf(kTargetCreated);
  link.access_time = FileTimeOf(kTargetWritten);
  link.write_time = FileTimeOf(kTargetWritten);
  link.file_size = 69120;
  return link;
}

void Write(const std::filesystem::path& folder, const std::string& name, const ShellLink& link) {
  WriteFileBytes(folder / name, BuildLink(link));  // names are UTF-8 on POSIX
}

void WriteExamples(const std::filesystem::path& folder) {
  std::filesystem::create_directories(folder / "Tools");

  // An ANSI link as Windows 98 wrote them: target, start-in folder and icon.
  ShellLink notepad = Local("C:\\WINDOWS\\NOTEPAD.EXE", false);
  notepad.working_dir = "C:\\WINDOWS";
  notepad.icon_location = "C:\\WINDOWS\\NOTEPAD.EXE";
  Write(folder, "Notepad.lnk", notepad);

  // The same target with arguments, twice: a duplicate target, and a
  // duplicate target with the same arguments.
  ShellLink notes = Local("C:\\WINDOWS\\NOTEPAD.EXE", false);
  notes.description = "Meeting notes";
  notes.working_dir = "C:\\My Documents";
  notes.arguments = "C:\\My Documents\\notes.txt";
  Write(folder, "Meeting Notes.lnk", notes);
  notes.description = "Notes, again";
  Write(folder, "Notes Again.lnk", notes);

  // A Unicode link with a hot key (Ctrl+Alt+C), started maximised, with an
  // icon index and arguments outside the ANSI code page.
  ShellLink calculator = Local("C:\\Windows\\System32\\calc.exe", true);
  calculator.working_dir = "C:\\Windows\\System32";
  calculator.arguments = "/title \xCE\xA9mega";  // "Ωmega"
  calculator.icon_location = "%SystemRoot%\\System32\\calc.exe";
  calculator.icon_index = 0;
  calculator.hot_key = 'C';
  calculator.hot_key_modifiers = ts::kHotKeyCtrl | ts::kHotKeyAlt;
  calculator.show_command = ts::kShowMaximized;
  Write(folder, "Calculator.lnk", calculator);

  // A document, not a program, under a name outside ASCII; started minimised.
  ShellLink menu = Local("C:\\Users\\Zo\xC3\xAB\\Caf\xC3\xA9 Menu.txt", true);
  menu.show_command = ts::kShowMinNoActive;
  Write(folder, "Caf\xC3\xA9 Menu.lnk", menu);

  // A sub-folder: a console with arguments and a hot key (under cmd.exe's own
  // icon, as Windows makes it: none of the examples is a shortcut built to
  // deceive), a file on a network share, and a shortcut whose extension is
  // written in capitals.
  ShellLink prompt = Local("C:\\Windows\\System32\\cmd.exe", true);
  prompt.working_dir = "%USERPROFILE%";
  prompt.arguments = "/k echo Varnlink";
  prompt.icon_location = "%SystemRoot%\\System32\\cmd.exe";
  prompt.icon_index = 0;
  prompt.hot_key = 'P';
  prompt.hot_key_modifiers = ts::kHotKeyCtrl | ts::kHotKeyShift;
  Write(folder / "Tools", "Command Prompt.lnk", prompt);

  ShellLink share;
  share.link_info = ts::LinkInfo{};
  NetworkLink network;
  network.net_name = "\\\\SERVER\\Public";
  network.device_name = ts::Text("P:");
  share.link_info->network = network;
  share.link_info->common_path_suffix = "Reports\\2001.xls";
  share.creation_time = FileTimeOf(kTargetCreated);
  share.write_time = FileTimeOf(kTargetWritten);
  Write(folder / "Tools", "Quarterly Report.lnk", share);

  Write(folder / "Tools", "OLD.LNK", Local("C:\\DOS\\EDIT.COM", false));
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: varnlink-make-examples FOLDER\n";
    return 2;
  }
  try {
    WriteExamples(argv[1]);
  } catch (const std::exception& e) {
    std::cerr << "varnlink-make-examples: " << argv[1] << ": " << e.what() << '\n';
    return 1;
  }
  return 0;
}
