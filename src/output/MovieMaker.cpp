#include "MovieMaker.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>

#include "MovieFrameStep.h"
#include "VrmlExporter.h"
#include "model/Document.h"

namespace quillon {

namespace {

bool IsTarga(MovieFormat format) {
    return format == MovieFormat::kTarga16 || format == MovieFormat::kTarga24;
}

// Copies read rows first, first + every, ... (4 bytes a pixel, rows packed) into the same rows
// of a 24-bit picture, keeping blue, green and red. The bytes after each row's last pixel are
// cleared, so the picture holds nothing left over from an earlier frame.
void CopyRows(const std::vector<uint8_t>& bgra, Picture& picture, int first, int every) {
    const int width = picture.Width();
    const size_t used = size_t(width) * 3, rowBytes = size_t(picture.RowBytes());
    for (int row = first; row < picture.Height(); row += every) {
        const uint8_t* in = bgra.data() + size_t(row) * size_t(width) * 4;
        uint8_t* out = picture.Bits(row);
        for (int x = 0; x < width; ++x, in += 4, out += 3) {
            out[0] = in[0];
            out[1] = in[1];
            out[2] = in[2];
        }
        std::memset(picture.Bits(row) + used, 0, rowBytes - used);
    }
}

// The end of a run, on every way out of it: the window laid out as before, the status text
// cleared, the cursor restored.
class RunScope {
  public:
    RunScope(DocumentHost& host, MovieProgress& progress, int width, int height)
        : host_(host), progress_(progress) {
        host_.SetWaitCursor(true);
        progress_.BeginRun(width, height);
    }
    ~RunScope() {
        progress_.EndRun();
        host_.SetStatusText(QString());
        host_.SetWaitCursor(false);
    }
    RunScope(const RunScope&) = delete;
    RunScope& operator=(const RunScope&) = delete;

  private:
    DocumentHost& host_;
    MovieProgress& progress_;
};

}  // namespace

MovieMaker::MovieMaker(Document& doc, MovieFrameSource& source, MovieWriter& writer,
                       MovieProgress& progress)
    : doc_(doc), source_(source), writer_(writer), progress_(progress) {}

bool MovieMaker::ReadInto(std::vector<uint8_t>& bgra) {
    // The same size as last time keeps the buffer: no allocation per frame.
    bgra.resize(size_t(writer_.width) * size_t(writer_.height) * 4);
    return source_.ReadPixels(writer_.width, writer_.height, bgra.data());
}

bool MovieMaker::WriteFrame(long /*index*/) {
    // The writer numbers AVI frames in the order they come; Targa frames go to its fileName.
    if (!frame_.Create(writer_.width, writer_.height, 24)) return false;
    const int mode = writer_.fieldMode;
    if (mode == 1 || mode == 2) {
        // The first field is rendered at the frame's own instant (even first) or half a frame
        // later (odd first) and fills rows 0, 2, 4, ... counted from the bottom; the second
        // field, at the other instant, rows 1, 3, 5, ...
        for (int field = 0; field < 2; ++field) {
            const bool halfFrame = field == 0 ? mode == 2 : mode == 1;
            doc_.UpdateViewsAtFrame(doc_.currentFrame(), Refresh::kNone,
                                    halfFrame ? FrameInstant::kHalf : FrameInstant::kWhole);
            source_.RenderFrame(false);
            source_.SwapNow();
            if (!ReadInto(read_)) return false;
            CopyRows(read_, frame_, field, 2);
        }
    } else {
        if (!ReadInto(read_)) return false;
        CopyRows(read_, frame_, 0, 1);
    }
    return writer_.WriteFrame(frame_);
}

bool MovieMaker::WriteSound(bool hold) {
    if (!mixer_) return true;
    mixer_->NextFrame(hold, samples_);
    const int channels = std::max(1, sound_->channels);
    return writer_.WriteAudio(samples_.data(), int64_t(samples_.size()) / channels);
}

bool MovieMaker::WriteHold(int count, const char* status, long& n) {
    for (; count > 0; --count) {
        doc_.host().SetStatusText(QString::fromLatin1(status));
        const bool written = WriteFrame(n) && WriteSound(true);
        ++n;
        if (!written) return false;
        if (progress_.StopRequested()) break;
    }
    return true;
}

bool MovieMaker::MakeMovie(const MovieRange& range) {
    const int32_t start = range.start, end = range.end;
    const bool reverse = range.reverse;
    if (writer_.format == MovieFormat::kVrml) {
        WaitCursor wait(doc_.host());
        VrmlExporter exporter(doc_);
        return exporter.Export(writer_.fileName);
    }

    // Nothing is rendered for a run that could not end or could not write a frame: a step
    // that is not a positive number, or one so small that the range would take more movie
    // frames than a frame number holds.
    const double step = MovieFrameStep(doc_.frameRate(), writer_.frameRate);
    if (!(step > 0.0) || !std::isfinite(step)) return false;
    if (std::fabs(double(end) - double(start)) / step > double(INT32_MAX)) return false;
    if (writer_.width < 1 || writer_.height < 1 || writer_.width > Picture::kMaxSide ||
        writer_.height > Picture::kMaxSide)
        return false;

    const bool targa = IsTarga(writer_.format);
    const QString chosenName = writer_.fileName;
    QString baseName;
    long n = 0;
    if (targa) {
        const TargaNumbering numbering = TargaNumberingFor(writer_.fileName);
        baseName = numbering.baseName;
        n = numbering.first;
    }

    RunScope run(doc_.host(), progress_, writer_.width, writer_.height);
    bool allWritten = true;
    mixer_.reset();
    // Sound goes with forward frames into an AVI that has a stream for it.
    if (sound_ && sound_->usable() && writer_.audioChannels == sound_->channels &&
        writer_.audioSampleRate == sound_->sampleRate && writer_.isOpen() && !reverse &&
        writer_.fieldMode == 0)
        mixer_ = std::make_unique<MovieSoundMixer>(*sound_, doc_.frameRate(), start,
                                                   AviFrameRate(writer_.frameRate),
                                                   double(writer_.frameRate));

    auto show = [this](int32_t frame) {
        doc_.UpdateViewsAtFrame(frame);
        source_.RenderFrame(true);
        progress_.FrameShown(frame);
    };

    // The holds write to the chosen name while n still advances.
    show(reverse ? end : start);
    if (!WriteHold(range.startHold, "Writing Start Hold", n)) allWritten = false;

    double position = start;
    bool completed = true;
    // Compared as doubles: a large step can take the position beyond what int32 holds.
    while (std::trunc(position) < double(end)) {
        if (progress_.StopRequested()) {
            completed = false;
            break;
        }
        const int32_t at = static_cast<int32_t>(position);
        show(reverse ? static_cast<int32_t>(int64_t(start) + end - at) : at);
        if (targa) writer_.fileName = TargaFrameName(baseName, n);
        const bool written = WriteFrame(n) && WriteSound(false);
        ++n;
        if (!written) {
            completed = false;
            break;
        }
        doc_.host().SetStatusText(
            QString::asprintf("%d Percent Done", MovieProgressPercent(position, start, end)));
        const double next = position + step;
        // A step too small to move the position on would never end the loop.
        if (!(next > position)) {
            completed = false;
            break;
        }
        position = next;
    }

    // The end hold, like the start hold, goes to the name as chosen.
    if (targa) writer_.fileName = chosenName;
    show(reverse ? start : end);
    if (!WriteHold(range.endHold, "Writing End Hold", n)) allWritten = false;

    return completed && allWritten;
}

}  // namespace quillon
