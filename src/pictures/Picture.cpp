#include "Picture.h"

#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/types.h>

#include <QFile>
#include <QImage>
#include <QPainter>
#include <QRect>
#include <algorithm>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <new>
#include <vector>

#include "BmpCodec.h"
#include "ImageLibrary.h"
#include "TargaCodec.h"
#include "model/DocumentHost.h"
#include "model/DurableFile.h"
#include "model/Paths.h"

namespace quillon {

namespace {

bool SupportedDepth(int bitsPerPixel) {
    return bitsPerPixel == 8 || bitsPerPixel == 16 || bitsPerPixel == 24 || bitsPerPixel == 32;
}

void Tell(DocumentHost* host, const char* text) {
    if (host) host->Message(QString::fromLatin1(text));
}

struct Rgb {
    uint8_t r, g, b;
};

// Red, green and blue of a pixel of a 16-bit (5-5-5, each channel at the top of its byte),
// 24- or 32-bit row.
Rgb ReadRgb(const uint8_t* p, int bitsPerPixel) {
    if (bitsPerPixel == 16) {
        const unsigned v = unsigned(p[0]) | unsigned(p[1]) << 8;
        return {uint8_t(((v >> 10) & 31) << 3), uint8_t(((v >> 5) & 31) << 3),
                uint8_t((v & 31) << 3)};
    }
    return {p[2], p[1], p[0]};
}

}  // namespace

Picture::Picture() {
    Create(16, 16, 8);
}

Picture::~Picture() = default;

void Picture::FreePixels::operator()(uint8_t* p) const {
    std::free(p);
}

Picture::PixelBuffer Picture::AllocatePixels(size_t bytes) {
    // Large buffers are laid on huge pages where the system offers them: a 64 MB picture is
    // then first touched in a few dozen page faults instead of sixteen thousand, which is most
    // of the cost of loading into a new picture.
    constexpr size_t kHugePage = size_t(2) << 20;
    if (bytes < kHugePage) return PixelBuffer(static_cast<uint8_t*>(std::malloc(bytes)));
    const size_t rounded = (bytes + kHugePage - 1) / kHugePage * kHugePage;
    auto* p = static_cast<uint8_t*>(std::aligned_alloc(kHugePage, rounded));
    if (p) ::madvise(p, rounded, MADV_HUGEPAGE);  // advice only: failure changes nothing
    return PixelBuffer(p);
}

bool Picture::Create(int width, int height, int bitsPerPixel) {
    if (info_ && bits_ && info_->header.biWidth == width && info_->header.biHeight == height &&
        info_->header.biBitCount == bitsPerPixel)
        return true;
    if (width < 1 || width > kMaxSide || height < 1 || height > kMaxSide ||
        !SupportedDepth(bitsPerPixel))
        return false;
    const size_t rowBytes = (size_t(bitsPerPixel / 8) * size_t(width) + 3) & ~size_t(3);
    // The new buffers are made before the old ones go, so a failure leaves the picture whole.
    std::unique_ptr<Info> info(new (std::nothrow) Info);
    PixelBuffer bits = AllocatePixels(rowBytes * size_t(height) + 4);
    if (!info || !bits) return false;
    BitmapInfoHeader& h = info->header;
    h = BitmapInfoHeader{};
    h.biWidth = width;
    h.biHeight = height;
    h.biBitCount = static_cast<uint16_t>(bitsPerPixel);
    FillGreyRamp(info->colors, ColorTableSize(bitsPerPixel));
    info_ = std::move(info);
    bits_ = std::move(bits);
    sourceWidth = static_cast<uint16_t>(width);
    sourceHeight = static_cast<uint16_t>(height);
    return true;
}

int Picture::Width(int step) const {
    if (!info_) return 0;
    const int w = info_->header.biWidth;
    return step ? (w / step + 1) * step : w;
}

int Picture::Height(int step) const {
    if (!info_) return 0;
    const int h = std::abs(info_->header.biHeight);
    return step ? (h / step + 1) * step : h;
}

int Picture::RowBytes() const {
    if (!info_) return 0;
    return ((info_->header.biBitCount / 8) * info_->header.biWidth + 3) & ~3;
}

size_t Picture::BufferBytes() const {
    return size_t(RowBytes()) * size_t(Height());
}

uint8_t* Picture::Bits(int row) {
    if (!bits_ || row < 0 || row >= Height()) return nullptr;
    return bits_.get() + size_t(row) * size_t(RowBytes());
}

const uint8_t* Picture::Bits(int row) const {
    return const_cast<Picture*>(this)->Bits(row);
}

bool Picture::GetRow(int row, void* destination, int limit) const {
    const uint8_t* p = Bits(row);
    if (!p) return false;
    std::memcpy(destination, p, size_t(std::clamp(limit, 0, RowBytes())));
    return true;
}

bool Picture::SetRow(int row, const void* source) {
    uint8_t* p = Bits(row);
    if (!p) return false;
    std::memcpy(p, source, size_t(RowBytes()));
    return true;
}

int Picture::BufferDimension(int imageSize, int sizeStep) {
    if (imageSize < 1 || sizeStep < 0) return 0;
    if (sizeStep == 0) return imageSize;
    int64_t d = sizeStep;
    if (sizeStep == kPowerOfTwoStep) {
        while (d < imageSize)
            d *= 2;
    } else if (d < imageSize) {
        d = (int64_t(imageSize) + sizeStep - 1) / sizeStep * sizeStep;
    }
    return static_cast<int>(std::min<int64_t>(d, INT_MAX));
}

// --- files ---

PictureWriteMode PictureWriteModeFromNumber(int number) {
    switch (number) {
        case int(PictureWriteMode::kTarga):
            return PictureWriteMode::kTarga;
        case int(PictureWriteMode::kNothing):
            return PictureWriteMode::kNothing;
        default:
            return PictureWriteMode::kBmp;
    }
}

bool Picture::Load(const QString& fileName, const PictureLoadOptions& options, DocumentHost* host) {
    const bool showErrors = options.showErrors;
    const QString lower = fileName.toLower();
    if (!lower.contains(QLatin1String(".tga")))
        return LoadThroughLibrary(fileName, lower, options.sizeStep);

    std::FILE* f = std::fopen(QFile::encodeName(fileName).constData(), "rb");
    struct stat st;
    // A folder or a device opens on this system but cannot be read as a picture file.
    if (f && (::fstat(fileno(f), &st) != 0 || !S_ISREG(st.st_mode))) {
        std::fclose(f);
        f = nullptr;
    }
    if (!f) {
        if (showErrors) Tell(host, kMessageErrorOpening);
        return false;
    }
    const bool ok = ReadFrom(f, options.sizeStep, host);
    std::fclose(f);
    if (!ok && showErrors) Tell(host, kMessageErrorLoading);
    return ok;
}

bool Picture::LoadThroughLibrary(const QString& fileName, const QString& lowerName, int sizeStep) {
    ImageLibrary::Setup();
    const ImageFormat format = ImageLibrary::FormatForName(lowerName);
    if (format == ImageFormat::None) return false;
    ImageLibrary::Decoded image;
    if (!ImageLibrary::Decode(fileName, format, image)) return false;
    const int width = image.width();
    const int height = image.height();
    const int bufferWidth = BufferDimension(width, sizeStep);
    const int bufferHeight = BufferDimension(height, sizeStep);
    // A partly transparent image keeps its alpha as the fourth byte, as a 32-bit Targa does.
    const int bytes = image.hasAlpha() ? 4 : 3;
    if (!Create(bufferWidth, bufferHeight, 8 * bytes)) return false;
    sourceWidth = static_cast<uint16_t>(width);
    sourceHeight = static_cast<uint16_t>(height);

    // Image row r goes to buffer row (height - 1 - r): the image sits at the top of the
    // buffer and the empty rows at the bottom.
    uint8_t scratch[kScratchRowBytes];
    for (int r = 0; r < bufferHeight; ++r) {
        std::memset(scratch, 0, sizeof(scratch));
        if (r < height) {
            const uint8_t* rgb = image.Row(r);
            if (!rgb) return false;
            for (int x = 0; x < width; ++x, rgb += bytes) {
                uint8_t* out = scratch + bytes * x;
                out[0] = rgb[2];
                out[1] = rgb[1];
                out[2] = rgb[0];
                if (bytes == 4) out[3] = rgb[3];
            }
        }
        SetRow(bufferHeight - 1 - r, scratch);
    }
    return true;
}

bool Picture::ReadFrom(std::FILE* file, int sizeStep, DocumentHost* host) {
    const off_t entry = ftello(file);
    if (entry < 0) return false;
    uint8_t header[TargaCodec::kHeaderBytes];
    size_t got = std::fread(header, 1, kBitmapFileHeaderBytes, file);
    if (got >= 2 && header[0] == 'B' && header[1] == 'M') {
        if (got < size_t(kBitmapFileHeaderBytes)) return false;
        return BmpCodec::Read(file, entry, header, *this, host);
    }
    if (got == size_t(kBitmapFileHeaderBytes))
        got += std::fread(header + got, 1, TargaCodec::kHeaderBytes - got, file);
    return TargaCodec::Read(file, header, got, sizeStep, *this, host);
}

bool Picture::Save(const QString& fileName, PictureWriteMode mode, DocumentHost* host) {
    // Only these two spellings of each extension count; ".Png" is written by WriteTo.
    auto has = [&](const char* lower, const char* upper) {
        return fileName.contains(QLatin1String(lower), Qt::CaseSensitive) ||
               fileName.contains(QLatin1String(upper), Qt::CaseSensitive);
    };
    if (has(".tga", ".TGA")) mode = PictureWriteMode::kTarga;
    if (has(".png", ".PNG")) return ImageLibrary::WritePng(fileName, *this);
    if (has(".jpg", ".JPG")) return ImageLibrary::WriteJpeg(fileName, *this);
    const AtomicWriteResult r = WriteFileAtomicallyWith(
        QFile::encodeName(fileName).toStdString(), [&](std::FILE* f) { return WriteTo(f, mode); });
    if (r == AtomicWriteResult::CannotCreate)
        Tell(host, kMessageErrorOpening);
    else if (r == AtomicWriteResult::WriteFailed)
        Tell(host, kMessageErrorLoading);
    return r == AtomicWriteResult::Ok;
}

bool Picture::WriteTo(std::FILE* file, PictureWriteMode mode) const {
    if (!HasBuffers()) return false;
    switch (mode) {
        case PictureWriteMode::kTarga:
            return TargaCodec::Write(file, *this);
        case PictureWriteMode::kNothing:
            return true;
        case PictureWriteMode::kBmp:
            break;
    }
    return BmpCodec::Write(file, *this);
}

// --- drawing ---

QImage Picture::ToImage() const {
    if (!HasBuffers()) return QImage();
    const int w = Width();
    const int h = Height();
    const int bits = BitCount();
    QImage::Format format = QImage::Format_RGB32;
    if (bits == 8)
        format = QImage::Format_Indexed8;
    else if (bits == 16)
        format = QImage::Format_RGB555;
    else if (bits == 24)
        format = QImage::Format_BGR888;
    QImage image(w, h, format);
    if (image.isNull()) return image;
    for (int y = 0; y < h; ++y) {
        const uint8_t* src = Bits(h - 1 - y);
        uchar* dst = image.scanLine(y);
        if (bits == 32) {
            // The fourth byte is alpha to a texture but not to a drawing: shown opaque.
            auto* out = reinterpret_cast<QRgb*>(dst);
            for (int x = 0; x < w; ++x, src += 4)
                out[x] = qRgb(src[2], src[1], src[0]);
        } else if (bits == 16) {
            auto* out = reinterpret_cast<uint16_t*>(dst);
            for (int x = 0; x < w; ++x, src += 2)
                out[x] = static_cast<uint16_t>((src[0] | src[1] << 8) & 0x7FFF);
        } else {
            std::memcpy(dst, src, size_t(w) * size_t(bits / 8));
        }
    }
    if (bits == 8) {
        QList<QRgb> table;
        FillPalette(table);
        image.setColorTable(table);
    }
    return image;
}

int Picture::DrawPart(QPainter& painter, const QRect& destination, const QRect& source) const {
    if (!HasBuffers() || !painter.isActive()) return 0;
    const int h = Height();
    const int sourceHeight = std::abs(source.height());
    const int bottom = source.y();  // counted from the picture's bottom row
    const int rows = std::max(0, std::min(bottom + sourceHeight, h) - std::max(bottom, 0));
    if (rows == 0 || source.width() <= 0) return 0;
    const QImage image = ToImage();
    if (image.isNull()) return 0;
    const QRectF from(source.x(), h - (bottom + sourceHeight), source.width(), sourceHeight);
    painter.save();
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.drawImage(QRectF(destination), image, from);
    painter.restore();
    return rows;
}

int Picture::Draw(QPainter& painter, const QRect& destination) const {
    return DrawPart(painter, destination, QRect(0, 0, Width(), Height()));
}

// --- conversions ---

bool Picture::ToPalette8(Picture& target, Palette8 palette) const {
    if (!HasBuffers() || &target == this) return false;
    const bool greyscale = palette == Palette8::kGreys;
    const int w = Width();
    const int h = Height();
    const int bits = BitCount();
    if (!target.Create(w, h, 8)) return false;
    RgbQuad* table = target.ColorTable();
    if (bits == 8) {
        std::memcpy(target.Bits(0), Bits(0), BufferBytes());
        std::memcpy(table, ColorTable(), 256 * sizeof(RgbQuad));
        return true;
    }
    FillGreyRamp(table, 256);
    for (int i = 0; i < 256 && !greyscale; ++i) {
        table[i] =
            RgbQuad{static_cast<uint8_t>((i & 3) * 64), static_cast<uint8_t>(((i / 4) & 7) * 32),
                    static_cast<uint8_t>(i & 0xE0), 0};
    }
    const int bpp = bits / 8;
    for (int y = 0; y < h; ++y) {
        const uint8_t* src = Bits(y);
        uint8_t* dst = target.Bits(y);
        for (int x = 0; x < w; ++x, src += bpp) {
            const Rgb c = ReadRgb(src, bits);
            if (greyscale)
                dst[x] = static_cast<uint8_t>(0.30 * c.r + 0.59 * c.g + 0.11 * c.b);
            else
                dst[x] = static_cast<uint8_t>((c.r & 0xE0) | ((c.g / 8) & 0x1C) | (c.b / 64));
        }
    }
    return true;
}

bool Picture::ResampleTo(Picture& target) const {
    if (!HasBuffers() || !target.HasBuffers() || &target == this) return false;
    const int sourceBits = BitCount();
    const int targetBits = target.BitCount();
    if (sourceBits < 16 || targetBits < 16) return false;
    const int sw = Width(), sh = Height();
    const int tw = target.Width(), th = target.Height();
    const int sbpp = sourceBits / 8, tbpp = targetBits / 8;
    for (int y = 0; y < th; ++y) {
        const uint8_t* srcRow = Bits(static_cast<int>(int64_t(y) * sh / th));
        uint8_t* dst = target.Bits(y);
        for (int x = 0; x < tw; ++x, dst += tbpp) {
            const uint8_t* p = srcRow + static_cast<size_t>(int64_t(x) * sw / tw) * size_t(sbpp);
            const Rgb c = ReadRgb(p, sourceBits);
            if (targetBits == 16) {
                const unsigned v = unsigned(c.r >> 3) << 10 | unsigned(c.g >> 3) << 5 | c.b >> 3;
                dst[0] = static_cast<uint8_t>(v);
                dst[1] = static_cast<uint8_t>(v >> 8);
            } else {
                dst[0] = c.b;
                dst[1] = c.g;
                dst[2] = c.r;
                if (targetBits == 32) dst[3] = sourceBits == 32 ? p[3] : 0;
            }
        }
    }
    return true;
}

bool Picture::CopyRect(Picture& target, const QRect& rectangle) const {
    if (!HasBuffers() || &target == this) return false;
    const int left = rectangle.x();
    const int top = rectangle.y();
    const int rw = rectangle.width();
    const int rh = rectangle.height();
    if (!target.Create(rw, rh, BitCount())) return false;
    if (BitCount() == 8) std::memcpy(target.ColorTable(), ColorTable(), 256 * sizeof(RgbQuad));
    const int w = Width();
    const int h = Height();
    const size_t bpp = size_t(BitCount() / 8);
    const int firstColumn = std::max(left, 0);
    const int endColumn = static_cast<int>(std::min<int64_t>(int64_t(left) + rw, w));
    for (int line = 0; line < rh; ++line) {
        const int64_t y = int64_t(top) + line;
        uint8_t* dst = target.Bits(rh - 1 - line);
        std::memset(dst, 0, size_t(target.RowBytes()));
        if (y <= 0 || y >= h || firstColumn >= endColumn) continue;
        const uint8_t* src = Bits(static_cast<int>(h - y));
        std::memcpy(dst + size_t(firstColumn - left) * bpp, src + size_t(firstColumn) * bpp,
                    size_t(endColumn - firstColumn) * bpp);
    }
    return true;
}

void Picture::FlipVertical() {
    const int h = Height();
    const size_t rowBytes = size_t(RowBytes());
    for (int i = 0; i < h / 2; ++i)
        std::swap_ranges(Bits(i), Bits(i) + rowBytes, Bits(h - 1 - i));
}

void Picture::SwapRedBlue() {
    ForEachColourPixel([](uint8_t* p) { std::swap(p[0], p[2]); });
}

bool Picture::MergeAlpha(const Picture& matte) {
    if (!HasBuffers() || !matte.HasBuffers() || matte.Width() != Width() ||
        matte.Height() != Height())
        return false;
    const int w = Width();
    const int h = Height();
    const int oldBits = BitCount();
    const size_t mbpp = size_t(matte.BitCount() / 8);
    if (oldBits == 32) {
        // Already 32 bits: only the alpha bytes change, and each is written after its pixel's
        // matte byte is read, so the matte may be this very picture.
        for (int y = 0; y < h; ++y) {
            uint8_t* p = Bits(y);
            const uint8_t* m = matte.Bits(y);
            for (int x = 0; x < w; ++x, p += 4, m += mbpp)
                p[3] = *m;
        }
        return true;
    }
    // The old pixels are needed while the picture is rebuilt at 32 bits.
    const size_t oldRowBytes = size_t(RowBytes());
    const size_t oldBytes = BufferBytes();
    std::unique_ptr<uint8_t[]> old(new (std::nothrow) uint8_t[oldBytes]);
    if (!old) return false;
    std::memcpy(old.get(), bits_.get(), oldBytes);
    const bool matteIsSelf = &matte == this;
    const uint16_t keepWidth = sourceWidth, keepHeight = sourceHeight;
    if (!Create(w, h, 32)) return false;
    sourceWidth = keepWidth;
    sourceHeight = keepHeight;
    const size_t obpp = size_t(oldBits / 8);
    for (int y = 0; y < h; ++y) {
        const uint8_t* src = old.get() + size_t(y) * oldRowBytes;
        const uint8_t* m = matteIsSelf ? src : matte.Bits(y);
        uint8_t* dst = Bits(y);
        for (int x = 0; x < w; ++x, src += obpp, m += mbpp, dst += 4) {
            dst[0] = dst[1] = dst[2] = 0;
            std::memcpy(dst, src, obpp);
            dst[3] = *m;
        }
    }
    return true;
}

void Picture::CompressToVideoLevels() {
    ForEachColourPixel([](uint8_t* p) {
        for (int c = 0; c < 3; ++c)
            p[c] = static_cast<uint8_t>((p[c] * 86 + 1720) / 100);
    });
}

void Picture::FillPalette(QList<QRgb>& palette) const {
    const int entries = ColorCount();
    if (!info_ || entries == 0) return;
    palette.resize(entries);
    for (int i = 0; i < entries; ++i) {
        const RgbQuad& c = info_->colors[i];
        palette[i] = qRgb(c.rgbRed, c.rgbGreen, c.rgbBlue);
    }
}

void MakeGreyPalette(QList<QRgb>& palette, int count) {
    palette.clear();
    for (int i = 0; i < count; ++i) {
        const int v = i * 255 / count;
        palette.append(qRgb(v, v, v));
    }
}

}  // namespace quillon
