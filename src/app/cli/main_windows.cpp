// varnlink-cli.exe: the headless front end on Windows, over the Win32
// platform layer. Arguments arrive as UTF-16 (wmain) so every path works;
// the report leaves as UTF-8 bytes with its own CR LF, untranslated.

#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <iostream>
#include <streambuf>
#include <string>
#include <vector>

#include "app/cli/cli_app.h"
#include "platform/win32/wide_text.h"
#include "platform/win32/win32_file_services.h"
#include "platform/win32/win32_folder_listing.h"

namespace {

// Standard output straight through WriteFile, so that a write to a pipe
// whose reader has gone (`| head`) fails with errno EPIPE, as on POSIX, and
// the run ends quietly: the C runtime says EINVAL there and does not always
// keep the system's reason. No buffer of its own: the command line hands it
// 64 KiB at a time.
class StandardOutput : public std::streambuf {
 public:
  StandardOutput() : handle_(GetStdHandle(STD_OUTPUT_HANDLE)) {}

 protected:
  std::streamsize xsputn(const char* data, std::streamsize size) override {
    std::streamsize done = 0;
    while (done < size) {
      const auto chunk = static_cast<DWORD>(std::min<std::streamsize>(size - done, 1 << 30));
      DWORD written = 0;
      if (!WriteFile(handle_, data + done, chunk, &written, nullptr)) {
        const DWORD error = GetLastError();
        const bool reader_gone = error == ERROR_NO_DATA || error == ERROR_BROKEN_PIPE ||
                                 error == ERROR_PIPE_NOT_CONNECTED;
        errno = reader_gone ? EPIPE : error == ERROR_DISK_FULL ? ENOSPC : EIO;
        break;
      }
      done += written;
    }
    return done;
  }
  int_type overflow(int_type c) override {
    if (traits_type::eq_int_type(c, traits_type::eof())) return traits_type::not_eof(c);
    const char byte = traits_type::to_char_type(c);
    return xsputn(&byte, 1) == 1 ? c : traits_type::eof();
  }

 private:
  HANDLE handle_;
};

}  // namespace

int wmain(int argc, wchar_t** argv) {
  // Text mode would turn the report's CR LF into CR CR LF.
  _setmode(_fileno(stdout), _O_BINARY);
  _setmode(_fileno(stderr), _O_BINARY);
  SetConsoleOutputCP(CP_UTF8);
  std::ios::sync_with_stdio(false);
  std::cerr.unsetf(std::ios_base::unitbuf);  // Main flushes it
  StandardOutput standard_output;
  std::streambuf* const runtime_output = std::cout.rdbuf(&standard_output);

  std::vector<std::string> arguments;
  for (int i = 1; i < argc; ++i) arguments.push_back(varnlink::platform::WideToUtf8(argv[i]));
  const varnlink::platform::Win32FileServices files;
  const varnlink::platform::Win32FolderListing folders;
  const int status = varnlink::app::cli::Main(arguments, files, folders, std::cout, std::cerr);
  std::cout.rdbuf(runtime_output);  // before standard_output goes
  return status;
}
