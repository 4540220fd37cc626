#include "app/qt/window_app.h"

#include <filesystem>
#include <system_error>

namespace varnlink::app::qt {

WindowApp::WindowApp()
    : model_(window::Platform{files_, folders_, messages_, printer_, clipboard_},
             window::CleanUpServices{folder_picker_, question_, platform::SystemFileMover()}),
      window_(model_, folders_, files_.PathSeparator(), messages_) {
  messages_.SetParent(&window_);
  folder_picker_.SetParent(&window_);
  question_.SetParent(&window_);
}

void WindowApp::Start(const std::optional<std::string>& path) {
  window_.Load();
  if (path) {
    // As bytes, so that a name that is not UTF-8 stays the file's own.
    std::error_code unused;
    const std::filesystem::path given = path->empty() ? "." : *path;
    window_.OpenPath(std::filesystem::absolute(given, unused).lexically_normal().string());
  }
}

}  // namespace varnlink::app::qt
