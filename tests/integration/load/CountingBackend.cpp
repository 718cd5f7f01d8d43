#include "tests/integration/load/CountingBackend.h"

#include "engine/real/RealBackend.h"

namespace load_test {

CountingBackend::CountingBackend() : real_(engine::RealBackend()) {}

HSTREAM CountingBackend::StreamCreateURL(const char* url, DWORD offset, DWORD flags,
                                         DOWNLOADPROC* proc, void* user) {
  const HSTREAM handle = real_->StreamCreateURL(url, offset, flags, proc, user);
  if (handle) {
    std::lock_guard lock(mutex_);
    created_.push_back(handle);
  }
  return handle;
}

std::vector<HSTREAM> CountingBackend::Created() const {
  std::lock_guard lock(mutex_);
  return created_;
}

std::vector<HSTREAM> CountingBackend::Alive() const {
  std::vector<HSTREAM> alive;
  for (const HSTREAM handle : Created()) {
    BASS_CHANNELINFO info{};
    if (real_->ChannelGetInfo(handle, &info)) alive.push_back(handle);
  }
  return alive;
}

}  // namespace load_test
