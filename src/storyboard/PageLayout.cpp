#include "PageLayout.h"

#include <algorithm>

namespace quillon {

namespace {

// The page loop visits at most this many cells on a page.
constexpr int kMaxCells = 32;

}  // namespace

PageLayout PageLayout::Make(const StoryboardOptions& options, int pageWidth, int pageHeight,
                            int dpiY, double aspectRatio) {
    PageLayout l;
    l.options = options;
    const int perRow = options.framesPerRow == 2 ? 2 : 4;
    l.options.framesPerRow = perRow;
    l.pageWidth = std::max(1, pageWidth);
    l.pageHeight = std::max(1, pageHeight);
    l.margin = l.pageWidth / 30;
    l.gap = std::max(l.margin / 4, l.margin / (perRow / 2));
    l.imageWidth = std::max(1, (l.pageWidth - 2 * l.margin - (perRow - 1) * l.gap) / perRow);
    l.imageHeight = std::max(1, static_cast<int>(l.imageWidth * aspectRatio));
    const bool pictures = options.showImages || options.showBlocking;
    l.rowHeight = l.margin / 2;
    if (pictures) l.rowHeight += l.imageHeight;
    if (options.showCaptions) l.rowHeight += l.imageHeight / 3 + l.gap / 2;
    l.rowHeight = std::max(1, l.rowHeight);
    l.framesPerPage = perRow * (l.pageHeight / l.rowHeight);
    if (options.showBlocking) l.framesPerPage /= 2;
    l.cellsPerRow = options.showImages && options.showBlocking ? perRow / 2 : perRow;
    l.captionPoints = perRow == 2 ? 9 : 8;
    l.captionPixels = std::max(1, l.captionPoints * dpiY / 72);

    // The cells the page loop fits: the first row always, then each further row while its
    // bottom stays above the bottom margin, at most 32 cells. Frames per page can disagree
    // with it: it halves whenever blocking is shown while a row holds fewer cells only when
    // images are shown too, and the loop starts two margins down and stops a margin above the
    // bottom, which frames per page does not count. Paging by frames per page would then skip
    // entries the loop had no room for (or draw some twice), so entries are paged by what the
    // loop fits: every entry is drawn exactly once.
    const int step = l.RowStep();
    int cells = 0;
    int y = 2 * l.margin;
    for (int i = 0; i < kMaxCells; ++i) {
        if (i > 0 && i % l.cellsPerRow == 0) {
            const int oldY = y;
            y += step;
            if (l.pageHeight - l.margin < 2 * y - oldY) break;
        }
        ++cells;
    }
    l.cellsPerPage = cells;
    return l;
}

int PageLayout::RowStep() const {
    int step = gap;
    if (options.showImages || options.showBlocking) step += imageHeight;
    if (options.showCaptions) step += imageHeight / 3 + gap / 2;
    return step;
}

int PageLayout::PageCount(int entries) const {
    return std::max(0, entries) / std::max(1, cellsPerPage) + 1;
}

CellBoxes PageLayout::Cell(int i) const {
    const int row = i / cellsPerRow;
    const int column = i % cellsPerRow;
    // Across a row x grows by image width + gap for the picture and again for the blocking
    // diagram. Captions alone still take a picture's width each, so they do not pile up.
    int across = 0;
    if (options.showImages) across += imageWidth + gap;
    if (options.showBlocking) across += imageWidth + gap;
    if (across == 0) across = imageWidth + gap;
    const int x = margin + column * across;
    const int y = 2 * margin + row * RowStep();
    CellBoxes c;
    c.blocking = QRect(x, y, imageWidth, imageHeight);
    c.image = options.showBlocking ? c.blocking.translated(imageWidth + gap, 0) : c.blocking;
    c.caption = QRect(x, y + imageHeight + gap / 2, c.image.right() + 1 - x, imageHeight / 3);
    return c;
}

QString FooterDate(QDate date) {
    return QStringLiteral("%1/%2/%3").arg(date.month()).arg(date.day()).arg(date.year() % 100);
}

QString FooterPageText(int page, int pages) {
    return QStringLiteral("Page %1 of %2").arg(page).arg(pages);
}

}  // namespace quillon
