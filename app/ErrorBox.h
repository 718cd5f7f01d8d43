// The message loop's error box: an error raised inside a handler ends that handler and is
// shown in a box captioned with the application title, with the error icon and OK.
#pragma once

#include <QApplication>
#include <string_view>

namespace app {

// Shows the box and returns when it was closed (or at once when the boxes are replaced).
void ShowErrorBox(std::string_view what);

// The application of the player: what a handler raises is shown in the error box, and the
// program goes on.
class PlayerApplication : public QApplication {
 public:
  PlayerApplication(int& argc, char** argv);
  bool notify(QObject* receiver, QEvent* event) override;
};

}  // namespace app
