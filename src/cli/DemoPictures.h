#pragma once
// The pictures of the demo show, drawn with QPainter: cut-out actors on a key-colour background
// and set textures. Nothing is anti-aliased, so every background pixel is exactly the key
// colour (no fringe survives keying) and the same code always gives the same pixels.

#include <QImage>
#include <QString>
#include <cstdint>
#include <vector>

namespace quillon::cli {

// Key colours as actors store them (0x00BBGGRR).
constexpr int32_t kDemoKeyBlue = 0xFF0000;
constexpr int32_t kDemoKeyGreen = 0x00FF00;

struct DemoPicture {
    QString fileName;  // bare file name, written beside the show
    QImage image;      // 24-bit colour, no alpha
};

// Every picture of the demo, in a fixed order.
std::vector<DemoPicture> DrawDemoPictures();

// The single pictures, each a power of two on both sides.
QImage DrawBrickWall();   // 256 x 256, running-bond bricks
QImage DrawPlanks();      // 256 x 256, upright boards
QImage DrawPaving();      // 256 x 256, 4 x 4 flagstones
QImage DrawFloorTiles();  // 256 x 256, 8 x 8 chequered tiles
QImage DrawFigure();      // 128 x 256, a person on blue
QImage DrawLampPost();    // 128 x 256, a street lamp on green
QImage DrawTree();        // 256 x 256, a tree on green
QImage DrawCrate();       // 128 x 128, a wooden crate filling the picture

}  // namespace quillon::cli
