// The window's two font families. "Tahoma" comes from Debian's fonts-wine, which installs it
// outside fontconfig's folders; "Verdana" falls back to DejaVu Sans, whose metrics are close.
#pragma once

#include <QFont>

namespace ui {

// Registers the Tahoma files with the application when they are present. Safe to call more
// than once.
void LoadWindowFonts();

// A font of the given family, character height in pixels and weight, with the fallback.
QFont TahomaFont(int pixelHeight, bool bold);
QFont VerdanaFont(int pixelHeight, bool bold);

}  // namespace ui
