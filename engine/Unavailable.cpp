#include "engine/Unavailable.h"

namespace engine {
namespace {

template <typename T>
T Refuse(T result) {
  SetError(BASS_ERROR_INIT);
  return result;
}

class Unavailable : public Backend {
 public:
  // 0: no engine, so no version a caller could accept.
  DWORD GetVersion() override { return Refuse(DWORD{0}); }
  BOOL Init(int, DWORD, DWORD, void*, const void*) override { return Refuse(kFalse); }
  HPLUGIN PluginLoad(const char*, DWORD) override { return Refuse(HPLUGIN{0}); }
  BOOL SetConfig(DWORD, DWORD) override { return Refuse(kFalse); }
  BOOL SetConfigPtr(DWORD, const char*) override { return Refuse(kFalse); }
  BOOL Free() override { return Refuse(kFalse); }
  BOOL Start() override { return Refuse(kFalse); }
  BOOL Stop() override { return Refuse(kFalse); }
  float GetVolume() override { return Refuse(-1.0f); }
  BOOL SetVolume(float) override { return Refuse(kFalse); }
  HSTREAM StreamCreateURL(const char*, DWORD, DWORD, DOWNLOADPROC*, void*) override {
    return Refuse(HSTREAM{0});
  }
  BOOL StreamFree(HSTREAM) override { return Refuse(kFalse); }
  BOOL MusicFree(HMUSIC) override { return Refuse(kFalse); }
  QWORD StreamGetFilePosition(HSTREAM, DWORD) override { return Refuse(kFilePosError); }
  BOOL ChannelPlay(DWORD, BOOL) override { return Refuse(kFalse); }
  DWORD ChannelIsActive(DWORD) override { return Refuse(BASS_ACTIVE_STOPPED); }
  DWORD ChannelGetLevel(DWORD) override { return Refuse(~DWORD{0}); }
  BOOL ChannelGetInfo(DWORD, BASS_CHANNELINFO*) override { return Refuse(kFalse); }
  std::optional<std::string> ChannelGetTags(DWORD, DWORD) override {
    return Refuse(std::optional<std::string>{});
  }
  HSYNC ChannelSetSync(DWORD, DWORD, QWORD, SYNCPROC*, void*) override { return Refuse(HSYNC{0}); }
  QWORD ChannelSeconds2Bytes(DWORD, double) override { return Refuse(kFilePosError); }
};

}  // namespace

std::shared_ptr<Backend> UnavailableBackend() {
  static const auto backend = std::make_shared<Unavailable>();
  return backend;
}

}  // namespace engine
