// What the media controls show of the title line: title, artists and album, decoded as the
// window decodes them (UTF-8, else code page 1254).
#pragma once

#include <QString>
#include <QStringList>
#include <string>

namespace mpris {

struct Track {
  QString title;
  QStringList artist;  // empty when there is nothing to name
  QString album;
  bool operator==(const Track&) const = default;
};

// The title shown (the slogan while nothing is shown yet); the artist is the part before
// " - " when the title has one, else the station; the album is the station.
Track TrackOf(const std::string& titleLine, const std::string& stationName);

}  // namespace mpris
