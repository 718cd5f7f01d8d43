// A level meter's bar as the player window configures it, without a window.
#pragma once

#include <set>

#include "widgets/BlockBar.h"
#include "widgets/MeterProperties.h"

namespace widgets::test {

inline void ConfigureMeter(TBlockBar& bar) {
  ApplyMeterProperties(bar);
}

// The meter's block rows, written out: 102-105, 97-100, ... 7-10, and 4-5.
inline std::set<int> MeterBlockRows() {
  std::set<int> rows = {4, 5};
  for (int top = 7; top <= 102; top += 5) {
    for (int y = top; y < top + 4; ++y) rows.insert(y);
  }
  return rows;
}

// The smallest position that gives the wanted fill length.
inline int PositionForFill(TBlockBar& bar, int fillLength) {
  for (int p = 0; p <= bar.Maximum(); ++p) {
    bar.SetPosition(p);
    if (bar.FillLength() == fillLength) return p;
  }
  return -1;
}

}  // namespace widgets::test
