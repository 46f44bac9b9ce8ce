#pragma once
// The program-wide table of texture names: entry i holds the name under which texture i was
// uploaded (a picture file, a tile "file" + index, or "~" + movie file + frame for a movie frame
// not uploaded yet), so that one picture shown by several actors or panels takes one texture
// number. It lives as long as the graphics context and owns the uploads into it; the uploader
// stays owned by the caller.
//
// Texture references held by nodes and panels (textureSlot): -1 none; 0..256 one texture;
// first + 1000 x (rows - 1) + 10000 x (columns - 1) a tiled rostrum picture; first + 1000 a
// movie whose frame k is texture first + k. The reference modulo 1000 is the first texture.
//
// The table also remembers what each texture was last made from, when the caller says (a
// TextureSource): a picture file as it stood on disk. A later actor or panel of the same file,
// unchanged on disk and wanting the same key colour, size rule and settings, is given that
// texture without the picture being decoded or uploaded again (ReuseTexture).

#include <QString>
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "Texels.h"
#include "TextureUploader.h"

namespace quillon {

class Picture;
class ShowNode;
struct DocumentSettings;
struct SetPanel;

// A picture file as it stands on disk: while these agree, the file holds the same picture.
struct FileStamp {
    int64_t modified = 0;  // modification time, nanoseconds since the epoch
    int64_t bytes = 0;
    uint64_t device = 0;
    uint64_t inode = 0;
    bool operator==(const FileStamp&) const = default;

    // The stamp of a regular file; nothing for a file that cannot be looked at.
    static std::optional<FileStamp> Of(const QString& path);
};

// Where a texture's picture came from: the file as it stood on disk, and what the loader did
// to the picture before the upload.
struct TextureSource {
    FileStamp file;
    bool reducedToPalette = false;  // through the 8-bit colour cube of a palette display
    int rostrumTile = 0;            // the tile size rostrum artwork was cut with; 0 uncut
    bool operator==(const TextureSource&) const = default;
};

class TextureTable {
  public:
    static constexpr int kEntries = 257;
    // Once entries 0 to 255 are taken, every new name lands here, replacing the one before.
    static constexpr int kOverflowEntry = 256;
    // Movie frames never take entries from this one up.
    static constexpr int kMovieEntryLimit = 254;
    static constexpr int kTiledReference = 1000;

    explicit TextureTable(TextureUploader& uploader) : uploader_(uploader) {}
    TextureTable(const TextureTable&) = delete;
    TextureTable& operator=(const TextureTable&) = delete;

    TextureUploader& uploader() { return uploader_; }
    int textureCount() const { return textureCount_; }
    // Entry i, empty outside 0..256.
    const std::string& Name(int i) const;
    // Renames entry i (the renderer drops a movie frame's "~" when it uploads the frame);
    // ignored outside 0..256.
    void Rename(int i, std::string name);

    // The texture number of a name: the first of entries 0..255 equal to it byte for byte,
    // else a new entry at textureCount (entry 256 once the others are taken).
    int Lookup(std::string_view name);
    // The first of entries 0..255 equal to the name, or -1; nothing is taken.
    int Find(std::string_view name) const;

    // Reserves one entry per frame of a movie, named "~" + file + frame, and returns the first.
    // When entries already carry the plain names of a reload ("file" + index i at entry i),
    // they get their "~" back and the first of them is returned instead. A movie takes no
    // entry from 254 up; with fewer than one frame the result is textureCount.
    int ReserveMovieSlots(std::string_view fileName, int frameCount);

    // Empties entries [from, to) and deletes their textures; both ends are clamped to 0..256.
    void DeleteTextures(int from, int to);
    // A new or reset show: textures 0 to 255 deleted, count 0.
    void Reset();

    // Fills the texture that the actor's fileName names from the picture (read, not kept) and
    // gives the actor its textureSlot, aspect (texture height / width), pictureWidth and the
    // first key's height (in rostrum mode also its width). Returns the texture number; -1,
    // with nothing changed, for a picture without pixels. With a source the texture is
    // remembered as made from it; without one it is remembered as made from nothing reusable.
    int UploadTexture(ShowNode& actor, const Picture& picture, const DocumentSettings& settings,
                      const std::optional<TextureSource>& source = std::nullopt);
    // The same for a set panel, named by its imagePath; only textureSlot changes.
    int UploadTexture(SetPanel& panel, const Picture& picture, const DocumentSettings& settings,
                      const std::optional<TextureSource>& source = std::nullopt);

    // The texture already made under the actor's fileName from this source, with the key
    // colour, size rule and settings an upload would use now: the actor is given it exactly as
    // UploadTexture would give it (slot, aspect, first key, pictureWidth) and its number is
    // returned. -1, with nothing changed, when there is none: the picture must be read and
    // uploaded.
    int ReuseTexture(ShowNode& actor, const TextureSource& source,
                     const DocumentSettings& settings);
    // The same for a set panel.
    int ReuseTexture(SetPanel& panel, const TextureSource& source,
                     const DocumentSettings& settings);
    // The size of the picture a texture was last made from (0 x 0 for none): what a reused
    // picture's size warnings are judged on.
    std::pair<int, int> PictureSize(int number) const;

  private:
    struct Upload {
        int number = -1;
        int width = 0;
        int height = 0;
    };
    // Everything that decides a texture's texels and filtering besides the picture's pixels.
    struct Making {
        int32_t keyColor = 0;
        TextureRounding rounding = TextureRounding::kLargestNotAbove;
        int maxTextureSize = 0;
        bool feathered = false;
        UploadOptions options;
        bool operator==(const Making&) const = default;
    };
    // What entry i holds, when it was made from a source.
    struct Made {
        TextureSource source;
        Making making;
        Upload upload;
        int pictureWidth = 0;
        int pictureHeight = 0;
        int pictureBits = 0;
    };
    Making MakingFor(int32_t keyColor, TextureRounding rounding, int pictureBits,
                     const DocumentSettings& settings) const;
    Upload UploadPicture(std::string_view name, const Picture& picture, int32_t keyColor,
                         TextureRounding rounding, const DocumentSettings& settings,
                         const std::optional<TextureSource>& source);
    const Made* FindMade(std::string_view name, const TextureSource& source, int32_t keyColor,
                         TextureRounding rounding, const DocumentSettings& settings) const;
    static void GiveActor(ShowNode& actor, const Upload& up, int pictureWidth,
                          const DocumentSettings& settings);

    TextureUploader& uploader_;
    std::array<std::string, kEntries> names_;
    std::array<std::optional<Made>, kEntries> made_;
    int textureCount_ = 0;
};

}  // namespace quillon
