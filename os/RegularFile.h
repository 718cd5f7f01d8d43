// Opening a file that must be a regular file: a playlist or the settings file. Anything else
// at the path (nothing, a folder, a FIFO, a device) counts as no file, and the open never
// blocks, even when a FIFO is swapped in between the look and the open.
#pragma once

#include <string>

#include "os/UniqueFd.h"

namespace os {

struct OpenedFile {
  UniqueFd fd;    // open when a regular file was opened
  int error = 0;  // errno when a regular file is there but could not be opened
  bool Absent() const { return !fd && error == 0; }
};

// flags: the access mode (O_RDONLY, O_RDWR); O_NONBLOCK and O_CLOEXEC are added.
OpenedFile OpenRegularFile(const std::string& path, int flags);

}  // namespace os
