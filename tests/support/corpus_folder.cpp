#include "tests/support/corpus_folder.h"

#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>

#ifndef _WIN32
#include <fcntl.h>
#include <unistd.h>
#endif

namespace varnlink::test_support {

std::filesystem::path CorpusFolder() {
  if (const char* folder = std::getenv("VARNLINK_CORPUS_DIR")) return folder;
  return VARNLINK_CORPUS_DIR;
}

std::filesystem::path Utf8Path(const std::string& name) {
  return std::filesystem::path(std::u8string(name.begin(), name.end()));
}

std::filesystem::path JumpListFolder() {
  if (const char* folder = std::getenv("VARNLINK_JUMPLIST_DIR")) return folder;
  return VARNLINK_JUMPLIST_DIR;
}

std::vector<std::uint8_t> CorpusBytes(const std::filesystem::path& file) {
#ifdef _WIN32
  std::ifstream in(file, std::ios::binary);
  if (!in) throw std::runtime_error("cannot open " + file.string());
  return {std::istreambuf_iterator<char>(in), {}};
#else
  int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC | O_NOATIME);
  if (fd < 0 && errno == EPERM) fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) throw std::runtime_error("cannot open " + file.string());
  std::vector<std::uint8_t> bytes;
  std::uint8_t buffer[65536];
  for (ssize_t n; (n = ::read(fd, buffer, sizeof buffer)) != 0;) {
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      ::close(fd);
      throw std::runtime_error("cannot read " + file.string());
    }
    bytes.insert(bytes.end(), buffer, buffer + n);
  }
  ::close(fd);
  return bytes;
#endif
}

std::vector<std::string> CorpusLines(const std::filesystem::path& file) {
  const std::vector<std::uint8_t> bytes = CorpusBytes(file);
  std::vector<std::string> lines;
  std::istringstream in(std::string(bytes.begin(), bytes.end()));
  for (std::string line; std::getline(in, line);) {
    if (!line.empty()) lines.push_back(std::move(line));
  }
  return lines;
}

}  // namespace varnlink::test_support
