#include <gtest/gtest.h>

#include "MeterFixture.h"
#include "widgets/BlockBar.h"

namespace widgets {
namespace {

TEST(BlockMap, HorizontalBarOf64By16) {
  TBlockBar bar;
  bar.SetBlockSize(4);
  bar.SetSpaceSize(1);
  ASSERT_TRUE(bar.BlocksOn());
  const auto& map = bar.BlockMap();
  ASSERT_EQ(map.size(), 61u);
  for (int i = 0; i <= 60; ++i) {
    const bool gap = i < 3 || (i - 3) % 5 == 4;
    EXPECT_EQ(map[i].inBlock, !gap) << i;
  }
  // Each block, and the gap before it, carries the block's far end; the last block is cut.
  EXPECT_EQ(map[3].blockEnd, 6);
  EXPECT_EQ(map[6].blockEnd, 6);
  EXPECT_EQ(map[7].blockEnd, 11);
  EXPECT_EQ(map[56].blockEnd, 56);
  EXPECT_EQ(map[57].blockEnd, 60);
  EXPECT_EQ(map[58].blockEnd, 60);
  EXPECT_TRUE(map[58].inBlock && map[60].inBlock);
  EXPECT_FALSE(map[57].inBlock);
}

TEST(BlockMap, Meter) {
  TBlockBar bar;
  test::ConfigureMeter(bar);
  const auto& map = bar.BlockMap();
  ASSERT_EQ(map.size(), 109u);
  const std::set<int> rows = test::MeterBlockRows();
  ASSERT_EQ(rows.size(), 82u);
  for (int y = 0; y <= 108; ++y) EXPECT_EQ(map[y].inBlock, rows.count(y) == 1) << y;
  EXPECT_EQ(map[105].blockEnd, 102);
  EXPECT_EQ(map[102].blockEnd, 102);
  EXPECT_EQ(map[101].blockEnd, 97);
  EXPECT_EQ(map[10].blockEnd, 7);
  EXPECT_EQ(map[6].blockEnd, 4);
  EXPECT_EQ(map[5].blockEnd, 4);
  EXPECT_EQ(map[4].blockEnd, 4);
}

TEST(BlockMap, KeptWhileBlocksAreOffAndRebuiltOnResize) {
  TBlockBar bar;
  bar.SetBlockSize(4);
  EXPECT_EQ(bar.BlockMap().size(), 1u);  // no gap size yet: nothing to lay out
  bar.SetSpaceSize(2);
  ASSERT_EQ(bar.BlockMap().size(), 61u);
  EXPECT_FALSE(bar.BlockMap()[7].inBlock);
  EXPECT_FALSE(bar.BlockMap()[8].inBlock);
  EXPECT_TRUE(bar.BlockMap()[9].inBlock);
  bar.SetWidth(84);
  EXPECT_EQ(bar.BlockMap().size(), 81u);
  EXPECT_TRUE(bar.BlockMap()[78].inBlock);
  EXPECT_FALSE(bar.BlockMap()[80].inBlock);
}

}  // namespace
}  // namespace widgets
