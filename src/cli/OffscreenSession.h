#pragma once
// What the offscreen commands (frame, render, play) share: the picture size from the options or
// the profile, timecode options read as frames, and a document with an offscreen monitor as its
// media loader and the show read into it.

#include <cstdio>
#include <memory>
#include <string>

#include "CliArgs.h"
#include "ConsoleHost.h"
#include "model/Document.h"
#include "model/Profile.h"
#include "model/Settings.h"
#include "model/ShowFiles.h"
#include "model/Timecode.h"
#include "monitor/OffscreenMonitor.h"

namespace quillon::cli {

inline constexpr int kMaxSide = 4096;

struct Size {
    int width = 0;
    int height = 0;
};

// The picture size: the profile's "Movie" Width and Height unless --size WxH is given.
// Refused outside 1 .. 4096 a side, unless `check` is off (a VRML world has no picture).
inline Size MovieSize(const Args& args, const Profile& profile, bool check = true) {
    Size s{settings::Get(profile, settings::kMovieWidth),
           settings::Get(profile, settings::kMovieHeight)};
    std::string source = "the profile says ";
    if (const auto text = args.Value("--size")) {
        const size_t x = text->find('x');
        if (x == std::string::npos) throw Failure{"bad size (WxH expected): " + *text};
        s = {ParseInt32(text->substr(0, x), "width"), ParseInt32(text->substr(x + 1), "height")};
        source.clear();
    }
    if (check && (s.width < 1 || s.height < 1 || s.width > kMaxSide || s.height > kMaxSide))
        throw Failure{"size must be from 1x1 to 4096x4096: " + source + std::to_string(s.width) +
                      "x" + std::to_string(s.height)};
    return s;
}

// A document with an offscreen monitor as its media loader, the show read into it.
struct Session {
    ConsoleHost host;
    std::unique_ptr<Document> doc;
    std::unique_ptr<OffscreenMonitor> monitor;

    // Without a show: the document holds a new one (the batch reads its shows itself).
    Session(Profile& profile, Size size) {
        doc = std::make_unique<Document>(profile, host);
        QString error;
        monitor = OffscreenMonitor::Create(*doc, size.width, size.height, &error);
        if (!monitor) throw Failure{error.toStdString()};
        // The stage view's toggles decide what the monitor draws.
        monitor->renderer().drawGridFloor = settings::Get(profile, settings::kShowGrid) != 0;
        monitor->renderer().drawSet = settings::Get(profile, settings::kShowSet) != 0;
    }
    Session(Profile& profile, const std::string& show, Size size) : Session(profile, size) {
        if (!ShowFiles(*doc).ReadShow(QString::fromStdString(show)))
            throw Failure{host.ReadFailure(show)};
        monitor->renderer().UpdateSwapTicks();
        // Pictures that could not be found or read are drawn without their textures.
        for (const QString& m : host.messages)
            std::fprintf(stderr, "quillon-cli: warning: %s\n", m.toUtf8().constData());
        host.messages.clear();
    }
    ~Session() {
        monitor.reset();
        doc.reset();
    }
};

inline int32_t ParseFrameTimecode(const std::string& text, int rate, const std::string& what) {
    if (text.empty() || text.find_first_not_of("0123456789:;. ") != std::string::npos)
        throw Failure{"bad " + what + " timecode: " + text};
    const int64_t frames = ParseTimecode(text, rate);
    if (frames > INT32_MAX) throw Failure{what + " out of range: " + text};
    return static_cast<int32_t>(frames);
}

}  // namespace quillon::cli
