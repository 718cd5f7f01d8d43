// The engine that really streams, decodes and plays.
#pragma once

#include <memory>

#include "engine/bass.h"

namespace engine {

// The process-wide real backend, created on first use.
std::shared_ptr<Backend> RealBackend();

}  // namespace engine
