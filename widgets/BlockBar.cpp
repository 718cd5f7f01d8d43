#include "widgets/BlockBar.h"

#include <QFontMetrics>
#include <QLocale>
#include <chrono>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <thread>

#include "widgets/GeneralNumber.h"

namespace widgets {

TBlockBar::TBlockBar(bool designing) : designing_(designing) {
  font_.font.setPixelSize(11);
  canvasFont_ = font_;
  blockMap_.assign(1, BlockCell{});
  blocksOn_ = false;
  showFullBlock_ = false;
  blockSize_ = 0;
  spaceSize_ = 0;
  orientation_ = boHorizontal;
  barKind_ = bkFlat;
  barLook_ = blMetal;
  fillLength_ = 0;
  // No window exists yet, so this first size reaches neither the host nor Resize.
  width_ = 64;
  height_ = 16;
  image_ = QImage(width_, height_, QImage::Format_RGB32);
  shaped_ = true;
  shapeColor_ = RGB(0, 60, 116);  // dark blue
  startColor_ = finalColor_ = clLime;
  singleColor_ = true;
  backgroundColor_ = clWhite;
  showInactivePos_ = false;
  inactivePosColor_ = clGray;
  invertInactPos_ = false;
  maximum_ = 100;
  margin_ = 2;
  inset_ = 4;
  UpdateLengths();
  BuildColorTables();
  cornerRadius_ = 5;
  BuildCorners();
  caption_.clear();
  captionX_ = 0;
  captionY_ = 0;
  captionShown_ = false;
  autoCaption_ = autoHint_ = showPosAsPct_ = false;
  Repaint();
  SetPosition(designing_ ? 50 : 0);
}

// One size change of the control. Like the toolkit, an unchanged size is no change; the
// control is never smaller than nothing.
void TBlockBar::SizeChange(int width, int height) {
  width = std::max(width, 0);
  height = std::max(height, 0);
  if (width == width_ && height == height_) return;
  width_ = width;
  height_ = height;
  image_ = QImage(width_, height_, QImage::Format_RGB32);
  if (host_) host_->SizeChanged(width_, height_);
  if (!loading_) Resize();
}

void TBlockBar::SetWidth(int width) {
  SizeChange(width, height_);
}
void TBlockBar::SetHeight(int height) {
  SizeChange(width_, height);
}
void TBlockBar::SetSize(int width, int height) {
  SizeChange(width, height);
}

void TBlockBar::UpdateLengths() {
  barLength_ = Length() - inset_;
  minFill_ = inset_ + 1;
}

void TBlockBar::SetOrientation(TBarOrientation value) {
  suspended_ = true;
  if (value != orientation_) {
    if ((value == boVertical && height_ < width_) || (value == boHorizontal && width_ < height_)) {
      const int oldWidth = width_;
      const int oldHeight = height_;
      SetHeight(oldWidth);
      SetWidth(oldHeight);
    }
    orientation_ = value;
    if (designing_) std::swap(startColor_, finalColor_);
  }
  margin_ = Thickness() >= 10 ? 2 : 1;
  inset_ = 2 * margin_;
  UpdateLengths();
  suspended_ = false;
  BuildBlockMap();
  BuildColorTables();
  Repaint();
}

void TBlockBar::Resize() {
  inset_ = 2 * margin_;
  UpdateLengths();
  if (suspended_) return;
  if (blocksOn_) BuildBlockMap();
  BuildColorTables();
  SetPosition(position_);
}

void TBlockBar::SetBarKind(TBarKind value) {
  barKind_ = value;
  BuildColorTables();
  Repaint();
}

void TBlockBar::SetBarLook(TBarLook value) {
  barLook_ = value;
  BuildColorTables();
  Repaint();
}

void TBlockBar::SetRoundCorner(bool value) {
  cornerRadius_ = value ? 5 : 0;
  BuildCorners();
  Repaint();
}

void TBlockBar::SetBackgroundColor(TColor value) {
  backgroundColor_ = value;
  Repaint();
}

void TBlockBar::SetBarColor(TColor value) {
  singleColor_ = true;
  startColor_ = finalColor_ = value;
  BuildColorTables();
  Repaint();
}

void TBlockBar::SetStartColor(TColor value) {
  startColor_ = value;
  singleColor_ = value == finalColor_;
  BuildColorTables();
  Repaint();
}

void TBlockBar::SetFinalColor(TColor value) {
  finalColor_ = value;
  singleColor_ = value == startColor_;
  BuildColorTables();
  Repaint();
}

void TBlockBar::SetShowInactivePos(bool value) {
  showInactivePos_ = value;
  BuildColorTables();
  Repaint();
}

void TBlockBar::SetInvertInactPos(bool value) {
  invertInactPos_ = value;
  BuildColorTables();
  Repaint();
}

void TBlockBar::SetInactivePosColor(TColor value) {
  inactivePosColor_ = value;
  BuildColorTables();
  Repaint();
}

void TBlockBar::SetShaped(bool value) {
  shaped_ = value;
  Repaint();
}

void TBlockBar::SetShapeColor(TColor value) {
  shapeColor_ = value;
  Repaint();
}

void TBlockBar::SetBlockSize(int value) {
  SetBlockOrSpace(blockSize_, value);
}
void TBlockBar::SetSpaceSize(int value) {
  SetBlockOrSpace(spaceSize_, value);
}

void TBlockBar::SetBlockOrSpace(int& field, int value) {
  if (value > Length() - 2 * margin_) return;
  // A negative value bypasses the limit above; the most negative one has no absolute value
  // in 32 bits and is taken as the largest.
  field = value == INT_MIN ? INT_MAX : std::abs(value);
  blocksOn_ = blockSize_ > 0 && spaceSize_ > 0;
  if (blocksOn_) BuildBlockMap();
  BuildColorTables();
  Repaint();
}

void TBlockBar::SetShowFullBlock(bool value) {
  showFullBlock_ = value;
  if (value) BuildBlockMap();
  BuildColorTables();
  Repaint();
}

void TBlockBar::SetMaximum(int value) {
  maximum_ = std::max(value, 0);
  Repaint();
}

void TBlockBar::SetPosition(int value) {
  position_ = value;
  if (maximum_ == 0) return;
  if (value <= 0) {
    fillLength_ = 0;
    Repaint();
    return;
  }
  const int v = std::min(value, maximum_);
  // 64-bit product: a 32-bit one would wrap for a maximum above 21474836.
  percent_ = static_cast<double>(static_cast<std::int64_t>(v) * 100) / maximum_;
  const double px = barLength_ * percent_ / 100;
  if (px > 0 && px < minFill_) {
    fillLength_ = minFill_;
  } else if (px <= barLength_) {
    fillLength_ = static_cast<int>(std::nearbyint(px));
  } else {
    fillLength_ = barLength_;
  }
  if (autoHint_) {
    hint_ = showPosAsPct_ ? PercentText() + QStringLiteral(" %") : QString::number(position_);
    if (host_) host_->HintChanged(hint_);
  }
  Repaint();
  if (hideOnTerminate_ && v == maximum_) {
    // What hideOnTerminate is defined to do, kept for a host that sets it: wait 100 ms on the
    // caller's thread, then hide. It blocks that thread; the player's meters never set it.
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    SetVisible(false);
  }
}

QString TBlockBar::PercentText() const {
  return GeneralNumber(percent_, QLocale::system().decimalPoint().at(0));
}

void TBlockBar::SetCaption(const QString& value) {
  caption_ = value;
  LayoutCaption();
}

void TBlockBar::SetCaptionAlign(TAlignment value) {
  captionAlign_ = value;
  SetCaption(caption_);
}

void TBlockBar::LayoutCaption() {
  captionShown_ = !caption_.isEmpty();
  if (!captionShown_) return;
  const QFontMetrics metrics(canvasFont_.font);
  captionY_ = (height_ - metrics.height()) / 2;
  switch (captionAlign_) {
    case taLeftJustify:
      captionX_ = 0;
      break;
    case taCenter:
      captionX_ = (width_ - metrics.horizontalAdvance(caption_)) / 2;
      break;
    case taRightJustify:
      captionX_ = width_ - metrics.horizontalAdvance(caption_) - 1;
      break;
  }
}

void TBlockBar::SetAutoCaption(bool value) {
  autoCaption_ = value;
  Repaint();
}

void TBlockBar::SetVisible(bool value) {
  if (value == visible_) return;
  visible_ = value;
  if (host_) host_->VisibleChanged(value);
}

void TBlockBar::Repaint() {
  ++repaintCount_;
  if (host_) host_->RepaintRequested();
}

}  // namespace widgets
