// Opens a playlist for line reading: a path that is not an existing regular file gives no
// file (the reader then changes nothing); one that cannot be opened raises InputError.
#pragma once

#include <optional>
#include <string>

namespace sources {

class PlaylistFile {
 public:
  // nullopt when path names no existing regular file.
  static std::optional<PlaylistFile> Open(const std::string& path);
  PlaylistFile(PlaylistFile&& other) noexcept : fd_(other.fd_) { other.fd_ = -1; }
  PlaylistFile(const PlaylistFile&) = delete;
  PlaylistFile& operator=(const PlaylistFile&) = delete;
  PlaylistFile& operator=(PlaylistFile&&) = delete;
  ~PlaylistFile();
  int fd() const { return fd_; }

 private:
  explicit PlaylistFile(int fd) : fd_(fd) {}
  int fd_;
};

}  // namespace sources
