#include "support/run_command.h"

#include <sys/wait.h>

#include <cstdio>

namespace sondrel::test {

CommandResult RunCommand(const std::string& commandLine) {
  CommandResult result;
  std::FILE* pipe = popen(commandLine.c_str(), "r");
  if (!pipe) return result;
  char buffer[4096];
  size_t n = 0;
  while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) result.out.append(buffer, n);
  const int status = pclose(pipe);
  result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return result;
}

std::string Quoted(const std::string& text) {
  std::string quoted = "'";
  for (char c : text) {
    if (c == '\'') {
      quoted += "'\\''";
    } else {
      quoted += c;
    }
  }
  return quoted + "'";
}

}  // namespace sondrel::test
