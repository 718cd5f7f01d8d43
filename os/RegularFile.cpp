#include "os/RegularFile.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>

namespace os {

OpenedFile OpenRegularFile(const std::string& path, int flags) {
  OpenedFile file;
  struct stat info {};
  if (path.empty() || ::stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return file;
  file.fd = UniqueFd(::open(path.c_str(), flags | O_NONBLOCK | O_CLOEXEC));
  if (!file.fd) {
    file.error = errno;
    return file;
  }
  if (::fstat(file.fd.get(), &info) != 0 || !S_ISREG(info.st_mode)) file.fd.Reset();
  return file;
}

}  // namespace os
