#include "app/DisplayTuning.h"

#include <QByteArray>
#include <QtGlobal>

namespace app {

void TuneDisplayForTheMeters() {
  // On X11 the level meters are flushed 50 times a second. Through a shared-memory segment
  // every flush first waits for the X server to answer a round trip (so it no longer reads the
  // segment); the two 20 x 112 meter images cost less sent plainly over the connection.
  if (!qEnvironmentVariableIsSet("QT_XCB_NO_MITSHM")) qputenv("QT_XCB_NO_MITSHM", "1");
}

}  // namespace app
