#pragma once
// Draws the parts of the stage plan with one painter in client pixels: the background and grid,
// set panels, actors, the camera path and the camera. Each Draw-function draws one part whole,
// or with inverted set only its outline in inverted pixels, so that drawing it inverted a second
// time takes it away again (the rubber bands of the mouse editing). Reads the show, never
// changes it.

#include <QColor>
#include <QPoint>
#include <QRect>
#include <cstdint>

#include "DrawingPrimitives.h"
#include "model/KeyFrame.h"

class QPainter;

namespace quillon {

class PictureImageCache;
class Set;
class ShowNode;
struct SetPanel;

// How the plan is being looked at.
struct PlanView {
    float scale = 1.0f;
    QPoint scroll;  // scroll position: plan pixel - scroll = client pixel
    bool rostrumMode = false;
    bool metric = false;        // the show's units are centimetres
    float aspectRatio = 0.75f;  // the monitor picture's height over width
    int cameraNumber = 1;       // the active camera index + 1
    int symbolSize = 64;        // the camera symbol's size, pixels
};

// A colour value 0x00BBGGRR as the profile and the show files keep it.
QColor ColourFromRef(int32_t value);
int32_t ColourToRef(QColor colour);

class StagePlanPainter {
  public:
    static constexpr QColor kBackground{192, 192, 192};
    static constexpr QColor kGridLine{160, 160, 160};
    static constexpr QColor kOutsidePlan{255, 255, 255};
    static constexpr QColor kPanel{255, 255, 255};
    static constexpr QColor kSelectedPanel{255, 255, 0};
    static constexpr QColor kActor{0, 255, 255};
    static constexpr QColor kSelectedActor{0, 0, 255};
    static constexpr QColor kCamera{255, 255, 0};
    static constexpr QColor kRim{0, 0, 0};  // the black centre line over coloured rims

    // Actors' pictures come from the cache when one is given, else straight from the picture.
    StagePlanPainter(QPainter& painter, const PlanView& view,
                     PictureImageCache* pictures = nullptr);

    // The plan's grey and its 24-pixel grid over the client rectangle; client pixels beyond
    // the plan's edge are left white.
    void DrawBackground(const QRect& clientArea);
    void DrawPanel(const SetPanel& panel, bool inverted);
    void DrawAllPanels(const Set& set, bool inverted);
    // Draws nothing for an actor whose current frame lies outside its range.
    void DrawActor(const ShowNode& actor, bool inverted);
    void DrawAllActors(const ShowNode& scene, bool inverted);
    // The ground path of the camera's keys in the colour (0x00BBGGRR), 1 pixel wide.
    void DrawCameraPath(const ShowNode& camera, int32_t colour);
    // The camera symbol, or in rostrum mode its footprint on the floor.
    void DrawCamera(const KeyFrame& pose, bool inverted);

  private:
    void DrawCameraSymbol(const KeyFrame& pose, bool inverted);
    void DrawCameraFootprint(const KeyFrame& pose, bool inverted);

    QPainter& painter_;
    DrawingPrimitives draw_;
    PlanView view_;
    PictureImageCache* pictures_;
};

}  // namespace quillon
