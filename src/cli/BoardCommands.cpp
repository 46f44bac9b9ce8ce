#include "BoardCommands.h"

#include <unistd.h>

#include <QPageSize>
#include <QPdfWriter>
#include <QSaveFile>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>

#include "ConsoleHost.h"
#include "Interrupt.h"
#include "Json.h"
#include "OffscreenSession.h"
#include "model/Document.h"
#include "model/DurableFile.h"
#include "model/Settings.h"
#include "model/ShowFiles.h"
#include "model/StoryboardEntries.h"
#include "model/Timecode.h"
#include "monitor/OffscreenMonitor.h"
#include "storyboard/BoardPictures.h"
#include "storyboard/CaptionText.h"
#include "storyboard/StoryboardPainter.h"

namespace quillon::cli {

namespace {

// The largest picture rendered for one image box, a side; boxes larger than this (pages at
// high resolutions) get the picture stretched.
constexpr int kMaxPictureSide = 2048;

std::vector<std::string> WithOutOption(std::vector<std::string> words) {
    for (std::string& w : words)
        if (w == "-o") w = "--out";
    return words;
}

bool OnOff(const Args& args, const std::string& name, bool fallback) {
    const auto v = args.Value(name);
    if (!v) return fallback;
    if (*v == "on") return true;
    if (*v == "off") return false;
    throw Failure{name + " takes on or off, not " + *v};
}

// A document with the show read into it and no pictures loaded (nothing is rendered).
struct PlainSession {
    ConsoleHost host;
    Document doc;
    PlainSession(Profile& profile, const std::string& show) : doc(profile, host) {
        if (!ShowFiles(doc).ReadShow(QString::fromStdString(show)))
            throw Failure{host.ReadFailure(show)};
        for (const QString& m : host.messages)
            std::fprintf(stderr, "quillon-cli: warning: %s\n", m.toUtf8().constData());
        host.messages.clear();
    }
};

// "page P of N" with a bar, redrawn in place, on a terminal only.
class TerminalProgress {
  public:
    TerminalProgress() : on_(isatty(STDERR_FILENO) == 1) {}
    bool Step(int page, int pages) {
        if (on_) {
            constexpr int kWidth = 30;
            const int done = pages > 0 ? int(int64_t(page) * kWidth / pages) : kWidth;
            std::fprintf(stderr, "\rpage %d of %d [%s%s]", page, pages,
                         std::string(size_t(done), '#').c_str(),
                         std::string(size_t(kWidth - done), ' ').c_str());
            std::fflush(stderr);
            shown_ = true;
        }
        return !CtrlC::pressed();
    }
    ~TerminalProgress() {
        if (shown_) std::fputc('\n', stderr);
    }

  private:
    bool on_;
    bool shown_ = false;
};

void WriteLayoutJson(const PageLayout& l, int pages) {
    std::string out = "{\"pages\": ";
    json::Int(out, pages);
    out += ", \"framesPerPage\": ";
    json::Int(out, l.framesPerPage);
    out += ", \"cellsPerPage\": ";
    json::Int(out, l.cellsPerPage);
    out += ", \"margin\": ";
    json::Int(out, l.margin);
    out += ", \"gap\": ";
    json::Int(out, l.gap);
    out += ", \"imageWidth\": ";
    json::Int(out, l.imageWidth);
    out += ", \"imageHeight\": ";
    json::Int(out, l.imageHeight);
    out += ", \"pageWidth\": ";
    json::Int(out, l.pageWidth);
    out += ", \"pageHeight\": ";
    json::Int(out, l.pageHeight);
    out += "}\n";
    std::fwrite(out.data(), 1, out.size(), stdout);
}

}  // namespace

int CmdBoards(std::vector<std::string> words, Profile& profile) {
    const Args args(WithOutOption(std::move(words)), {});
    args.Allow({"--out", "--per-row", "--images", "--captions", "--blocking", "--timecode",
                "--title", "--page", "--dpi"});
    if (args.positionals().size() != 1) throw Failure{"expected one show file"};
    const auto out = args.Value("--out");
    if (!out) throw Failure{"boards needs -o OUT.pdf"};

    StoryboardOptions options;
    if (const auto perRow = args.Value("--per-row")) {
        options.framesPerRow = ParseInt32(*perRow, "frames per row");
        if (options.framesPerRow != 2 && options.framesPerRow != 4)
            throw Failure{"--per-row takes 2 or 4"};
    }
    options.showImages = OnOff(args, "--images", options.showImages);
    options.showCaptions = OnOff(args, "--captions", options.showCaptions);
    options.showBlocking = OnOff(args, "--blocking", options.showBlocking);
    options.showTimecode = OnOff(args, "--timecode", options.showTimecode);
    if (const auto title = args.Value("--title")) options.title = QString::fromStdString(*title);
    QPageSize page(QPageSize::Letter);
    if (const auto name = args.Value("--page")) {
        if (*name == "a4")
            page = QPageSize(QPageSize::A4);
        else if (*name != "letter")
            throw Failure{"--page takes a4 or letter, not " + *name};
    }
    const int dpi = args.Value("--dpi") ? ParseInt32(*args.Value("--dpi"), "dpi") : 300;
    if (dpi < 36 || dpi > 1200) throw Failure{"--dpi must be from 36 to 1200"};

    // The pages go to a temporary file beside OUT that replaces it only when the whole
    // storyboard is written: a failed or stopped run leaves no partial PDF.
    QSaveFile file(QString::fromStdString(*out));
    if (!file.open(QIODevice::WriteOnly))
        throw Failure{"Couldn't write file: " + *out + ": " + file.errorString().toStdString()};
    QPdfWriter writer(&file);
    writer.setCreator(QStringLiteral("Quillon"));
    writer.setTitle(options.title);
    writer.setResolution(dpi);
    writer.setPageSize(page);
    writer.setPageMargins(QMarginsF(0, 0, 0, 0));

    const DocumentSettings settings = ReadDocumentSettings(profile);
    const PageLayout probe = PageLayout::Make(options, writer.width(), writer.height(),
                                              writer.logicalDpiY(), settings.aspectRatio);

    // Pictures need the offscreen monitor, made at the image box's shape.
    std::unique_ptr<Session> rendered;
    std::unique_ptr<PlainSession> plain;
    std::unique_ptr<RenderedBoardPictures> pictures;
    Document* doc = nullptr;
    if (options.showImages) {
        const QSize size =
            PictureSizeFor(QSize(probe.imageWidth, probe.imageHeight), kMaxPictureSide);
        rendered = std::make_unique<Session>(profile, args.positionals()[0],
                                             Size{size.width(), size.height()});
        doc = rendered->doc.get();
        pictures =
            std::make_unique<RenderedBoardPictures>(*doc, rendered->monitor->renderer(), size);
    } else {
        plain = std::make_unique<PlainSession>(profile, args.positionals()[0]);
        doc = &plain->doc;
    }
    const PageLayout layout = LayoutForDevice(writer, *doc, options);

    CtrlC ctrlC;
    bool done = false;
    {
        TerminalProgress progress;
        done = PrintStoryboard(writer, *doc, layout, pictures.get(),
                               [&progress](int p, int n) { return progress.Step(p, n); });
    }
    if (CtrlC::pressed()) {
        file.cancelWriting();
        std::fprintf(stderr, "quillon-cli: stopped; no PDF written\n");
        return 130;
    }
    if (!done || !file.commit())
        throw Failure{"Couldn't write file: " + *out + ": " + file.errorString().toStdString()};
    SyncFolderOf(*out);
    WriteLayoutJson(layout, layout.PageCount(int(doc->captions().size())));
    return 0;
}

int CmdCaption(std::vector<std::string> words, Profile& profile) {
    const Args args(std::move(words), {"--list"});
    args.Allow({"--add", "--text", "--remove", "--list"});
    if (args.positionals().size() != 1) throw Failure{"expected one show file"};
    const int modes = int(args.Has("--add")) + int(args.Has("--remove")) + int(args.Has("--list"));
    if (modes != 1) throw Failure{"give one of --add TC, --remove TC or --list"};
    if (args.Has("--text") && !args.Has("--add")) throw Failure{"--text goes with --add"};
    const std::string path = args.positionals()[0];
    PlainSession session(profile, path);
    Document& doc = session.doc;
    std::vector<std::string>& entries = doc.captions();
    const int rate = doc.frameRate();

    if (args.Has("--list")) {
        std::string out;
        for (const std::string& e : entries) {
            out.clear();
            out += "{\"timecode\": ";
            json::String(out, EntryTimecode(e));
            out += ", \"frame\": ";
            json::Int(out, EntryFrame(e, rate));
            out += ", \"caption\": ";
            json::String(out, EntryCaption(e));
            out += "}\n";
            std::fwrite(out.data(), 1, out.size(), stdout);
        }
        return 0;
    }

    if (const auto tc = args.Value("--add")) {
        const int frame = ParseFrameTimecode(*tc, rate, "entry");
        const int total = doc.TotalFrames();
        if (!doc.SceneAt(frame))
            throw Failure{"frame " + std::to_string(frame) + " (" + *tc +
                          ") is in no scene of the show (frames 0 to " + std::to_string(total - 1) +
                          ")"};
        const AddedEntry added = AddEntry(entries, frame, rate);
        if (const auto text = args.Value("--text"))
            SetEntryCaption(entries, EntryTimecode(entries[added.index]), *text);
    } else {
        const std::string removed = *args.Value("--remove");
        const int frame = ParseFrameTimecode(removed, rate, "entry");
        if (!RemoveEntry(entries, FormatTimecode(frame, rate)))
            throw Failure{"no storyboard entry at " + FormatTimecode(frame, rate)};
    }
    doc.SetModified(true);
    if (!ShowFiles(doc).WriteShow(QString::fromStdString(path)))
        throw Failure{"Couldn't write file: " + path};
    return 0;
}

namespace {

// A CSV field: quoted when it holds a comma, a quote or a line break, quotes doubled.
void CsvField(std::string& out, const std::string& text) {
    if (text.find_first_of(",\"\r\n") == std::string::npos) {
        out += text;
        return;
    }
    out.push_back('"');
    for (char c : text) {
        if (c == '"') out.push_back('"');
        out.push_back(c);
    }
    out.push_back('"');
}

}  // namespace

int CmdShotlist(std::vector<std::string> words, Profile& profile) {
    const Args args(WithOutOption(std::move(words)), {});
    args.Allow({"--out"});
    if (args.positionals().size() != 1) throw Failure{"expected one show file"};
    const auto out = args.Value("--out");
    if (!out) throw Failure{"shotlist needs -o OUT.csv"};
    PlainSession session(profile, args.positionals()[0]);
    Document& doc = session.doc;
    const int rate = doc.frameRate();
    const std::vector<std::string> entries = doc.captions();
    const int64_t total = doc.TotalFrames();

    std::string csv =
        "number,timecode,frame,scene,sceneName,camera,lensAngle,durationFrames,durationTimecode,"
        "caption\r\n";
    for (size_t i = 0; i < entries.size(); ++i) {
        const int64_t frame = EntryFrame(entries[i], rate);
        // Until the next entry, the last one until the show's end; never below zero.
        const int64_t next = i + 1 < entries.size() ? EntryFrame(entries[i + 1], rate) : total;
        const int64_t duration = std::max<int64_t>(0, next - frame);
        std::string sceneIndex, sceneName, camera, lens;
        if (frame <= INT32_MAX) {
            if (ShowNode* scene = doc.SceneAt(int(frame))) {
                doc.UpdateViewsAtFrame(int(frame), Refresh::kNone);
                sceneIndex = std::to_string(doc.root().IndexOf(scene));
                sceneName = EntryText(scene->GetName()).toStdString();
                const ShowNode* cam = doc.ActiveTrack(scene);
                if (cam && cam != scene) {
                    camera = std::to_string(doc.activeCamera() + 1);
                    json::Float(lens, cam->pose.width());
                }
            }
        }
        csv += std::to_string(i + 1) + ",";
        CsvField(csv, EntryTimecode(entries[i]));
        csv += "," + std::to_string(frame) + "," + sceneIndex + ",";
        CsvField(csv, sceneName);
        csv += "," + camera + "," + lens + "," + std::to_string(duration) + "," +
               FormatTimecode(duration, rate) + ",";
        CsvField(csv, EntryText(EntryCaption(entries[i])).toStdString());
        csv += "\r\n";
    }
    if (!WriteFileAtomically(*out, csv)) throw Failure{"Couldn't write file: " + *out};
    return 0;
}

}  // namespace quillon::cli
