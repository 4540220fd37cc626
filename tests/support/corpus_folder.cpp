#include "tests/support/corpus_folder.h"

#include <cstdlib>

namespace varnlink::test_support {

std::filesystem::path CorpusFolder() {
  if (const char* folder = std::getenv("VARNLINK_CORPUS_DIR")) return folder;
  return VARNLINK_CORPUS_DIR;
}

}  // namespace varnlink::test_support
