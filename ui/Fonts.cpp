#include "ui/Fonts.h"

#include <QFile>
#include <QFontDatabase>
#include <QStringList>

namespace ui {
namespace {

QFont Font(const QStringList& families, int pixelHeight, bool bold) {
  QFont font;
  font.setFamilies(families);
  font.setPixelSize(pixelHeight);
  font.setBold(bold);
  return font;
}

}  // namespace

void LoadWindowFonts() {
  if (QFontDatabase::families().contains("Tahoma")) return;
  for (const char* file :
       {"/usr/share/wine/fonts/tahoma.ttf", "/usr/share/wine/fonts/tahomabd.ttf"}) {
    if (QFile::exists(file)) QFontDatabase::addApplicationFont(file);
  }
}

QFont TahomaFont(int pixelHeight, bool bold) {
  return Font({"Tahoma", "DejaVu Sans"}, pixelHeight, bold);
}

QFont VerdanaFont(int pixelHeight, bool bold) {
  return Font({"Verdana", "DejaVu Sans"}, pixelHeight, bold);
}

}  // namespace ui
