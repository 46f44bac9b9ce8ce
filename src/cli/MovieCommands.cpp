#include "MovieCommands.h"

#include <QString>
#include <cstdio>
#include <string>

#include "ConsoleHost.h"
#include "Json.h"
#include "pictures/MovieSource.h"
#include "pictures/Picture.h"

namespace quillon::cli {

int CmdMovie(const Args& args) {
    args.Allow({"--frame", "--save"});
    if (args.positionals().size() != 1) throw Failure{"expected one movie file"};
    const std::string path = args.positionals()[0];
    const auto frameText = args.Value("--frame");
    const auto out = args.Value("--save");
    if (frameText.has_value() != out.has_value())
        throw Failure{"--frame K and --save OUT go together"};
    const int frame = frameText ? ParseInt32(*frameText, "frame") : 0;

    // Damaged movies are reported here in one line, not by the decoder's own messages.
    MovieSource::SilenceLibraryLog();
    Picture picture;
    MovieSource movie;
    const QString name = QString::fromStdString(path);
    const int frames = movie.Open(name, &picture);
    if (frames < 1) throw Failure{"cannot open movie: " + path};
    if (out) {
        if (frame < 0 || frame >= frames)
            throw Failure{"frame " + std::to_string(frame) + " is outside the movie's " +
                          std::to_string(frames) + " frames"};
        if (!movie.ReadFrame(frame))
            throw Failure{"cannot decode frame " + std::to_string(frame) + ": " + path};
    }
    movie.Close();
    if (out) {
        ConsoleHost host;  // keeps what Save says, to repeat it
        if (!picture.Save(QString::fromStdString(*out), PictureWriteMode::kBmp, &host)) {
            const std::string why = host.lastMessage().isEmpty()
                                        ? std::string("cannot write picture")
                                        : host.lastMessage().toStdString();
            throw Failure{why + ": " + *out};
        }
    }

    std::string text = "{\"frames\": ";
    json::Int(text, frames);
    text += ", \"width\": ";
    json::Int(text, movie.width());
    text += ", \"height\": ";
    json::Int(text, movie.height());
    text += ", \"alphaInterleave\": ";
    text += movie.alphaInterleave() ? "true" : "false";
    text += "}\n";
    std::fwrite(text.data(), 1, text.size(), stdout);
    return 0;
}

}  // namespace quillon::cli
