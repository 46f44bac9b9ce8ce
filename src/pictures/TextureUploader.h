#pragma once
// Where finished texel buffers go. The monitor's OpenGL context implements this with real
// texture objects; RecordingTextureUploader keeps the buffers in memory for headless use. The
// texture table and the loaders talk to the graphics side only through this interface, so the
// picture library needs no GL.

#include <cstdint>

namespace quillon {

struct UploadOptions {
    bool filtering = true;   // linear magnification and minification; nearest when off
    bool mipMapped = false;  // build a mip-map chain instead of one level
    bool operator==(const UploadOptions&) const = default;
};

class TextureUploader {
  public:
    virtual ~TextureUploader() = default;
    // The largest texture side the graphics side accepts (GL_MAX_TEXTURE_SIZE), asked at every
    // upload because the context may change between uploads.
    virtual int MaxTextureSize() const = 0;
    // Makes texture textureNumber hold width x height RGBA texels, rows bottom up. The texels
    // are read during the call, not kept.
    virtual void Upload(int textureNumber, int width, int height, const uint8_t* rgbaTexels,
                        const UploadOptions& options) = 0;
    // Frees texture textureNumber; a number that holds nothing is left alone.
    virtual void Delete(int textureNumber) = 0;
};

}  // namespace quillon
