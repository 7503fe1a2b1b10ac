#include "app/commandicon.h"

#include <QPainter>
#include <QPixmap>
#include <QSvgRenderer>

QIcon CommandIcon(const QString& name, int pixels) {
  QSvgRenderer drawing(QStringLiteral(":/icons/%1.svg").arg(name));
  QIcon icon;
  if (!drawing.isValid()) return icon;
  for (const int size : {pixels, 2 * pixels}) {
    QPixmap image(size, size);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    drawing.render(&painter);
    painter.end();
    icon.addPixmap(image);
  }
  return icon;
}
