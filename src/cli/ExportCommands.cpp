#include "ExportCommands.h"

#include <QFile>
#include <QString>
#include <charconv>
#include <cstdio>
#include <optional>

#include "ConsoleHost.h"
#include "Json.h"
#include "model/Document.h"
#include "model/DurableFile.h"
#include "model/ShowFiles.h"
#include "model/StageUnits.h"
#include "model/Timecode.h"
#include "output/CameraData.h"
#include "output/GltfExporter.h"

namespace quillon::cli {

namespace {

constexpr double kDefaultSensorWidth = 36.0;

Args Parse(std::vector<std::string> words) {
    for (std::string& w : words)
        if (w == "-o") w = "--out";
    return Args(std::move(words), {});
}

// The show read without loading any picture: both exports need only its records.
void ReadInto(Document& doc, ConsoleHost& host, const std::string& show) {
    if (!ShowFiles(doc).ReadShow(QString::fromStdString(show)))
        throw Failure{host.ReadFailure(show)};
    host.messages.clear();
}

std::optional<int> SceneOption(const Args& args) {
    if (const auto text = args.Value("--scene")) {
        const int scene = ParseInt32(*text, "scene");
        if (scene < 0) throw Failure{"--scene must be 0 or more"};
        return scene;
    }
    return std::nullopt;
}

// --size WxH as a width-over-height ratio; 0 for the monitor's shape.
double AspectOption(const Args& args) {
    const auto text = args.Value("--size");
    if (!text) return 0;
    const size_t x = text->find('x');
    if (x == std::string::npos) throw Failure{"bad size (WxH expected): " + *text};
    const int w = ParseInt32(text->substr(0, x), "width");
    const int h = ParseInt32(text->substr(x + 1), "height");
    if (w < 1 || h < 1) throw Failure{"size must be at least 1x1: " + *text};
    return double(w) / h;
}

bool EndsWith(const std::string& text, const char* tail) {
    const QString t = QString::fromStdString(text);
    return t.endsWith(QLatin1String(tail), Qt::CaseInsensitive);
}

void Double(std::string& out, double v) {
    if (!std::isfinite(v)) {
        out += "null";
        return;
    }
    char buf[32];
    const auto r = std::to_chars(buf, buf + sizeof(buf), v);
    out.append(buf, r.ptr);
}

}  // namespace

int CmdGltf(std::vector<std::string> words, Profile& profile) {
    const Args args = Parse(std::move(words));
    args.Allow({"--out", "--scene", "--size"});
    if (args.positionals().size() != 1) throw Failure{"expected one show file"};
    const auto out = args.Value("--out");
    if (!out) throw Failure{"gltf needs -o OUT.gltf or -o OUT.glb"};
    if (!EndsWith(*out, ".gltf") && !EndsWith(*out, ".glb"))
        throw Failure{"the output must end in .gltf or .glb: " + *out};
    const GltfOptions options{.scene = SceneOption(args), .aspectRatio = AspectOption(args)};
    ConsoleHost host;
    Document doc(profile, host);
    ReadInto(doc, host, args.positionals()[0]);
    GltfExporter exporter(doc);
    if (!exporter.Export(QString::fromStdString(*out), options))
        throw Failure{exporter.errorString().toStdString() + ": " + *out};
    for (const QString& w : exporter.warnings())
        std::fprintf(stderr, "quillon-cli: warning: %s\n", w.toUtf8().constData());
    return 0;
}

int CmdCamera(std::vector<std::string> words, Profile& profile) {
    const Args args = Parse(std::move(words));
    args.Allow({"--out", "--scene", "--sensor", "--size"});
    if (args.positionals().size() != 1) throw Failure{"expected one show file"};
    const auto out = args.Value("--out");
    if (!out) throw Failure{"camera needs -o OUT.csv or -o OUT.json"};
    const bool json = EndsWith(*out, ".json");
    if (!json && !EndsWith(*out, ".csv"))
        throw Failure{"the output must end in .csv or .json: " + *out};
    double sensor = kDefaultSensorWidth;
    if (auto text = args.Value("--sensor")) {
        if (EndsWith(*text, "mm")) text->resize(text->size() - 2);
        sensor = ParseDouble(*text, "sensor width");
        if (!(sensor > 0 && sensor < 1000)) throw Failure{"--sensor must be a width in mm"};
    }
    const std::optional<int> scene = SceneOption(args);
    ConsoleHost host;
    Document doc(profile, host);
    ReadInto(doc, host, args.positionals()[0]);
    if (scene && *scene >= doc.root().childCount())
        throw Failure{"no scene " + std::to_string(*scene) + ": the show has " +
                      std::to_string(doc.root().childCount())};
    double aspect = AspectOption(args);
    if (aspect == 0)
        aspect = doc.settings().aspectRatio > 0 ? 1.0 / doc.settings().aspectRatio : 4.0 / 3.0;
    const double metres = MetresPerStageUnit(doc.settings().units);

    std::string text;
    if (json) {
        text += "{\"frameRate\": ";
        json::Int(text, doc.frameRate());
        text += ", \"aspectRatio\": ";
        Double(text, aspect);
        text += ", \"sensorWidthMm\": ";
        Double(text, sensor);
        text += ", \"metresPerStageUnit\": ";
        Double(text, metres);
        text += ", \"frames\": [";
    } else {
        text +=
            "frame,timecode,scene,camera,east_west,up_down,north_south,x_m,y_m,z_m,"
            "pan_deg,tilt_deg,lens_horizontal_deg,lens_vertical_deg,focal_length_mm\n";
    }
    bool first = true;
    for (const CameraFrame& f : SampleCameraFrames(doc, scene)) {
        const KeyFrame& p = f.pose;
        const CameraLens lens = LensFor(p.width(), aspect, sensor);
        const double x = (p.eastWest() - kStageCentre) * metres;
        const double y = p.upDown() * metres;
        const double z = (p.northSouth() - kStageCentre) * metres;
        const std::string timecode = FormatTimecode(f.frame, doc.frameRate());
        if (json) {
            text += first ? "\n  {\"frame\": " : ",\n  {\"frame\": ";
            json::Int(text, f.frame);
            text += ", \"timecode\": ";
            json::String(text, timecode);
            text += ", \"scene\": ";
            json::Int(text, f.scene);
            text += ", \"camera\": ";
            json::Int(text, f.camera + 1);
            text += ", \"stage\": [";
            json::Float(text, p.eastWest());
            text += ", ";
            json::Float(text, p.upDown());
            text += ", ";
            json::Float(text, p.northSouth());
            text += "], \"metres\": [";
            Double(text, x);
            text += ", ";
            Double(text, y);
            text += ", ";
            Double(text, z);
            text += "], \"pan\": ";
            json::Float(text, p.pan());
            text += ", \"tilt\": ";
            json::Float(text, p.tilt());
            text += ", \"lensHorizontal\": ";
            Double(text, lens.horizontalDegrees);
            text += ", \"lensVertical\": ";
            Double(text, lens.verticalDegrees);
            text += ", \"focalLength\": ";
            Double(text, lens.focalMillimetres);
            text += "}";
        } else {
            text += std::to_string(f.frame) + "," + timecode + "," + std::to_string(f.scene) + "," +
                    std::to_string(f.camera + 1);
            for (double v : {double(p.eastWest()), double(p.upDown()), double(p.northSouth())}) {
                text += ",";
                json::Float(text, float(v));
            }
            for (double v : {x, y, z}) {
                text += ",";
                Double(text, v);
            }
            text += ",";
            json::Float(text, p.pan());
            text += ",";
            json::Float(text, p.tilt());
            for (double v : {lens.horizontalDegrees, lens.verticalDegrees, lens.focalMillimetres}) {
                text += ",";
                Double(text, v);
            }
            text += "\n";
        }
        first = false;
    }
    if (json) text += "\n]}\n";
    if (!WriteFileAtomically(*out, text)) throw Failure{"Couldn't write file: " + *out};
    return 0;
}

}  // namespace quillon::cli
