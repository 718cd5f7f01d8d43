#include "mpris/Adaptors.h"
#include "mpris/MediaControls.h"

namespace mpris {

RootAdaptor::RootAdaptor(MediaControls& controls, QObject* exported)
    : QDBusAbstractAdaptor(exported), controls_(controls) {}

QString RootAdaptor::Identity() const {
  return controls_.App().identity;
}

QString RootAdaptor::DesktopEntry() const {
  return controls_.App().desktopEntry;
}

void RootAdaptor::Raise() {
  if (controls_.App().raise) controls_.App().raise();
}

void RootAdaptor::Quit() {
  if (controls_.App().quit) controls_.App().quit();
}

}  // namespace mpris
