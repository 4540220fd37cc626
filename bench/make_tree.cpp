// Writes shortcuts for the whole-run benchmark: COUNT genuine links in
// sub-folders of 500 (or, with --flat, all in FOLDER itself), a mix of ANSI
// and Unicode links, with and without arguments, some sharing targets (or,
// with --distinct, each with a target of its own). With TARGETS, it also
// makes the targets as empty files below that folder (the folder C: maps to),
// all but those of every fifth program folder, which are missing, and every
// seventh shortcut spells "Program Files" in capitals.

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

#include "tests/support/link_writer.h"

namespace ts = varnlink::test_support;

int main(int argc, char** argv) {
  bool flat = false;
  bool distinct = false;
  int positional = 0;
  const char* arguments[3] = {nullptr, nullptr, nullptr};
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--flat") == 0) {
      flat = true;
    } else if (std::strcmp(argv[i], "--distinct") == 0) {
      distinct = true;
    } else if (positional < 3) {
      arguments[positional++] = argv[i];
    } else {
      positional = 4;
    }
  }
  if (positional != 2 && positional != 3) {
    std::fprintf(stderr, "usage: varnlink_make_tree [--flat] [--distinct] FOLDER COUNT [TARGETS]\n");
    return 2;
  }
  const std::filesystem::path root = arguments[0];
  const long count = std::strtol(arguments[1], nullptr, 10);
  const char* targets = arguments[2];
  for (long i = 0; i < count; ++i) {
    const std::filesystem::path folder = flat ? root : root / ("part" + std::to_string(i / 500));
    std::filesystem::create_directories(folder);
    const std::string app = "App" + std::to_string(distinct ? i : i % 997);
    const std::string program = "app" + std::to_string(i % 13) + ".exe";
    std::string program_files = "Program Files";
    if (targets != nullptr) {
      if ((i % 997) % 5 != 0) {
        const auto bin = std::filesystem::path(targets) / "Program Files" / app / "bin";
        std::filesystem::create_directories(bin);
        ts::WriteFileBytes(bin / program, {});
      }
      if (i % 7 == 0) program_files = "PROGRAM FILES";
    }
    ts::ShellLink link = ts::LocalLink("C:\\" + program_files + "\\" + app + "\\bin\\" + program);
    link.unicode = (i % 2) == 0;
    link.working_dir = ts::Text("C:\\Program Files\\" + app);
    if (i % 3 == 0) link.arguments = ts::Text("/profile " + std::to_string(i % 7));
    link.icon_location = ts::Text("%SystemRoot%\\system32\\shell32.dll");
    ts::WriteFileBytes(folder / ("Shortcut " + std::to_string(i) + ".lnk"), ts::BuildLink(link));
  }
  return 0;
}
