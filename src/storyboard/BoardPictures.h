#pragma once
// Camera pictures for the storyboard's image boxes: the document's frame rendered by a frame
// source (the offscreen monitor on the command line, a framebuffer in the monitor's context in
// the window) into a picture of its own size. Never a grab of the screen.

#include <QImage>
#include <QSize>
#include <vector>

#include "output/MovieMaker.h"

namespace quillon {

class Document;

class BoardPictureSource {
  public:
    virtual ~BoardPictureSource() = default;
    // The active camera's picture of frame; a null image when no scene holds the frame or the
    // picture cannot be read. The document's current frame is left at frame.
    virtual QImage Picture(int frame) = 0;
};

// Over a frame source that renders at size (the image box's aspect). Neither is owned.
class RenderedBoardPictures final : public BoardPictureSource {
  public:
    RenderedBoardPictures(Document& doc, MovieFrameSource& source, QSize size)
        : doc_(doc), source_(source), size_(size) {}
    QImage Picture(int frame) override;

  private:
    Document& doc_;
    MovieFrameSource& source_;
    QSize size_;
    std::vector<uint8_t> pixels_;
};

// The size to render a picture for an image box at: the box's own size, scaled down to at most
// maxSide pixels a side with the box's aspect kept.
QSize PictureSizeFor(QSize box, int maxSide);

}  // namespace quillon
