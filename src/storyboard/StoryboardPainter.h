#pragma once
// Storyboard pages drawn with a QPainter on any paged device (a printer, a print preview's
// printer or a PDF writer): the footer, then for each entry of the page its blocking diagram,
// camera picture and caption. The document's caption entries are the storyboard; drawing moves
// the document's current frame to each entry's frame without redrawing the views, and
// PrintStoryboard puts it back at the end.

#include <QFont>
#include <functional>

#include "PageLayout.h"

class QPainter;
class QPagedPaintDevice;
class QPaintDevice;

namespace quillon {

class BoardPictureSource;
class Document;

// The layout for the paint area of device (its width, height and vertical resolution) and the
// document's aspect ratio.
PageLayout LayoutForDevice(const QPaintDevice& device, const Document& doc,
                           const StoryboardOptions& options);

class StoryboardPainter {
  public:
    // pictures may be null (no camera pictures, the image boxes framed only).
    StoryboardPainter(Document& doc, const PageLayout& layout, BoardPictureSource* pictures);

    int pageCount() const;
    // Draws page (from 1) with painter, which paints on a device of the layout's size.
    void DrawPage(QPainter& painter, int page);
    // The lines of a cell's caption as DrawPage writes them (for a preview of one cell and the
    // tests): at most 2 lines, 4 with 2 frames per row.
    QStringList CaptionLines(const QString& text, QPaintDevice* device) const;

  private:
    void DrawFooter(QPainter& painter, int page);
    void DrawCaption(QPainter& painter, QRect box, const QString& text);

    Document& doc_;
    PageLayout layout_;
    BoardPictureSource* pictures_;
    QFont font_;
};

// Called after each page with the page done and the page count; false stops the run.
using StoryboardProgress = std::function<bool(int page, int pages)>;

// Draws every page on device, a new page before each but the first. False when the painter
// cannot start on the device or progress stopped the run. The current frame is restored.
bool PrintStoryboard(QPagedPaintDevice& device, Document& doc, const PageLayout& layout,
                     BoardPictureSource* pictures, const StoryboardProgress& progress = {});

}  // namespace quillon
