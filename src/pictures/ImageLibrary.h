#pragma once
// The imaging library behind Picture: GraphicsMagick decodes JPEG, GIF, BMP, PNG, TIFF, PCX and
// Windows metafiles to 24-bit RGB rows, or RGBA rows for an image that is partly transparent,
// and writes JPEG and PNG. The decoder is chosen by the file's name, never by its content, and
// nothing larger than 4096 pixels a side is decoded.
// No GraphicsMagick exception leaves this class: failures are false or an empty result.

#include <QString>
#include <cstdint>
#include <memory>
#include <string_view>

namespace quillon {

class Picture;

enum class ImageFormat { None, Jpeg, Gif, Bmp, Png, Tiff, Pcx, Wmf };

class ImageLibrary {
  public:
    // Largest file the decoders are given; anything bigger fails without being read.
    static constexpr int64_t kMaxFileBytes = int64_t(256) << 20;

    // A decoded image: rows of red, green, blue byte triples (and alpha, for a partly
    // transparent image), top row first, 3 or 4 x width bytes each. Holds the library's image
    // until destroyed.
    class Decoded {
      public:
        Decoded();
        ~Decoded();
        Decoded(Decoded&&) noexcept;
        Decoded& operator=(Decoded&&) noexcept;
        int width() const { return width_; }
        int height() const { return height_; }
        // Whether the image has an alpha channel with at least one pixel not wholly opaque;
        // an alpha channel that is opaque everywhere shows nothing and is left out.
        bool hasAlpha() const { return hasAlpha_; }
        // Row `row` (0 is the top) as RGB triples, or RGBA quadruples with hasAlpha; null
        // outside the image.
        const uint8_t* Row(int row);

      private:
        friend class ImageLibrary;
        struct Impl;
        std::unique_ptr<Impl> impl_;
        int width_ = 0;
        int height_ = 0;
        bool hasAlpha_ = false;
    };

    // Sets the library up once per process; later calls do nothing.
    static void Setup();
    // The decoder for a lower-case file name: the first of ".jpg", ".gif", ".bmp", ".png",
    // ".tif", ".pcx", ".wmf" found anywhere in it, tested in that order; None for none.
    static ImageFormat FormatForName(const QString& lowerName);
    // Decodes a file with the given format's decoder. A metafile is drawn at its own size over
    // pure blue. False when the file cannot be read or decoded, or has a side outside 1..4096.
    static bool Decode(const QString& fileName, ImageFormat format, Decoded& out);
    // Writes the picture's rows as they stand, the first buffer row (the bottom one) as the
    // image's top row: each pixel's first three bytes are taken as red, green, blue.
    // A JPEG at quality 80 from a 24- or 32-bit picture.
    static bool WriteJpeg(const QString& fileName, const Picture& picture);
    // An 8-bit RGBA PNG (colour type 6): a 32-bit picture's four bytes as red, green, blue,
    // alpha; a 24-bit picture is written opaque.
    static bool WritePng(const QString& fileName, const Picture& picture);
};

}  // namespace quillon
