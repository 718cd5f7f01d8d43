#include "ui/TfrmMain.h"

#include <utility>

namespace {
TfrmMain::HandlerErrorFunction& HandlerErrorHook() {
  static TfrmMain::HandlerErrorFunction hook;
  return hook;
}
}  // namespace

void TfrmMain::SetHandlerErrorFunction(HandlerErrorFunction function) {
  HandlerErrorHook() = std::move(function);
}

TfrmMain::TfrmMain(QWidget* parent) : QWidget(parent) {
  setFixedSize(543, 193);
}

TfrmMain::~TfrmMain() = default;

void TfrmMain::SetFirstArgument(std::string argument) { firstArgument_ = std::move(argument); }
void TfrmMain::WMOpenSource(const std::string& path) { OpenStation(path); }
void TfrmMain::OpenStation(const std::string&) {}
void TfrmMain::Image1MouseDown() {}
void TfrmMain::Image4MouseDown() {}
void TfrmMain::Label3MouseDown() {}
void TfrmMain::Label4MouseDown() {}
void TfrmMain::btnKapatClick() {}
void TfrmMain::btnMinimizeClick() {}
void TfrmMain::sLinkClick() {}
void TfrmMain::sLinkMouseEnter() {}
void TfrmMain::sLinkMouseLeave() {}
void TfrmMain::Label4DblClick() {}
void TfrmMain::lKbpsClick() {}
void TfrmMain::btnPlayClick() {}
void TfrmMain::btnDurClick() {}
void TfrmMain::btnSesAcikClick() {}
void TfrmMain::btnSesKapaliClick() {}
void TfrmMain::sndBarPropertiesChange() {}
void TfrmMain::TimerKontrolTimer() {}
void TfrmMain::tLevelTimer() {}
void TfrmMain::showEvent(QShowEvent* event) { QWidget::showEvent(event); }
bool TfrmMain::eventFilter(QObject* watched, QEvent* event) {
  return QWidget::eventFilter(watched, event);
}
void TfrmMain::StartSystemMove() {}
