#pragma once
// A picture owned by a show node as its media: rostrum actors keep their whole artwork this
// way, and the renderer and storyboards draw from it. The node (and the undo snapshots that
// share it) own the PictureMedia, which owns the Picture.
//
// The media's size is the image's own size in its file (sourceWidth x sourceHeight), not the
// buffer's, which a loading step may have rounded up: moves are fitted to the artwork.
//
// Picture itself does not derive from NodeMedia: its Width(step) and Height(step) report the
// buffer and would clash with the media's size, and the model's media interface should not
// reach into every picture the program makes (dialog previews, scratch pictures, tiles).

#include "Picture.h"
#include "model/ShowNode.h"

namespace quillon {

class PictureMedia final : public NodeMedia {
  public:
    int Width() const override { return picture.sourceWidth; }
    int Height() const override { return picture.sourceHeight; }

    Picture picture;
};

}  // namespace quillon
