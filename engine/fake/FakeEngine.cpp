#include "engine/fake/FakeEngine.h"

#include <sstream>

namespace engine {

void FakeEngine::QueueCreation(Creation creation) {
  std::lock_guard lock(mutex_);
  creations_.push_back(std::move(creation));
}

void FakeEngine::SetCreateHook(std::function<void(const std::string&)> hook) {
  std::lock_guard lock(mutex_);
  createHook_ = std::move(hook);
}

void FakeEngine::SetVersion(DWORD version) {
  std::lock_guard lock(mutex_);
  version_ = version;
}

void FakeEngine::SetInitResult(BOOL result, int error) {
  std::lock_guard lock(mutex_);
  initResult_ = result;
  initError_ = error;
}

void FakeEngine::SetGetVolumeResult(float volume) {
  std::lock_guard lock(mutex_);
  volumeOverridden_ = true;
  volumeOverride_ = volume;
}

void FakeEngine::SetActive(HSTREAM handle, DWORD state) {
  std::lock_guard lock(mutex_);
  streams_[handle].script.active = state;
  streams_[handle].played = true;
}

void FakeEngine::SetLevel(HSTREAM handle, DWORD level) {
  std::lock_guard lock(mutex_);
  streams_[handle].script.level = level;
}

FakeEngine::StreamScript& FakeEngine::Script(HSTREAM handle) {
  std::lock_guard lock(mutex_);
  return streams_[handle].script;
}

std::vector<std::string> FakeEngine::Calls() const {
  std::lock_guard lock(mutex_);
  return calls_;
}

void FakeEngine::ClearCalls() {
  std::lock_guard lock(mutex_);
  calls_.clear();
}

std::vector<HSTREAM> FakeEngine::OpenStreams() const {
  std::lock_guard lock(mutex_);
  std::vector<HSTREAM> open;
  for (const auto& [handle, stream] : streams_)
    if (stream.open) open.push_back(handle);
  return open;
}

float FakeEngine::Volume() const {
  std::lock_guard lock(mutex_);
  return volume_;
}

void FakeEngine::Log(std::string call) {
  calls_.push_back(std::move(call));
  logged_.notify_all();
}

FakeEngine::Stream* FakeEngine::Find(DWORD handle) {
  auto it = streams_.find(handle);
  if (it == streams_.end() || !it->second.open) return nullptr;
  return &it->second;
}

DWORD FakeEngine::GetVersion() {
  std::lock_guard lock(mutex_);
  Log("GetVersion");
  return version_;
}

BOOL FakeEngine::Init(int device, DWORD freq, DWORD flags, void*, const void*) {
  std::lock_guard lock(mutex_);
  std::ostringstream call;
  call << "Init(" << device << "," << freq << "," << flags << ")";
  Log(call.str());
  SetError(initError_);
  if (initResult_) {
    initialised_ = true;
    outputRunning_ = true;
  }
  return initResult_;
}

HPLUGIN FakeEngine::PluginLoad(const char* file, DWORD flags) {
  std::lock_guard lock(mutex_);
  Log("PluginLoad(" + std::string(file ? file : "") + "," + std::to_string(flags) + ")");
  SetError(BASS_OK);
  return 1;
}

BOOL FakeEngine::SetConfig(DWORD option, DWORD value) {
  std::lock_guard lock(mutex_);
  Log("SetConfig(" + std::to_string(option) + "," + std::to_string(value) + ")");
  SetError(BASS_OK);
  return 1;
}

BOOL FakeEngine::SetConfigPtr(DWORD option, const char* value) {
  std::lock_guard lock(mutex_);
  Log("SetConfigPtr(" + std::to_string(option) + "," + std::string(value ? value : "") + ")");
  SetError(BASS_OK);
  return 1;
}

BOOL FakeEngine::Free() {
  std::lock_guard lock(mutex_);
  Log("Free");
  for (auto& [handle, stream] : streams_) stream.open = false;
  initialised_ = false;
  outputRunning_ = false;
  SetError(BASS_OK);
  return 1;
}

BOOL FakeEngine::Start() {
  std::lock_guard lock(mutex_);
  Log("Start");
  outputRunning_ = true;
  SetError(BASS_OK);
  return 1;
}

BOOL FakeEngine::Stop() {
  std::lock_guard lock(mutex_);
  Log("Stop");
  outputRunning_ = false;
  SetError(BASS_OK);
  return 1;
}

float FakeEngine::GetVolume() {
  std::lock_guard lock(mutex_);
  Log("GetVolume");
  SetError(BASS_OK);
  return volumeOverridden_ ? volumeOverride_ : volume_;
}

BOOL FakeEngine::SetVolume(float volume) {
  std::lock_guard lock(mutex_);
  std::ostringstream call;
  call << "SetVolume(" << volume << ")";
  Log(call.str());
  volume_ = volume;
  SetError(BASS_OK);
  return 1;
}

HSTREAM FakeEngine::StreamCreateURL(const char* url, DWORD, DWORD flags, DOWNLOADPROC* proc,
                                    void* user) {
  const std::string address = url ? url : "";
  Creation creation;
  std::function<void(const std::string&)> hook;
  {
    std::lock_guard lock(mutex_);
    Log("StreamCreateURL(" + address + "," + std::to_string(flags) + ")");
    if (!creations_.empty()) {
      creation = std::move(creations_.front());
      creations_.pop_front();
    } else {
      creation.handle = nextHandle_++;
    }
    hook = createHook_;
  }
  if (proc)
    for (const auto& text : creation.downloadTexts) proc(text.c_str(), 0, user);
  if (hook) hook(address);
  std::lock_guard lock(mutex_);
  if (creation.handle == 0) {
    SetError(creation.error);
    return 0;
  }
  Stream& stream = streams_[creation.handle];
  stream.script = std::move(creation.script);
  stream.open = true;
  stream.played = false;
  SetError(BASS_OK);
  return creation.handle;
}

BOOL FakeEngine::StreamFree(HSTREAM handle) {
  std::lock_guard lock(mutex_);
  Log("StreamFree(" + std::to_string(handle) + ")");
  Stream* stream = Find(handle);
  if (!stream) {
    SetError(BASS_ERROR_HANDLE);
    return 0;
  }
  stream->open = false;
  SetError(BASS_OK);
  return 1;
}

BOOL FakeEngine::MusicFree(HMUSIC handle) {
  std::lock_guard lock(mutex_);
  Log("MusicFree(" + std::to_string(handle) + ")");
  SetError(BASS_ERROR_HANDLE);
  return 0;
}

QWORD FakeEngine::StreamGetFilePosition(HSTREAM handle, DWORD mode) {
  std::lock_guard lock(mutex_);
  Log("StreamGetFilePosition(" + std::to_string(handle) + "," + std::to_string(mode) + ")");
  Stream* stream = Find(handle);
  if (!stream) {
    SetError(BASS_ERROR_HANDLE);
    return kFilePosError;
  }
  auto it = stream->script.filePositions.find(mode);
  if (it == stream->script.filePositions.end() || it->second.empty()) {
    SetError(BASS_ERROR_NOTAVAIL);
    return kFilePosError;
  }
  QWORD value = it->second.front();
  if (it->second.size() > 1) it->second.pop_front();
  SetError(value == kFilePosError ? BASS_ERROR_NOTAVAIL : BASS_OK);
  return value;
}

BOOL FakeEngine::ChannelPlay(DWORD handle, BOOL restart) {
  std::lock_guard lock(mutex_);
  Log("ChannelPlay(" + std::to_string(handle) + "," + std::to_string(restart) + ")");
  Stream* stream = Find(handle);
  if (!stream) {
    SetError(BASS_ERROR_HANDLE);
    return 0;
  }
  stream->played = true;
  SetError(BASS_OK);
  return 1;
}

DWORD FakeEngine::ChannelIsActive(DWORD handle) {
  std::lock_guard lock(mutex_);
  Stream* stream = Find(handle);
  if (!stream || !stream->played) return BASS_ACTIVE_STOPPED;
  return stream->script.active;
}

DWORD FakeEngine::ChannelGetLevel(DWORD handle) {
  std::lock_guard lock(mutex_);
  Stream* stream = Find(handle);
  if (!stream) {
    SetError(BASS_ERROR_HANDLE);
    return ~DWORD{0};
  }
  SetError(BASS_OK);
  return stream->script.level;
}

BOOL FakeEngine::ChannelGetInfo(DWORD handle, BASS_CHANNELINFO* info) {
  std::lock_guard lock(mutex_);
  Log("ChannelGetInfo(" + std::to_string(handle) + ")");
  Stream* stream = Find(handle);
  if (!stream || !stream->script.infoOk || !info) {
    SetError(BASS_ERROR_HANDLE);
    return 0;
  }
  *info = stream->script.info;
  SetError(BASS_OK);
  return 1;
}

std::optional<std::string> FakeEngine::ChannelGetTags(DWORD handle, DWORD tags) {
  std::lock_guard lock(mutex_);
  Log("ChannelGetTags(" + std::to_string(handle) + "," + std::to_string(tags) + ")");
  Stream* stream = Find(handle);
  if (!stream) {
    SetError(BASS_ERROR_HANDLE);
    return std::nullopt;
  }
  auto it = stream->script.tags.find(tags);
  if (it == stream->script.tags.end()) {
    SetError(BASS_ERROR_NOTAVAIL);
    return std::nullopt;
  }
  SetError(BASS_OK);
  return it->second;
}

HSYNC FakeEngine::ChannelSetSync(DWORD handle, DWORD type, QWORD, SYNCPROC* proc, void* user) {
  std::lock_guard lock(mutex_);
  Log("ChannelSetSync(" + std::to_string(handle) + "," + std::to_string(type) + ")");
  if (!Find(handle)) {
    SetError(BASS_ERROR_HANDLE);
    return 0;
  }
  HSYNC id = nextSync_++;
  syncs_.push_back({id, handle, type, proc, user});
  SetError(BASS_OK);
  return id;
}

QWORD FakeEngine::ChannelSeconds2Bytes(DWORD handle, double pos) {
  std::lock_guard lock(mutex_);
  Log("ChannelSeconds2Bytes(" + std::to_string(handle) + ")");
  Stream* stream = Find(handle);
  if (!stream) {
    SetError(BASS_ERROR_HANDLE);
    return kFilePosError;
  }
  SetError(BASS_OK);
  return static_cast<QWORD>(stream->script.bytesPerMs * (pos * 1000.0) + 0.5);
}

}  // namespace engine
