#include <gtest/gtest.h>

#include <QImage>
#include <functional>

#include "ui/EffectLabel.h"
#include "ui/Fonts.h"

namespace {

QImage Render(const QString& text, ui::LabelStyle style, QSize size = {244, 30}) {
  ui::EffectLabel label;
  label.resize(size);
  label.setFont(ui::TahomaFont(21, true));
  label.setLabelStyle(style);
  label.setText(text);
  QImage image(size, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  label.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
  return image;
}

// The bounding box of the pixels that satisfy the test.
QRect Ink(const QImage& image, const std::function<bool(QRgb)>& test) {
  QRect box;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) {
      if (test(image.pixel(x, y))) box |= QRect(x, y, 1, 1);
    }
  }
  return box;
}

bool Any(QRgb p) {
  return qAlpha(p) > 0;
}
bool White(QRgb p) {
  return qAlpha(p) == 255 && qRed(p) > 200 && qGreen(p) > 200;
}
bool Black(QRgb p) {
  return qAlpha(p) == 255 && qRed(p) < 40 && qGreen(p) < 40;
}

ui::LabelStyle Plain(bool showAccelChar) {
  ui::LabelStyle style;
  style.alignment = Qt::AlignCenter;
  style.showAccelChar = showAccelChar;
  return style;
}

TEST(EffectLabel, DoubleAmpersandShowsOneAndLiteralLabelsShowThemAll) {
  EXPECT_EQ(Render("R&&B", Plain(true)), Render("R&B", Plain(false)));
  EXPECT_NE(Render("R&B", Plain(false)), Render("RB", Plain(false)));
}

TEST(EffectLabel, SingleAmpersandHidesItselfAndUnderlinesTheNextCharacter) {
  const QImage marked = Render("R&B", Plain(true));
  const QImage plain = Render("RB", Plain(true));
  ASSERT_NE(marked, plain);
  QRect difference;
  for (int y = 0; y < plain.height(); ++y) {
    for (int x = 0; x < plain.width(); ++x) {
      if (marked.pixel(x, y) != plain.pixel(x, y)) difference |= QRect(x, y, 1, 1);
    }
  }
  const QRect letters = Ink(plain, Any);
  EXPECT_GE(difference.top(), letters.bottom() - 1) << "only a line under the letters";
  EXPECT_GE(difference.left(), letters.center().x() - 2) << "under the B, not the R";
}

TEST(EffectLabel, CoolEffectIsAShadowInItsDirection) {
  const QRect text = Ink(Render("KELVO FM", Plain(true)), Any);
  ui::LabelStyle style = Plain(true);
  style.effect = ui::TextEffect::Cool;
  style.depth = 1;
  style.direction = ui::EffectDirection::RightBottom;
  EXPECT_EQ(Ink(Render("KELVO FM", style), Any), text.adjusted(0, 0, 1, 1));
  style.direction = ui::EffectDirection::LeftBottom;
  EXPECT_EQ(Ink(Render("KELVO FM", style), Any), text.adjusted(-1, 0, 0, 1));
  const QImage shadowed = Render("KELVO FM", style);
  EXPECT_FALSE(Ink(shadowed, White).isEmpty());
  EXPECT_FALSE(Ink(shadowed, Black).isEmpty()) << "the shadow is drawn in the effect colour";
}

TEST(EffectLabel, FunEffectOutlinesTheText) {
  const QRect text = Ink(Render("0 kbps", Plain(true)), Any);
  ui::LabelStyle style = Plain(true);
  style.effect = ui::TextEffect::Fun;
  EXPECT_EQ(Ink(Render("0 kbps", style), Any), text.adjusted(-1, -1, 1, 1));
}

TEST(EffectLabel, VerticalLabelsReadFromBottomToTop) {
  ui::LabelStyle style = Plain(true);
  style.vertical = true;
  style.alignment = Qt::AlignLeft | Qt::AlignTop;
  const QImage start = Render("0 Hz", style, {15, 108});
  const QRect atStart = Ink(start, Any);
  EXPECT_GT(atStart.height(), atStart.width());
  EXPECT_GT(atStart.top(), 54) << "left-justified text starts at the bottom";

  style.alignment = Qt::AlignRight | Qt::AlignTop;
  const QRect atEnd = Ink(Render("0 Hz", style, {15, 108}), Any);
  EXPECT_LT(atEnd.bottom(), 54) << "right-justified text ends at the top";
}

}  // namespace
