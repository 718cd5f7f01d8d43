// The local test stream server as a child process, stopped by its PID.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

namespace test_support {

class ServerProcess {
 public:
  // Starts "python3 script --port 0 args..."; Port() is 0 when it did not come up in time.
  ServerProcess(const std::string& script, const std::vector<std::string>& args);
  ~ServerProcess();
  ServerProcess(const ServerProcess&) = delete;
  ServerProcess& operator=(const ServerProcess&) = delete;

  int Port() const { return port_; }
  std::string Url(const std::string& path) const;

 private:
  pid_t pid_ = -1;
  int port_ = 0;
};

// Any other program as a child process, stopped by its PID (SIGTERM, then SIGKILL after 5 s).
class ChildProcess {
 public:
  // `environment` entries ("NAME=value") are added to this process's own for the child.
  ChildProcess(const std::vector<std::string>& argv, const std::vector<std::string>& environment);
  ~ChildProcess() { Stop(); }
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  bool Started() const { return pid_ > 0; }
  // Stops the child now; the destructor then has nothing left to do.
  void Stop();

 private:
  pid_t pid_ = -1;
};

// Runs a command to its end (bounded by the command itself); true when it exited with 0.
bool RunCommand(const std::vector<std::string>& argv);

}  // namespace test_support
