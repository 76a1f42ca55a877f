#include "dialog_units.h"

#include <QFontMetricsF>
#include <algorithm>
#include <cmath>

namespace kv::ui::qt {

namespace {

// The platform whose dialogs these are measures a font's average character
// width over the letters, which is what text in a dialog is mostly made of.
constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ";

}  // namespace

DialogUnits::DialogUnits(const QFont& font) {
  const QFontMetricsF metrics(font);
  // The font's own average (its OS/2 table's, in QFontMetrics) is often
  // narrower than its letters, and texts placed by it would be clipped.
  const double letters = metrics.horizontalAdvance(QString::fromLatin1(kLetters)) /
                         static_cast<double>(sizeof kLetters - 1);
  charWidth_ = std::max(metrics.averageCharWidth(), letters);
  lineHeight_ = std::ceil(metrics.height());
}

int DialogUnits::X(int units) const {
  return static_cast<int>(std::lround(units * charWidth_ / 4));
}

int DialogUnits::Y(int units) const {
  return static_cast<int>(std::lround(units * lineHeight_ / 8));
}

QRect DialogUnits::Rect(int x, int y, int width, int height) const {
  // Both edges are scaled, so neighbours that touch in units still touch.
  const int left = X(x);
  const int top = Y(y);
  return {left, top, X(x + width) - left, Y(y + height) - top};
}

}  // namespace kv::ui::qt
