#include "MovieCodec.h"

#include "model/Profile.h"

namespace quillon {

QString MovieCodecName(MovieCodec codec) {
    switch (codec) {
        case MovieCodec::kUncompressed:
            return QStringLiteral("Uncompressed (24-bit BGR)");
        case MovieCodec::kMotionJpeg:
            return QStringLiteral("Motion JPEG");
        case MovieCodec::kFfv1:
            return QStringLiteral("FFV1 (lossless)");
        case MovieCodec::kMpeg4:
            return QStringLiteral("MPEG-4");
        case MovieCodec::kH264:
            return QStringLiteral("H.264");
    }
    return QString();
}

MovieCodec MovieCodecFromIndex(int index) {
    if (index < 0 || index >= kMovieCodecCount) return MovieCodec::kUncompressed;
    return static_cast<MovieCodec>(index);
}

MovieCodec ReadMovieCodec(const Profile& profile) {
    return MovieCodecFromIndex(settings::Get(profile, settings::kMovieCodec));
}

void WriteMovieCodec(Profile& profile, MovieCodec codec) {
    settings::Write(profile, settings::kMovieCodec, static_cast<int>(codec));
}

}  // namespace quillon
