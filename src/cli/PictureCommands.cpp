#include "PictureCommands.h"

#include <QString>
#include <QStringList>
#include <cstdio>
#include <string>

#include "Json.h"
#include "model/DocumentHost.h"
#include "pictures/Picture.h"

namespace quillon::cli {

namespace {

// Keeps every message a picture gives, so a failure can say all of them.
class MessageLog final : public DocumentHost {
  public:
    void Message(const QString& text) override { messages.push_back(text); }
    bool AskYesNo(const QString&) override { return false; }
    std::optional<QString> OpenFileName(const FileDialogRequest&) override { return std::nullopt; }
    std::optional<QString> SaveFileName(const FileDialogRequest&) override { return std::nullopt; }
    bool AskFindMissingFile(const QString&) override { return false; }
    void ShowText(const QString&) override {}
    void Beep(BeepKind) override {}
    void SetWaitCursor(bool) override {}
    void SetStatusText(const QString&) override {}
    void SetWindowTitle(const QString&) override {}
    void AddRecentFile(const QString&) override {}
    StageViewArea VisibleStageArea() const override { return {}; }

    // "first; second: file", or fallback when the picture said nothing.
    std::string Describe(const std::string& fallback, const std::string& file) const {
        const QString text = messages.isEmpty() ? QString::fromStdString(fallback)
                                                : messages.join(QStringLiteral("; "));
        return text.toStdString() + ": " + file;
    }

    QStringList messages;
};

}  // namespace

int CmdPicture(const Args& args) {
    args.Allow({"--step", "--save", "--mode"});
    if (args.positionals().size() != 1) throw Failure{"expected one picture file"};
    const std::string path = args.positionals()[0];
    const int step = args.Value("--step") ? ParseInt32(*args.Value("--step"), "step") : 0;
    if (step < 0) throw Failure{"--step must not be negative"};
    const auto out = args.Value("--save");
    if (args.Has("--mode") && !out) throw Failure{"--mode needs --save OUT"};
    const int mode = args.Value("--mode") ? ParseInt32(*args.Value("--mode"), "mode") : kWriteBmp;

    MessageLog log;
    Picture picture;
    if (!picture.Load(QString::fromStdString(path), true, step, &log))
        throw Failure{log.Describe("cannot load picture", path)};
    if (out && !picture.Save(QString::fromStdString(*out), mode, &log))
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
