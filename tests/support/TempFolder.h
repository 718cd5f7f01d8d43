// A fresh folder for one test, removed with everything in it; and checks run as another user.
#pragma once

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

class TempFolder {
 public:
  // Always under /tmp, never under $TMPDIR: an unprivileged check must reach the files, and
  // only there are all the folders above open to every user.
  TempFolder() {
    std::string pattern = "/tmp/talvoranest-XXXXXX";
    path_ = ::mkdtemp(pattern.data());
    ::chmod(path_.c_str(), 0755);
  }
  ~TempFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  const std::string& path() const { return path_; }
  std::string operator/(const std::string& name) const { return path_ + "/" + name; }
  std::string Write(const std::string& name, const std::string& bytes) const {
    const std::string file = *this / name;
    std::ofstream(file, std::ios::binary) << bytes;
    return file;
  }
  // Copies a program in, open to every user, and returns the copy's path.
  std::string CopyProgram(const std::string& program, const std::string& name) const {
    const std::string copy = *this / name;
    std::filesystem::copy_file(program, copy, std::filesystem::copy_options::overwrite_existing);
    ::chmod(copy.c_str(), 0755);
    return copy;
  }

 private:
  std::string path_;
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

// Runs a program the same way; true when it exited with 0. The program, and what it reads,
// must lie where that user can reach them (a TempFolder), not in the build tree, whose
// folders above may be closed to others.
inline bool RunProgramUnprivileged(const std::string& program) {
  const pid_t child = ::fork();
  if (child == 0) {
    if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) ::_exit(2);
    char* const arguments[] = {const_cast<char*>(program.c_str()), nullptr};
    ::execv(program.c_str(), arguments);
    ::_exit(127);
  }
  int status = 0;
  ::waitpid(child, &status, 0);
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}
