#include "ScriptCommands.h"

#include <cstdio>

#include "script/ScriptFile.h"

namespace quillon::cli {

int CmdScript(std::vector<std::string> words) {
    for (std::string& w : words)
        if (w == "-o") w = "--out";
    const Args args(std::move(words), {"--text"});
    args.Allow({"--out", "--text"});
    if (args.positionals().size() != 1) throw Failure{"expected one script file"};
    const std::string file = args.positionals()[0];
    const std::optional<RichText> text = ReadScriptFile(QString::fromStdString(file));
    if (!text) throw Failure{"Couldn't read file: " + file};
    if (args.Has("--text")) {
        const QByteArray plain = text->PlainText().toUtf8();
        std::fwrite(plain.constData(), 1, size_t(plain.size()), stdout);
        std::fputc('\n', stdout);
    }
    if (const auto out = args.Value("--out")) {
        if (!WriteScriptFile(QString::fromStdString(*out), *text))
            throw Failure{"Couldn't write file: " + *out};
    }
    return 0;
}

}  // namespace quillon::cli
