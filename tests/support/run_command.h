// Runs a shell command line and collects what it prints on stdout; quotes
// its arguments.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

namespace sondrel::test {

struct CommandResult {
  int status = -1;  // the exit status; -1 when the command did not exit normally
  std::string out;
};

CommandResult RunCommand(const std::string& commandLine);

// Starts `argv` (argv[0] the program's path) in the background in `folder`,
// with `environment` (NAME=VALUE) added, its stdout and stderr written to
// the two files. The process id; -1 when it could not start.
pid_t StartProgram(const std::vector<std::string>& argv, const std::string& folder,
                   const std::vector<std::string>& environment, const std::string& outFile,
                   const std::string& errFile);
// Waits for a started program: its exit status, or 128 + the signal that
// ended it.
int WaitProgram(pid_t pid);

// `text` in single quotes for a shell command line.
std::string Quoted(const std::string& text);

}  // namespace sondrel::test
