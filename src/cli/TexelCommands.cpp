#include "TexelCommands.h"

#include <QString>
#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstdio>
#include <cstring>

#include "ConsoleHost.h"
#include "Json.h"
#include "model/Settings.h"
#include "model/ShowNode.h"
#include "pictures/Picture.h"
#include "pictures/RecordingTextureUploader.h"
#include "pictures/TextureTable.h"

namespace quillon::cli {

int32_t ParseKeyColor(const std::string& text) {
    std::string lower = text;
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return char(std::tolower(c)); });
    struct Named {
        const char* name;
        int32_t value;
    };
    // The choices of the key-colour lists.
    static constexpr Named kNames[] = {{"alpha", -1},
                                       {"blue", 0x00FF0000},
                                       {"green", 0x0000FF00},
                                       {"black", 0x00000000},
                                       {"white", 0x00FFFFFF}};
    for (const Named& n : kNames)
        if (lower == n.name) return n.value;

    long long value = 0;
    if (lower.rfind("0x", 0) == 0) {
        const char* begin = lower.data() + 2;
        const char* end = lower.data() + lower.size();
        const auto r = std::from_chars(begin, end, value, 16);
        if (begin == end || r.ec != std::errc() || r.ptr != end)
            throw Failure{"bad key colour: " + text};
    } else {
        value = ParseInteger(text, "key colour");
    }
    if (value < -1 || value > 0x00FFFFFF)
        throw Failure{"key colour must be -1 or 0 to 0xFFFFFF: " + text};
    return static_cast<int32_t>(value);
}

int CmdTexels(const Args& args) {
    args.Allow({"--key", "--feather", "--actor", "--panel", "--rostrum", "--out"});
    if (args.positionals().size() != 1) throw Failure{"expected one picture file"};
    const std::string path = args.positionals()[0];
    const auto out = args.Value("--out");
    if (!out) throw Failure{"texels needs --out OUT.png"};
    const QString outName = QString::fromStdString(*out);
    if (!outName.endsWith(QLatin1String(".png"), Qt::CaseInsensitive))
        throw Failure{"--out must name a .png file: " + *out};
    if (args.Has("--actor") && args.Has("--panel")) throw Failure{"give --actor or --panel"};
    const bool panel = args.Has("--panel");
    const int32_t key = args.Value("--key") ? ParseKeyColor(*args.Value("--key")) : -1;

    DocumentSettings settings;
    settings.rostrumMode = args.Has("--rostrum");
    settings.featherActors = args.Has("--feather");

    ConsoleHost log;
    Picture picture;
    if (!picture.Load(QString::fromStdString(path), {.showErrors = true}, &log))
        throw Failure{log.Describe("cannot load picture", path)};

    RecordingTextureUploader uploader;
    TextureTable table(uploader);
    int number = -1;
    if (panel) {
        SetPanel p;
        std::strncpy(p.imagePath, path.c_str(), kPanelPathBytes - 1);
        p.keyColor = key;
        number = table.UploadTexture(p, picture, settings);
    } else {
        ShowNode actor;
        actor.kind = NodeKind::Actor;
        actor.SetFileName(path);
        actor.keyColor = key;
        number = table.UploadTexture(actor, picture, settings);
    }
    const RecordingTextureUploader::Texture* texture = uploader.Find(number);
    if (!texture) throw Failure{"cannot make texels: " + path};

    // The PNG writer takes a picture's buffer as it stands, row 0 at the top and the bytes of
    // a pixel in red, green, blue, alpha order: the texel rows go in reversed, bytes as they are.
    Picture image;
    if (!image.Create(texture->width, texture->height, 32))
        throw Failure{"cannot make texels: " + path};
    const size_t rowBytes = size_t(texture->width) * 4;
    for (int y = 0; y < texture->height; ++y)
        std::memcpy(image.Bits(texture->height - 1 - y),
                    texture->texels.data() + size_t(y) * rowBytes, rowBytes);
    if (!image.Save(outName, PictureWriteMode::kBmp, &log))
        throw Failure{log.Describe("cannot write picture", *out)};

    std::string text = "{\"width\": ";
    json::Int(text, texture->width);
    text += ", \"height\": ";
    json::Int(text, texture->height);
    text += "}\n";
    std::fwrite(text.data(), 1, text.size(), stdout);
    return 0;
}

}  // namespace quillon::cli
