#include "RecordingTextureUploader.h"

#include <cstddef>

namespace quillon {

void RecordingTextureUploader::Upload(int textureNumber, int width, int height,
                                      const uint8_t* rgbaTexels, const UploadOptions& options) {
    Texture& t = textures_[textureNumber];
    t.width = width;
    t.height = height;
    t.options = options;
    const size_t bytes = size_t(width) * size_t(height) * 4;
    t.texels.assign(rgbaTexels, rgbaTexels + bytes);
    ++t.uploads;
    ++uploadCount_;
}

void RecordingTextureUploader::Delete(int textureNumber) {
    ++deleteCount_;
    textures_.erase(textureNumber);
}

const RecordingTextureUploader::Texture* RecordingTextureUploader::Find(int textureNumber) const {
    const auto it = textures_.find(textureNumber);
    return it == textures_.end() ? nullptr : &it->second;
}

}  // namespace quillon
