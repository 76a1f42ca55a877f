// Dialog units: controls are placed in units of a quarter of the dialog
// font's average character width horizontally and an eighth of its height
// vertically, so a dialog grows with its font and its texts keep their room.
#pragma once

#include <QFont>
#include <QRect>
#include <QSize>

namespace kv::ui::qt {

class DialogUnits {
 public:
  explicit DialogUnits(const QFont& font);
  DialogUnits(double averageCharWidth, double lineHeight)
      : charWidth_(averageCharWidth), lineHeight_(lineHeight) {}

  int X(int units) const;
  int Y(int units) const;
  QRect Rect(int x, int y, int width, int height) const;
  QSize Size(int width, int height) const { return {X(width), Y(height)}; }
  double CharWidth() const { return charWidth_; }
  double LineHeight() const { return lineHeight_; }

 private:
  double charWidth_;
  double lineHeight_;
};

}  // namespace kv::ui::qt
