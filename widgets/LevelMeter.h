// The player window's two level meters (left and right channel): vertical 20 x 112 bars of
// red-to-light-green metal blocks on maroon, with white inactive blocks, fed 0..65535.
#pragma once

#include "widgets/BlockBarWidget.h"

namespace widgets {

// Gives meter the level meters' stored properties, in their stored order, placed at
// (left, top) of its parent.
void ApplyLevelMeterProperties(BlockBarWidget& meter, int left, int top);

// A new level meter, child of parent (which owns it), at (left, top).
BlockBarWidget* CreateLevelMeter(QWidget* parent, int left, int top);

}  // namespace widgets
