#include "tests/support/ServerProcess.h"

#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <thread>

namespace test_support {
namespace {

pid_t Spawn(const std::vector<std::string>& argv, int stdoutFd) {
  std::vector<char*> args;
  for (const auto& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
  args.push_back(nullptr);
  const pid_t pid = fork();
  if (pid == 0) {
    if (stdoutFd >= 0) dup2(stdoutFd, STDOUT_FILENO);
    execvp(args[0], args.data());
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
  if (pid_ <= 0) return;
  kill(pid_, SIGTERM);
  for (int i = 0; i < 100; ++i) {
    if (waitpid(pid_, nullptr, WNOHANG) == pid_) return;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  kill(pid_, SIGKILL);
  waitpid(pid_, nullptr, 0);
}

std::string ServerProcess::Url(const std::string& path) const {
  return "http://127.0.0.1:" + std::to_string(port_) + path;
}

bool RunCommand(const std::vector<std::string>& argv) {
  const pid_t pid = Spawn(argv, -1);
  if (pid <= 0) return false;
  int status = 0;
  return waitpid(pid, &status, 0) == pid && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

}  // namespace test_support
