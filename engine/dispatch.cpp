// Routes every operation to the installed backend and keeps the per-thread error code.
#include <atomic>
#include <mutex>

#include "engine/Unavailable.h"
#include "engine/bass.h"

namespace engine {
namespace {

thread_local int lastError = BASS_OK;

// Never destroyed: engine threads and callbacks may still call in while the process exits.
struct Installed {
  std::mutex mutex;
  std::shared_ptr<Backend> backend;                     // guarded by mutex
  std::shared_ptr<Backend> (*makeDefault)() = nullptr;  // guarded by mutex
};

Installed& State() {
  static auto* const state = new Installed;
  return *state;
}

std::shared_ptr<Backend> Current() {
  auto& state = State();
  std::lock_guard lock(state.mutex);
  if (!state.backend && state.makeDefault) state.backend = state.makeDefault();
  if (!state.backend) return UnavailableBackend();
  return state.backend;
}

}  // namespace

void SetBackend(std::shared_ptr<Backend> backend) {
  auto& state = State();
  std::shared_ptr<Backend> previous;  // released outside the lock
  std::lock_guard lock(state.mutex);
  previous = std::move(state.backend);
  state.backend = std::move(backend);
}

void SetDefaultBackend(std::shared_ptr<Backend> (*make)()) {
  auto& state = State();
  std::lock_guard lock(state.mutex);
  state.makeDefault = make;
}

void SetError(int code) {
  lastError = code;
}

}  // namespace engine

using engine::Current;

DWORD BASS_GetVersion() {
  return Current()->GetVersion();
}
BOOL BASS_Init(int device, DWORD freq, DWORD flags, void* window, const void* clsid) {
  return Current()->Init(device, freq, flags, window, clsid);
}
int BASS_ErrorGetCode() {
  return engine::lastError;
}
HPLUGIN BASS_PluginLoad(const char* file, DWORD flags) {
  return Current()->PluginLoad(file, flags);
}
BOOL BASS_SetConfig(DWORD option, DWORD value) {
  return Current()->SetConfig(option, value);
}
BOOL BASS_SetConfigPtr(DWORD option, const char* value) {
  return Current()->SetConfigPtr(option, value);
}
BOOL BASS_Free() {
  return Current()->Free();
}
BOOL BASS_Start() {
  return Current()->Start();
}
BOOL BASS_Stop() {
  return Current()->Stop();
}
float BASS_GetVolume() {
  return Current()->GetVolume();
}
BOOL BASS_SetVolume(float volume) {
  return Current()->SetVolume(volume);
}
HSTREAM BASS_StreamCreateURL(const char* url, DWORD offset, DWORD flags, DOWNLOADPROC* proc,
                             void* user) {
  return Current()->StreamCreateURL(url, offset, flags, proc, user);
}
BOOL BASS_StreamFree(HSTREAM handle) {
  return Current()->StreamFree(handle);
}
BOOL BASS_MusicFree(HMUSIC handle) {
  return Current()->MusicFree(handle);
}
QWORD BASS_StreamGetFilePosition(HSTREAM handle, DWORD mode) {
  return Current()->StreamGetFilePosition(handle, mode);
}
BOOL BASS_ChannelPlay(DWORD handle, BOOL restart) {
  return Current()->ChannelPlay(handle, restart);
}
DWORD BASS_ChannelIsActive(DWORD handle) {
  return Current()->ChannelIsActive(handle);
}
DWORD BASS_ChannelGetLevel(DWORD handle) {
  return Current()->ChannelGetLevel(handle);
}
BOOL BASS_ChannelGetInfo(DWORD handle, BASS_CHANNELINFO* info) {
  return Current()->ChannelGetInfo(handle, info);
}
std::optional<std::string> BASS_ChannelGetTags(DWORD handle, DWORD tags) {
  return Current()->ChannelGetTags(handle, tags);
}
HSYNC BASS_ChannelSetSync(DWORD handle, DWORD type, QWORD param, SYNCPROC* proc, void* user) {
  return Current()->ChannelSetSync(handle, type, param, proc, user);
}
QWORD BASS_ChannelSeconds2Bytes(DWORD handle, double pos) {
  return Current()->ChannelSeconds2Bytes(handle, pos);
}
