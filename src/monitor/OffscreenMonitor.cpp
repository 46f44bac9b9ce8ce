#include "OffscreenMonitor.h"

#include <cstring>
#include <vector>

#include "model/Document.h"

namespace quillon {

std::unique_ptr<OffscreenMonitor> OffscreenMonitor::Create(Document& doc, int width, int height,
                                                           QString* error) {
    std::unique_ptr<OffscreenMonitor> made(new OffscreenMonitor(doc));
    made->context_ = OffscreenContext::Create(width, height, error);
    if (!made->context_) return nullptr;
    made->textures_ = std::make_unique<GlTextureUploader>();
    made->media_ = std::make_unique<PictureMediaLoader>(*made->textures_);
    made->renderer_ =
        std::make_unique<FrameRenderer>(doc, *made->media_, *made->textures_, *made->context_);
    doc.SetMediaLoader(made->media_.get());
    made->renderer_->UpdateSwapTicks();
    return made;
}

OffscreenMonitor::~OffscreenMonitor() {
    if (media_) doc_.SetMediaLoader(nullptr);
    if (context_) context_->MakeCurrent();
    renderer_.reset();
    media_.reset();
    textures_.reset();
    context_.reset();
}

bool OffscreenMonitor::DrawFrame(int frame) {
    context_->MakeCurrent();
    doc_.UpdateViewsAtFrame(frame);
    renderer_->RenderFrame(false);
    return renderer_->drewLastFrame();
}

QImage OffscreenMonitor::RenderImage(int frame) {
    if (!DrawFrame(frame)) return {};
    const QSize size = context_->ClientSize();
    std::vector<uint8_t> bgra(size_t(size.width()) * size.height() * 4);
    if (!renderer_->ReadPixels(size.width(), size.height(), bgra.data())) return {};
    QImage image(size, QImage::Format_RGB32);
    // GL rows run bottom up; QImage rows top down. BGRA bytes are RGB32 on little-endian.
    for (int y = 0; y < size.height(); ++y) {
        std::memcpy(image.scanLine(size.height() - 1 - y),
                    bgra.data() + size_t(y) * size.width() * 4, size_t(size.width()) * 4);
    }
    return image;
}

}  // namespace quillon
