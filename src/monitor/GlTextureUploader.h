#pragma once
// The texture uploader of a real OpenGL context. The texture table numbers textures 0 to 256;
// each number is bound to a texture object this uploader generated, so that our textures never
// take names another user of a shared context (Qt's compositor) has generated. Made, used and
// released with its context current.

#include <array>

#include "pictures/TextureUploader.h"

namespace quillon {

class GlTextureUploader final : public TextureUploader {
  public:
    static constexpr int kNames = 257;

    // Generates the texture objects; the context must be current.
    GlTextureUploader();
    // Deletes the texture objects; the context must still be current (Release first when the
    // context may be gone by then).
    ~GlTextureUploader() override;
    GlTextureUploader(const GlTextureUploader&) = delete;
    GlTextureUploader& operator=(const GlTextureUploader&) = delete;

    // The texture object of texture number i (taken modulo 1000, as references are); 0 (no
    // texture) outside 0..256 or once released.
    unsigned Name(int i) const;
    // Deletes every texture object; later uploads are ignored.
    void Release();

    int MaxTextureSize() const override;
    // GL_RGBA8 texels, clamped at the edges, modulated by the quad colour, linear or nearest,
    // mip-mapped through gluBuild2DMipmaps when asked.
    void Upload(int textureNumber, int width, int height, const uint8_t* rgbaTexels,
                const UploadOptions& options) override;
    // Drops the texels; the object keeps its number for the next upload.
    void Delete(int textureNumber) override;

  private:
    std::array<unsigned, kNames> names_{};
    bool released_ = false;
};

}  // namespace quillon
