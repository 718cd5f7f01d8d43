#include "app/ChannelFolder.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "app/PlayerSockets.h"

namespace app {
namespace {

std::string SystemError(const std::string& path, const char* what) {
  return path + ": " + what + ": " + std::strerror(errno);
}

bool FitsSocketAddress(const std::string& folder) {
  return folder.size() + 1 + MaxPlayerSocketNameLength() < sizeof(sockaddr_un::sun_path);
}

bool IsOwnFolder(std::string_view path, uid_t uid) {
  struct stat st {};
  return !path.empty() && path.front() == '/' && ::lstat(std::string(path).c_str(), &st) == 0 &&
         S_ISDIR(st.st_mode) && st.st_uid == uid;
}

}  // namespace

std::string MakePrivateFolder(const std::string& path, uid_t uid) {
  if (::mkdir(path.c_str(), 0700) != 0 && errno != EEXIST) {
    return SystemError(path, "cannot create the folder");
  }
  // Opened without following a link, then checked and tightened through the descriptor, so
  // nothing can be swapped in between.
  const UniqueFd dir(::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
  if (dir.get() < 0) return SystemError(path, "not a usable folder");
  struct stat st {};
  if (::fstat(dir.get(), &st) != 0) return SystemError(path, "cannot check the folder");
  if (st.st_uid != uid) return path + ": the folder belongs to another user";
  if ((st.st_mode & 077) != 0 && ::fchmod(dir.get(), 0700) != 0) {
    return SystemError(path, "cannot make the folder private");
  }
  return "";
}

std::optional<std::string> ChannelFolder(std::string_view runtimeDir, std::string_view tmpDir,
                                         uid_t uid, std::string& problems) {
  problems.clear();
  std::string candidates[2];
  if (IsOwnFolder(runtimeDir, uid)) candidates[0] = std::string(runtimeDir) + "/talvoranest";
  candidates[1] = std::string(tmpDir) + "/talvoranest-" + std::to_string(uid);
  for (const std::string& folder : candidates) {
    if (folder.empty()) continue;
    if (!FitsSocketAddress(folder)) {
      problems += folder + ": the path is too long for a socket; ";
      continue;
    }
    const std::string problem = MakePrivateFolder(folder, uid);
    if (problem.empty()) return folder;
    problems += problem + "; ";
  }
  return std::nullopt;
}

}  // namespace app
