#pragma once
// Pixels expected at places of a drawn view, checked as one table: each row is a place, the
// colour it must have (or must not have) and, for lines turned at an angle, how far from the
// exact place the colour may lie.

#include <gtest/gtest.h>

#include <QColor>
#include <QImage>
#include <QPoint>
#include <vector>

namespace quillon::testing {

struct PixelRow {
    int x, y;
    QColor colour;
    bool is = true;  // false: any colour but this one
    int radius = 0;  // the colour may lie this many pixels away (lines at an angle)
};

// True when the colour is at (x, y) or within radius of it.
inline bool ColourNear(const QImage& image, int x, int y, QColor colour, int radius) {
    for (int dy = -radius; dy <= radius; ++dy)
        for (int dx = -radius; dx <= radius; ++dx)
            if (image.rect().contains(x + dx, y + dy) && image.pixelColor(x + dx, y + dy) == colour)
                return true;
    return false;
}

// Checks every row against the image; offset is subtracted from each place first (a scroll
// position when the rows are in scroll-area pixels).
inline void ExpectPixels(const QImage& image, const std::vector<PixelRow>& rows,
                         QPoint offset = {}) {
    for (const PixelRow& r : rows) {
        const int x = r.x - offset.x(), y = r.y - offset.y();
        const QColor at = image.rect().contains(x, y) ? image.pixelColor(x, y) : QColor();
        if (r.radius > 0)
            EXPECT_EQ(ColourNear(image, x, y, r.colour, r.radius), r.is)
                << "near (" << r.x << ", " << r.y << ") " << r.colour.name().toStdString();
        else if (r.is)
            EXPECT_EQ(at.name().toStdString(), r.colour.name().toStdString())
                << "at (" << r.x << ", " << r.y << ")";
        else
            EXPECT_NE(at.name().toStdString(), r.colour.name().toStdString())
                << "at (" << r.x << ", " << r.y << ")";
    }
}

}  // namespace quillon::testing
