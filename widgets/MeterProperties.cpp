#include "widgets/MeterProperties.h"

namespace widgets {

void ApplyMeterProperties(TBlockBar& bar) {
  bar.BeginLoad();
  bar.SetWidth(20);
  bar.SetHeight(112);
  bar.SetOrientation(boVertical);
  bar.SetBarKind(bkCylinder);
  bar.SetBarLook(blMetal);
  bar.SetRoundCorner(false);
  bar.SetBackgroundColor(clMaroon);
  bar.SetBarColor(clRed);
  bar.SetStartColor(clRed);
  bar.SetFinalColor(RGB(128, 255, 128));  // light green
  bar.SetShowInactivePos(true);
  bar.SetInvertInactPos(false);
  bar.SetInactivePosColor(clWhite);
  bar.SetShaped(true);
  bar.SetShapeColor(RGB(255, 230, 230));  // pale pink
  bar.SetBlockSize(4);
  bar.SetSpaceSize(1);
  bar.SetShowFullBlock(false);
  bar.SetMaximum(65535);
  bar.SetPosition(0);
  bar.SetCaptionAlign(taLeftJustify);
  TBarFont& font = bar.Font();
  font.font.setFamily(QStringLiteral("MS Sans Serif"));
  font.font.setPixelSize(11);
  font.font.setBold(false);
  font.font.setItalic(false);
  font.font.setUnderline(false);
  font.font.setStrikeOut(false);
  font.color = clWindowText;
  bar.SetAutoCaption(false);
  bar.SetAutoHint(false);
  bar.SetShowPosAsPct(false);
  bar.EndLoad();
}

}  // namespace widgets
