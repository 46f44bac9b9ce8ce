#include "PictureCommands.h"

#include <QString>
#include <cstdio>
#include <string>

#include "ConsoleHost.h"
#include "Json.h"
#include "pictures/Picture.h"

namespace quillon::cli {

int CmdPicture(const Args& args) {
    args.Allow({"--step", "--save", "--mode"});
    if (args.positionals().size() != 1) throw Failure{"expected one picture file"};
    const std::string path = args.positionals()[0];
    const int step = args.Value("--step") ? ParseInt32(*args.Value("--step"), "step") : 0;
    if (step < 0) throw Failure{"--step must not be negative"};
    const auto out = args.Value("--save");
    if (args.Has("--mode") && !out) throw Failure{"--mode needs --save OUT"};
    const int mode = args.Value("--mode") ? ParseInt32(*args.Value("--mode"), "mode") : 0;

    ConsoleHost log;
    Picture picture;
    if (!picture.Load(QString::fromStdString(path), {.showErrors = true, .sizeStep = step}, &log))
        throw Failure{log.Describe("cannot load picture", path)};
    if (out && !picture.Save(QString::fromStdString(*out), PictureWriteModeFromNumber(mode), &log))
        throw Failure{log.Describe("cannot write picture", *out)};

    std::string text = "{\"width\": ";
    json::Int(text, picture.Width());
    text += ", \"height\": ";
    json::Int(text, picture.Height());
    text += ", \"bits\": ";
    json::Int(text, picture.BitCount());
    text += ", \"sourceWidth\": ";
    json::Int(text, picture.sourceWidth);
    text += ", \"sourceHeight\": ";
    json::Int(text, picture.sourceHeight);
    text += "}\n";
    std::fwrite(text.data(), 1, text.size(), stdout);
    return 0;
}

}  // namespace quillon::cli
