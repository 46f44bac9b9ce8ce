#pragma once
// Where the frame renderer draws: the monitor pane's widget on screen, or an offscreen
// framebuffer. The renderer asks it for the client size (the camera's aspect), has it show the
// finished frame, and has it draw the reticle over what is shown.

#include <QRect>
#include <QSize>

namespace quillon {

// The reticle's rectangle (client coordinates, y down) and the size of its rounded corners.
struct ReticleShape {
    QRect rect;
    int corner = 0;
};

class MonitorSurface {
  public:
    virtual ~MonitorSurface() = default;
    virtual QSize ClientSize() const = 0;
    virtual void SwapBuffers() = 0;
    // Whether swaps are paced to half a frame period. A screen is; a framebuffer no one watches
    // is not, so offscreen renders run as fast as the machine allows.
    virtual bool PacesSwaps() const { return true; }
    // Draws the reticle over the picture just shown. Surfaces that show nothing ignore it.
    virtual void PaintReticle(const ReticleShape& /*shape*/) {}
};

}  // namespace quillon
