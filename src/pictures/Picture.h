#pragma once
// Picture: the one in-memory image. A bottom-up device-independent bitmap of 1 to 4096 pixels
// each way at 8, 16 (5-5-5), 24 (blue, green, red) or 32 (blue, green, red, alpha) bits per
// pixel, with a 256-entry colour table at 8 bits. The picture owns its header and pixel buffer.
// Targa and BMP are read and written by our own code (TargaCodec, BmpCodec); the other formats
// go through ImageLibrary. Every operation reports failure by returning false (or 0) and never
// throws; messages go to the DocumentHost passed in, and a null host keeps them to itself.

#include <QList>
#include <QRgb>
#include <QString>
#include <cstdint>
#include <cstdio>
#include <memory>

#include "Dib.h"

class QImage;
class QPainter;
class QRect;

namespace quillon {

class DocumentHost;

// The exact texts the picture shows.
inline constexpr char kMessageLessThan256Colors[] = "Less than 256 colors not supportred!";
inline constexpr char kMessageNotValidBmpOrTga[] = "Not a valid BMP or TGA file!";
inline constexpr char kMessageErrorOpening[] = "Error opening graphics file";
inline constexpr char kMessageErrorLoading[] = "Error loading graphics file";

// What Save and WriteTo write. The numbers are those the profile and the command line use.
enum class PictureWriteMode {
    kBmp = 0,
    kTarga = 1,
    kNothing = 2,  // writes no bytes and succeeds
};
// A stored or typed mode number: 1 Targa, 2 nothing, any other number BMP.
PictureWriteMode PictureWriteModeFromNumber(int number);

// How Load reads a file.
struct PictureLoadOptions {
    // Report a Targa file that will not open or read (the library path fails silently).
    bool showErrors = false;
    // Rounds the buffer up (Picture::BufferDimension): 0 none, Picture::kPowerOfTwoStep powers
    // of two, any other step multiples of it.
    int sizeStep = 0;
};

class Picture {
  public:
    static constexpr int kMaxSide = 4096;
    // Readers convert through one scratch row of this size (4096 pixels of 4 bytes).
    static constexpr int kScratchRowBytes = 16384;
    // The size step that rounds a buffer up to powers of two.
    static constexpr int kPowerOfTwoStep = 2;

    // A fresh picture is 16 x 16 at 8 bits with a grey colour table.
    Picture();
    ~Picture();
    Picture(const Picture&) = delete;
    Picture& operator=(const Picture&) = delete;

    // Makes the buffers width x height at bitsPerPixel (8, 16, 24 or 32). The same size and depth
    // as now keeps the buffers and their pixels. Out-of-range values or a failed allocation
    // return false and keep everything as it was. New pixels are not cleared; the colour table
    // becomes a grey ramp; sourceWidth and sourceHeight become width and height.
    bool Create(int width, int height, int bitsPerPixel);

    // Reads a picture file. A name containing ".tga" (any case) is read by ReadFrom; any other
    // name is decoded by the imaging library, chosen by the extension found in the name, and
    // lands at 24 bits with the image at the top of the buffer (at 32 bits with its alpha when
    // the image is partly transparent, so that a key colour of -1 lets its alpha decide).
    // options.sizeStep rounds the buffer up (BufferDimension). With options.showErrors the Targa
    // path reports a file that will not open or read; the library path fails silently.
    bool Load(const QString& fileName, const PictureLoadOptions& options, DocumentHost* host);
    // Reads a BMP (from "BM" at the current position) or else a Targa from file, which must be
    // seekable. Refused headers are reported through host (always), truncated data is not.
    bool ReadFrom(std::FILE* file, int sizeStep, DocumentHost* host);
    // Writes a picture file: ".png"/".PNG" and ".jpg"/".JPG" through the imaging library,
    // anything else through WriteTo, with kTarga forced for ".tga"/".TGA". The file is written
    // beside its final name and renamed into place, so a failure leaves an old file whole.
    // WriteTo's file that cannot be made shows "Error opening graphics file", a failed write
    // "Error loading graphics file"; the library writers fail without a message.
    bool Save(const QString& fileName, PictureWriteMode mode, DocumentHost* host);
    // kTarga: an uncompressed Targa; kNothing: nothing (true); kBmp: a BMP.
    bool WriteTo(std::FILE* file, PictureWriteMode mode) const;

    // Draws the source rectangle of the picture (DIB coordinates: x from the left, y from the
    // bottom row up; its height taken as an absolute value) stretched onto the destination
    // rectangle, pixel for pixel without smoothing and replacing what was there. Returns the
    // number of picture rows drawn, 0 when nothing was drawn.
    int DrawPart(QPainter& painter, const QRect& destination, const QRect& source) const;
    // Draws the whole picture stretched onto the destination rectangle.
    int Draw(QPainter& painter, const QRect& destination) const;

    // The buffer's size. With a non-zero step s each dimension is reported as
    // (value / s + 1) * s.
    int Width(int step = 0) const;
    int Height(int step = 0) const;
    int BitCount() const { return info_ ? info_->header.biBitCount : 0; }
    // Bytes per row: whole pixels, rounded up to a multiple of 4.
    int RowBytes() const;
    bool HasBuffers() const { return bits_ != nullptr; }
    // Start of row `row` (0 is the bottom row); null without buffers or outside the picture.
    uint8_t* Bits(int row);
    const uint8_t* Bits(int row) const;
    // Copies min(RowBytes, limit) bytes of a row out; false outside the picture.
    bool GetRow(int row, void* destination, int limit) const;
    // Copies RowBytes bytes into a row; false outside the picture.
    bool SetRow(int row, const void* source);

    // Null without buffers.
    const BitmapInfoHeader* Header() const { return info_ ? &info_->header : nullptr; }
    int ColorCount() const { return ColorTableSize(BitCount()); }
    RgbQuad* ColorTable() { return info_ && ColorCount() ? info_->colors : nullptr; }
    const RgbQuad* ColorTable() const { return info_ && ColorCount() ? info_->colors : nullptr; }

    // 8-bit copy into target: grey levels (0.30 R + 0.59 G + 0.11 B, truncated, grey table) or a
    // 3-3-2 colour cube. An 8-bit picture keeps its indices and colour table.
    enum class Palette8 { kColourCube, kGreys };
    bool ToPalette8(Picture& target, Palette8 palette) const;
    // Nearest-neighbour scaling into target's own size and depth (16, 24 or 32 bits, from a
    // 16-, 24- or 32-bit picture); false for 8-bit pictures on either side.
    bool ResampleTo(Picture& target) const;
    // Copies a rectangle given in pixels from the top-left of this picture (it may reach
    // outside) into target, made at the rectangle's size and this depth. Rectangle line y takes
    // row (height - y) counted from the bottom, only for 0 < y < height, so the copy sits one
    // line lower than the rectangle; everything outside the picture stays zero.
    bool CopyRect(Picture& target, const QRect& rectangle) const;
    void FlipVertical();
    // Exchanges the first and third byte of each pixel of a 24- or 32-bit picture; pictures of
    // fewer bytes per pixel have no red and blue bytes to exchange and stay as they are.
    void SwapRedBlue();
    // Rebuilds the picture at 32 bits with the first byte of each matte pixel as alpha. False,
    // and nothing changed, when the matte has another width or height.
    bool MergeAlpha(const Picture& matte);
    // Maps 0..255 onto 17..236 in the colour bytes of a picture of 24 bits or more.
    void CompressToVideoLevels();
    // For 2-, 4- or 8-bit pictures: palette becomes the colour table.
    void FillPalette(QList<QRgb>& palette) const;

    // The picture upright as a QImage (Indexed8, RGB555, BGR888 or RGB32 with alpha ignored);
    // a null image without buffers.
    QImage ToImage() const;

    // Buffer size for an image dimension under a size step: step 0 the dimension itself;
    // step 2 the smallest power of two not below it (at least 2); any other positive step the
    // smallest multiple of the step not below it. 0 for a negative step or dimension below 1.
    static int BufferDimension(int imageSize, int sizeStep);

    uint16_t fileReserved1 = 0;  // reserved words of the BMP file header, written back
    uint16_t fileReserved2 = 0;
    uint16_t sourceWidth = 0;  // the image's size in its file, before any size step
    uint16_t sourceHeight = 0;

  private:
    // Calls fn with the first byte of every pixel of a 24- or 32-bit picture (blue, green,
    // red); pictures of fewer bits have no colour bytes of their own and are left alone.
    template <typename Fn>
    void ForEachColourPixel(Fn&& fn) {
        const int bits = BitCount();
        if (!HasBuffers() || bits < 24) return;
        const int bpp = bits / 8;
        const int w = Width();
        for (int y = 0; y < Height(); ++y) {
            uint8_t* p = Bits(y);
            for (int x = 0; x < w; ++x, p += bpp)
                fn(p);
        }
    }
    struct Info {
        BitmapInfoHeader header;
        RgbQuad colors[256];
    };
    bool LoadThroughLibrary(const QString& fileName, const QString& lowerName, int sizeStep);
    size_t BufferBytes() const;

    struct FreePixels {
        void operator()(uint8_t* p) const;
    };
    using PixelBuffer = std::unique_ptr<uint8_t[], FreePixels>;
    static PixelBuffer AllocatePixels(size_t bytes);

    std::unique_ptr<Info> info_;
    PixelBuffer bits_;  // height x RowBytes + 4 bytes
};

// A grey palette of count entries: entry i = i * 255 / count on all three channels.
void MakeGreyPalette(QList<QRgb>& palette, int count);

}  // namespace quillon
