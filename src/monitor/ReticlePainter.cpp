#include "ReticlePainter.h"

#include <QPainter>
#include <QPen>

namespace quillon {

void PaintReticle(QPainter& painter, const ReticleShape& shape) {
    painter.save();
    painter.setBrush(Qt::NoBrush);
    painter.setRenderHint(QPainter::Antialiasing, false);
    // The corner size is the corner ellipse's width and height, so its radius is half of it.
    const qreal radius = shape.corner / 2.0;
    for (const auto& [colour, width] : {std::pair{Qt::white, 3}, std::pair{Qt::black, 1}}) {
        painter.setPen(QPen(colour, width, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
        if (radius > 0)
            painter.drawRoundedRect(shape.rect, radius, radius);
        else
            painter.drawRect(shape.rect);
    }
    painter.restore();
}

}  // namespace quillon
