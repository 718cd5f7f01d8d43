// The program entry: hand the argument to a running player of the same user and end, or run
// the player. Every path of its own ends with exit code 0.
#include <unistd.h>

#include <QEvent>
#include <QGuiApplication>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>

#include "app/ChannelFolder.h"
#include "app/DisplayGuard.h"
#include "app/ErrorBox.h"
#include "app/HandoffServer.h"
#include "app/Instance.h"
#include "app/Logging.h"
#include "app/TerminationSignals.h"
#include "app/Title.h"
#include "mpris/MediaControls.h"
#include "player/Player.h"
#include "ui/TfrmMain.h"

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/lsan_interface.h>
#endif

namespace {

std::string CurrentFolder() {
  char buffer[4096];
  return ::getcwd(buffer, sizeof buffer) ? buffer : "";
}

void Note(const std::string& text) {
  std::fprintf(stderr, "talvoranest: %s\n", text.c_str());
}

// Stops taking hand-offs once the window has been closed.
class ClosedWatch : public QObject {
 public:
  ClosedWatch(QWidget& window, app::HandoffServer& server) : window_(window), server_(server) {
    window.installEventFilter(this);
  }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (watched == &window_ && event->type() == QEvent::Hide && !window_.isVisible()) {
      server_.Stop();
    }
    return false;
  }

 private:
  QWidget& window_;
  app::HandoffServer& server_;
};

int RunPlayer(const char* program, const std::string& argument, app::PlayerSocket& socket) {
  // Qt sees no argument of ours: the first one is a playlist path, whatever it looks like.
  int qtArgc = 1;
  char* qtArgv[] = {const_cast<char*>(program), nullptr};
  std::optional<app::DisplayGuard> guard(std::in_place, socket.path());
  app::PlayerApplication application(qtArgc, qtArgv);
  guard.reset();
  QCoreApplication::setApplicationName(QString::fromUtf8(app::kApplicationTitle));
  QGuiApplication::setApplicationDisplayName(QString::fromUtf8(app::kApplicationTitle));
  // Lets the desktop pair the window with its entry (talvoranest.desktop) and icon.
  QGuiApplication::setDesktopFileName(QStringLiteral("talvoranest"));

  // Installed before the window exists: creation may already wait in a box.
  QWidget* closing = nullptr;
  app::TerminationSignals termination([&closing] {
    if (closing) closing->close();
    QCoreApplication::exit(0);
  });

  app::ConnectEngineLog();
  const auto errorBox = [](const std::exception& error) { app::ShowErrorBox(error.what()); };
  TfrmMain::SetHandlerErrorFunction(errorBox);
  player::Player session;
  TfrmMain window(session);
  if (window.EndRequested() || termination.Received()) return 0;
  closing = &window;
  window.setWindowTitle(QString::fromUtf8(app::kApplicationTitle));
  window.SetFirstArgument(argument);

  app::HandoffServer server([&window](const std::string& path) { window.WMOpenSource(path); },
                            errorBox);
  if (socket && !server.Listen(socket.ReleaseFd())) Note("cannot take hand-offs");
  ClosedWatch closedWatch(window, server);
  mpris::MediaControls mediaControls(
      session, {QString::fromUtf8(app::kApplicationTitle), QStringLiteral("talvoranest"),
                [&window] { window.Raise(); }, [&window] { window.btnKapatClick(); }});

  window.show();
  if (!termination.Received()) application.exec();
  return 0;
}

int Run(int argc, char** argv) {
  const std::string argument = argc > 1 ? argv[1] : "";
  std::string problems;
  const char* runtimeDir = std::getenv("XDG_RUNTIME_DIR");
  const auto folder =
      app::ChannelFolder(runtimeDir ? runtimeDir : "", "/tmp", ::geteuid(), problems);
  app::PlayerSocket socket;
  if (!folder) {
    Note("no hand-off channel: " + problems);
  } else {
    app::InstanceStart start =
        app::StartInstance(*folder, app::AbsolutePath(argument, CurrentFolder()), ::geteuid(), {});
    if (start.kind != app::InstanceStart::Kind::kRunPlayer) {
      if (!start.note.empty()) Note(argument + " was not handed over: " + start.note);
      return 0;
    }
    if (!start.socket) Note("cannot take hand-offs: " + start.note);
    socket = std::move(start.socket);
  }
  return RunPlayer(argv[0], argument, socket);
}

}  // namespace

int main(int argc, char** argv) {
  const int code = Run(argc, argv);
  // Connection workers are never waited for; ending here keeps a worker that is still inside
  // the engine from meeting destroyed globals.
  std::fflush(nullptr);
#if defined(__SANITIZE_ADDRESS__)
  __lsan_do_leak_check();
#endif
  std::_Exit(code);
}
