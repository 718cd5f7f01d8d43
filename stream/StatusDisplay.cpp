#include "stream/StatusDisplay.h"

#include "sources/Station.h"
#include "text/Text.h"

std::string NowPlaying;

namespace stream {
namespace {

// Code page 1254 texts: "Bağlanıyor..." and "Yükleniyor... ".
constexpr const char* kConnecting = "Ba\xF0lan\xFDyor...";
constexpr const char* kNoService = "Servis Yok";
constexpr const char* kBuffering = "Y\xFCkleniyor... ";

std::string TextOf(const char* text) {
  return text ? std::string(text) : std::string();
}

}  // namespace

void StatusDisplay::Handle(const StatusMessage& message) {
  switch (message.code) {
    case STATUS_CONNECTING:
      labels_.SetLabel3(sources::StationSlogan);
      labels_.SetLabel4(kConnecting);
      break;
    case STATUS_NO_SERVICE:
      labels_.SetLabel4(kNoService);
      break;
    case STATUS_BUFFERING:
      labels_.SetLabel4(kBuffering + std::to_string(message.value) + "%");
      labels_.RepaintLabel4();
      break;
    case STATUS_STATION_NAME:
      if (StationName.empty()) StationName = TextOf(message.text);
      text::TrimTrailingSpaces(StationName);
      labels_.SetLabel4(StationName);
      break;
    case STATUS_TITLE_WMA:
    case STATUS_TITLE:
      ShowTitle(message.text);
      break;
    default:  // STATUS_INFO, 5, STATUS_DOWNLOAD and anything above: nothing to show
      break;
  }
}

void StatusDisplay::ShowTitle(const char* text) {
  NowPlaying = TextOf(text);
  text::TrimTrailingSpaces(NowPlaying);
  if (NowPlaying.size() > kNowPlayingMax) NowPlaying.resize(kNowPlayingMax);
  if (!NowPlaying.empty()) labels_.SetLabel3(NowPlaying);
}

}  // namespace stream
