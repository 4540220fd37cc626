#include "tests/app/cli/cli_runner.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <iterator>

extern char** environ;

namespace varnlink::app::cli {

std::string ReadWhole(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

pid_t StartCli(const std::vector<std::string>& arguments,
               const test_support::ScratchFolder& capture, const std::string& folder, Stdout to) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  int pipe_ends[2] = {-1, -1};
  if (to == Stdout::kPipeWithoutReader) {
    if (::pipe2(pipe_ends, O_CLOEXEC) != 0) ADD_FAILURE() << "pipe: " << std::strerror(errno);
    ::close(pipe_ends[0]);  // before the program starts, so its first write finds no reader
    posix_spawn_file_actions_adddup2(&actions, pipe_ends[1], 1);
  } else {
    posix_spawn_file_actions_addopen(&actions, 1, capture.PathOf("out").c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0600);
  }
  posix_spawn_file_actions_addopen(&actions, 2, capture.PathOf("err").c_str(),
                                   O_WRONLY | O_CREAT | O_TRUNC, 0600);
  posix_spawn_file_actions_addchdir_np(&actions, folder.c_str());
  std::vector<char*> argv = {const_cast<char*>(VARNLINK_CLI)};
  for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);
  pid_t pid = -1;
  const int spawned = posix_spawn(&pid, VARNLINK_CLI, &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (pipe_ends[1] >= 0) ::close(pipe_ends[1]);
  if (spawned != 0) ADD_FAILURE() << VARNLINK_CLI << ": cannot start: " << std::strerror(spawned);
  return spawned == 0 ? pid : -1;
}

Outcome FinishCli(pid_t pid, const test_support::ScratchFolder& capture) {
  Outcome outcome;
  if (pid <= 0) return outcome;
  int status = 0;
  ::waitpid(pid, &status, 0);
  outcome.exit_code = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  outcome.out = ReadWhole(capture.Path() / "out");  // empty for a pipe: no such file
  outcome.err = ReadWhole(capture.Path() / "err");
  return outcome;
}

Outcome RunCli(const std::vector<std::string>& arguments, const std::string& folder, Stdout to) {
  const test_support::ScratchFolder capture;
  return FinishCli(StartCli(arguments, capture, folder, to), capture);
}

}  // namespace varnlink::app::cli
