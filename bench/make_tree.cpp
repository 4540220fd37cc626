// Writes a tree of shortcuts for the whole-run benchmark when the real corpus
// is not at hand: COUNT genuine links in sub-folders of 500, a mix of ANSI and
// Unicode links, with and without arguments, some sharing targets. With
// TARGETS, it also makes the targets as empty files below that folder (the
// folder C: maps to), all but those of every fifth program folder, which are
// missing; every seventh shortcut spells "Program Files" in capitals.

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "tests/support/link_writer.h"

namespace ts = varnlink::test_support;

int main(int argc, char** argv) {
  if (argc != 3 && argc != 4) {
    std::fprintf(stderr, "usage: varnlink_make_tree FOLDER COUNT [TARGETS]\n");
    return 2;
  }
  const std::filesystem::path root = argv[1];
  const long count = std::strtol(argv[2], nullptr, 10);
  for (long i = 0; i < count; ++i) {
    const std::filesystem::path folder = root / ("part" + std::to_string(i / 500));
    std::filesystem::create_directories(folder);
    const std::string app = "App" + std::to_string(i % 997);
    const std::string program = "app" + std::to_string(i % 13) + ".exe";
    if (argc == 4 && (i % 997) % 5 != 0) {
      const auto bin = std::filesystem::path(argv[3]) / "Program Files" / app / "bin";
      std::filesystem::create_directories(bin);
      ts::WriteFileBytes(bin / program, {});
    }
    const std::string program_files = i % 7 == 0 ? "PROGRAM FILES" : "Program Files";
    ts::ShellLink link =
        ts::LocalLink("C:\\" + program_files + "\\" + app + "\\bin\\" + program);
    link.unicode = (i % 2) == 0;
    link.working_dir = ts::Text("C:\\Program Files\\App" + std::to_string(i % 997));
    if (i % 3 == 0) link.arguments = ts::Text("/profile " + std::to_string(i % 7));
    link.icon_location = ts::Text("%SystemRoot%\\system32\\shell32.dll");
    ts::WriteFileBytes(folder / ("Shortcut " + std::to_string(i) + ".lnk"), ts::BuildLink(link));
  }
  return 0;
}
