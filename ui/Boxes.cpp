#include "ui/Boxes.h"

#include <QInputDialog>
#include <utility>

namespace ui {
namespace {

// Window's thread only, like every box.
MessageBoxFunction& MessageBoxHook() {
  static MessageBoxFunction hook;
  return hook;
}

InputBoxFunction& InputBoxHook() {
  static InputBoxFunction hook;
  return hook;
}

void ModalMessageBox(const MessageBoxRequest& request) {
  QMessageBox box(request.icon, request.caption, request.text, QMessageBox::Ok, request.owner);
  box.exec();
}

void ModalInputBox(const InputBoxRequest& request) {
  QInputDialog box(request.owner);
  box.setWindowTitle(request.title);
  box.setLabelText(request.prompt);
  box.setTextValue(request.value);
  box.exec();
}

}  // namespace

void SetMessageBoxFunction(MessageBoxFunction function) {
  MessageBoxHook() = std::move(function);
}

void SetInputBoxFunction(InputBoxFunction function) {
  InputBoxHook() = std::move(function);
}

void ShowMessageBox(const MessageBoxRequest& request) {
  if (MessageBoxHook()) {
    MessageBoxHook()(request);
  } else {
    ModalMessageBox(request);
  }
}

void ShowInputBox(const InputBoxRequest& request) {
  if (InputBoxHook()) {
    InputBoxHook()(request);
  } else {
    ModalInputBox(request);
  }
}

}  // namespace ui
