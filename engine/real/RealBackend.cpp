// Placeholder until the streaming backend lands: every operation fails cleanly.
#include "engine/real/RealBackend.h"

namespace engine {
namespace {

class UnavailableBackend : public Backend {
 public:
  DWORD GetVersion() override { return BASSVERSION << 16; }
  BOOL Init(int, DWORD, DWORD, void*, const void*) override { return Fail(BASS_ERROR_DRIVER); }
  HPLUGIN PluginLoad(const char*, DWORD) override { return Fail(BASS_ERROR_FILEOPEN); }
  BOOL SetConfig(DWORD, DWORD) override { return Fail(BASS_ERROR_INIT); }
  BOOL SetConfigPtr(DWORD, const char*) override { return Fail(BASS_ERROR_INIT); }
  BOOL Free() override { return Fail(BASS_ERROR_INIT); }
  BOOL Start() override { return Fail(BASS_ERROR_INIT); }
  BOOL Stop() override { return Fail(BASS_ERROR_INIT); }
  float GetVolume() override { return Fail(BASS_ERROR_INIT) - 1.0f; }
  BOOL SetVolume(float) override { return Fail(BASS_ERROR_INIT); }
  HSTREAM StreamCreateURL(const char*, DWORD, DWORD, DOWNLOADPROC*, void*) override {
    return Fail(BASS_ERROR_INIT);
  }
  BOOL StreamFree(HSTREAM) override { return Fail(BASS_ERROR_HANDLE); }
  BOOL MusicFree(HMUSIC) override { return Fail(BASS_ERROR_HANDLE); }
  QWORD StreamGetFilePosition(HSTREAM, DWORD) override {
    Fail(BASS_ERROR_HANDLE);
    return kFilePosError;
  }
  BOOL ChannelPlay(DWORD, BOOL) override { return Fail(BASS_ERROR_HANDLE); }
  DWORD ChannelIsActive(DWORD) override { return BASS_ACTIVE_STOPPED; }
  DWORD ChannelGetLevel(DWORD) override { return ~DWORD{0} + Fail(BASS_ERROR_HANDLE); }
  BOOL ChannelGetInfo(DWORD, BASS_CHANNELINFO*) override { return Fail(BASS_ERROR_HANDLE); }
  std::optional<std::string> ChannelGetTags(DWORD, DWORD) override {
    Fail(BASS_ERROR_HANDLE);
    return std::nullopt;
  }
  HSYNC ChannelSetSync(DWORD, DWORD, QWORD, SYNCPROC*, void*) override {
    return Fail(BASS_ERROR_HANDLE);
  }
  QWORD ChannelSeconds2Bytes(DWORD, double) override {
    Fail(BASS_ERROR_HANDLE);
    return kFilePosError;
  }

 private:
  static int Fail(int code) {
    SetError(code);
    return 0;
  }
};

}  // namespace

std::shared_ptr<Backend> RealBackend() {
  static const auto backend = std::make_shared<UnavailableBackend>();
  return backend;
}

}  // namespace engine
