// TBlockBar: a horizontal or vertical bar whose filled length shows position against maximum,
// flat or shaded as a cylinder, split into blocks, with a gradient along it, unlit positions in
// a colour of their own, an outline and a caption. It draws into its own off-screen image; a
// host (the Qt widget) shows that image and is told when to repaint, resize, hide or change its
// tooltip. No Qt Widgets here, so every pixel can be checked in tests.
//
// Every assignment stores the value, recomputes what derives from it, then asks for a repaint;
// Paint only looks colours up in tables built beforehand. Single-threaded: the window's thread.
#pragma once

#include <QFont>
#include <QImage>
#include <QString>
#include <cstdint>
#include <vector>

#include "widgets/BlockBarColors.h"

namespace widgets {

enum TBarOrientation { boHorizontal = 0, boVertical = 1 };
enum TBarKind { bkFlat = 0, bkCylinder = 1 };
enum TAlignment { taLeftJustify = 0, taRightJustify = 1, taCenter = 2 };

struct BlockCell {
  bool inBlock = false;
  std::int32_t blockEnd = 0;  // far end of the block in the direction of filling
};

// The caption's font: a QFont plus the colour the text is drawn in.
struct TBarFont {
  QFont font;
  TColor color = clWindowText;
};

// What the bar asks of whatever shows it.
class BlockBarHost {
 public:
  virtual void RepaintRequested() = 0;
  virtual void SizeChanged(int width, int height) = 0;
  virtual void HintChanged(const QString& hint) = 0;
  virtual void VisibleChanged(bool visible) = 0;

 protected:
  ~BlockBarHost() = default;
};

class TBlockBar {
 public:
  // designing: the bar is being edited in a visual designer (initial position 50, colours
  // exchanged on an orientation change). The player never sets it.
  explicit TBlockBar(bool designing = false);
  TBlockBar(const TBlockBar&) = delete;
  TBlockBar& operator=(const TBlockBar&) = delete;

  void SetHost(BlockBarHost* host) { host_ = host; }

  // Size. SetWidth/SetHeight are the stored properties; SetSize is one size change made by
  // the toolkit (the host forwards its own resizes here). Between BeginLoad and EndLoad size
  // changes do not reach Resize, as while a stored form is loaded.
  int Width() const { return width_; }
  int Height() const { return height_; }
  void SetWidth(int width);
  void SetHeight(int height);
  void SetSize(int width, int height);
  void BeginLoad() { loading_ = true; }
  void EndLoad() { loading_ = false; }

  TBarOrientation Orientation() const { return orientation_; }
  void SetOrientation(TBarOrientation value);
  TBarKind BarKind() const { return barKind_; }
  void SetBarKind(TBarKind value);
  TBarLook BarLook() const { return barLook_; }
  void SetBarLook(TBarLook value);
  bool RoundCorner() const { return cornerRadius_ > 0; }
  void SetRoundCorner(bool value);
  TColor BackgroundColor() const { return backgroundColor_; }
  void SetBackgroundColor(TColor value);
  TColor BarColor() const { return startColor_; }
  void SetBarColor(TColor value);
  TColor StartColor() const { return startColor_; }
  void SetStartColor(TColor value);
  TColor FinalColor() const { return finalColor_; }
  void SetFinalColor(TColor value);
  bool ShowInactivePos() const { return showInactivePos_; }
  void SetShowInactivePos(bool value);
  bool InvertInactPos() const { return invertInactPos_; }
  void SetInvertInactPos(bool value);
  TColor InactivePosColor() const { return inactivePosColor_; }
  void SetInactivePosColor(TColor value);
  bool Shaped() const { return shaped_; }
  void SetShaped(bool value);
  TColor ShapeColor() const { return shapeColor_; }
  void SetShapeColor(TColor value);
  int BlockSize() const { return blockSize_; }
  void SetBlockSize(int value);
  int SpaceSize() const { return spaceSize_; }
  void SetSpaceSize(int value);
  bool ShowFullBlock() const { return showFullBlock_; }
  void SetShowFullBlock(bool value);
  int Maximum() const { return maximum_; }
  void SetMaximum(int value);
  int Position() const { return position_; }
  void SetPosition(int value);
  bool HideOnTerminate() const { return hideOnTerminate_; }
  void SetHideOnTerminate(bool value) { hideOnTerminate_ = value; }
  const QString& Caption() const { return caption_; }
  void SetCaption(const QString& value);
  TAlignment CaptionAlign() const { return captionAlign_; }
  void SetCaptionAlign(TAlignment value);
  // The bar's own font object; stored font settings land here.
  TBarFont& Font() { return font_; }
  // Copies the given font into the drawing font, in which the caption is measured and drawn.
  bool AutoCaption() const { return autoCaption_; }
  void SetAutoCaption(bool value);
  bool AutoHint() const { return autoHint_; }
  void SetAutoHint(bool value) { autoHint_ = value; }
  bool ShowPosAsPct() const { return showPosAsPct_; }
  void SetShowPosAsPct(bool value) { showPosAsPct_ = value; }
  bool Visible() const { return visible_; }
  void SetVisible(bool value);
  const QString& Hint() const { return hint_; }

  // The colour the toolkit fills the control with before each paint.
  void SetControlColor(TColor value) { controlColor_ = value; }

  // The toolkit's notification after a size change.
  void Resize();
  // Draws the whole control into Image().
  void Paint();
  const QImage& Image() const { return image_; }

  // Derived state, read-only.
  int Margin() const { return margin_; }
  int Inset() const { return inset_; }
  int BarLength() const { return barLength_; }
  int MinFill() const { return minFill_; }
  int FillLength() const { return fillLength_; }
  double Percent() const { return percent_; }
  bool SingleColor() const { return singleColor_; }
  bool BlocksOn() const { return blocksOn_; }
  int CornerRadius() const { return cornerRadius_; }
  int CaptionX() const { return captionX_; }
  int CaptionY() const { return captionY_; }
  bool CaptionShown() const { return captionShown_; }
  const std::vector<BlockCell>& BlockMap() const { return blockMap_; }
  const std::vector<TCLRArray>& BarColors() const { return barColors_; }
  const TCLRArray& InactiveColors() const { return inactiveColors_; }
  // How many repaints were asked for since construction.
  int RepaintCount() const { return repaintCount_; }

 private:
  int Thickness() const { return orientation_ == boHorizontal ? height_ : width_; }
  int Length() const { return orientation_ == boHorizontal ? width_ : height_; }
  void SizeChange(int width, int height);
  void UpdateLengths();
  void BuildBlockMap();
  void BuildColorTables();
  void BuildCorners();
  void SetBlockOrSpace(int& field, int value);
  void LayoutCaption();
  void Repaint();
  void PaintOutline();
  void PaintLines();
  void PaintCaption();
  QString PercentText() const;

  BlockBarHost* host_ = nullptr;
  bool designing_;
  bool loading_ = false;
  int width_ = 0;
  int height_ = 0;
  bool visible_ = true;
  QString hint_;
  TColor controlColor_ = RGB(240, 240, 240);
  QImage image_;
  int repaintCount_ = 0;

  TBarOrientation orientation_ = boHorizontal;
  TBarKind barKind_ = bkFlat;
  TBarLook barLook_ = blMetal;
  TColor backgroundColor_ = 0;
  TColor startColor_ = 0;
  TColor finalColor_ = 0;
  bool showInactivePos_ = false;
  bool invertInactPos_ = false;
  TColor inactivePosColor_ = 0;
  bool shaped_ = false;
  TColor shapeColor_ = 0;
  int blockSize_ = 0;
  int spaceSize_ = 0;
  bool showFullBlock_ = false;
  int maximum_ = 0;
  int position_ = 0;
  bool hideOnTerminate_ = false;
  QString caption_;
  TAlignment captionAlign_ = taLeftJustify;
  TBarFont font_;
  TBarFont canvasFont_;
  bool autoCaption_ = false;
  bool autoHint_ = false;
  bool showPosAsPct_ = false;

  int margin_ = 2;
  int inset_ = 4;
  int barLength_ = 0;
  int minFill_ = 0;
  int fillLength_ = 0;
  double percent_ = 0;
  bool singleColor_ = true;
  bool blocksOn_ = false;
  bool suspended_ = false;
  int cornerRadius_ = 0;
  int captionX_ = 0;
  int captionY_ = 0;
  bool captionShown_ = false;
  std::vector<BlockCell> blockMap_;
  std::vector<TCLRArray> barColors_;
  TCLRArray inactiveColors_;

  // The tables again as image pixels (QRgb), row after row, so painting only copies.
  int pixelCount_ = 0;
  std::vector<std::uint32_t> barPixels_;
  std::vector<std::uint32_t> inactivePixels_;
  // Per outline row near the top (and, mirrored, the bottom): the columns cut off the corner.
  std::vector<int> cornerCut_;
};

}  // namespace widgets
