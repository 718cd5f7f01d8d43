// The stored properties of the player window's level meters, on the bar model alone.
#pragma once

#include "widgets/BlockBar.h"

namespace widgets {

// Applies the meters' stored properties to bar in their stored order, as a stored form is
// loaded: sizes wait for the orientation, which derives everything.
void ApplyMeterProperties(TBlockBar& bar);

}  // namespace widgets
