#include "MovieOptions.h"

#include <unistd.h>

#include <algorithm>
#include <cstdio>

#include "model/Settings.h"

namespace quillon::cli {

MovieFormat ParseFormat(const std::string& text) {
    if (text == "avi") return MovieFormat::kAvi;
    if (text == "vrml") return MovieFormat::kVrml;
    if (text == "tga16") return MovieFormat::kTarga16;
    if (text == "tga24") return MovieFormat::kTarga24;
    throw Failure{"unknown format (avi, tga16, tga24 or vrml): " + text};
}

MovieCodec ParseCodec(const std::string& text) {
    static const char* names[] = {"raw", "mjpeg", "ffv1", "mpeg4", "h264"};
    for (int i = 0; i < kMovieCodecCount; ++i)
        if (text == names[i]) return MovieCodecFromIndex(i);
    throw Failure{"unknown codec (raw, mjpeg, ffv1, mpeg4 or h264): " + text};
}

int ParseFields(const std::string& text) {
    if (text == "frames") return 0;
    if (text == "even") return 1;
    if (text == "odd") return 2;
    throw Failure{"unknown field mode (frames, even or odd): " + text};
}

float ParseRate(const std::string& text) {
    float rate = 0;
    try {
        size_t used = 0;
        rate = std::stof(text, &used);
        if (used != text.size()) throw Failure{"bad frame rate: " + text};
    } catch (const std::exception&) {
        throw Failure{"bad frame rate: " + text};
    }
    if (!(rate > 0) || rate > 1000)
        throw Failure{"frame rate must be above 0 and at most 1000: " + text};
    return rate;
}

MovieJob MovieJobFromOptions(const Args& args, const Profile& profile) {
    MovieJob job = ReadMovieJob(profile, settings::Get(profile, settings::kFrameRate), 0);
    if (const auto f = args.Value("--format")) job.format = ParseFormat(*f);
    const Size size = MovieSize(args, profile, job.format != MovieFormat::kVrml);
    job.width = size.width;
    job.height = size.height;
    if (const auto f = args.Value("--fields")) job.fieldMode = ParseFields(*f);
    if (const auto c = args.Value("--codec")) job.codec = ParseCodec(*c);
    if (const auto f = args.Value("--fps")) job.frameRate = ParseRate(*f);
    if (!(job.frameRate > 0)) throw Failure{"the profile's movie frame rate is not above 0"};
    return job;
}

ConsoleProgress::ConsoleProgress(int32_t start, int32_t end) : start_(start), end_(end) {
    bar_ = isatty(STDERR_FILENO) != 0;
}

ConsoleProgress::~ConsoleProgress() {
    if (bar_ && shown_) std::fputc('\n', stderr);
}

void ConsoleProgress::Restart(int32_t start, int32_t end) {
    if (bar_ && shown_) std::fputc('\n', stderr);
    shown_ = false;
    start_ = start;
    end_ = end;
}

void ConsoleProgress::FrameShown(int32_t frame) {
    if (!bar_) return;
    const int span = end_ > start_ ? end_ - start_ : 1;
    int percent = static_cast<int>((int64_t(frame) - start_) * 100 / span);
    percent = std::clamp(percent, 0, 100);
    const int filled = percent * 30 / 100;
    std::fprintf(stderr, "\r[%.*s%.*s] %3d%%  frame %d", filled,
                 "==============================", 30 - filled, "                              ",
                 percent, frame);
    std::fflush(stderr);
    shown_ = true;
}

}  // namespace quillon::cli
