// quillon-cli: headless commands over the show model. Exit status 0 on success; 1 with a
// one-line message on stderr on failure.

#include <QCoreApplication>
#include <QGuiApplication>
#include <QString>
#include <algorithm>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "BatchCommands.h"
#include "BoardCommands.h"
#include "CliArgs.h"
#include "CliHelp.h"
#include "ConsoleHost.h"
#include "DemoCommands.h"
#include "ExportCommands.h"
#include "Json.h"
#include "KeyPlacement.h"
#include "MovieCommands.h"
#include "PictureCommands.h"
#include "PlayCommands.h"
#include "RecoverCommands.h"
#include "RenderCommands.h"
#include "ScriptCommands.h"
#include "TapeCommands.h"
#include "TexelCommands.h"
#include "VrmlCommands.h"
#include "model/Document.h"
#include "model/Motion.h"
#include "model/Profile.h"
#include "model/ShowFile.h"
#include "model/ShowFiles.h"
#include "model/Timecode.h"

using namespace quillon;
using namespace quillon::cli;

namespace {

// Qt's offscreen platform asks for the user's runtime folder, which batch jobs and containers
// often lack; Qt falls back to a folder of its own and says so on stderr. That note is left
// out so that a failing command still says one line; every other message goes through.
QtMessageHandler defaultMessages = nullptr;
void QuietRuntimeFolderNote(QtMsgType type, const QMessageLogContext& context,
                            const QString& text) {
    if (type == QtWarningMsg && text.startsWith(QLatin1String("QStandardPaths: XDG_RUNTIME_DIR")))
        return;
    if (defaultMessages) defaultMessages(type, context, text);
}

const char* KindName(NodeKind k) {
    switch (k) {
        case NodeKind::Movie:
            return "Movie";
        case NodeKind::SoundTrack:
            return "SoundTrack";
        case NodeKind::Actor:
            return "Actor";
        case NodeKind::Scene:
            return "Scene";
        case NodeKind::Script:
            return "Script";
        case NodeKind::Camera:
            return "Camera";
    }
    return "Unknown";
}

void WriteKeyJson(std::string& out, const KeyFrame& k) {
    out += "{\"frame\": ";
    json::Int(out, k.frame);
    out += ", \"hold\": ";
    json::Int(out, k.hold);
    out += ", \"act\": ";
    json::Int(out, k.act);
    out += ", \"channels\": [";
    for (int c = 0; c < kChannelCount; ++c) {
        if (c) out += ", ";
        json::Float(out, k.channel[c]);
    }
    out += "]}";
}

void WriteNodeJson(std::string& out, const ShowNode& n) {
    out += "{\"kind\": ";
    json::Int(out, static_cast<int>(n.kind));
    out += ", \"motionMode\": ";
    json::Int(out, n.motionMode);
    out += ", \"name\": ";
    json::String(out, n.GetName());
    out += ", \"fileName\": ";
    json::String(out, n.GetFileName());
    out += ", \"startFrame\": ";
    json::Int(out, n.startFrame);
    out += ", \"endFrame\": ";
    json::Int(out, n.endFrame);
    out += ", \"flags\": ";
    json::Int(out, n.flags);
    out += ", \"reserved\": ";
    json::Int(out, n.reserved);
    out += ", \"keyColor\": ";
    json::Int(out, n.keyColor);
    out += ", \"keys\": [";
    for (size_t i = 0; i < n.keys.size(); ++i) {
        if (i) out += ", ";
        WriteKeyJson(out, n.keys[i]);
    }
    out += "], \"children\": [";
    for (size_t i = 0; i < n.children.size(); ++i) {
        if (i) out += ", ";
        WriteNodeJson(out, *n.children[i]);
    }
    out += "]}";
}

void WriteNodeText(std::string& out, const ShowNode& n, int depth) {
    char line[512];
    std::snprintf(line, sizeof(line), "%*s%s", depth * 2, "", KindName(n.kind));
    out += line;
    if (!n.GetName().empty()) out += " \"" + n.GetName() + "\"";
    std::snprintf(line, sizeof(line), "  frames %d-%d  keys %d", n.startFrame, n.endFrame,
                  n.KeyCount());
    out += line;
    if (n.motionMode) out += "  motion " + std::to_string(n.motionMode);
    if (n.selected()) out += "  selected";
    if (!n.GetFileName().empty()) out += "  file " + n.GetFileName();
    out += "\n";
    for (const ShowNode* c : n.children)
        WriteNodeText(out, *c, depth + 1);
}

void WritePoseJson(std::string& out, const KeyFrame& pose) {
    out += "{\"channels\": [";
    for (int c = 0; c < kChannelCount; ++c) {
        if (c) out += ", ";
        json::Float(out, pose.channel[c]);
    }
    out += "], \"act\": ";
    json::Int(out, static_cast<int16_t>(pose.act));
    out += "}";
}

std::string ReadRequiredShow(const Args& args) {
    if (args.positionals().size() != 1) throw Failure{"expected one show file"};
    return args.positionals()[0];
}

int CmdInfo(const Args& args, const Profile& profile) {
    args.Allow({"--json"});
    const std::string path = ReadRequiredShow(args);
    // Older shows get cameras made with this installation's settings, as opening them would.
    const DocumentSettings settings = ReadDocumentSettings(profile);
    ShowReadOptions options;
    options.rostrumMode = settings.rostrumMode;
    options.defaultKeyColor = settings.defaultKeyColor;
    ShowFileContents show;
    switch (ReadShowFile(path, show, options)) {
        case ShowReadResult::CannotOpen:
            throw Failure{"Couldn't read file: " + path + ": " + show.failure};
        case ShowReadResult::NotAShowFile:
            throw Failure{show.failure + ": " + path};
        case ShowReadResult::Ok:
            break;
    }
    std::string out;
    if (args.Has("--json")) {
        out += "{\"version\": ";
        json::Int(out, show.version);
        out += ", \"captions\": [";
        for (size_t i = 0; i < show.captions.size(); ++i) {
            if (i) out += ", ";
            json::String(out, show.captions[i]);
        }
        out += "], \"root\": ";
        WriteNodeJson(out, *show.root);
        out += "}\n";
    } else {
        out += "version " + std::to_string(show.version);
        if (show.truncated) out += " (truncated)";
        out += "\n";
        WriteNodeText(out, *show.root, 0);
        out += std::to_string(show.captions.size()) + " captions\n";
        for (const auto& c : show.captions)
            out += "  " + c + "\n";
    }
    std::fwrite(out.data(), 1, out.size(), stdout);
    return 0;
}

void OpenIntoDocument(Document& doc, ConsoleHost& host, const std::string& path) {
    if (!ShowFiles(doc).ReadShow(QString::fromStdString(path)))
        throw Failure{host.ReadFailure(path)};
}

int CmdEval(const Args& args, Profile& profile) {
    args.Allow({"--frame", "--to", "--half"});
    const std::string path = ReadRequiredShow(args);
    const auto from = args.Value("--frame");
    if (!from) throw Failure{"eval needs --frame F"};
    const int first = ParseInt32(*from, "frame");
    const int last = args.Value("--to") ? ParseInt32(*args.Value("--to"), "frame") : first;
    if (last < first) throw Failure{"--to must not be before --frame"};
    const bool half = args.Has("--half");

    ConsoleHost host;
    Document doc(profile, host);
    OpenIntoDocument(doc, host, path);
    std::string out;
    for (int64_t f = first; f <= last; ++f) {
        const int frame = static_cast<int>(f);
        out.clear();
        out += "{\"frame\": ";
        json::Int(out, frame);
        ShowNode* scene = doc.SceneAt(frame);
        if (!scene) {
            out += ", \"scene\": null}\n";
        } else {
            doc.UpdateViewsAtFrame(frame, Refresh::kNone,
                                   half ? FrameInstant::kHalf : FrameInstant::kWhole);
            out += ", \"scene\": ";
            json::Int(out, doc.root().IndexOf(scene));
            out += ", \"scenePose\": ";
            WritePoseJson(out, scene->pose);
            out += ", \"children\": [";
            for (int i = 0; i < scene->childCount(); ++i) {
                if (i) out += ", ";
                WritePoseJson(out, scene->children[i]->pose);
            }
            out += "]}\n";
        }
        std::fwrite(out.data(), 1, out.size(), stdout);
    }
    return 0;
}

int CmdPath(const Args& args, Profile& profile) {
    args.Allow({"--scale"});
    const std::string path = ReadRequiredShow(args);
    const double scale = args.Value("--scale") ? ParseDouble(*args.Value("--scale"), "scale") : 1.0;
    ConsoleHost host;
    Document doc(profile, host);
    OpenIntoDocument(doc, host, path);
    for (int i = 0; i < doc.root().childCount(); ++i) {
        ShowNode* scene = doc.root().children[i];
        const ShowNode* camera = doc.ActiveTrack(scene);
        std::printf("scene %d \"%s\"", i, scene->GetName().c_str());
        if (!camera || camera == scene) {
            std::printf(": no camera\n");
            continue;
        }
        std::printf(": camera %d, %d keys\n", doc.activeCamera(), camera->KeyCount());
        SampleMotionPath(*camera, scale, [](int x0, int y0, int x1, int y1) {
            std::printf("  %d,%d -> %d,%d\n", x0, y0, x1, y1);
        });
    }
    return 0;
}

int CmdTimecode(const Args& args) {
    args.Allow({"--rate", "--write", "--short", "--read", "--old"});
    if (!args.positionals().empty()) throw Failure{"timecode takes no file"};
    const auto rate = args.Value("--rate");
    if (!rate) throw Failure{"timecode needs --rate R"};
    const int r = ParseInt32(*rate, "rate");
    if (r <= 0) throw Failure{"rate must be positive"};
    const auto write = args.Value("--write");
    const auto read = args.Value("--read");
    if (write.has_value() == read.has_value())
        throw Failure{"give either --write N or --read TEXT"};
    if (write) {
        const long long n = ParseInteger(*write, "frame count");
        std::printf("%s\n", FormatTimecode(n, r, args.Has("--short")).c_str());
    } else {
        const long long old =
            args.Value("--old") ? ParseInteger(*args.Value("--old"), "old value") : 0;
        std::printf("%lld\n", static_cast<long long>(ParseTimecode(*read, r, old)));
    }
    return 0;
}

// Gives each scene's camera a move, made the way a user makes one: place the camera at a frame
// and "Add or Reset KeyFrame". The camera dollies in, holds, then pans across.
void AddCameraMoves(Document& doc) {
    for (ShowNode* scene : doc.root().children) {
        const int start = scene->startFrame;
        const int length = scene->length();
        struct Stop {
            int at;
            float eastWest, northSouth, pan;
        };
        const Stop stops[] = {{0, 200.0f, 200.0f, 0.0f},
                              {length / 3, 1200.0f, 900.0f, -20.0f},
                              {2 * length / 3, 1500.0f, 1400.0f, 35.0f},
                              {length - 1, 2600.0f, 1500.0f, 60.0f}};
        for (const Stop& s : stops) {
            KeyAtFrame(doc, start + s.at, [&s](KeyFrame& pose) {
                pose.eastWest() = s.eastWest;
                pose.northSouth() = s.northSouth;
                pose.pan() = s.pan;
            });
        }
        ShowNode* camera = doc.ActiveTrack(scene);
        if (camera && camera->KeyCount() > 1)
            camera->keys[1].hold = static_cast<int16_t>(length / 10);
    }
    doc.UpdateViewsAtFrame(0);
}

int CmdNew(const Args& args, Profile& profile) {
    args.Allow({"--scenes", "--length", "--camera-move"});
    if (args.positionals().size() != 1) throw Failure{"expected one output file"};
    const std::string out = args.positionals()[0];
    const int scenes = args.Value("--scenes") ? ParseInt32(*args.Value("--scenes"), "scenes") : 1;
    const int length = args.Value("--length") ? ParseInt32(*args.Value("--length"), "length")
                                              : Document::kNewSceneLength;
    if (scenes < 1 || scenes > 32767) throw Failure{"--scenes must be 1 to 32767"};
    if (length < 1) throw Failure{"--length must be at least 1"};
    if (int64_t(scenes) * length > INT32_MAX) throw Failure{"show too long"};

    ConsoleHost host;
    Document doc(profile, host);
    doc.Reset(false);
    for (int i = 0; i < scenes; ++i)
        doc.NewScene(length);
    if (args.Has("--camera-move")) AddCameraMoves(doc);
    const QString path = QString::fromStdString(out);
    doc.SetShowPath(path);
    if (!ShowFiles(doc).WriteShow(path)) throw Failure{"Couldn't write file: " + out};
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    // Qt's event dispatcher, for what needs one (the play loop's timers, the tape recorder's
    // serial port).
    std::vector<std::string> all(argv + 1, argv + argc);
    // Storyboards are drawn with fonts and written by Qt's PDF writer, which need a GUI
    // application: on Qt's offscreen platform, so no display is needed.
    const bool drawsPages = std::find(all.begin(), all.end(), "boards") != all.end();
    std::unique_ptr<QCoreApplication> app;
    if (drawsPages) {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
        defaultMessages = qInstallMessageHandler(QuietRuntimeFolderNote);
        app = std::make_unique<QGuiApplication>(argc, argv);
    } else {
        app = std::make_unique<QCoreApplication>(argc, argv);
    }
    try {
        std::string profilePath;
        size_t i = 0;
        while (i < all.size() && all[i].rfind("--", 0) == 0) {
            if (all[i] == "--profile" && i + 1 < all.size()) {
                profilePath = all[i + 1];
                i += 2;
            } else if (all[i] == "--help" || all[i] == "-h") {
                std::fputs(Usage().c_str(), stdout);
                return 0;
            } else {
                throw Failure{"unknown option " + all[i]};
            }
        }
        if (i >= all.size()) throw Failure{"no command given (try --help)"};
        const std::string command = all[i];
        std::vector<std::string> rest(all.begin() + static_cast<long>(i) + 1, all.end());
        // COMMAND --help (or -h) anywhere after the command: its page, and nothing run.
        for (const std::string& word : rest) {
            if (word != "--help" && word != "-h") continue;
            const std::string help = CommandHelp(command);
            if (help.empty()) throw Failure{"unknown command " + command + " (try --help)"};
            std::fputs(help.c_str(), stdout);
            return 0;
        }
        // --profile may also follow the command.
        for (size_t k = 0; k < rest.size(); ++k) {
            if (rest[k] == "--profile") {
                if (k + 1 >= rest.size()) throw Failure{"missing value for --profile"};
                profilePath = rest[k + 1];
                rest.erase(rest.begin() + static_cast<long>(k),
                           rest.begin() + static_cast<long>(k) + 2);
                break;
            }
        }
        Profile profile(QString::fromStdString(profilePath));
        if (command == "info") return CmdInfo(Args(rest, {"--json"}), profile);
        if (command == "eval") return CmdEval(Args(rest, {"--half"}), profile);
        if (command == "path") return CmdPath(Args(rest, {}), profile);
        if (command == "timecode") return CmdTimecode(Args(rest, {"--short"}));
        if (command == "new") return CmdNew(Args(rest, {"--camera-move"}), profile);
        if (command == "picture") return CmdPicture(Args(rest, {}));
        if (command == "movie") return CmdMovie(Args(rest, {}));
        if (command == "texels")
            return CmdTexels(Args(rest, {"--feather", "--actor", "--panel", "--rostrum"}));
        if (command == "vrml") return CmdVrml(rest, profile);
        if (command == "frame") return CmdFrame(rest, profile);
        if (command == "render") return CmdRender(rest, profile);
        if (command == "make-demo") return CmdMakeDemo(Args(rest, {}));
        if (command == "script") return CmdScript(rest);
        if (command == "vtr") return CmdVtr(rest, profile);
        if (command == "batch") return CmdBatch(rest, profile);
        if (command == "sound") return CmdSound(Args(rest, {}), profile);
        if (command == "play") return CmdPlay(rest, profile);
        if (command == "recover") return CmdRecover(rest);
        if (command == "gltf") return CmdGltf(rest, profile);
        if (command == "camera") return CmdCamera(rest, profile);
        if (command == "boards") return CmdBoards(rest, profile);
        if (command == "caption") return CmdCaption(rest, profile);
        if (command == "shotlist") return CmdShotlist(rest, profile);
        throw Failure{"unknown command " + command + " (try --help)"};
    } catch (const Failure& f) {
        std::fprintf(stderr, "quillon-cli: %s\n", f.message.c_str());
        return 1;
    }
}
