#pragma once
// The program's pictures are SVG drawings in its resources, rendered at the size shown.

#include <QPixmap>
#include <QSize>
#include <QString>

namespace kalvoren {

// The drawing at `resource` (":/kalvoren/...svg") fitted into `size`, keeping its aspect;
// a null pixmap when the resource is missing or not a drawing.
QPixmap svgPicture(const QString& resource, QSize size);

}  // namespace kalvoren
