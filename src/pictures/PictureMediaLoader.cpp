#include "PictureMediaLoader.h"

#include <QRect>
#include <algorithm>
#include <climits>
#include <cstring>
#include <memory>
#include <string>
#include <tuple>

#include "MovieSource.h"
#include "PictureMedia.h"
#include "Texels.h"
#include "model/Document.h"
#include "model/Paths.h"

namespace quillon {

namespace {

bool IsMovieName(const QString& path) {
    return path.contains(QLatin1String(".avi"), Qt::CaseSensitive) ||
           path.contains(QLatin1String(".AVI"), Qt::CaseSensitive);
}

bool PowerOfTwoWithin(int v, int low, int high) {
    return v >= low && v <= high && (v & (v - 1)) == 0;
}

}  // namespace

std::optional<int> PictureMediaLoader::MovieFrameCount(const QString& path) {
    MovieSource movie;
    Picture scratch;
    const int frames = movie.Open(path, &scratch);
    if (frames <= 0) return std::nullopt;
    return frames;
}

bool PictureMediaLoader::AssignActorPicture(Document& doc, const QString& path, ShowNode& actor,
                                            bool interactive) {
    WaitCursor wait(doc.host());
    if (doc.rostrumMode()) return AssignRostrum(doc, path, actor, interactive);
    if (IsMovieName(path)) return AssignMovie(path, actor);
    return AssignStill(doc, path, actor, interactive);
}

bool PictureMediaLoader::AssignMovie(const QString& path, ShowNode& actor) {
    // The movie is opened only for its size and length; each frame is uploaded by the renderer
    // the first time it is shown.
    MovieSource movie;
    const int frames = movie.Open(path, nullptr);
    const int width = movie.width();
    const int height = movie.height();
    movie.Close();
    if (frames < 1) return false;

    constexpr auto kDown = TextureRounding::kLargestNotAbove;
    actor.aspect = static_cast<float>(TextureDimension(height, kDown, INT_MAX)) /
                   static_cast<float>(TextureDimension(width, kDown, INT_MAX));
    if (!actor.keys.empty()) actor.keys[0].height() = actor.keys[0].width() * actor.aspect;
    actor.pictureWidth = static_cast<uint16_t>(width);
    const std::string name = ToRecordText(path);
    actor.textureSlot = textures_.ReserveMovieSlots(name, frames) + TextureTable::kTiledReference;
    actor.SetFileName(name);
    return true;
}

bool PictureMediaLoader::Decode(Picture& picture, const QString& path,
                                const PictureLoadOptions& options, Document& doc) {
    ++decodeCount_;
    return picture.Load(path, options, &doc.host());
}

bool PictureMediaLoader::AssignStill(Document& doc, const QString& path, ShowNode& actor,
                                     bool interactive) {
    const std::optional<FileStamp> stamp = FileStamp::Of(path);
    std::optional<TextureSource> source;
    if (stamp) source = TextureSource{.file = *stamp};
    int width = 0, height = 0;
    const int shared = source ? textures_.ReuseTexture(actor, *source, doc.settings()) : -1;
    if (shared >= 0) {
        std::tie(width, height) = textures_.PictureSize(shared);
    } else {
        if (!Decode(scratch_, path, {.showErrors = interactive}, doc)) return false;
        width = scratch_.Width();
        height = scratch_.Height();
    }
    if (interactive) {
        // Both are warnings only: the texture is cropped, or padded with empty texels.
        const int maxSize = textures_.uploader().MaxTextureSize();
        if (width > maxSize || height > maxSize)
            doc.ShowError(QString::fromLatin1(kMessageImageTooBig), maxSize);
        if (!PowerOfTwoWithin(width, 32, maxSize) || !PowerOfTwoWithin(height, 32, maxSize))
            doc.ShowError(QString::fromLatin1(kMessageNotPowerOfTwo));
    }
    if (shared < 0) textures_.UploadTexture(actor, scratch_, doc.settings(), source);
    return true;
}

std::shared_ptr<PictureMedia> PictureMediaLoader::Artwork(Document& doc, const QString& path,
                                                          int tile,
                                                          const std::optional<FileStamp>& stamp,
                                                          bool interactive) {
    const std::string name = ToRecordText(path);
    if (stamp) {
        const auto found = artwork_.find(name);
        if (found != artwork_.end() && found->second.stamp == *stamp &&
            found->second.tile == tile) {
            if (auto media = found->second.media.lock()) return media;
        }
    }
    auto media = std::make_shared<PictureMedia>();
    Picture& artwork = media->picture;
    // The buffer becomes a whole number of tiles each way, the artwork at its top.
    if (!Decode(artwork, path, {.showErrors = interactive, .sizeStep = tile}, doc)) return nullptr;
    artwork.CompressToVideoLevels();
    std::erase_if(artwork_, [](const auto& entry) { return entry.second.media.expired(); });
    if (stamp) artwork_[name] = SharedArtwork{media, *stamp, tile};
    return media;
}

bool PictureMediaLoader::AssignRostrum(Document& doc, const QString& path, ShowNode& actor,
                                       bool interactive) {
    const int tile = std::min(textures_.uploader().MaxTextureSize(), kRostrumTile);

    const bool replacing = actor.media != nullptr;
    int oldWidth = 0, oldHeight = 0;
    if (replacing) {
        oldWidth = actor.media->Width();
        oldHeight = actor.media->Height();
        actor.media.reset();  // undo snapshots keep their own reference
    }

    const std::optional<FileStamp> stamp = FileStamp::Of(path);
    const std::shared_ptr<PictureMedia> media = Artwork(doc, path, tile, stamp, interactive);
    if (!media) return false;
    actor.media = media;
    const Picture& artwork = media->picture;

    const int bufferWidth = artwork.Width();
    const int bufferHeight = artwork.Height();
    const int rows = (bufferHeight + tile - 1) / tile;
    const int columns = (bufferWidth + tile - 1) / tile;
    int tileWidth = tile, tileHeight = tile, overlap = kTileOverlap;
    if (rows == 1 && columns == 1) {
        tileWidth = TextureDimension(bufferWidth, TextureRounding::kSmallestNotBelow, INT_MAX);
        tileHeight = TextureDimension(bufferHeight, TextureRounding::kSmallestNotBelow, INT_MAX);
        overlap = 0;
    }

    // Tiles in row-major order from the top of the artwork, each uploaded under the file name
    // followed by its index, unless the texture of that name already holds it.
    const std::string name = ToRecordText(path);
    std::optional<TextureSource> source;
    if (stamp) source = TextureSource{.file = *stamp, .rostrumTile = tile};
    Picture piece;
    int first = -1;
    for (int r = 0; r < rows; ++r) {
        for (int c = 0; c < columns; ++c) {
            const QRect area((tileWidth - overlap) * c - overlap,
                             (tileHeight - overlap) * r - overlap, tileWidth, tileHeight);
            actor.SetFileName(name + std::to_string(c + r * columns));
            int number = source ? textures_.ReuseTexture(actor, *source, doc.settings()) : -1;
            if (number < 0 && artwork.CopyRect(piece, area))
                number = textures_.UploadTexture(actor, piece, doc.settings(), source);
            if (number < 0) {
                actor.SetFileName(name);
                actor.media.reset();
                return false;
            }
            if (r == 0 && c == 0) first = number;
        }
    }
    actor.textureSlot = first + rows * 1000 + columns * 10000 - 11000;
    actor.SetFileName(name);
    actor.aspect = static_cast<float>(tileHeight * rows) / static_cast<float>(tileWidth * columns);
    if (!actor.keys.empty()) {
        actor.keys[0].width() = static_cast<float>(tileWidth * columns);
        actor.keys[0].height() = static_cast<float>(tileHeight * rows);
    }
    actor.pictureWidth = static_cast<uint16_t>(bufferWidth);

    if (replacing) {
        if (doc.host().AskYesNo(QString::fromLatin1(kQuestionFitMoves)))
            doc.FitMoves(actor, oldWidth, oldHeight,
                         doc.ActiveTrack(doc.SceneAt(doc.currentFrame())));
        doc.UpdateViewsAtFrame(0, Refresh::kViews);
    }
    return true;
}

bool PictureMediaLoader::LoadPanelPicture(Document& doc, SetPanel& panel) {
    const std::string path(panel.imagePath, strnlen(panel.imagePath, kPanelPathBytes));
    if (path.empty()) {
        panel.textureSlot = -1;
        return false;
    }
    const QString file = FromRecordText(path);
    std::optional<TextureSource> source;
    if (const auto stamp = FileStamp::Of(file))
        source = TextureSource{.file = *stamp, .reducedToPalette = paletteDisplay_};
    // On a palette display the palette is the colour cube whatever the picture, so a shared
    // texture leaves it as it is.
    if (source && textures_.ReuseTexture(panel, *source, doc.settings()) >= 0) return true;
    if (paletteDisplay_) {
        Picture full;
        if (!Decode(full, file, {}, doc)) return false;
        full.ToPalette8(scratch_, Picture::Palette8::kColourCube);
        scratch_.FillPalette(palette_);
    } else if (!Decode(scratch_, file, {}, doc)) {
        return false;
    }
    textures_.UploadTexture(panel, scratch_, doc.settings(), source);
    return true;
}

}  // namespace quillon
