#include "widgets/LevelMeter.h"

#include "widgets/MeterProperties.h"

namespace widgets {

void ApplyLevelMeterProperties(BlockBarWidget& meter, int left, int top) {
  meter.move(left, top);
  ApplyMeterProperties(meter.Bar());
}

BlockBarWidget* CreateLevelMeter(QWidget* parent, int left, int top) {
  auto* meter = new BlockBarWidget(parent);
  ApplyLevelMeterProperties(*meter, left, top);
  return meter;
}

}  // namespace widgets
