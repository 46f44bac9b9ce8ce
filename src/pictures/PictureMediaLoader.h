#pragma once
// The document's picture loading: actor pictures (still, movie or tiled rostrum artwork) and
// set-panel pictures, turned into textures through the texture table. It holds the document's
// scratch picture, into which panel and untiled actor pictures are read before they become
// textures, and the table, whose uploader stays owned by the caller. One loader serves one
// document (Document::SetMediaLoader).
//
// A picture file already made into a texture is not read again: an actor or panel of the same
// file, unchanged on disk and wanting the same key colour and kind of texture, shares that
// texture (TextureTable::ReuseTexture), and rostrum actors of the same artwork share the
// artwork. A set of many panels of a few pictures so costs a few decodes.
//
// Sounds are read by the player's clip player, which the application hands in as the sound
// reader; a movie's length comes from the movie source; scripts go to the script window
// through the document.

#include <QList>
#include <QRgb>
#include <functional>
#include <map>
#include <memory>
#include <string>

#include "Picture.h"
#include "PictureMedia.h"
#include "TextureTable.h"
#include "model/MediaLoader.h"

namespace quillon {

inline constexpr char kMessageImageTooBig[] = "Image is bigger than the maximum size allowed of:";
inline constexpr char kMessageNotPowerOfTwo[] =
    "Image size is not a power of 2 (i.e. 32, 64, 128, 256, 512 etc.)";
inline constexpr char kQuestionFitMoves[] = "Do you want to make moves match the new image size?";

class PictureMediaLoader final : public MediaLoader {
  public:
    // Rostrum artwork is cut into tiles of at most this many pixels a side.
    static constexpr int kRostrumTile = 512;
    // Tiles share this many pixels with their neighbours, so that filtering at a tile's edge
    // sees the same pixels as the tile beside it.
    static constexpr int kTileOverlap = 5;

    explicit PictureMediaLoader(TextureUploader& uploader) : textures_(uploader) {}

    // Outside rostrum mode: a movie (".avi" or ".AVI" in the name) reserves one texture per
    // frame, to be uploaded when first shown; any other picture is read into the scratch
    // picture and uploaded. In rostrum mode the picture becomes the actor's media, is cut into
    // tiles and each tile is uploaded. Interactive loads warn about sizes textures cannot hold
    // whole and, when a picture is replaced in rostrum mode, offer to fit the moves to it.
    // False when the file cannot be read (rostrum mode then leaves the actor without media).
    bool AssignActorPicture(Document& doc, const QString& path, ShowNode& actor,
                            bool interactive) override;
    // An empty imagePath gives textureSlot -1 and false; a picture that cannot be read, false.
    bool LoadPanelPicture(Document& doc, SetPanel& panel) override;
    // A sound file's length in show frames, or nothing when it cannot be read (the reader
    // shows its own messages).
    using SoundReader = std::function<std::optional<int>(const QString& path)>;
    // Null: sounds are not loadable.
    void SetSoundReader(SoundReader reader) { soundReader_ = std::move(reader); }
    // The track's length from the sound reader.
    std::optional<int> LoadSound(Document&, const QString& path, ShowNode&) override {
        if (!soundReader_) return std::nullopt;
        return soundReader_(path);
    }
    // The movie's frame count, or nothing when it cannot be opened.
    std::optional<int> MovieFrameCount(const QString& path) override;
    void ResetTextures() override { textures_.Reset(); }

    TextureTable& textures() { return textures_; }
    Picture& scratchPicture() { return scratch_; }
    // On a palette display (8 bits per pixel or fewer) panel pictures are reduced to 8 bits and
    // their colour table becomes the palette. Off by default: a true-colour display.
    void SetPaletteDisplay(bool on) { paletteDisplay_ = on; }
    const QList<QRgb>& palette() const { return palette_; }
    // How many picture files this loader has decoded.
    int decodeCount() const { return decodeCount_; }

  private:
    // Rostrum artwork as loaded, for other actors of the same file while any actor holds it.
    struct SharedArtwork {
        std::weak_ptr<PictureMedia> media;
        FileStamp stamp;
        int tile = 0;
    };

    bool AssignMovie(const QString& path, ShowNode& actor);
    bool AssignStill(Document& doc, const QString& path, ShowNode& actor, bool interactive);
    bool AssignRostrum(Document& doc, const QString& path, ShowNode& actor, bool interactive);
    bool Decode(Picture& picture, const QString& path, const PictureLoadOptions& options,
                Document& doc);
    // The artwork of the file, shared when an actor already holds it as it stands on disk,
    // else read, brought to video levels and offered for sharing; null when it cannot be read.
    std::shared_ptr<PictureMedia> Artwork(Document& doc, const QString& path, int tile,
                                          const std::optional<FileStamp>& stamp, bool interactive);

    TextureTable textures_;
    Picture scratch_;
    bool paletteDisplay_ = false;
    QList<QRgb> palette_;
    int decodeCount_ = 0;
    std::map<std::string, SharedArtwork> artwork_;
    SoundReader soundReader_;
};

}  // namespace quillon
