// Linked straight into each executable that plays for real (CMake target `engine`): makes the
// real engine its default backend before main runs. Libraries never link it, so the tests of
// the layers above carry none of curl, FFmpeg or SDL.
#include "engine/real/RealBackend.h"

namespace {

struct InstallReal {
  InstallReal() { engine::SetDefaultBackend(&engine::RealBackend); }
};

const InstallReal installReal;

}  // namespace
