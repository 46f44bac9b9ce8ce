#include "PictureImageCache.h"

#include "pictures/PictureMedia.h"

namespace quillon {

const QImage* PictureImageCache::ImageFor(const std::shared_ptr<NodeMedia>& media) {
    const auto* pictureMedia = dynamic_cast<const PictureMedia*>(media.get());
    if (!pictureMedia) return nullptr;
    auto it = entries_.find(media.get());
    // The same address may now hold another media object: the old one's entry has expired.
    if (it != entries_.end() && it->second.media.lock() == media) return &it->second.image;
    QImage image = pictureMedia->picture.ToImage();
    if (image.isNull()) return nullptr;
    if (image.width() > kMaxSide || image.height() > kMaxSide)
        image = image.scaled(kMaxSide, kMaxSide, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    image = image.convertToFormat(QImage::Format_RGB32);
    Entry& entry = entries_[media.get()];
    entry.media = media;
    entry.image = std::move(image);
    return &entry.image;
}

void PictureImageCache::Prune() {
    std::erase_if(entries_, [](const auto& e) { return e.second.media.expired(); });
}

}  // namespace quillon
