#include "sources/Station.h"

#ifndef TALVORANEST_STATION_HOST
#error "TALVORANEST_STATION_HOST is set by the build (STATION_HOST cache variable)"
#endif

namespace sources {

const std::string& StationHost() {
  static const std::string host = TALVORANEST_STATION_HOST;
  return host;
}

const std::string& StationSiteUrl() {
  static const std::string url = "http://" + StationHost();
  return url;
}

const std::string& DefaultStreamUrl() {
  static const std::string url = StationSiteUrl() + "/yayin.txt";
  return url;
}

const char* const DefaultStationName = "KELVO FM";
const char* const StationSlogan = "Kelvo Fm T\xFCrkiye 105.0";

}  // namespace sources

std::string StationName;
std::string StreamUrl;
std::string SiteAddress;
