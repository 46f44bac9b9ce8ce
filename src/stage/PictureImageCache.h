#pragma once
// Images of the actors' pictures for drawing on the plan, made once per media object instead of
// at every paint (turning a large artwork into an image takes far longer than drawing it).
// Entries follow their media's lifetime: a picture loaded again is a new media object and gets
// a new image; entries of media that are gone are dropped by Prune. Pictures over kMaxSide on a
// side are kept reduced to fit: on the plan they are drawn far smaller than that.

#include <QImage>
#include <memory>
#include <unordered_map>

#include "model/ShowNode.h"

namespace quillon {

class PictureImageCache {
  public:
    static constexpr int kMaxSide = 2048;

    // The image of a picture media, or null when the media holds no picture.
    const QImage* ImageFor(const std::shared_ptr<NodeMedia>& media);
    // Forgets the images of media no node holds any more.
    void Prune();
    int size() const { return static_cast<int>(entries_.size()); }

  private:
    struct Entry {
        std::weak_ptr<NodeMedia> media;
        QImage image;
    };
    std::unordered_map<const NodeMedia*, Entry> entries_;
};

}  // namespace quillon
