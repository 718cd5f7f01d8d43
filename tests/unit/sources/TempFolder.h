// A fresh folder under the system's temporary folder, removed with everything in it.
#pragma once

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

class TempFolder {
 public:
  TempFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "talvoranest-XXXXXX").string();
    path_ = ::mkdtemp(pattern.data());
    // Others may enter, so that a check run as an unprivileged user can reach the files.
    ::chmod(path_.c_str(), 0755);
  }
  ~TempFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  std::string Write(const std::string& name, const std::string& bytes) const {
    const auto file = path_ / name;
    std::ofstream(file, std::ios::binary) << bytes;
    return file.string();
  }
  std::string Path(const std::string& name) const { return (path_ / name).string(); }

 private:
  std::filesystem::path path_;
};

// Runs check in a child process; as root the child first becomes the unprivileged user
// "nobody", so that file permissions apply to it. True when check returned true.
template <typename Check>
bool RunUnprivileged(Check check) {
  const pid_t child = ::fork();
  if (child == 0) {
    if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) ::_exit(2);
    ::_exit(check() ? 0 : 1);
  }
  int status = 0;
  ::waitpid(child, &status, 0);
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}
