// The views' cursors: one picture each, distinct, the hot spot in the middle, and drawn anew at
// 2x rather than enlarged.
#include <gtest/gtest.h>

#include <QImage>
#include <QPixmap>

#include "viewkit/ViewCursors.h"

using namespace quillon;

namespace {

constexpr ViewCursor kDrawn[] = {
    ViewCursor::kMove,  ViewCursor::kFirstEnd, ViewCursor::kSecondEnd,
    ViewCursor::kPan,   ViewCursor::kTilt,     ViewCursor::kLensAngle,
    ViewCursor::kWidth, ViewCursor::kHeight,   ViewCursor::kKey,
};

int CountPixels(const QImage& image, bool (*test)(QRgb)) {
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            n += test(image.pixel(x, y)) ? 1 : 0;
    return n;
}

bool Black(QRgb p) {
    return qAlpha(p) == 255 && qRed(p) < 40 && qGreen(p) < 40 && qBlue(p) < 40;
}
bool White(QRgb p) {
    return qAlpha(p) == 255 && qRed(p) > 215 && qGreen(p) > 215 && qBlue(p) > 215;
}

}  // namespace

TEST(ViewCursors, EachDrawnAtEveryRatio) {
    std::vector<QImage> seen;
    for (const ViewCursor c : kDrawn) {
        const QPixmap one = ViewCursorPixmap(c, 1.0);
        const QPixmap two = ViewCursorPixmap(c, 2.0);
        ASSERT_EQ(one.size(), QSize(32, 32)) << int(c);
        ASSERT_EQ(two.size(), QSize(64, 64)) << int(c);
        EXPECT_EQ(two.devicePixelRatio(), 2.0) << int(c);
        const QImage a = one.toImage().convertToFormat(QImage::Format_ARGB32);
        const QImage b = two.toImage().convertToFormat(QImage::Format_ARGB32);
        // Black drawing with a white rim, on a clear ground.
        const int blackOne = CountPixels(a, Black), blackTwo = CountPixels(b, Black);
        EXPECT_GT(blackOne, 20) << int(c);
        EXPECT_GT(CountPixels(a, White), 20) << int(c);
        EXPECT_EQ(qAlpha(a.pixel(0, 0)), 0) << int(c);
        // At 2x the lines are drawn at the finer grid: about four times the ink, and not the
        // 1x picture enlarged.
        EXPECT_GT(blackTwo, blackOne * 2) << int(c);
        EXPECT_LT(blackTwo, blackOne * 7) << int(c);
        QImage enlarged = a.scaled(64, 64, Qt::IgnoreAspectRatio, Qt::FastTransformation);
        EXPECT_NE(enlarged, b) << int(c);
        for (const QImage& other : seen)
            EXPECT_NE(other, a) << int(c) << " looks like another cursor";
        seen.push_back(a);
        const QCursor cursor = MakeViewCursor(c, 2.0);
        EXPECT_EQ(cursor.hotSpot(), QPoint(16, 16)) << int(c);
        EXPECT_EQ(cursor.shape(), Qt::BitmapCursor) << int(c);
    }
    EXPECT_EQ(MakeViewCursor(ViewCursor::kArrow).shape(), Qt::ArrowCursor);
    EXPECT_TRUE(ViewCursorPixmap(ViewCursor::kArrow, 1.0).isNull());
}
