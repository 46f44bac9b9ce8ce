#include "MovieJob.h"

#include <algorithm>

#include "model/Document.h"
#include "model/Profile.h"
#include "model/Settings.h"

namespace quillon {

MovieJob ReadMovieJob(const Profile& profile, int showFrameRate, int totalFrames) {
    MovieJob job;
    job.height = settings::Get(profile, settings::kMovieHeight);
    job.width = settings::Get(profile, settings::kMovieWidth);
    const int fields = settings::Get(profile, settings::kFieldRender);
    job.fieldMode = fields >= 0 && fields <= 2 ? fields : 0;
    job.frameRate = settings::Get(profile, settings::kMovieFrameRate, showFrameRate) / 100.0f;
    const int format = settings::Get(profile, settings::kMovieFormat);
    job.format = format >= 0 && format <= 3 ? static_cast<MovieFormat>(format) : MovieFormat::kAvi;
    job.codec = ReadMovieCodec(profile);
    job.includeSound = settings::Get(profile, settings::kMovieSound) != 0;
    job.range.start = 0;
    job.range.end = totalFrames;
    return job;
}

void WriteMovieJob(Profile& profile, const MovieJob& job) {
    settings::Write(profile, settings::kMovieHeight, job.height);
    settings::Write(profile, settings::kMovieWidth, job.width);
    settings::Write(profile, settings::kMovieFrameRate, int(job.frameRate * 100 + 0.5f));
    settings::Write(profile, settings::kMovieFormat, static_cast<int>(job.format));
    settings::Write(profile, settings::kFieldRender, job.fieldMode);
    WriteMovieCodec(profile, job.codec);
    settings::Write(profile, settings::kMovieSound, job.includeSound ? 1 : 0);
}

QString SoundIgnoredReason(const MovieJob& job) {
    if (!job.includeSound) return {};
    switch (job.format) {
        case MovieFormat::kTarga16:
        case MovieFormat::kTarga24:
            return QStringLiteral("a Targa sequence has no sound: the sound tracks are left out");
        case MovieFormat::kVrml:
            return QStringLiteral("a VRML world has no sound: the sound tracks are left out");
        case MovieFormat::kAvi:
            break;
    }
    if (job.fieldMode != 0)
        return QStringLiteral("sound is not written with fields: the sound tracks are left out");
    if (job.range.reverse)
        return QStringLiteral("sound is not written backwards: the sound tracks are left out");
    return {};
}

MovieResult MakeMovie(Document& doc, MovieFrameSource& source, const MovieJob& job,
                      MovieProgress& progress, const MovieSoundtrack* sound) {
    MovieWriter writer;
    writer.format = job.format;
    writer.width = job.width;
    writer.height = job.height;
    writer.fieldMode = job.fieldMode;
    writer.frameRate = job.frameRate;
    writer.codec = job.codec;
    writer.fileName = job.fileName;
    writer.host = &doc.host();
    const bool withSound = sound && sound->usable() && SoundIgnoredReason(job).isEmpty() &&
                           job.includeSound && job.format == MovieFormat::kAvi;
    if (withSound) {
        writer.audioChannels = sound->channels;
        writer.audioSampleRate = sound->sampleRate;
    }
    MovieResult result;
    if (!writer.Open()) {
        result.outcome = MovieOutcome::kNotOpened;
        result.error = writer.errorString();
        return result;
    }
    MovieMaker maker(doc, source, writer, progress);
    if (withSound) maker.SetSoundtrack(sound);
    const bool whole = maker.MakeMovie(job.range);
    writer.Close();
    result.failedFrames = writer.failedFrames();
    if (result.failedFrames > 0) result.error = writer.errorString();
    if (whole) {
        result.outcome = MovieOutcome::kWritten;
    } else if (progress.StopRequested()) {
        result.outcome = MovieOutcome::kStopped;
    } else {
        result.outcome = MovieOutcome::kEndedEarly;
        result.error = writer.errorString();
    }
    return result;
}

}  // namespace quillon
