// The window's outline and translucency.
#pragma once

#include <QRegion>

class QImage;
class QWidget;

namespace ui {

// The outline of a picture: its full rectangle minus every run of pixels equal to the key
// colour, the colour of pixel (0, 0). Pixels are compared as 24-bit colours, exactly; a key-
// coloured hole inside the picture becomes a hole in the region. Picture pixel (x, y) covers
// region pixel (x, y). An empty picture gives an empty region.
QRegion RegionFromBitmap(const QImage& picture);

// Opacity 0..255 for a transparency percentage 0..100: (100 - percentage) * 51 / 20 rounded
// down; percentages above 100 count as 100.
int TranslucencyAlpha(int percentage);

// Makes the window translucent by the percentage where the windowing system supports window
// opacity; elsewhere the window stays opaque.
void SetWindowTranslucency(QWidget* window, int percentage);

}  // namespace ui
