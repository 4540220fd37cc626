#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace varnlink::test_support {

// The folder of real shortcuts the corpus tests read: $VARNLINK_CORPUS_DIR
// when set (CI points it at a folder that does not exist to prove that every
// test passes without the corpus), else ../shared/corpus beside the sources.
// Tests skip, saying so, when it is absent.
std::filesystem::path CorpusFolder();

// The folder of real jump lists the jump list tests read:
// $VARNLINK_JUMPLIST_DIR when set, else ../shared/jumplists beside the
// sources. Tests skip, saying so, when it is absent.
std::filesystem::path JumpListFolder();

// A file name as the expectation files spell it (UTF-8), also on Windows,
// where a narrow string is taken in the ANSI code page.
std::filesystem::path Utf8Path(const std::string& name);

// The bytes of a file of the corpus or the jump lists, read without moving its access time
// where the system lets a reader (so that a test checking that audits leave
// times alone can run beside this one). Throws naming the file when it cannot
// be read.
std::vector<std::uint8_t> CorpusBytes(const std::filesystem::path& file);

// The non-empty lines of a text file of the corpus (expected.jsonl), read as
// CorpusBytes reads.
std::vector<std::string> CorpusLines(const std::filesystem::path& file);

}  // namespace varnlink::test_support
