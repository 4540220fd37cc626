// varnlink-cli.exe: the headless front end on Windows, over the Win32
// platform layer. Arguments arrive as UTF-16 (wmain) so every path works;
// the report leaves as UTF-8 bytes with its own CR LF, untranslated.

#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstdio>
#include <iostream>
#include <string>
#include <vector>

#include "app/cli/cli_app.h"
#include "platform/win32/wide_text.h"
#include "platform/win32/win32_file_services.h"
#include "platform/win32/win32_folder_listing.h"

int wmain(int argc, wchar_t** argv) {
  // Text mode would turn the report's CR LF into CR CR LF.
  _setmode(_fileno(stdout), _O_BINARY);
  _setmode(_fileno(stderr), _O_BINARY);
  SetConsoleOutputCP(CP_UTF8);
  std::ios::sync_with_stdio(false);
  std::cerr.unsetf(std::ios_base::unitbuf);  // Main flushes it

  std::vector<std::string> arguments;
  for (int i = 1; i < argc; ++i) arguments.push_back(varnlink::platform::WideToUtf8(argv[i]));
  const varnlink::platform::Win32FileServices files;
  const varnlink::platform::Win32FolderListing folders;
  return varnlink::app::cli::Main(arguments, files, folders, std::cout, std::cerr);
}
