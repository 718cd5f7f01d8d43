#include "app/DisplayGuard.h"

#include <unistd.h>

#include <QString>
#include <QtGlobal>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "app/Title.h"

namespace app {
namespace {

// The guard is process-wide, as the message handler is.
char socketToRemove[256];
QtMessageHandler previousHandler = nullptr;

void Forward(QtMsgType type, const QMessageLogContext& context, const QString& message) {
  if (previousHandler) {
    previousHandler(type, context, message);
  } else {
    std::fprintf(stderr, "%s\n", qPrintable(qFormatLogMessage(type, context, message)));
  }
}

void GuardHandler(QtMsgType type, const QMessageLogContext& context, const QString& message) {
  if (type != QtFatalMsg) {
    Forward(type, context, message);
    return;
  }
  std::fprintf(stderr,
               "%s cannot open the display: %s\n"
               "Run it in a graphical session (DISPLAY or WAYLAND_DISPLAY set), or choose a "
               "platform with QT_QPA_PLATFORM.\n",
               kApplicationTitle, qPrintable(message));
  std::fflush(stderr);
  if (socketToRemove[0] != '\0') ::unlink(socketToRemove);
  std::_Exit(0);
}

}  // namespace

DisplayGuard::DisplayGuard(const std::string& socketPath) {
  if (socketPath.size() < sizeof socketToRemove) {
    std::memcpy(socketToRemove, socketPath.c_str(), socketPath.size() + 1);
  }
  previousHandler = qInstallMessageHandler(GuardHandler);
}

DisplayGuard::~DisplayGuard() {
  qInstallMessageHandler(previousHandler);
  socketToRemove[0] = '\0';
}

}  // namespace app
