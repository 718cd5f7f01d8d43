// Run by a user whom the settings file beside this program refuses: exits 0 only when the
// selection without a playlist raised the read error and left the station texts as they were.
#include "sources/Station.h"
#include "sources/StationSelection.h"

int main() {
  StationName = "kept";
  try {
    sources::SelectStationTexts("");
  } catch (const sources::InputError&) {
    return StationName == "kept" && StreamUrl.empty() && SiteAddress.empty() ? 0 : 1;
  }
  return 3;
}
