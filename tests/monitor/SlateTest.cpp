// The batch slate: where its picture and the show's name land in drawing areas of any size.
#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>

#include "monitor/SlatePainter.h"

using namespace quillon;

namespace {

// The bounding box of the pixels that are not the slate's grey, inside rows [top, bottom).
QRect InkBetween(const QImage& image, int top, int bottom) {
    QRect box;
    for (int y = std::max(top, 0); y < std::min(bottom, image.height()); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixel(x, y) != qRgb(192, 192, 192)) box |= QRect(x, y, 1, 1);
    return box;
}

}  // namespace

TEST(Slate, PictureAndNameAroundTheCentre) {
    for (const bool rostrum : {false, true}) {
        const QImage picture = SlatePicture(rostrum);
        ASSERT_EQ(picture.size(), QSize(378, 200));
        for (const QSize size : {QSize(640, 480), QSize(1024, 768), QSize(401, 523)}) {
            QImage image(size, QImage::Format_RGB32);
            image.fill(Qt::red);
            {
                QPainter painter(&image);
                PaintSlate(painter, image.rect(), "intro", rostrum);
            }
            const QPoint c = image.rect().center();
            const std::string what =
                std::to_string(size.width()) + "x" + std::to_string(size.height());
            // Light grey wherever neither the picture nor the name is.
            EXPECT_EQ(image.pixel(0, 0), qRgb(192, 192, 192)) << what;
            EXPECT_EQ(image.pixel(size.width() - 1, size.height() - 1), qRgb(192, 192, 192))
                << what;
            // The picture exactly where its top left corner goes.
            EXPECT_EQ(image.copy(c.x() - 189, c.y() - 100, 378, 200), picture) << what;
            // The name: below the picture, starting no higher than 120 below the centre,
            // centred within a pixel or two.
            const QRect name = InkBetween(image, c.y() + 100, size.height());
            ASSERT_FALSE(name.isEmpty()) << what;
            EXPECT_GE(name.top(), c.y() + 120) << what;
            EXPECT_LE(name.top(), c.y() + 120 + 12) << what;
            EXPECT_NEAR(name.center().x(), c.x(), 3) << what;
            // Large text: capitals of the large dialog font are well above ten pixels.
            EXPECT_GT(name.height(), 10) << what;
            EXPECT_LE(name.bottom(), c.y() + 120 + 24 + 4) << what;
        }
    }
    // The two modes have pictures of their own.
    EXPECT_NE(SlatePicture(false), SlatePicture(true));
}

TEST(Slate, NamesAreWrittenInCapitals) {
    QImage lower(640, 480, QImage::Format_RGB32), upper(640, 480, QImage::Format_RGB32);
    {
        QPainter a(&lower), b(&upper);
        PaintSlate(a, lower.rect(), "intro take", false);
        PaintSlate(b, upper.rect(), "INTRO TAKE", false);
    }
    EXPECT_EQ(lower, upper);
}
