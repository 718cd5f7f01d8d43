// Writes the player's artwork into the folder given as the only argument.
#include <QDir>
#include <QGuiApplication>
#include <QImageWriter>
#include <cstdio>

#include "assets/generator/Painters.h"

namespace {

bool Save(const QImage& image, const QDir& dir, const char* name) {
  QImageWriter writer(dir.filePath(QLatin1String(name)));
  if (writer.write(image)) return true;
  std::fprintf(stderr, "cannot write %s: %s\n", name, qPrintable(writer.errorString()));
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  QGuiApplication app(argc, argv);
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s <output folder>\n", argv[0]);
    return 2;
  }
  const QDir out(QString::fromLocal8Bit(argv[1]));
  using artwork::Glyph;
  const QImage skin = artwork::Skin();
  const bool ok =
      Save(skin, out, "skin.bmp") &&
      Save(artwork::Button(skin, {502, 10}, 21, Glyph::Close), out, "kapat.bmp") &&
      Save(artwork::Button(skin, {477, 10}, 21, Glyph::Minimize), out, "minimize.bmp") &&
      Save(artwork::Button(skin, {18, 145}, 16, Glyph::Play), out, "play.bmp") &&
      Save(artwork::Button(skin, {36, 145}, 16, Glyph::Stop), out, "dur.bmp") &&
      Save(artwork::Button(skin, {54, 145}, 16, Glyph::SoundOn), out, "sesacik.bmp") &&
      Save(artwork::Button(skin, {54, 145}, 16, Glyph::SoundOff), out, "seskapali.bmp") &&
      Save(artwork::Logo(), out, "logo.png");
  return ok ? 0 : 1;
}
