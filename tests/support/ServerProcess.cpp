#include "tests/support/ServerProcess.h"

#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <string_view>
#include <thread>

namespace test_support {
namespace {

pid_t Spawn(const std::vector<std::string>& argv, int stdoutFd,
            const std::vector<std::string>& environment = {}) {
  std::vector<char*> args;
  for (const auto& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
  args.push_back(nullptr);
  // Built before the fork: the child only duplicates a descriptor and executes.
  std::vector<char*> variables;
  const auto overridden = [&](std::string_view entry) {
    const std::string_view name = entry.substr(0, entry.find('=') + 1);
    return std::any_of(environment.begin(), environment.end(),
                       [&](const std::string& added) { return added.rfind(name, 0) == 0; });
  };
  for (char** entry = environ; *entry; ++entry) {
    if (!overridden(*entry)) variables.push_back(*entry);
  }
  for (const auto& entry : environment) variables.push_back(const_cast<char*>(entry.c_str()));
  variables.push_back(nullptr);
  const pid_t pid = fork();
  if (pid == 0) {
    if (stdoutFd >= 0) dup2(stdoutFd, STDOUT_FILENO);
    execvpe(args[0], args.data(), variables.data());
    _exit(127);
  }
  return pid;
}

// The first line the child prints, waiting at most timeoutMs.
std::string FirstLine(int fd, int timeoutMs) {
  std::string line;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  while (line.find('\n') == std::string::npos) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    pollfd p{fd, POLLIN, 0};
    if (left.count() <= 0 || poll(&p, 1, static_cast<int>(left.count())) <= 0) break;
    char buffer[256];
    const ssize_t n = read(fd, buffer, sizeof buffer);
    if (n <= 0) break;
    line.append(buffer, static_cast<std::size_t>(n));
  }
  return line.substr(0, line.find('\n'));
}

void StopChild(pid_t pid) {
  if (pid <= 0) return;
  kill(pid, SIGTERM);
  for (int i = 0; i < 100; ++i) {
    if (waitpid(pid, nullptr, WNOHANG) == pid) return;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  kill(pid, SIGKILL);
  waitpid(pid, nullptr, 0);
}

}  // namespace

ServerProcess::ServerProcess(const std::string& script, const std::vector<std::string>& args) {
  int pipeFds[2];
  if (pipe(pipeFds) != 0) return;
  std::vector<std::string> argv{"python3", script, "--port", "0", "--max-seconds", "300"};
  argv.insert(argv.end(), args.begin(), args.end());
  pid_ = Spawn(argv, pipeFds[1]);
  close(pipeFds[1]);
  const std::string line = FirstLine(pipeFds[0], 30000);
  close(pipeFds[0]);  // the server prints nothing else unless asked to
  if (line.rfind("PORT ", 0) == 0) port_ = std::stoi(line.substr(5));
}

ServerProcess::~ServerProcess() {
  StopChild(pid_);
}

std::string ServerProcess::Url(const std::string& path) const {
  return "http://127.0.0.1:" + std::to_string(port_) + path;
}

ChildProcess::ChildProcess(const std::vector<std::string>& argv,
                           const std::vector<std::string>& environment)
    : pid_(Spawn(argv, -1, environment)) {}

void ChildProcess::Stop() {
  StopChild(pid_);
  pid_ = -1;
}

bool RunCommand(const std::vector<std::string>& argv) {
  const pid_t pid = Spawn(argv, -1);
  if (pid <= 0) return false;
  int status = 0;
  return waitpid(pid, &status, 0) == pid && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

}  // namespace test_support
