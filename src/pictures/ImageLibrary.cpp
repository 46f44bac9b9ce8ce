#include "ImageLibrary.h"

#include <Magick++.h>
#include <sys/stat.h>

#include <QFile>
#include <cstdio>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "Picture.h"
#include "model/DurableFile.h"
#include "model/Paths.h"

namespace quillon {

struct ImageLibrary::Decoded::Impl {
    Magick::Image image;
    std::vector<uint8_t> row;
};

ImageLibrary::Decoded::Decoded() = default;
ImageLibrary::Decoded::~Decoded() = default;
ImageLibrary::Decoded::Decoded(Decoded&&) noexcept = default;
ImageLibrary::Decoded& ImageLibrary::Decoded::operator=(Decoded&&) noexcept = default;

namespace {

std::string LocalPath(const QString& fileName) {
    return QFile::encodeName(fileName).toStdString();
}

const char* CoderName(ImageFormat format) {
    switch (format) {
        case ImageFormat::Jpeg:
            return "JPEG";
        case ImageFormat::Gif:
            return "GIF";
        case ImageFormat::Bmp:
            return "BMP";
        case ImageFormat::Png:
            return "PNG";
        case ImageFormat::Tiff:
            return "TIFF";
        case ImageFormat::Pcx:
            return "PCX";
        case ImageFormat::Wmf:
            return "WMF";
        case ImageFormat::None:
            break;
    }
    return nullptr;
}

// The whole file, for decoding from memory: the library then never sees the file name, whose
// "[...]" or "name:" parts it would otherwise take as instructions.
bool ReadWholeFile(const std::string& path, Magick::Blob& blob) {
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return false;
    struct stat st;
    bool ok = ::fstat(fileno(f), &st) == 0 && S_ISREG(st.st_mode) && st.st_size > 0 &&
              st.st_size <= ImageLibrary::kMaxFileBytes;
    if (ok) {
        const size_t size = static_cast<size_t>(st.st_size);
        auto* data = new (std::nothrow) char[size];
        ok = data && std::fread(data, 1, size, f) == size;
        if (ok)
            blob.updateNoCopy(data, size, Magick::Blob::NewAllocator);
        else
            delete[] data;
    }
    std::fclose(f);
    return ok;
}

void Configure(Magick::Image& image, ImageFormat format) {
    image.quiet(true);  // warnings (a short JPEG, an odd tag) do not fail a decode
    image.magick(CoderName(format));
    // An explicit "CODER:" name makes the library use that decoder without looking at the
    // content, so no other decoder (a vector or script format) ever sees the bytes.
    image.fileName(std::string(CoderName(format)) + ":");
    image.subImage(0);  // the first frame of an animation or a multi-page file only
    image.subRange(1);
    if (format == ImageFormat::Wmf) image.backgroundColor(Magick::Color(0, 0, MaxRGB));
}

bool SideInRange(size_t side) {
    return side >= 1 && side <= size_t(Picture::kMaxSide);
}

// One 8-bit level in quantum units (257 for 16-bit quanta), as the library scales bytes.
constexpr unsigned kQuantumPerLevel = MaxRGB / 255u;

uint8_t ToByte(unsigned q) {
    return static_cast<uint8_t>(q / kQuantumPerLevel);
}

MagickLib::Quantum FromByte(uint8_t v) {
    return static_cast<MagickLib::Quantum>(v * kQuantumPerLevel);
}

// Whether any pixel of an image with an alpha channel is less than wholly opaque.
bool PartlyTransparent(Magick::Image& image) {
    const unsigned width = static_cast<unsigned>(image.columns());
    for (unsigned y = 0; y < image.rows(); ++y) {
        const Magick::PixelPacket* p = image.getConstPixels(0, int(y), width, 1);
        if (!p) return false;
        for (unsigned x = 0; x < width; ++x)
            if (p[x].opacity != OpaqueOpacity) return true;
    }
    return false;
}

// Builds an image from the picture's rows as they stand, row 0 of the buffer at the top.
bool FromPictureRows(const Picture& picture, bool withAlpha, Magick::Image& image) {
    const int bytesPerPixel = picture.BitCount() / 8;
    if (!picture.HasBuffers() || bytesPerPixel < 3) return false;
    const int width = picture.Width();
    const int height = picture.Height();
    image =
        Magick::Image(Magick::Geometry(static_cast<unsigned>(width), static_cast<unsigned>(height)),
                      Magick::Color(0, 0, 0));
    image.type(withAlpha ? Magick::TrueColorMatteType : Magick::TrueColorType);
    image.matte(withAlpha);
    image.modifyImage();
    for (int y = 0; y < height; ++y) {
        Magick::PixelPacket* q = image.setPixels(0, y, static_cast<unsigned>(width), 1);
        if (!q) return false;
        const uint8_t* p = picture.Bits(y);
        for (int x = 0; x < width; ++x, p += bytesPerPixel) {
            q[x].red = FromByte(p[0]);
            q[x].green = FromByte(p[1]);
            q[x].blue = FromByte(p[2]);
            const uint8_t alpha = bytesPerPixel == 4 ? p[3] : 255;
            q[x].opacity = withAlpha ? MaxRGB - FromByte(alpha) : OpaqueOpacity;
        }
        image.syncPixels();
    }
    return true;
}

bool WriteEncoded(Magick::Image& image, const QString& fileName) {
    Magick::Blob blob;
    image.write(&blob);
    if (blob.length() == 0) return false;
    return WriteFileAtomically(
        LocalPath(fileName),
        std::string_view(static_cast<const char*>(blob.data()), blob.length()));
}

}  // namespace

void ImageLibrary::Setup() {
    static std::once_flag once;
    std::call_once(once, [] {
        Magick::InitializeMagick(nullptr);
        // Refuse oversized images inside the library too, before any pixel memory is taken,
        // in case a file's first look (ping) and its full decode disagree.
        MagickLib::SetMagickResourceLimit(MagickLib::WidthResource, Picture::kMaxSide);
        MagickLib::SetMagickResourceLimit(MagickLib::HeightResource, Picture::kMaxSide);
        MagickLib::SetMagickResourceLimit(MagickLib::PixelsResource,
                                          int64_t(Picture::kMaxSide) * Picture::kMaxSide);
    });
}

ImageFormat ImageLibrary::FormatForName(const QString& lowerName) {
    static const struct {
        const char* extension;
        ImageFormat format;
    } kOrder[] = {{".jpg", ImageFormat::Jpeg}, {".gif", ImageFormat::Gif},
                  {".bmp", ImageFormat::Bmp},  {".png", ImageFormat::Png},
                  {".tif", ImageFormat::Tiff}, {".pcx", ImageFormat::Pcx},
                  {".wmf", ImageFormat::Wmf}};
    for (const auto& e : kOrder) {
        if (lowerName.contains(QLatin1String(e.extension))) return e.format;
    }
    return ImageFormat::None;
}

bool ImageLibrary::Decode(const QString& fileName, ImageFormat format, Decoded& out) {
    if (!CoderName(format)) return false;
    Setup();
    Magick::Blob blob;
    if (!ReadWholeFile(LocalPath(fileName), blob)) return false;
    try {
        // A first look at the header: a picture that cannot fit is refused undecoded.
        Magick::Image header;
        Configure(header, format);
        header.ping(blob);
        if (!SideInRange(header.columns()) || !SideInRange(header.rows())) return false;

        auto impl = std::make_unique<Decoded::Impl>();
        Magick::Image& image = impl->image;
        Configure(image, format);
        image.read(blob);
        if (!SideInRange(image.columns()) || !SideInRange(image.rows())) return false;
        if (image.colorSpace() == Magick::CMYKColorspace)
            image.colorSpace(Magick::RGBColorspace);  // CMYK JPEGs and TIFFs
        const bool alpha = image.matte() && PartlyTransparent(image);
        impl->row.resize(size_t(image.columns()) * (alpha ? 4 : 3));
        out.width_ = static_cast<int>(image.columns());
        out.height_ = static_cast<int>(image.rows());
        out.hasAlpha_ = alpha;
        out.impl_ = std::move(impl);
        return true;
    } catch (const std::exception&) {
        return false;
    } catch (...) {
        return false;
    }
}

const uint8_t* ImageLibrary::Decoded::Row(int row) {
    if (!impl_ || row < 0 || row >= height_) return nullptr;
    try {
        const Magick::PixelPacket* p =
            impl_->image.getConstPixels(0, row, static_cast<unsigned>(width_), 1);
        if (!p) return nullptr;
        uint8_t* out = impl_->row.data();
        const int bytes = hasAlpha_ ? 4 : 3;
        for (int x = 0; x < width_; ++x, out += bytes) {
            out[0] = ToByte(p[x].red);
            out[1] = ToByte(p[x].green);
            out[2] = ToByte(p[x].blue);
            // The library keeps opacity: 0 is opaque.
            if (hasAlpha_) out[3] = ToByte(MaxRGB - p[x].opacity);
        }
        return impl_->row.data();
    } catch (...) {
        return nullptr;
    }
}

bool ImageLibrary::WriteJpeg(const QString& fileName, const Picture& picture) {
    Setup();
    try {
        Magick::Image image;
        if (!FromPictureRows(picture, false, image)) return false;
        image.magick("JPEG");
        image.quality(80);
        return WriteEncoded(image, fileName);
    } catch (...) {
        return false;
    }
}

bool ImageLibrary::WritePng(const QString& fileName, const Picture& picture) {
    Setup();
    try {
        Magick::Image image;
        if (!FromPictureRows(picture, true, image)) return false;
        // PNG32 keeps colour type 6 at 8 bits per channel even when the picture would fit a
        // smaller type (a grey or fully opaque picture).
        image.magick("PNG32");
        image.depth(8);
        return WriteEncoded(image, fileName);
    } catch (...) {
        return false;
    }
}

}  // namespace quillon
