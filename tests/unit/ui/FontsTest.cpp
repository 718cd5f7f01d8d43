#include <gtest/gtest.h>

#include <QFile>
#include <QFontDatabase>
#include <QImage>

#include "tests/support/Requirements.h"
#include "ui/EffectLabel.h"
#include "ui/Fonts.h"

namespace {

QImage Render(const QFont& font, const QString& text) {
  ui::EffectLabel label;
  label.resize(244, 30);
  label.setFont(font);
  ui::LabelStyle style;
  style.alignment = Qt::AlignCenter;
  label.setLabelStyle(style);
  label.setText(text);
  QImage image(label.size(), QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  label.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
  return image;
}

QFont Face(const QString& family, int pixelHeight, bool bold) {
  QFont font(family);
  font.setPixelSize(pixelHeight);
  font.setBold(bold);
  return font;
}

// Wine's Tahoma, the only one on a Debian machine, draws its bold at these sizes with the thin
// strokes of a regular face. The station lines must come out bold all the same, in a face of
// Tahoma's proportions.
TEST(Fonts, StationLinesAreBoldInACondensedFaceBesideWinesTahoma) {
  if (QFontDatabase::families().contains("Tahoma")) {
    GTEST_SKIP() << "a Tahoma is installed; the lines use it when its bold is bold";
  }
  if (!QFile::exists("/usr/share/wine/fonts/tahomabd.ttf")) SKIP_OR_FAIL_MISSING("fonts-wine");
  if (!QFontDatabase::families().contains("DejaVu Sans Condensed")) {
    SKIP_OR_FAIL_MISSING("fonts-dejavu-extra");
  }
  ui::LoadWindowFonts();
  ASSERT_TRUE(QFontDatabase::families().contains("Tahoma"));

  const QString text = "Hidden Station";
  for (int pixelHeight : {21, 20}) {
    SCOPED_TRACE(pixelHeight);
    const QImage drawn = Render(ui::TahomaFont(pixelHeight, true), text);
    EXPECT_TRUE(drawn == Render(Face("DejaVu Sans Condensed", pixelHeight, true), text))
        << "not DejaVu Sans Condensed Bold";
    EXPECT_FALSE(drawn == Render(Face("Tahoma", pixelHeight, true), text)) << "Wine's thin bold";
    EXPECT_FALSE(drawn == Render(Face("DejaVu Sans", pixelHeight, false), text)) << "regular";
  }
}

}  // namespace
