#pragma once
// The compression of an AVI movie: the five choices the compression dialog offers, kept in the
// profile as "Movie"/"Codec" (the index below, default 0, uncompressed) so that the next run
// offers the last choice again.

#include <QString>

#include "model/Settings.h"

namespace quillon {

class Profile;

enum class MovieCodec {
    kUncompressed = 0,  // 24-bit BGR rows, as the frames are held
    kMotionJpeg = 1,    // each frame a JPEG picture
    kFfv1 = 2,          // lossless
    kMpeg4 = 3,         // MPEG-4 Visual
    kH264 = 4,
};

inline constexpr int kMovieCodecCount = 5;

namespace settings {
inline const IntSetting kMovieCodec{kMovie, QStringLiteral("Codec"), 0};
}

// The text the compression dialog shows for a codec.
QString MovieCodecName(MovieCodec codec);
// A stored index as a codec; an index outside 0..4 is the uncompressed choice.
MovieCodec MovieCodecFromIndex(int index);
MovieCodec ReadMovieCodec(const Profile& profile);
void WriteMovieCodec(Profile& profile, MovieCodec codec);

}  // namespace quillon
