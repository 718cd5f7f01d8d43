#include "sources/PlaylistFile.h"

#include <fcntl.h>

#include <cstring>
#include <filesystem>

#include "os/RegularFile.h"
#include "sources/StationSelection.h"

namespace sources {

std::optional<PlaylistFile> PlaylistFile::Open(const std::string& path) {
  os::OpenedFile opened = os::OpenRegularFile(path, O_RDONLY);
  if (opened.error != 0) {
    std::error_code ignored;
    const std::string full = std::filesystem::absolute(path, ignored).string();
    throw InputError("Cannot open file \"" + full + "\". " + std::strerror(opened.error));
  }
  if (opened.Absent()) return std::nullopt;
  return PlaylistFile(std::move(opened.fd));
}

}  // namespace sources
