// Writes shortcuts for the whole-run benchmark: COUNT genuine links in
// sub-folders of 500 (or, with --flat, all in FOLDER itself), a mix of ANSI
// and Unicode links, with and without arguments, some sharing targets (or,
// with --distinct, each with a target of its own).

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
  const char* arguments[2] = {nullptr, nullptr};
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--flat") == 0) {
      flat = true;
    } else if (std::strcmp(argv[i], "--distinct") == 0) {
      distinct = true;
    } else if (positional < 2) {
      arguments[positional++] = argv[i];
    } else {
      positional = 3;
    }
  }
  if (positional != 2) {
    std::fprintf(stderr, "usage: varnlink_make_tree [--flat] [--distinct] FOLDER COUNT\n");
    return 2;
  }
  const std::filesystem::path root = arguments[0];
  const long count = std::strtol(arguments[1], nullptr, 10);
  for (long i = 0; i < count; ++i) {
    const std::filesystem::path folder = flat ? root : root / ("part" + std::to_string(i / 500));
    std::filesystem::create_directories(folder);
    const std::string app = std::to_string(distinct ? i : i % 997);
    ts::ShellLink link = ts::LocalLink("C:\\Program Files\\App" + app + "\\bin\\app" +
                                       std::to_string(i % 13) + ".exe");
    link.unicode = (i % 2) == 0;
    link.working_dir = ts::Text("C:\\Program Files\\App" + app);
    if (i % 3 == 0) link.arguments = ts::Text("/profile " + std::to_string(i % 7));
    link.icon_location = ts::Text("%SystemRoot%\\system32\\shell32.dll");
    ts::WriteFileBytes(folder / ("Shortcut " + std::to_string(i) + ".lnk"), ts::BuildLink(link));
  }
  return 0;
}
