// The folder that holds the hand-off sockets of one user's players. Only its owner may enter
// it: a folder that is a link, belongs to someone else or cannot be made private is refused.
#pragma once

#include <sys/types.h>

#include <optional>
#include <string>
#include <string_view>

namespace app {

// Creates path with mode 0700 when missing and tightens a folder of uid's that others may
// enter; then checks it without following links. Returns "" when it is usable, else why not.
std::string MakePrivateFolder(const std::string& path, uid_t uid);

// The channel folder: "talvoranest" under runtimeDir (XDG_RUNTIME_DIR) when that is an
// absolute folder of uid's, else "talvoranest-<uid>" under tmpDir. A candidate whose sockets'
// paths would not fit a socket address is passed over. nullopt, with the reasons in problems,
// when neither is usable.
std::optional<std::string> ChannelFolder(std::string_view runtimeDir, std::string_view tmpDir,
                                         uid_t uid, std::string& problems);

}  // namespace app
