// Feeds arbitrary bytes to one playlist or settings reader as the content of a file.
#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <string>

#include "sources/Playlists.h"
#include "sources/Settings.h"
#include "sources/Station.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const int fd = ::memfd_create("fuzz", 0);
  if (fd < 0) return 0;
  for (std::size_t done = 0; done < size;) {
    const ssize_t n = ::write(fd, data + done, size - done);
    if (n <= 0) break;
    done += static_cast<std::size_t>(n);
  }
  const std::string path = "/proc/self/fd/" + std::to_string(fd);
  std::string name, url;
#if defined(FUZZ_READER_pls)
  sources::plsurl(path, name, url);
#elif defined(FUZZ_READER_m3u)
  sources::m3uurl(path, name, url);
#elif defined(FUZZ_READER_asx)
  sources::asxurl(path, name, url);
#else
  sources::ReadiniFrom(path);
#endif
  ::close(fd);
  return 0;
}
