// The window's two font families. The station lines ask for Tahoma bold: a Tahoma whose bold is
// really bold when the system has one, otherwise DejaVu Sans Condensed Bold, whose proportions
// are Tahoma Bold's. Verdana falls back to DejaVu Sans, whose metrics are close.
#pragma once

#include <QFont>

namespace ui {

// Registers Wine's Tahoma files (Debian's fonts-wine installs them outside fontconfig's
// folders) with the application when no Tahoma is known. Safe to call more than once.
void LoadWindowFonts();

// A font of the given family, character height in pixels and weight, with the fallback.
QFont TahomaFont(int pixelHeight, bool bold);
QFont VerdanaFont(int pixelHeight, bool bold);

}  // namespace ui
