#include "sources/PlaylistFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

#include "sources/StationSelection.h"

namespace sources {

std::optional<PlaylistFile> PlaylistFile::Open(const std::string& path) {
  struct stat info {};
  if (path.empty() || ::stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode))
    return std::nullopt;
  // Non-blocking open: should the path have been swapped for a FIFO meanwhile, opening it
  // must not wait for a writer.
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    const int error = errno;
    std::error_code ignored;
    const std::string full = std::filesystem::absolute(path, ignored).string();
    throw InputError("Cannot open file \"" + full + "\". " + std::strerror(error));
  }
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    ::close(fd);
    return std::nullopt;
  }
  return PlaylistFile(fd);
}

PlaylistFile::~PlaylistFile() {
  if (fd_ >= 0) ::close(fd_);
}

}  // namespace sources
