#pragma once

#include <filesystem>

namespace varnlink::test_support {

// The folder of real shortcuts the corpus tests read: $VARNLINK_CORPUS_DIR
// when set (CI points it at a folder that does not exist to prove that every
// test passes without the corpus), else ../shared/corpus beside the sources.
// Tests skip, saying so, when it is absent.
std::filesystem::path CorpusFolder();

}  // namespace varnlink::test_support
