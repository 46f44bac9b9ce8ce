#include "BoardPictures.h"

#include <algorithm>
#include <cstring>

#include "model/Document.h"

namespace quillon {

QImage RenderedBoardPictures::Picture(int frame) {
    if (!doc_.SceneAt(frame) || size_.isEmpty()) return {};
    doc_.UpdateViewsAtFrame(frame, Refresh::kNone);
    source_.RenderFrame(false);
    const int w = size_.width(), h = size_.height();
    pixels_.resize(size_t(w) * size_t(h) * 4);
    if (!source_.ReadPixels(w, h, pixels_.data())) return {};
    QImage image(size_, QImage::Format_RGB32);
    // Rows come bottom up; blue, green, red, alpha bytes are RGB32 on a little-endian machine.
    for (int y = 0; y < h; ++y)
        std::memcpy(image.scanLine(h - 1 - y), pixels_.data() + size_t(y) * size_t(w) * 4,
                    size_t(w) * 4);
    return image;
}

QSize PictureSizeFor(QSize box, int maxSide) {
    const int w = std::max(1, box.width()), h = std::max(1, box.height());
    const int longest = std::max(w, h);
    if (longest <= maxSide) return {w, h};
    return {std::max(1, int(int64_t(w) * maxSide / longest)),
            std::max(1, int(int64_t(h) * maxSide / longest))};
}

}  // namespace quillon
