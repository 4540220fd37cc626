#pragma once

// Runs the real varnlink-cli from the tests, its stdout and stderr captured.

#include <sys/types.h>

#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/scratch_folder.h"

namespace varnlink::app::cli {

struct Outcome {
  int exit_code = -1;  // 128 + the signal when killed
  std::string out;
  std::string err;
};

// Where the program's stdout goes.
enum class Stdout { kFile, kPipeWithoutReader };

[[nodiscard]] std::string ReadWhole(const std::filesystem::path& path);

// varnlink-cli started in `folder` with `arguments`, stderr (and with kFile
// stdout) in files of `capture`; kPipeWithoutReader: stdout is a pipe whose
// reader has gone, as after `| head`. -1 (and a test failure) when it cannot
// start.
[[nodiscard]] pid_t StartCli(const std::vector<std::string>& arguments,
                             const test_support::ScratchFolder& capture,
                             const std::string& folder = ".", Stdout to = Stdout::kFile);

// Waits for the program StartCli started, and what it wrote.
[[nodiscard]] Outcome FinishCli(pid_t pid, const test_support::ScratchFolder& capture);

// StartCli, then FinishCli.
[[nodiscard]] Outcome RunCli(const std::vector<std::string>& arguments,
                             const std::string& folder = ".", Stdout to = Stdout::kFile);

}  // namespace varnlink::app::cli
