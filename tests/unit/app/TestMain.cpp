// The app tests run inside the player's own application object, without a display.
#include <gtest/gtest.h>

#include <cstdlib>

#include "app/ErrorBox.h"

int main(int argc, char** argv) {
  ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
  testing::InitGoogleTest(&argc, argv);
  app::PlayerApplication application(argc, argv);
  return RUN_ALL_TESTS();
}
