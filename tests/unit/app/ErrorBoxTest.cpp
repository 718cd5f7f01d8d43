#include "app/ErrorBox.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QEvent>
#include <vector>

#include "app/Title.h"
#include "sources/StationSelection.h"
#include "ui/Boxes.h"

namespace {

// A handler that raises on its first event only.
class Raising : public QObject {
 public:
  bool event(QEvent* event) override {
    if (event->type() != QEvent::User) return QObject::event(event);
    if (++calls == 1) throw sources::InputError("Cannot open file \"/x/Radyo Çalar.pls\"");
    return true;
  }
  int calls = 0;
};

TEST(ErrorBox, AnErrorRaisedInAHandlerIsShownAndTheProgramGoesOn) {
  std::vector<ui::MessageBoxRequest> boxes;
  ui::SetMessageBoxFunction([&](const ui::MessageBoxRequest& r) { boxes.push_back(r); });
  Raising handler;
  QCoreApplication::postEvent(&handler, new QEvent(QEvent::User));
  QCoreApplication::postEvent(&handler, new QEvent(QEvent::User));
  QCoreApplication::processEvents();
  ui::SetMessageBoxFunction({});
  EXPECT_EQ(handler.calls, 2);
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].caption, QString::fromUtf8(app::kApplicationTitle));
  EXPECT_EQ(boxes[0].icon, QMessageBox::Critical);
  EXPECT_EQ(boxes[0].text, QString::fromUtf8("Cannot open file \"/x/Radyo Çalar.pls\""));
  EXPECT_EQ(boxes[0].owner, nullptr);
}

TEST(ErrorBox, AppendsTheFullStopAndShowsCodePage1254Text) {
  std::vector<ui::MessageBoxRequest> boxes;
  ui::SetMessageBoxFunction([&](const ui::MessageBoxRequest& r) { boxes.push_back(r); });
  app::ShowErrorBox("Dosya eri\xFEimi reddedildi");
  ui::SetMessageBoxFunction({});
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, QString::fromUtf8("Dosya erişimi reddedildi."));
}

}  // namespace
