#include "sources/StationSelection.h"

#include "sources/Playlists.h"
#include "sources/Settings.h"
#include "sources/Station.h"
#include "text/Text.h"

namespace sources {

std::string LowerExtension(const std::string& path) {
  // '/' separates folders here as '\\' and ':' do on the system the paths were born on.
  const auto last = path.find_last_of(".\\:/");
  if (last == std::string::npos || path[last] != '.') return {};
  return text::LowerAZ(path.substr(last));
}

bool SelectStationTexts(const std::string& path) {
  if (!path.empty()) {
    StationName.clear();
    StreamUrl.clear();
    const std::string extension = LowerExtension(path);
    if (extension == ".pls") plsurl(path, StationName, StreamUrl);
    if (extension == ".asx") asxurl(path, StationName, StreamUrl);
    if (extension == ".m3u") m3uurl(path, StationName, StreamUrl);
    return false;
  }
  Readini();
  if (SiteAddress.empty()) SiteAddress = StationSiteUrl();
  if (StationName.empty()) StationName = DefaultStationName;
  if (StreamUrl.empty()) StreamUrl = DefaultStreamUrl();
  return true;
}

}  // namespace sources
