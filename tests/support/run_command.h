// Runs a shell command line and collects what it prints on stdout; quotes
// its arguments.
#pragma once

#include <string>

namespace sondrel::test {

struct CommandResult {
  int status = -1;  // the exit status; -1 when the command did not exit normally
  std::string out;
};

CommandResult RunCommand(const std::string& commandLine);

// `text` in single quotes for a shell command line.
std::string Quoted(const std::string& text);

}  // namespace sondrel::test
