#pragma once
// Draws the reticle outline with a painter: a 3-pixel white line under a 1-pixel black one, so
// it reads on light and dark pictures alike. Corner size 0 draws square corners.

#include "MonitorSurface.h"

class QPainter;

namespace quillon {

void PaintReticle(QPainter& painter, const ReticleShape& shape);

}  // namespace quillon
