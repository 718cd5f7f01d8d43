// Opens a playlist for line reading: a path that is not an existing regular file gives no
// file (the reader then changes nothing); one that cannot be opened raises InputError.
#pragma once

#include <optional>
#include <string>

#include "os/UniqueFd.h"

namespace sources {

class PlaylistFile {
 public:
  // nullopt when path names no existing regular file.
  static std::optional<PlaylistFile> Open(const std::string& path);
  int fd() const { return fd_.get(); }

 private:
  explicit PlaylistFile(os::UniqueFd fd) : fd_(std::move(fd)) {}
  os::UniqueFd fd_;
};

}  // namespace sources
