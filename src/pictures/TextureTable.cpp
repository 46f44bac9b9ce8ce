#include "TextureTable.h"

#include <sys/stat.h>

#include <QFile>
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

std::optional<FileStamp> FileStamp::Of(const QString& path) {
    struct stat st;
    if (::stat(QFile::encodeName(path).constData(), &st) != 0 || !S_ISREG(st.st_mode))
        return std::nullopt;
    FileStamp stamp;
    stamp.modified = int64_t(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    stamp.bytes = st.st_size;
    stamp.device = st.st_dev;
    stamp.inode = st.st_ino;
    return stamp;
}

const std::string& TextureTable::Name(int i) const {
    return i >= 0 && i < kEntries ? names_[size_t(i)] : kNoName;
}

void TextureTable::Rename(int i, std::string name) {
    if (i < 0 || i >= kEntries) return;
    names_[size_t(i)] = std::move(name);
    made_[size_t(i)].reset();
}

int TextureTable::Find(std::string_view name) const {
    for (int i = 0; i < kOverflowEntry; ++i)
        if (names_[size_t(i)] == name) return i;
    return -1;
}

int TextureTable::Lookup(std::string_view name) {
    if (const int found = Find(name); found >= 0) return found;
    const int number = textureCount_;
    names_[size_t(number)] = std::string(name);
    made_[size_t(number)].reset();
    textureCount_ = std::min(textureCount_ + 1, kOverflowEntry);
    return number;
}

int TextureTable::ReserveMovieSlots(std::string_view fileName, int frameCount) {
    // A movie loaded again finds the entries its frames were uploaded under and marks them
    // for upload once more.
    int first = -1;
    for (int i = 0; i < textureCount_; ++i) {
        if (names_[size_t(i)] != Numbered("", fileName, i)) continue;
        Rename(i, Numbered("~", fileName, i));
        if (first < 0) first = i;
    }
    if (first >= 0) return first;
    if (frameCount < 1) return textureCount_;
    first = textureCount_;
    for (int k = 0; k < frameCount && textureCount_ < kMovieEntryLimit; ++k)
        Rename(textureCount_++, Numbered("~", fileName, k));
    return first;
}

void TextureTable::DeleteTextures(int from, int to) {
    from = std::clamp(from, 0, kOverflowEntry);
    to = std::clamp(to, 0, kOverflowEntry);
    for (int i = from; i < to; ++i) {
        Rename(i, std::string());
        uploader_.Delete(i);
    }
}

void TextureTable::Reset() {
    DeleteTextures(0, kOverflowEntry);
    textureCount_ = 0;
}

TextureTable::Making TextureTable::MakingFor(int32_t keyColor, TextureRounding rounding,
                                             int pictureBits,
                                             const DocumentSettings& settings) const {
    Making m;
    m.keyColor = keyColor;
    m.rounding = rounding;
    m.maxTextureSize = uploader_.MaxTextureSize();
    // Feathering softens keyed edges of pictures without an alpha channel of their own.
    m.feathered = settings.featherActors && pictureBits < 32;
    m.options = UploadOptions{.filtering = settings.filtering, .mipMapped = settings.mipMapped};
    return m;
}

TextureTable::Upload TextureTable::UploadPicture(std::string_view name, const Picture& picture,
                                                 int32_t keyColor, TextureRounding rounding,
                                                 const DocumentSettings& settings,
                                                 const std::optional<TextureSource>& source) {
    if (!picture.HasBuffers()) return {};
    const Making making = MakingFor(keyColor, rounding, picture.BitCount(), settings);
    Upload up;
    up.width = TextureDimension(picture.Width(), rounding, making.maxTextureSize);
    up.height = TextureDimension(picture.Height(), rounding, making.maxTextureSize);
    // Every texel is written by FillTexels, so the buffer is not cleared first.
    const size_t bytes = size_t(up.width) * size_t(up.height) * 4;
    std::unique_ptr<uint8_t[]> texels(new (std::nothrow) uint8_t[bytes]);
    if (!texels || !FillTexels(picture, up.width, up.height, texels.get(), keyColor)) return {};
    if (making.feathered) FeatherEdges(up.width, up.height, texels.get());
    up.number = Lookup(name);
    uploader_.Upload(up.number % kTiledReference, up.width, up.height, texels.get(),
                     making.options);
    std::optional<Made>& made = made_[size_t(up.number)];
    made.reset();
    if (source)
        made = Made{*source, making, up, picture.Width(), picture.Height(), picture.BitCount()};
    return up;
}

const TextureTable::Made* TextureTable::FindMade(std::string_view name, const TextureSource& source,
                                                 int32_t keyColor, TextureRounding rounding,
                                                 const DocumentSettings& settings) const {
    const int number = Find(name);
    if (number < 0) return nullptr;
    const std::optional<Made>& made = made_[size_t(number)];
    if (!made || made->source != source ||
        made->making != MakingFor(keyColor, rounding, made->pictureBits, settings))
        return nullptr;
    return &*made;
}

void TextureTable::GiveActor(ShowNode& actor, const Upload& up, int pictureWidth,
                             const DocumentSettings& settings) {
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
    actor.pictureWidth = static_cast<uint16_t>(pictureWidth);
}

int TextureTable::UploadTexture(ShowNode& actor, const Picture& picture,
                                const DocumentSettings& settings,
                                const std::optional<TextureSource>& source) {
    const Upload up = UploadPicture(actor.GetFileName(), picture, actor.keyColor,
                                    TextureRounding::kSmallestNotBelow, settings, source);
    if (up.number < 0) return -1;
    GiveActor(actor, up, picture.Width(), settings);
    return up.number;
}

namespace {

std::string_view PanelName(const SetPanel& panel) {
    return std::string_view(panel.imagePath, strnlen(panel.imagePath, kPanelPathBytes));
}

TextureRounding PanelRounding(const DocumentSettings& settings) {
    return settings.rostrumMode ? TextureRounding::kSmallestNotBelow
                                : TextureRounding::kLargestNotAbove;
}

}  // namespace

int TextureTable::UploadTexture(SetPanel& panel, const Picture& picture,
                                const DocumentSettings& settings,
                                const std::optional<TextureSource>& source) {
    const Upload up = UploadPicture(PanelName(panel), picture, panel.keyColor,
                                    PanelRounding(settings), settings, source);
    if (up.number < 0) return -1;
    panel.textureSlot = static_cast<int16_t>(up.number);
    return up.number;
}

int TextureTable::ReuseTexture(ShowNode& actor, const TextureSource& source,
                               const DocumentSettings& settings) {
    const Made* made = FindMade(actor.GetFileName(), source, actor.keyColor,
                                TextureRounding::kSmallestNotBelow, settings);
    if (!made) return -1;
    GiveActor(actor, made->upload, made->pictureWidth, settings);
    return made->upload.number;
}

int TextureTable::ReuseTexture(SetPanel& panel, const TextureSource& source,
                               const DocumentSettings& settings) {
    const Made* made =
        FindMade(PanelName(panel), source, panel.keyColor, PanelRounding(settings), settings);
    if (!made) return -1;
    panel.textureSlot = static_cast<int16_t>(made->upload.number);
    return made->upload.number;
}

std::pair<int, int> TextureTable::PictureSize(int number) const {
    if (number < 0 || number >= kEntries || !made_[size_t(number)]) return {0, 0};
    const Made& made = *made_[size_t(number)];
    return {made.pictureWidth, made.pictureHeight};
}

}  // namespace quillon
