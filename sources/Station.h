// The built-in station and the process-wide station texts.
//
// The texts are written only on the window's thread (station selection, the status display
// and the worker's defaults step, which reaches the window's thread through its status send).
#pragma once

#include <string>

namespace sources {

// Build-time constants of the built-in station.
const std::string& StationHost();             // e.g. "www.kelvofm.com.tr"
const std::string& StationSiteUrl();          // "http://" + StationHost()
const std::string& DefaultStreamUrl();        // StationSiteUrl() + "/yayin.txt"
extern const char* const DefaultStationName;  // "KELVO FM"
extern const char* const StationSlogan;       // "Kelvo Fm Türkiye 105.0" in code page 1254

}  // namespace sources

// Process-wide, empty at start; window's thread only.
extern std::string StationName;
extern std::string StreamUrl;
extern std::string SiteAddress;
