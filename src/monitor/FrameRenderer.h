#pragma once
// FrameRenderer: draws the document's current frame as the monitor camera sees it, in plain
// legacy OpenGL on whatever context is current: an optional checkerboard floor, the scene's set
// panels and each actor as an upright (or, in rostrum mode, flat and tiled) picture card, with
// transparency, colour keying and the scene fade. Poses come from the document's last frame
// change; nothing is interpolated here. With swap the frame is paced to half a frame period,
// shown, and overlaid with the reticle.
//
// The renderer is also the frame source of the movie loop: RenderFrame(false) leaves the frame
// in the framebuffer, where ReadPixels finds it.

#include <cstdint>

#include "MonitorSurface.h"
#include "model/KeyFrame.h"
#include "output/MovieMaker.h"

namespace quillon {

class Document;
class GlTextureUploader;
class PictureMediaLoader;
class Set;
class ShowNode;

// The reticle for a client area of width x height and a frame ratio (height / width): 90 % of
// the frame with rounded corners for the 0.75 "TV Safe" ratio, a square-cornered frame line two
// pixels wider on each side for any other ratio.
ReticleShape ReticleFor(int clientWidth, int clientHeight, float ratio);

class FrameRenderer final : public MovieFrameSource {
  public:
    // The loader provides the texture table and the scratch picture for movie frames; the
    // uploader the GL objects behind the table's numbers. None are owned.
    FrameRenderer(Document& doc, PictureMediaLoader& media, GlTextureUploader& textures,
                  MonitorSurface& surface);

    // The monitor's own state.
    bool showReticle = false;
    int64_t lastSwapTime = 0;  // steady-clock nanoseconds right after the last swap
    int64_t swapTicks = 100;   // least nanoseconds between two swaps
    // Nanoseconds spent waiting for the pacing since the renderer was made.
    int64_t pacedNanoseconds = 0;
    // Off while the frames shown are a movie's being made: they come as fast as they are
    // written, not at the show's rate.
    bool paceSwaps = true;
    // The stage view's "Draw &Grid Floor" and "Draw &Set" toggles.
    bool drawGridFloor = false;
    bool drawSet = true;

    // Half a frame period at the show's frame rate: 50 x 1e9 / FrameRate nanoseconds.
    void UpdateSwapTicks();

    // Draws the current frame. Without a scene at the current frame nothing is drawn, nothing
    // cleared and nothing swapped (the previous picture stays).
    void RenderFrame(bool swap) override;
    // Whether the last RenderFrame found a scene to draw.
    bool drewLastFrame() const { return drewLastFrame_; }
    void SwapNow() override;
    bool ReadPixels(int width, int height, uint8_t* bgra) override;

    // The steps of a frame.
    void SetupCamera(const KeyFrame& pose);
    void DrawGridFloor();
    void DrawSetPanels(const Set& set, float fade);
    void DrawActor(ShowNode& actor, float fade);
    void DrawReticle();

  private:
    void Swap();
    void BindTexture(int number);
    // Uploads a movie actor's frame the first time it is shown; false when it has no slot.
    bool PrepareMovieFrame(ShowNode& actor, int slot);

    Document& doc_;
    PictureMediaLoader& media_;
    GlTextureUploader& textures_;
    MonitorSurface& surface_;
    bool drewLastFrame_ = false;
};

}  // namespace quillon
