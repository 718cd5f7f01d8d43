// A scripted engine for unit tests of the layers above the engine. Never used by the program.
//
// Every call is logged by name and arguments; results come from the script below. All members
// are guarded by one mutex; callbacks (download texts, fired syncs) run outside it.
#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "engine/bass.h"

namespace engine {

class FakeEngine : public Backend {
 public:
  struct StreamScript {
    std::map<DWORD, std::string> tags;  // tag type -> block as BASS_ChannelGetTags returns it
    std::map<DWORD, std::deque<QWORD>> filePositions;  // mode -> answers; the last one repeats
    bool infoOk = true;
    BASS_CHANNELINFO info{44100, 2, 0, BASS_CTYPE_STREAM_MP3, 0, 0, 0, 0};
    DWORD active = BASS_ACTIVE_PLAYING;  // state reported once played
    DWORD level = 0;
    QWORD bytesPerMs = 176;
  };
  struct Creation {
    HSTREAM handle = 0;  // 0: fail with error
    int error = BASS_ERROR_FILEOPEN;
    std::vector<std::string> downloadTexts;  // handed to the download callback, length 0
    StreamScript script;
  };
  struct Sync {
    HSYNC id;
    DWORD channel;
    DWORD type;
    SYNCPROC* proc;
    void* user;
  };

  // Script ---------------------------------------------------------------------------------
  // Queue the result of the next BASS_StreamCreateURL. Without a queued creation a stream
  // with a fresh handle and a default script is created.
  void QueueCreation(Creation creation);
  // Runs inside BASS_StreamCreateURL (after the download texts, before it returns), outside
  // the lock: a test can block a worker there.
  void SetCreateHook(std::function<void(const std::string& url)> hook);
  void SetVersion(DWORD version);
  void SetInitResult(BOOL result, int error);
  void SetGetVolumeResult(float volume);  // what GetVolume reports regardless of SetVolume
  void SetActive(HSTREAM handle, DWORD state);
  void SetLevel(HSTREAM handle, DWORD level);
  StreamScript& Script(HSTREAM handle);  // only while no other thread touches the engine

  // Observation ----------------------------------------------------------------------------
  std::vector<std::string> Calls() const;
  void ClearCalls();
  std::vector<HSTREAM> OpenStreams() const;
  float Volume() const;

  // Backend --------------------------------------------------------------------------------
  DWORD GetVersion() override;
  BOOL Init(int device, DWORD freq, DWORD flags, void* window, const void* clsid) override;
  HPLUGIN PluginLoad(const char* file, DWORD flags) override;
  BOOL SetConfig(DWORD option, DWORD value) override;
  BOOL SetConfigPtr(DWORD option, const char* value) override;
  BOOL Free() override;
  BOOL Start() override;
  BOOL Stop() override;
  float GetVolume() override;
  BOOL SetVolume(float volume) override;
  HSTREAM StreamCreateURL(const char* url, DWORD offset, DWORD flags, DOWNLOADPROC* proc,
                          void* user) override;
  BOOL StreamFree(HSTREAM handle) override;
  BOOL MusicFree(HMUSIC handle) override;
  QWORD StreamGetFilePosition(HSTREAM handle, DWORD mode) override;
  BOOL ChannelPlay(DWORD handle, BOOL restart) override;
  DWORD ChannelIsActive(DWORD handle) override;
  DWORD ChannelGetLevel(DWORD handle) override;
  BOOL ChannelGetInfo(DWORD handle, BASS_CHANNELINFO* info) override;
  std::optional<std::string> ChannelGetTags(DWORD handle, DWORD tags) override;
  HSYNC ChannelSetSync(DWORD handle, DWORD type, QWORD param, SYNCPROC* proc, void* user) override;
  QWORD ChannelSeconds2Bytes(DWORD handle, double pos) override;

 private:
  struct Stream {
    StreamScript script;
    bool open = true;
    bool played = false;
  };
  void Log(std::string call);
  Stream* Find(DWORD handle);  // open streams only; lock held

  mutable std::mutex mutex_;
  mutable std::condition_variable logged_;
  std::vector<std::string> calls_;
  std::deque<Creation> creations_;
  std::function<void(const std::string&)> createHook_;
  std::map<HSTREAM, Stream> streams_;
  std::vector<Sync> syncs_;
  HSTREAM nextHandle_ = 100;
  HSYNC nextSync_ = 1;
  DWORD version_ = 0x02040000;
  BOOL initResult_ = 1;
  int initError_ = BASS_OK;
  bool initialised_ = false;
  bool outputRunning_ = false;
  float volume_ = 1.0f;
  bool volumeOverridden_ = false;
  float volumeOverride_ = 0.0f;
};

}  // namespace engine
