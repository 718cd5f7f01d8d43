#include "stream/EngineSettings.h"

namespace stream {

void ConfigureEngine(DWORD timeoutMs) {
  BASS_SetConfig(BASS_CONFIG_NET_PLAYLIST, 1);
  BASS_SetConfig(BASS_CONFIG_BUFFER, 500);
  BASS_SetConfig(BASS_CONFIG_NET_BUFFER, 2000);
  BASS_SetConfig(BASS_CONFIG_NET_PREBUF, 100);
  BASS_SetConfig(BASS_CONFIG_NET_TIMEOUT, timeoutMs);
  BASS_SetConfig(BASS_CONFIG_UPDATETHREADS, 4);
  BASS_SetConfigPtr(BASS_CONFIG_NET_AGENT, "TALVORANEST");
}

}  // namespace stream
