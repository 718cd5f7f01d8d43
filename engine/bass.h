// The audio engine's operation set: network streaming, decoding and sound output.
//
// Thread contract: every operation may be called from any thread at any time, including from
// inside a sync or download callback. No operation joins, or waits on a lock held by, a thread
// that may be inside a callback; callbacks may block for a long time (for example in a
// synchronous send to the window's thread) without stalling any caller.
//
// Error contract: an operation that fails returns its failure result and sets the calling
// thread's error code (BASS_ErrorGetCode); a successful one sets BASS_OK.
//
// Tags are returned as owned copies: no caller ever holds a pointer into engine memory.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

using DWORD = std::uint32_t;
using QWORD = std::uint64_t;
using BOOL = int;
using HSTREAM = DWORD;
using HMUSIC = DWORD;
using HSYNC = DWORD;
using HPLUGIN = DWORD;

constexpr BOOL kTrue = 1;
constexpr BOOL kFalse = 0;

// Version: high word 0x0204.
constexpr DWORD BASSVERSION = 0x204;

// Error codes (BASS_ErrorGetCode).
constexpr int BASS_OK = 0;
constexpr int BASS_ERROR_MEM = 1;        // out of memory, or a bounded input exceeded its limit
constexpr int BASS_ERROR_FILEOPEN = 2;   // connection refused / could not be opened
constexpr int BASS_ERROR_DRIVER = 3;     // no sound output device could be opened
constexpr int BASS_ERROR_HANDLE = 5;     // invalid or freed handle
constexpr int BASS_ERROR_FORMAT = 6;     // unsupported sample format
constexpr int BASS_ERROR_INIT = 8;       // BASS_Init has not been successfully called
constexpr int BASS_ERROR_SSL = 10;       // TLS handshake or certificate failure
constexpr int BASS_ERROR_ALREADY = 14;   // already initialised
constexpr int BASS_ERROR_ILLTYPE = 19;   // illegal type (tag, sync or option)
constexpr int BASS_ERROR_ILLPARAM = 20;  // illegal parameter
constexpr int BASS_ERROR_DEVICE = 23;    // illegal device number
constexpr int BASS_ERROR_NOPLAY = 24;    // not playing
constexpr int BASS_ERROR_NOTAVAIL = 37;  // requested data is not available
constexpr int BASS_ERROR_NONET = 32;     // host name could not be resolved / no network
constexpr int BASS_ERROR_TIMEOUT = 40;   // connection timed out
constexpr int BASS_ERROR_FILEFORM = 41;  // unsupported or unrecognised stream format
constexpr int BASS_ERROR_CODEC = 44;     // codec not available
constexpr int BASS_ERROR_HTTP = 45;      // server answered with a status outside 2xx
constexpr int BASS_ERROR_PLAYLIST = 46;  // playlist at the address was empty, too deep or a loop
constexpr int BASS_ERROR_PROTOCOL = 48;  // unsupported protocol: an encrypted live stream
constexpr int BASS_ERROR_UNKNOWN = -1;

// Configuration options (BASS_SetConfig / BASS_SetConfigPtr).
constexpr DWORD BASS_CONFIG_BUFFER = 0;          // playback buffer length, ms
constexpr DWORD BASS_CONFIG_NET_TIMEOUT = 11;    // connection time-out, ms
constexpr DWORD BASS_CONFIG_NET_BUFFER = 12;     // network buffer length, ms
constexpr DWORD BASS_CONFIG_NET_PREBUF = 15;     // % of the network buffer before playback
constexpr DWORD BASS_CONFIG_NET_AGENT = 16;      // user-agent text (BASS_SetConfigPtr)
constexpr DWORD BASS_CONFIG_NET_PLAYLIST = 21;   // follow playlists met at a stream address
constexpr DWORD BASS_CONFIG_UPDATETHREADS = 24;  // number of update threads

// Stream creation flags.
constexpr DWORD BASS_STREAM_AUTOFREE = 0x40000;
constexpr DWORD BASS_STREAM_BLOCK = 0x100000;
constexpr DWORD BASS_STREAM_STATUS = 0x800000;

// File position modes.
constexpr DWORD BASS_FILEPOS_CURRENT = 0;
constexpr DWORD BASS_FILEPOS_DOWNLOAD = 1;
constexpr DWORD BASS_FILEPOS_END = 2;
constexpr DWORD BASS_FILEPOS_WMA_BUFFER = 1000;
constexpr QWORD kFilePosError = ~QWORD{0};

// Channel states (BASS_ChannelIsActive).
constexpr DWORD BASS_ACTIVE_STOPPED = 0;
constexpr DWORD BASS_ACTIVE_PLAYING = 1;
constexpr DWORD BASS_ACTIVE_STALLED = 2;
constexpr DWORD BASS_ACTIVE_PAUSED = 3;

// Tag types.
constexpr DWORD BASS_TAG_OGG = 2;        // series "NAME=value"
constexpr DWORD BASS_TAG_HTTP = 3;       // series of HTTP response header lines
constexpr DWORD BASS_TAG_ICY = 4;        // series of ICY response header lines
constexpr DWORD BASS_TAG_META = 5;       // one text: Shoutcast metadata
constexpr DWORD BASS_TAG_WMA = 8;        // series "name=value" (ASF header)
constexpr DWORD BASS_TAG_WMA_META = 11;  // ASF mid-stream metadata

// Sync types.
constexpr DWORD BASS_SYNC_META = 4;
constexpr DWORD BASS_SYNC_OGG_CHANGE = 12;
constexpr DWORD BASS_SYNC_WMA_CHANGE = 0x10100;
constexpr DWORD BASS_SYNC_WMA_META = 0x10101;

// Channel types (BASS_CHANNELINFO::ctype).
constexpr DWORD BASS_CTYPE_STREAM_OGG = 0x10002;
constexpr DWORD BASS_CTYPE_STREAM_MP1 = 0x10003;
constexpr DWORD BASS_CTYPE_STREAM_MP2 = 0x10004;
constexpr DWORD BASS_CTYPE_STREAM_MP3 = 0x10005;
constexpr DWORD BASS_CTYPE_STREAM_WMA = 0x10300;
constexpr DWORD BASS_CTYPE_STREAM_WMA_MP3 = 0x10301;
constexpr DWORD BASS_CTYPE_STREAM_AAC = 0x10b00;
constexpr DWORD BASS_CTYPE_STREAM_MP4 = 0x10b01;

// Eight 32-bit fields, as the callers read them: 1st frequency, 2nd channels, 4th type.
struct BASS_CHANNELINFO {
  DWORD freq = 0;
  DWORD chans = 0;
  DWORD flags = 0;
  DWORD ctype = 0;
  DWORD origres = 0;
  DWORD plugin = 0;
  DWORD sample = 0;
  DWORD filename = 0;
};

// Download callback: with BASS_STREAM_STATUS each server response text arrives with
// length 0 during BASS_StreamCreateURL; data blocks arrive with length > 0; the end with null.
using DOWNLOADPROC = void(const void* buffer, DWORD length, void* user);
// Sync callback, run on an engine thread.
using SYNCPROC = void(HSYNC handle, DWORD channel, DWORD data, void* user);

// BASSVERSION in the high word. Never fails.
DWORD BASS_GetVersion();
// Opens the default output (device -1) at freq Hz, stereo. 0 and BASS_ERROR_DRIVER when no
// output device exists, BASS_ERROR_ALREADY when already initialised, BASS_ERROR_DEVICE for a
// device other than -1 or 1.
BOOL BASS_Init(int device, DWORD freq, DWORD flags, void* window, const void* clsid);
// The calling thread's last error code.
int BASS_ErrorGetCode();
// Formats are built in: the known plugin names load (non-zero handle); anything else gives 0
// and BASS_ERROR_FILEOPEN.
HPLUGIN BASS_PluginLoad(const char* file, DWORD flags);
// 0 and BASS_ERROR_ILLTYPE for an unknown option.
BOOL BASS_SetConfig(DWORD option, DWORD value);
// Text-valued options (BASS_CONFIG_NET_AGENT). 0 and BASS_ERROR_ILLTYPE for others.
BOOL BASS_SetConfigPtr(DWORD option, const char* value);
// Frees every stream and closes the output. 0 and BASS_ERROR_INIT when not initialised.
BOOL BASS_Free();
// Resume / pause all output. 0 and BASS_ERROR_INIT when not initialised.
BOOL BASS_Start();
BOOL BASS_Stop();
// Master volume 0.0..1.0; -1 and BASS_ERROR_INIT when not initialised.
float BASS_GetVolume();
// 0 and BASS_ERROR_ILLPARAM outside 0..1, BASS_ERROR_INIT when not initialised.
BOOL BASS_SetVolume(float volume);
// Connects, reads the response headers, recognises the format, then returns the handle.
// 0 on failure with BASS_ERROR_INIT, BASS_ERROR_FILEOPEN, BASS_ERROR_NONET, BASS_ERROR_TIMEOUT,
// BASS_ERROR_SSL, BASS_ERROR_HTTP, BASS_ERROR_PLAYLIST, BASS_ERROR_PROTOCOL, BASS_ERROR_FILEFORM
// or BASS_ERROR_CODEC.
HSTREAM BASS_StreamCreateURL(const char* url, DWORD offset, DWORD flags, DOWNLOADPROC* proc,
                             void* user);
// Marks the stream dead and returns at once; its threads end by themselves.
// 0 and BASS_ERROR_HANDLE for 0 or an unknown/freed handle.
BOOL BASS_StreamFree(HSTREAM handle);
// No music objects exist: always 0 and BASS_ERROR_HANDLE.
BOOL BASS_MusicFree(HMUSIC handle);
// kFilePosError and BASS_ERROR_HANDLE for an invalid handle, BASS_ERROR_NOTAVAIL for a mode
// that does not apply (WMA buffer on a non-WMA stream).
QWORD BASS_StreamGetFilePosition(HSTREAM handle, DWORD mode);
// Starts playback. 0 and BASS_ERROR_HANDLE for an invalid handle.
BOOL BASS_ChannelPlay(DWORD handle, BOOL restart);
// One of BASS_ACTIVE_*; BASS_ACTIVE_STOPPED for an invalid handle.
DWORD BASS_ChannelIsActive(DWORD handle);
// Peak of the last 20 ms: low word left, high word right (0..32768). -1 (all ones) and
// BASS_ERROR_NOPLAY when not playing, BASS_ERROR_HANDLE for an invalid handle.
DWORD BASS_ChannelGetLevel(DWORD handle);
// 0 and BASS_ERROR_HANDLE for an invalid handle (info left unchanged).
BOOL BASS_ChannelGetInfo(DWORD handle, BASS_CHANNELINFO* info);
// A copy of the tag: for a series the entries each end with a NUL and the whole ends with an
// extra NUL; a single text ends with one NUL. nullopt with BASS_ERROR_HANDLE or
// BASS_ERROR_NOTAVAIL.
std::optional<std::string> BASS_ChannelGetTags(DWORD handle, DWORD tags);
// 0 and BASS_ERROR_HANDLE / BASS_ERROR_ILLTYPE on failure.
HSYNC BASS_ChannelSetSync(DWORD handle, DWORD type, QWORD param, SYNCPROC* proc, void* user);
// Bytes of decoded output for pos seconds. kFilePosError and BASS_ERROR_HANDLE when invalid.
QWORD BASS_ChannelSeconds2Bytes(DWORD handle, double pos);

namespace engine {

// What the operations dispatch to. An executable that plays for real links the real engine,
// which makes itself the default; tests install a fake. With no backend at all every operation
// fails with BASS_ERROR_INIT.
class Backend {
 public:
  virtual ~Backend() = default;
  virtual DWORD GetVersion() = 0;
  virtual BOOL Init(int device, DWORD freq, DWORD flags, void* window, const void* clsid) = 0;
  virtual HPLUGIN PluginLoad(const char* file, DWORD flags) = 0;
  virtual BOOL SetConfig(DWORD option, DWORD value) = 0;
  virtual BOOL SetConfigPtr(DWORD option, const char* value) = 0;
  virtual BOOL Free() = 0;
  virtual BOOL Start() = 0;
  virtual BOOL Stop() = 0;
  virtual float GetVolume() = 0;
  virtual BOOL SetVolume(float volume) = 0;
  virtual HSTREAM StreamCreateURL(const char* url, DWORD offset, DWORD flags, DOWNLOADPROC* proc,
                                  void* user) = 0;
  virtual BOOL StreamFree(HSTREAM handle) = 0;
  virtual BOOL MusicFree(HMUSIC handle) = 0;
  virtual QWORD StreamGetFilePosition(HSTREAM handle, DWORD mode) = 0;
  virtual BOOL ChannelPlay(DWORD handle, BOOL restart) = 0;
  virtual DWORD ChannelIsActive(DWORD handle) = 0;
  virtual DWORD ChannelGetLevel(DWORD handle) = 0;
  virtual BOOL ChannelGetInfo(DWORD handle, BASS_CHANNELINFO* info) = 0;
  virtual std::optional<std::string> ChannelGetTags(DWORD handle, DWORD tags) = 0;
  virtual HSYNC ChannelSetSync(DWORD handle, DWORD type, QWORD param, SYNCPROC* proc,
                               void* user) = 0;
  virtual QWORD ChannelSeconds2Bytes(DWORD handle, double pos) = 0;
};

// Installs a backend for all operations; nullptr restores the default one.
void SetBackend(std::shared_ptr<Backend> backend);
// Names the backend used while none is installed, made on first use (make may return the same
// backend each time).
void SetDefaultBackend(std::shared_ptr<Backend> (*make)());
// Sets the calling thread's error code; backends call it on every operation.
void SetError(int code);

}  // namespace engine
