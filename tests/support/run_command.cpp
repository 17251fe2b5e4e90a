#include "support/run_command.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

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

pid_t StartProgram(const std::vector<std::string>& argv, const std::string& folder,
                   const std::vector<std::string>& environment, const std::string& outFile,
                   const std::string& errFile) {
  if (argv.empty()) return -1;
  const pid_t pid = fork();
  if (pid != 0) return pid;
  // The child: only calls that are safe after fork, then exec.
  const int out = open(outFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  const int err = open(errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  if (out < 0 || err < 0 || dup2(out, 1) < 0 || dup2(err, 2) < 0 || chdir(folder.c_str()) != 0) {
    _exit(127);
  }
  for (const std::string& assignment : environment) putenv(const_cast<char*>(assignment.c_str()));
  std::vector<char*> args;
  for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  execv(args[0], args.data());
  _exit(127);
}

int WaitProgram(pid_t pid) {
  int status = 0;
  if (pid <= 0 || waitpid(pid, &status, 0) != pid) return -1;
  if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
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
