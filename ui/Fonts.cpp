#include "ui/Fonts.h"

#include <QFile>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <QStringList>

namespace ui {
namespace {

// A bold face leaves about twice the ink of its regular one; below this ratio it is not bold.
constexpr double kBoldInkRatio = 1.3;

QFont Font(const QStringList& families, int pixelHeight, bool bold) {
  QFont font;
  font.setFamilies(families);
  font.setPixelSize(pixelHeight);
  font.setBold(bold);
  return font;
}

// The coverage of an "l" drawn in the font, in whole pixels: its stem's weight.
double StemInk(const QFont& font) {
  const QFontMetrics metrics(font);
  QImage image(metrics.maxWidth() + 4, metrics.height() + 4, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  QPainter painter(&image);
  painter.setFont(font);
  painter.setPen(Qt::black);
  painter.drawText(2, 2 + metrics.ascent(), QStringLiteral("l"));
  painter.end();
  double ink = 0;
  for (int y = 0; y < image.height(); ++y) {
    const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
    for (int x = 0; x < image.width(); ++x) ink += qAlpha(line[x]) / 255.0;
  }
  return ink;
}

// Wine's Tahoma Bold is bold only in its bitmap strikes (9 to 16 pixels). Its outlines carry
// regular strokes on bold advances, and since the face says it is bold Qt does not embolden it:
// at the lines' 20 and 21 pixels it draws thin text. Such a Tahoma is not used for bold.
bool TahomaBoldIsBold(int pixelHeight) {
  if (!QFontDatabase::families().contains(QStringLiteral("Tahoma"))) return false;
  const QStringList tahoma{QStringLiteral("Tahoma")};
  return StemInk(Font(tahoma, pixelHeight, true)) >=
         kBoldInkRatio * StemInk(Font(tahoma, pixelHeight, false));
}

}  // namespace

void LoadWindowFonts() {
  if (QFontDatabase::families().contains(QStringLiteral("Tahoma"))) return;
  for (const char* file :
       {"/usr/share/wine/fonts/tahoma.ttf", "/usr/share/wine/fonts/tahomabd.ttf"}) {
    const QString path = QFile::decodeName(file);
    if (QFile::exists(path)) QFontDatabase::addApplicationFont(path);
  }
}

QFont TahomaFont(int pixelHeight, bool bold) {
  const QString condensed = QStringLiteral("DejaVu Sans Condensed");
  const QString dejaVu = QStringLiteral("DejaVu Sans");
  if (bold && !TahomaBoldIsBold(pixelHeight)) return Font({condensed, dejaVu}, pixelHeight, true);
  return Font({QStringLiteral("Tahoma"), condensed, dejaVu}, pixelHeight, bold);
}

QFont VerdanaFont(int pixelHeight, bool bold) {
  return Font({QStringLiteral("Verdana"), QStringLiteral("DejaVu Sans")}, pixelHeight, bold);
}

}  // namespace ui
