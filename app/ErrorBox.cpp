#include "app/ErrorBox.h"

#include <exception>
#include <string>

#include "app/ErrorText.h"
#include "app/Title.h"
#include "text/Text.h"
#include "ui/Boxes.h"

namespace app {

void ShowErrorBox(std::string_view what) {
  ui::MessageBoxRequest request;
  request.caption = QString::fromUtf8(kApplicationTitle);
  request.text = QString::fromStdString(text::DisplayUtf8(ErrorBoxText(what)));
  request.icon = QMessageBox::Critical;
  ui::ShowMessageBox(request);
}

PlayerApplication::PlayerApplication(int& argc, char** argv) : QApplication(argc, argv) {}

bool PlayerApplication::notify(QObject* receiver, QEvent* event) {
  try {
    return QApplication::notify(receiver, event);
  } catch (const std::exception& error) {
    ShowErrorBox(error.what());
  } catch (...) {
    ShowErrorBox("Unexpected error");
  }
  return false;
}

}  // namespace app
