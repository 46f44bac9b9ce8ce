#pragma once
// The stage read-out panel: a narrow strip that the main window places beside the timeline and
// the stage view fills with the camera's values (or, while an actor is edited, the actor's),
// and the texts it shows. The panel keeps a copy of the values it was last given.

#include <QColor>
#include <QString>
#include <QWidget>
#include <vector>

#include "model/KeyFrame.h"

namespace quillon {

struct ReadoutValues {
    KeyFrame values;  // east/west, north/south, up/down, pan, tilt and width are shown
    float scale = 1.0f;
    bool metric = false;
    bool rostrumMode = false;
    int cameraNumber = 1;  // the active camera index + 1
};

// One line of the panel: its top (pixels from the panel's top), text and colour; every line is
// centred on the panel's middle.
struct ReadoutLine {
    int top = 0;
    QString text;
    QColor colour;
};

// The size of one 24-pixel grid square: "%dcm" with 25 / scale in metric units, otherwise "%d"
// and an inch mark with 24 / scale; in rostrum mode the zoom, "%d%%" with scale x 100.
QString GridSquareText(float scale, bool metric, bool rostrumMode);
// The status-bar position line, "EW %-4d  NS %-4d  Wid %-4d": east/west, north/south and the
// width of floor seen at the camera's height.
QString PositionText(const KeyFrame& values, float aspectRatio);
// Every line of the panel, top to bottom.
std::vector<ReadoutLine> ReadoutLines(const ReadoutValues& values);

class StageReadout : public QWidget {
  public:
    static constexpr QColor kBackground{192, 192, 192};

    explicit StageReadout(QWidget* parent = nullptr);
    // The panel's width: 26 pixels, or what its widest number needs in its font.
    static int PanelWidth();

    void SetValues(const ReadoutValues& values);
    const ReadoutValues& values() const { return values_; }

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    ReadoutValues values_;
};

}  // namespace quillon
