// Modal boxes of the window, behind replaceable functions so that tests (and a headless run)
// never block on a modal loop. Install the replacements before the window is constructed:
// its creation may already show a box.
#pragma once

#include <QMessageBox>
#include <QString>
#include <functional>

class QWidget;

namespace ui {

struct MessageBoxRequest {
  QWidget* owner = nullptr;  // nullptr: a box without owner window
  QString caption;           // empty: the desktop's default caption
  QString text;
  QMessageBox::Icon icon = QMessageBox::NoIcon;  // always one OK button
};

struct InputBoxRequest {
  QWidget* owner = nullptr;
  QString title;
  QString prompt;
  QString value;  // the edit line's initial text; what the user enters is discarded
};

using MessageBoxFunction = std::function<void(const MessageBoxRequest&)>;
using InputBoxFunction = std::function<void(const InputBoxRequest&)>;

// An empty function restores the modal box.
void SetMessageBoxFunction(MessageBoxFunction function);
void SetInputBoxFunction(InputBoxFunction function);

// Show a box and return when it was closed.
void ShowMessageBox(const MessageBoxRequest& request);
void ShowInputBox(const InputBoxRequest& request);

}  // namespace ui
