#include "PictureMediaLoader.h"

#include <QRect>
#include <algorithm>
#include <climits>
#include <cstring>
#include <memory>
#include <string>

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

bool PictureMediaLoader::AssignStill(Document& doc, const QString& path, ShowNode& actor,
                                     bool interactive) {
    if (!scratch_.Load(path, {.showErrors = interactive}, &doc.host())) return false;
    if (interactive) {
        // Both are warnings only: the texture is cropped, or padded with empty texels.
        const int maxSize = textures_.uploader().MaxTextureSize();
        const int w = scratch_.Width();
        const int h = scratch_.Height();
        if (w > maxSize || h > maxSize)
            doc.ShowError(QString::fromLatin1(kMessageImageTooBig), maxSize);
        if (!PowerOfTwoWithin(w, 32, maxSize) || !PowerOfTwoWithin(h, 32, maxSize))
            doc.ShowError(QString::fromLatin1(kMessageNotPowerOfTwo), -9999);
    }
    textures_.UploadTexture(actor, scratch_, doc.settings());
    return true;
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

    auto media = std::make_shared<PictureMedia>();
    actor.media = media;
    Picture& artwork = media->picture;
    // The buffer becomes a whole number of tiles each way, the artwork at its top.
    if (!artwork.Load(path, {.showErrors = interactive, .sizeStep = tile}, &doc.host())) {
        actor.media.reset();
        return false;
    }
    artwork.CompressToVideoLevels();

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
    // followed by its index.
    const std::string name = ToRecordText(path);
    Picture piece;
    int first = -1;
    for (int r = 0; r < rows; ++r) {
        for (int c = 0; c < columns; ++c) {
            const QRect area((tileWidth - overlap) * c - overlap,
                             (tileHeight - overlap) * r - overlap, tileWidth, tileHeight);
            actor.SetFileName(name + std::to_string(c + r * columns));
            const int number = artwork.CopyRect(piece, area)
                                   ? textures_.UploadTexture(actor, piece, doc.settings())
                                   : -1;
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
        doc.UpdateViewsAtFrame(0, false, true);
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
    if (paletteDisplay_) {
        Picture full;
        if (!full.Load(file, {}, &doc.host())) return false;
        full.ToPalette8(scratch_, Picture::Palette8::kColourCube);
        scratch_.FillPalette(palette_);
    } else if (!scratch_.Load(file, {}, &doc.host())) {
        return false;
    }
    textures_.UploadTexture(panel, scratch_, doc.settings());
    return true;
}

}  // namespace quillon
