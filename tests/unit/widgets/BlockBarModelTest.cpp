#include <gtest/gtest.h>

#include <QLocale>
#include <climits>

#include "widgets/BlockBar.h"

namespace widgets {
namespace {

// A 20 x 112 vertical meter as the player window configures it, reduced to what decides
// the fill: margin 2, barLength 108, maximum 65535.
void MakeMeterGeometry(TBlockBar& bar) {
  bar.SetWidth(20);
  bar.SetHeight(112);
  bar.SetOrientation(boVertical);
  bar.SetMaximum(65535);
}

TEST(BlockBarModel, Construction) {
  TBlockBar bar;
  EXPECT_EQ(bar.Width(), 64);
  EXPECT_EQ(bar.Height(), 16);
  EXPECT_EQ(bar.Orientation(), boHorizontal);
  EXPECT_EQ(bar.BarKind(), bkFlat);
  EXPECT_EQ(bar.BarLook(), blMetal);
  EXPECT_EQ(bar.Margin(), 2);
  EXPECT_EQ(bar.Inset(), 4);
  EXPECT_EQ(bar.BarLength(), 60);
  EXPECT_EQ(bar.MinFill(), 5);
  EXPECT_EQ(bar.Maximum(), 100);
  EXPECT_EQ(bar.Position(), 0);
  EXPECT_EQ(bar.FillLength(), 0);
  EXPECT_TRUE(bar.RoundCorner());
  EXPECT_EQ(bar.CornerRadius(), 5);
  EXPECT_EQ(bar.BackgroundColor(), 16777215u);
  EXPECT_EQ(bar.StartColor(), 65280u);
  EXPECT_EQ(bar.FinalColor(), 65280u);
  EXPECT_TRUE(bar.SingleColor());
  EXPECT_EQ(bar.InactivePosColor(), 8421504u);
  EXPECT_TRUE(bar.Shaped());
  EXPECT_EQ(bar.ShapeColor(), 7617536u);
  EXPECT_FALSE(bar.BlocksOn());
  EXPECT_EQ(bar.BlockMap().size(), 1u);
  EXPECT_FALSE(bar.BlockMap()[0].inBlock);
  EXPECT_EQ(bar.CaptionAlign(), taLeftJustify);
  EXPECT_FALSE(bar.CaptionShown());
  EXPECT_FALSE(bar.HideOnTerminate());
  EXPECT_TRUE(bar.Visible());
  EXPECT_EQ(bar.Image().size(), QSize(64, 16));
  EXPECT_EQ(TBlockBar(true).Position(), 50);  // in a visual designer
}

struct FillCase {
  const char* what;
  int maximum;
  int position;
  int fillLength;
};

TEST(BlockBarModel, PositionToFillLengthOnAHorizontalBar) {
  const FillCase cases[] = {
      {"below minFill", 100, 1, 5},
      {"full", 100, 100, 60},
      {"7.5 rounds up", 200, 25, 8},
      {"10.5 ties to even", 200, 35, 10},
      {"above maximum", 100, 150, 60},
      {"negative", 100, -5, 0},
      {"zero", 100, 0, 0},
      {"half", 100, 50, 30},
  };
  for (const FillCase& c : cases) {
    TBlockBar bar;
    bar.SetMaximum(c.maximum);
    bar.SetPosition(37);  // some earlier fill
    bar.SetPosition(c.position);
    EXPECT_EQ(bar.FillLength(), c.fillLength) << c.what;
    EXPECT_EQ(bar.Position(), c.position) << c.what;
  }
}

TEST(BlockBarModel, LevelFeedValuesOnAMeter) {
  const FillCase cases[] = {{"8192", 65535, 8192, 14},   {"16384", 65535, 16384, 27},
                            {"32768", 65535, 32768, 54}, {"1", 65535, 1, 5},
                            {"0", 65535, 0, 0},          {"65535", 65535, 65535, 108}};
  TBlockBar bar;
  MakeMeterGeometry(bar);
  for (const FillCase& c : cases) {
    bar.SetPosition(c.position);
    EXPECT_EQ(bar.FillLength(), c.fillLength) << c.what;
  }
}

TEST(BlockBarModel, PercentAndPixels) {
  TBlockBar bar;
  bar.SetMaximum(200);
  bar.SetPosition(25);
  EXPECT_DOUBLE_EQ(bar.Percent(), 12.5);
  bar.SetMaximum(100);
  bar.SetPosition(150);
  EXPECT_DOUBLE_EQ(bar.Percent(), 100);
  // At or below 0 the percentage keeps the last positive position's value.
  bar.SetPosition(-5);
  EXPECT_DOUBLE_EQ(bar.Percent(), 100);
}

TEST(BlockBarModel, MaximumZeroAndNegative) {
  TBlockBar bar;
  bar.SetPosition(30);
  bar.SetMaximum(0);
  const int repaints = bar.RepaintCount();
  bar.SetPosition(40);
  EXPECT_EQ(bar.Position(), 40);
  EXPECT_EQ(bar.FillLength(), 18);
  EXPECT_EQ(bar.RepaintCount(), repaints);
  bar.SetMaximum(-3);
  EXPECT_EQ(bar.Maximum(), 0);
}

TEST(BlockBarModel, MaximumDoesNotMoveTheFillUntilTheNextPosition) {
  TBlockBar bar;
  bar.SetPosition(50);
  ASSERT_EQ(bar.FillLength(), 30);
  bar.SetMaximum(200);
  EXPECT_EQ(bar.FillLength(), 30);
  bar.SetPosition(50);
  EXPECT_EQ(bar.FillLength(), 15);
}

TEST(BlockBarModel, EveryPositionWithAMaximumRepaints) {
  TBlockBar bar;
  bar.SetPosition(50);
  const int repaints = bar.RepaintCount();
  bar.SetPosition(50);
  bar.SetPosition(-1);
  EXPECT_EQ(bar.RepaintCount(), repaints + 2);
}

TEST(BlockBarModel, MaximaBeyondThirtyTwoBitProductsStillFill) {
  TBlockBar bar;
  bar.SetMaximum(30000000);
  bar.SetPosition(30000000);
  EXPECT_EQ(bar.FillLength(), 60);
  bar.SetPosition(15000000);
  EXPECT_EQ(bar.FillLength(), 30);
  EXPECT_DOUBLE_EQ(bar.Percent(), 50);
}

TEST(BlockBarModel, AutoHint) {
  const QString sep = QLocale::system().decimalPoint();
  TBlockBar bar;
  bar.SetAutoHint(true);
  bar.SetPosition(150);
  EXPECT_EQ(bar.Hint(), "150");
  bar.SetShowPosAsPct(true);
  bar.SetPosition(150);
  EXPECT_EQ(bar.Hint(), "100 %");
  bar.SetMaximum(65535);
  bar.SetPosition(32768);
  EXPECT_EQ(bar.Hint(), "50" + sep + "0007629510948 %");
  bar.SetPosition(0);  // keeps the last positive position's text
  EXPECT_EQ(bar.Hint(), "50" + sep + "0007629510948 %");
  bar.SetAutoHint(false);
  bar.SetPosition(10);
  EXPECT_EQ(bar.Hint(), "50" + sep + "0007629510948 %");
}

TEST(BlockBarModel, HideOnTerminate) {
  TBlockBar bar;
  bar.SetHideOnTerminate(true);
  bar.SetPosition(99);
  EXPECT_TRUE(bar.Visible());
  const int repaints = bar.RepaintCount();
  bar.SetPosition(120);
  EXPECT_EQ(bar.RepaintCount(), repaints + 1);
  EXPECT_FALSE(bar.Visible());
}

TEST(BlockBarModel, BlockAndGapSizeLimits) {
  TBlockBar bar;
  bar.SetBlockSize(61);
  EXPECT_EQ(bar.BlockSize(), 0);
  bar.SetBlockSize(60);
  EXPECT_EQ(bar.BlockSize(), 60);
  bar.SetBlockSize(-3);
  EXPECT_EQ(bar.BlockSize(), 3);
  EXPECT_FALSE(bar.BlocksOn());
  bar.SetSpaceSize(61);
  EXPECT_EQ(bar.SpaceSize(), 0);
  bar.SetSpaceSize(-1000);  // a negative value bypasses the limit
  EXPECT_EQ(bar.SpaceSize(), 1000);
  EXPECT_TRUE(bar.BlocksOn());
  bar.SetSpaceSize(INT_MIN);
  EXPECT_EQ(bar.SpaceSize(), INT_MAX);
  bar.SetBlockSize(INT_MIN);
  EXPECT_EQ(bar.BlockSize(), INT_MAX);
  bar.SetPosition(100);
  bar.Paint();  // huge blocks are laid out without overflow
  EXPECT_TRUE(bar.BlockMap()[3].inBlock);
}

TEST(BlockBarModel, ColourEnds) {
  TBlockBar bar;
  bar.SetStartColor(clRed);
  EXPECT_FALSE(bar.SingleColor());
  bar.SetFinalColor(RGB(0, 255, 0));
  EXPECT_FALSE(bar.SingleColor());
  bar.SetBarColor(RGB(0, 0, 255));
  EXPECT_TRUE(bar.SingleColor());
  EXPECT_EQ(bar.StartColor(), RGB(0, 0, 255));
  EXPECT_EQ(bar.FinalColor(), RGB(0, 0, 255));
  EXPECT_EQ(bar.BarColor(), RGB(0, 0, 255));
  bar.SetStartColor(clRed);
  bar.SetStartColor(RGB(0, 0, 255));  // equal to the final colour again
  EXPECT_TRUE(bar.SingleColor());
}

TEST(BlockBarModel, RoundCorner) {
  TBlockBar bar;
  bar.SetRoundCorner(false);
  EXPECT_EQ(bar.CornerRadius(), 0);
  EXPECT_FALSE(bar.RoundCorner());
  bar.SetRoundCorner(true);
  EXPECT_EQ(bar.CornerRadius(), 5);
}

TEST(BlockBarModel, OrientationExchangesSides) {
  struct Case {
    int width, height;
    int newWidth, newHeight, margin, barLength;
  };
  const Case cases[] = {
      {64, 16, 16, 64, 2, 60},
      {64, 8, 8, 64, 1, 62},
      {20, 112, 20, 112, 2, 108},
  };
  for (const Case& c : cases) {
    TBlockBar bar;
    bar.SetWidth(c.width);
    bar.SetHeight(c.height);
    bar.SetOrientation(boVertical);
    EXPECT_EQ(bar.Width(), c.newWidth);
    EXPECT_EQ(bar.Height(), c.newHeight);
    EXPECT_EQ(bar.Margin(), c.margin);
    EXPECT_EQ(bar.Inset(), 2 * c.margin);
    EXPECT_EQ(bar.BarLength(), c.barLength);
    EXPECT_EQ(bar.MinFill(), 2 * c.margin + 1);
    EXPECT_EQ(bar.BarColors().size(), size_t(c.barLength + 1));
    EXPECT_EQ(bar.BarColors()[0].size(), size_t(c.newWidth - 2 * c.margin + 1));
    EXPECT_EQ(bar.StartColor(), 65280u);  // colours are exchanged only in a designer
  }
}

TEST(BlockBarModel, DesignerExchangesColoursOnOrientationChange) {
  TBlockBar bar(true);
  bar.SetStartColor(clRed);
  bar.SetOrientation(boVertical);
  EXPECT_EQ(bar.StartColor(), 65280u);
  EXPECT_EQ(bar.FinalColor(), clRed);
  bar.SetOrientation(boVertical);  // unchanged: no exchange
  EXPECT_EQ(bar.StartColor(), 65280u);
}

TEST(BlockBarModel, SameOrientationRederivesMarginAndRepaints) {
  TBlockBar bar;
  bar.SetHeight(6);
  EXPECT_EQ(bar.Margin(), 2);  // a resize keeps the margin
  EXPECT_EQ(bar.BarLength(), 60);
  const int repaints = bar.RepaintCount();
  bar.SetOrientation(boHorizontal);
  EXPECT_EQ(bar.Margin(), 1);
  EXPECT_EQ(bar.BarLength(), 62);
  EXPECT_EQ(bar.BarColors()[0].size(), 5u);
  EXPECT_EQ(bar.RepaintCount(), repaints + 1);
}

TEST(BlockBarModel, ResizeRecomputesTheFill) {
  TBlockBar bar;
  bar.SetPosition(50);
  bar.SetWidth(104);
  EXPECT_EQ(bar.BarLength(), 100);
  EXPECT_EQ(bar.FillLength(), 50);
  EXPECT_EQ(bar.BarColors().size(), 101u);
  EXPECT_EQ(bar.Image().size(), QSize(104, 16));
}

TEST(BlockBarModel, LoadingDefersSizesToTheOrientation) {
  TBlockBar bar;
  bar.BeginLoad();
  bar.SetWidth(20);
  bar.SetHeight(112);
  EXPECT_EQ(bar.BarLength(), 60);  // no Resize while loading
  bar.SetOrientation(boVertical);
  bar.EndLoad();
  EXPECT_EQ(bar.BarLength(), 108);
  EXPECT_EQ(bar.BarColors().size(), 109u);
}

TEST(BlockBarModel, CaptionLayout) {
  TBlockBar bar;
  bar.SetCaption("abc");
  EXPECT_TRUE(bar.CaptionShown());
  EXPECT_EQ(bar.CaptionX(), 0);
  const int y = bar.CaptionY();
  EXPECT_LT(y, 8);
  bar.SetCaptionAlign(taRightJustify);
  const int right = bar.CaptionX();
  bar.SetCaptionAlign(taCenter);
  const int centre = bar.CaptionX();
  const int textWidth = 64 - 1 - right;
  EXPECT_GT(textWidth, 0);
  EXPECT_EQ(centre, (64 - textWidth) / 2);
  EXPECT_EQ(bar.CaptionY(), y);
  bar.SetCaption("");
  EXPECT_FALSE(bar.CaptionShown());
}

TEST(BlockBarModel, AutoCaptionShowsPercentWithoutSpace) {
  TBlockBar bar;
  bar.SetAutoCaption(true);
  bar.SetShowPosAsPct(true);
  bar.SetPosition(50);
  bar.Paint();
  EXPECT_EQ(bar.Caption(), "50%");
  EXPECT_EQ(bar.CaptionX(), 0);
  bar.SetShowPosAsPct(false);
  bar.SetPosition(-7);
  bar.Paint();
  EXPECT_EQ(bar.Caption(), "-7");
}

}  // namespace
}  // namespace widgets
