#include "GlTextureUploader.h"

#include <GL/gl.h>
#include <GL/glu.h>

namespace quillon {

GlTextureUploader::GlTextureUploader() {
    glGenTextures(kNames, names_.data());
}

GlTextureUploader::~GlTextureUploader() {
    Release();
}

void GlTextureUploader::Release() {
    if (released_) return;
    glDeleteTextures(kNames, names_.data());
    names_.fill(0);
    released_ = true;
}

unsigned GlTextureUploader::Name(int i) const {
    if (i < 0) return 0;
    i %= 1000;
    return i < kNames ? names_[i] : 0;
}

int GlTextureUploader::MaxTextureSize() const {
    GLint size = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &size);
    return size;
}

void GlTextureUploader::Upload(int textureNumber, int width, int height, const uint8_t* rgbaTexels,
                               const UploadOptions& options) {
    const unsigned name = Name(textureNumber);
    if (name == 0 || width <= 0 || height <= 0 || rgbaTexels == nullptr) return;
    glEnable(GL_TEXTURE_2D);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glBindTexture(GL_TEXTURE_2D, name);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    const GLint filter = options.filtering ? GL_LINEAR : GL_NEAREST;
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, filter);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, filter);
    glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
    if (options.mipMapped) {
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER,
                        options.filtering ? GL_LINEAR_MIPMAP_NEAREST : GL_NEAREST_MIPMAP_NEAREST);
        gluBuild2DMipmaps(GL_TEXTURE_2D, GL_RGBA8, width, height, GL_RGBA, GL_UNSIGNED_BYTE,
                          rgbaTexels);
    } else {
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, width, height, 0, GL_RGBA, GL_UNSIGNED_BYTE,
                     rgbaTexels);
    }
}

void GlTextureUploader::Delete(int textureNumber) {
    const unsigned name = Name(textureNumber);
    if (name == 0) return;
    // Deleting and regenerating could hand the number another object; an empty level keeps the
    // object and frees its texels.
    glBindTexture(GL_TEXTURE_2D, name);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, 0, 0, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
    glBindTexture(GL_TEXTURE_2D, 0);
}

}  // namespace quillon
