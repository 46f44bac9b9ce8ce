#pragma once
// A TextureUploader that keeps each texture's texels in memory instead of handing them to a
// graphics card: the texture side of headless runs (quillon-cli, tests, render-farm checks of
// what a picture becomes). It does real work, holding exactly what a GL upload would receive,
// with a maximum texture size chosen by its owner.

#include <cstdint>
#include <map>
#include <vector>

#include "TextureUploader.h"

namespace quillon {

class RecordingTextureUploader final : public TextureUploader {
  public:
    // No picture is wider or taller than 4096, so by default nothing is ever cropped.
    static constexpr int kDefaultMaxTextureSize = 4096;

    struct Texture {
        int width = 0;
        int height = 0;
        UploadOptions options;
        std::vector<uint8_t> texels;  // width x height x 4, rows bottom up
        int uploads = 0;              // how many times this number was filled
    };

    explicit RecordingTextureUploader(int maxTextureSize = kDefaultMaxTextureSize)
        : maxTextureSize_(maxTextureSize) {}

    int MaxTextureSize() const override { return maxTextureSize_; }
    void SetMaxTextureSize(int size) { maxTextureSize_ = size; }
    void Upload(int textureNumber, int width, int height, const uint8_t* rgbaTexels,
                const UploadOptions& options) override;
    void Delete(int textureNumber) override;

    // The texture held under a number, or null when none is.
    const Texture* Find(int textureNumber) const;
    const std::map<int, Texture>& textures() const { return textures_; }
    int uploadCount() const { return uploadCount_; }
    int deleteCount() const { return deleteCount_; }

  private:
    int maxTextureSize_;
    std::map<int, Texture> textures_;
    int uploadCount_ = 0;
    int deleteCount_ = 0;
};

}  // namespace quillon
