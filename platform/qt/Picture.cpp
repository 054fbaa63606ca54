#include "platform/qt/Picture.h"

#include <QPainter>
#include <QSvgRenderer>

namespace kalvoren {

QPixmap svgPicture(const QString& resource, QSize size) {
    QSvgRenderer renderer(resource);
    if (!renderer.isValid() || size.isEmpty()) return {};
    const QSize fitted = renderer.defaultSize().scaled(size, Qt::KeepAspectRatio);
    if (fitted.isEmpty()) return {};
    QPixmap picture(fitted);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    renderer.render(&painter);
    return picture;
}

}  // namespace kalvoren
