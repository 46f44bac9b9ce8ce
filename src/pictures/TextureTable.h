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

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "Texels.h"
#include "TextureUploader.h"

namespace quillon {

class Picture;
class ShowNode;
struct DocumentSettings;
struct SetPanel;

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
    // with nothing changed, for a picture without pixels.
    int UploadTexture(ShowNode& actor, const Picture& picture, const DocumentSettings& settings);
    // The same for a set panel, named by its imagePath; only textureSlot changes.
    int UploadTexture(SetPanel& panel, const Picture& picture, const DocumentSettings& settings);

  private:
    struct Upload {
        int number = -1;
        int width = 0;
        int height = 0;
    };
    Upload UploadPicture(std::string_view name, const Picture& picture, int32_t keyColor,
                         TextureRounding rounding, const DocumentSettings& settings);

    TextureUploader& uploader_;
    std::array<std::string, kEntries> names_;
    int textureCount_ = 0;
};

}  // namespace quillon
