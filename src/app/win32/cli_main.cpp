// varnlink-cli.exe: the headless front end on Windows, over the Win32
// platform layer. Arguments arrive as UTF-16 (wmain) so every path works;
// the report leaves as UTF-8 bytes with its own CR LF, untranslated.

#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstdio>
#include <exception>
#include <iostream>
#include <string>
#include <vector>

#include "app/cli/cli_app.h"
#include "app/cli/command_line.h"
#include "platform/win32/wide_text.h"
#include "platform/win32/win32_file_services.h"
#include "platform/win32/win32_folder_listing.h"

int wmain(int argc, wchar_t** argv) {
  using varnlink::cli::CommandLine;
  // Text mode would turn the report's CR LF into CR CR LF.
  _setmode(_fileno(stdout), _O_BINARY);
  _setmode(_fileno(stderr), _O_BINARY);
  SetConsoleOutputCP(CP_UTF8);
  std::ios::sync_with_stdio(false);

  std::vector<std::string> arguments;
  for (int i = 1; i < argc; ++i) arguments.push_back(varnlink::platform::WideToUtf8(argv[i]));
  const CommandLine::Parsed parsed = CommandLine::Parse(arguments);
  if (!parsed.command) {
    std::cerr << "varnlink-cli: " << parsed.error << "\n"
              << "Try 'varnlink-cli --help' for more information.\n";
    return 2;
  }
  switch (parsed.command->action) {
    case CommandLine::Action::kHelp:
      std::cout << varnlink::cli::UsageText() << std::flush;
      return std::cout ? 0 : 1;
    case CommandLine::Action::kVersion:
      std::cout << "varnlink-cli 1.0 (Varnlink V1.0)\n" << std::flush;
      return std::cout ? 0 : 1;
    case CommandLine::Action::kAudit:
      break;
  }
  try {
    varnlink::platform::Win32FileServices files;
    varnlink::platform::Win32FolderListing folders;
    return varnlink::cli::CliApp(files, folders, std::cout, std::cerr).Run(*parsed.command);
  } catch (const std::exception& e) {
    std::cerr << "varnlink-cli: " << e.what() << '\n';
    return 1;
  }
}
