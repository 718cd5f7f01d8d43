// The engine's log is bounded however much a stream has to say.
#include "engine/Log.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

class LogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    engine::SetLogSink([this](engine::LogArea, engine::LogLevel, const std::string& text) {
      lines_.push_back(text);
    });
  }
  void TearDown() override { engine::SetLogSink({}); }
  std::vector<std::string> lines_;
};

TEST_F(LogTest, ALineRepeatedBackToBackIsCountedNotWritten) {
  for (int i = 0; i < 1000; ++i)
    engine::Log(engine::LogArea::kDecode, engine::LogLevel::kWarning, "bad frame");
  engine::Log(engine::LogArea::kDecode, engine::LogLevel::kWarning, "other");
  EXPECT_EQ(lines_,
            (std::vector<std::string>{"bad frame", "last line repeated 999 times", "other"}));
}

TEST_F(LogTest, AnAreaWritesABoundedNumberOfLinesAndLeavesTheRestOut) {
  for (int i = 0; i < 1000; ++i)
    engine::Log(engine::LogArea::kNet, engine::LogLevel::kInfo, "line " + std::to_string(i));
  EXPECT_LT(lines_.size(), 100u);
  EXPECT_EQ(lines_.front(), "line 0");
  // Another area has its own budget.
  engine::Log(engine::LogArea::kOutput, engine::LogLevel::kWarning, "device lost");
  EXPECT_EQ(lines_.back(), "device lost");
}

}  // namespace
