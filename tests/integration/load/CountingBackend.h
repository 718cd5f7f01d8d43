// The real engine, with a record of every stream it created, so a test can ask each of them
// afterwards whether it is still alive.
#pragma once

#include <memory>
#include <mutex>
#include <vector>

#include "engine/bass.h"

namespace load_test {

class CountingBackend : public engine::Backend {
 public:
  CountingBackend();

  // Every handle a creation returned, in the order the creations returned.
  std::vector<HSTREAM> Created() const;
  // The created handles the engine still knows (their information can be read).
  std::vector<HSTREAM> Alive() const;

  DWORD GetVersion() override { return real_->GetVersion(); }
  BOOL Init(int device, DWORD freq, DWORD flags, void* window, const void* clsid) override {
    return real_->Init(device, freq, flags, window, clsid);
  }
  HPLUGIN PluginLoad(const char* file, DWORD flags) override {
    return real_->PluginLoad(file, flags);
  }
  BOOL SetConfig(DWORD option, DWORD value) override { return real_->SetConfig(option, value); }
  BOOL SetConfigPtr(DWORD option, const char* value) override {
    return real_->SetConfigPtr(option, value);
  }
  BOOL Free() override { return real_->Free(); }
  BOOL Start() override { return real_->Start(); }
  BOOL Stop() override { return real_->Stop(); }
  float GetVolume() override { return real_->GetVolume(); }
  BOOL SetVolume(float volume) override { return real_->SetVolume(volume); }
  HSTREAM StreamCreateURL(const char* url, DWORD offset, DWORD flags, DOWNLOADPROC* proc,
                          void* user) override;
  BOOL StreamFree(HSTREAM handle) override { return real_->StreamFree(handle); }
  BOOL MusicFree(HMUSIC handle) override { return real_->MusicFree(handle); }
  QWORD StreamGetFilePosition(HSTREAM handle, DWORD mode) override {
    return real_->StreamGetFilePosition(handle, mode);
  }
  BOOL ChannelPlay(DWORD handle, BOOL restart) override {
    return real_->ChannelPlay(handle, restart);
  }
  DWORD ChannelIsActive(DWORD handle) override { return real_->ChannelIsActive(handle); }
  DWORD ChannelGetLevel(DWORD handle) override { return real_->ChannelGetLevel(handle); }
  BOOL ChannelGetInfo(DWORD handle, BASS_CHANNELINFO* info) override {
    return real_->ChannelGetInfo(handle, info);
  }
  std::optional<std::string> ChannelGetTags(DWORD handle, DWORD tags) override {
    return real_->ChannelGetTags(handle, tags);
  }
  HSYNC ChannelSetSync(DWORD handle, DWORD type, QWORD param, SYNCPROC* proc, void* user) override {
    return real_->ChannelSetSync(handle, type, param, proc, user);
  }
  QWORD ChannelSeconds2Bytes(DWORD handle, double pos) override {
    return real_->ChannelSeconds2Bytes(handle, pos);
  }

 private:
  const std::shared_ptr<engine::Backend> real_;
  mutable std::mutex mutex_;
  std::vector<HSTREAM> created_;  // guarded by mutex_
};

}  // namespace load_test
