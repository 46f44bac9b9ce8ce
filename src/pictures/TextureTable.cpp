#include "TextureTable.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>

#include "Picture.h"
#include "Texels.h"
#include "model/Settings.h"
#include "model/ShowNode.h"

namespace quillon {

namespace {

const std::string kNoName;

std::string Numbered(std::string_view prefix, std::string_view name, int number) {
    std::string s;
    s.reserve(prefix.size() + name.size() + 12);
    s.append(prefix).append(name).append(std::to_string(number));
    return s;
}

}  // namespace

const std::string& TextureTable::Name(int i) const {
    return i >= 0 && i < kEntries ? names_[size_t(i)] : kNoName;
}

void TextureTable::Rename(int i, std::string name) {
    if (i >= 0 && i < kEntries) names_[size_t(i)] = std::move(name);
}

int TextureTable::Lookup(std::string_view name) {
    for (int i = 0; i < kOverflowEntry; ++i)
        if (names_[size_t(i)] == name) return i;
    const int number = textureCount_;
    names_[size_t(number)] = std::string(name);
    textureCount_ = std::min(textureCount_ + 1, kOverflowEntry);
    return number;
}

int TextureTable::ReserveMovieSlots(std::string_view fileName, int frameCount) {
    // A movie loaded again finds the entries its frames were uploaded under and marks them
    // for upload once more.
    int first = -1;
    for (int i = 0; i < textureCount_; ++i) {
        if (names_[size_t(i)] != Numbered("", fileName, i)) continue;
        names_[size_t(i)] = Numbered("~", fileName, i);
        if (first < 0) first = i;
    }
    if (first >= 0) return first;
    if (frameCount < 1) return textureCount_;
    first = textureCount_;
    for (int k = 0; k < frameCount && textureCount_ < kMovieEntryLimit; ++k)
        names_[size_t(textureCount_++)] = Numbered("~", fileName, k);
    return first;
}

void TextureTable::DeleteTextures(int from, int to) {
    from = std::clamp(from, 0, kOverflowEntry);
    to = std::clamp(to, 0, kOverflowEntry);
    for (int i = from; i < to; ++i) {
        names_[size_t(i)].clear();
        uploader_.Delete(i);
    }
}

void TextureTable::Reset() {
    DeleteTextures(0, kOverflowEntry);
    textureCount_ = 0;
}

TextureTable::Upload TextureTable::UploadPicture(std::string_view name, const Picture& picture,
                                                 int32_t keyColor, TextureRounding rounding,
                                                 const DocumentSettings& settings) {
    if (!picture.HasBuffers()) return {};
    const int maxSize = uploader_.MaxTextureSize();
    Upload up;
    up.width = TextureDimension(picture.Width(), rounding, maxSize);
    up.height = TextureDimension(picture.Height(), rounding, maxSize);
    // Every texel is written by FillTexels, so the buffer is not cleared first.
    const size_t bytes = size_t(up.width) * size_t(up.height) * 4;
    std::unique_ptr<uint8_t[]> texels(new (std::nothrow) uint8_t[bytes]);
    if (!texels || !FillTexels(picture, up.width, up.height, texels.get(), keyColor)) return {};
    if (settings.featherActors && picture.BitCount() < 32)
        FeatherEdges(up.width, up.height, texels.get());
    up.number = Lookup(name);
    uploader_.Upload(
        up.number % kTiledReference, up.width, up.height, texels.get(),
        UploadOptions{.filtering = settings.filtering, .mipMapped = settings.mipMapped});
    return up;
}

int TextureTable::UploadTexture(ShowNode& actor, const Picture& picture,
                                const DocumentSettings& settings) {
    const Upload up = UploadPicture(actor.GetFileName(), picture, actor.keyColor,
                                    TextureRounding::kSmallestNotBelow, settings);
    if (up.number < 0) return -1;
    actor.textureSlot = up.number;
    actor.aspect = static_cast<float>(up.height) / static_cast<float>(up.width);
    if (!actor.keys.empty()) {
        KeyFrame& first = actor.keys[0];
        if (settings.rostrumMode) {
            first.width() = static_cast<float>(up.width);
            first.height() = static_cast<float>(up.width) * actor.aspect;
        } else {
            first.height() = first.width() * actor.aspect;
        }
    }
    actor.pictureWidth = static_cast<uint16_t>(picture.Width());
    return up.number;
}

int TextureTable::UploadTexture(SetPanel& panel, const Picture& picture,
                                const DocumentSettings& settings) {
    const std::string_view name(panel.imagePath, strnlen(panel.imagePath, kPanelPathBytes));
    const Upload up = UploadPicture(name, picture, panel.keyColor,
                                    settings.rostrumMode ? TextureRounding::kSmallestNotBelow
                                                         : TextureRounding::kLargestNotAbove,
                                    settings);
    if (up.number < 0) return -1;
    panel.textureSlot = static_cast<int16_t>(up.number);
    return up.number;
}

}  // namespace quillon
