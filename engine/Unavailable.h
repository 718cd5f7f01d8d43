// The backend in place while a process has none: an executable that links no engine (the
// tests of the layers above, before they install their fake) gets clean failures, not a crash.
#pragma once

#include <memory>

#include "engine/bass.h"

namespace engine {

// Every operation fails with BASS_ERROR_INIT and its documented failure result.
std::shared_ptr<Backend> UnavailableBackend();

}  // namespace engine
