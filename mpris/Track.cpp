#include "mpris/Track.h"

#include "sources/Station.h"
#include "text/Text.h"

namespace mpris {
namespace {

QString Shown(const std::string& text) {
  return QString::fromStdString(text::DisplayUtf8(text));
}

}  // namespace

Track TrackOf(const std::string& titleLine, const std::string& stationName) {
  Track track;
  track.title = Shown(titleLine.empty() ? std::string(sources::StationSlogan) : titleLine);
  track.album = Shown(stationName);
  const qsizetype dash = track.title.indexOf(QStringLiteral(" - "));
  const QString artist = dash > 0 ? track.title.left(dash) : track.album;
  if (!artist.isEmpty()) track.artist << artist;
  return track;
}

}  // namespace mpris
