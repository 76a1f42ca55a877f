#include "app_icon.h"

#include <QPainter>
#include <QPixmap>
#include <QSvgRenderer>

namespace kv::ui::qt {

QIcon AppIcon() {
  QSvgRenderer renderer(QStringLiteral(":/kv7700/icon-128.svg"));
  QIcon icon;
  if (!renderer.isValid()) {
    return icon;  // the sheet then has the platform's default icon
  }
  for (int size : {16, 24, 32, 48, 64, 128, 256}) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    renderer.render(&painter);
    painter.end();
    icon.addPixmap(pixmap);
  }
  return icon;
}

}  // namespace kv::ui::qt
