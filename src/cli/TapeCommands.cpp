#include "TapeCommands.h"

#include <cstdio>
#include <string>

#include "ConsoleWait.h"
#include "Interrupt.h"
#include "model/Settings.h"
#include "model/Timecode.h"
#include "tape/VtrLink.h"

namespace quillon::cli {

namespace {

void CheckTimecode(const std::string& text, const char* what) {
    if (text.empty() || text.find_first_not_of("0123456789:;. ") != std::string::npos)
        throw Failure{std::string("bad ") + what + " timecode: " + text};
}

}  // namespace

int CmdVtr(std::vector<std::string> words, Profile& profile) {
    const Args args(std::move(words), {"--video", "--a1", "--a2"});
    args.Allow({"--port", "--video", "--a1", "--a2", "--timeout"});
    const auto port = args.Value("--port");
    if (!port) throw Failure{"vtr needs --port PATH"};
    const auto& words_ = args.positionals();
    if (words_.empty()) throw Failure{"vtr needs an operation: status, preset, record-wait, stop"};
    const std::string& operation = words_[0];
    const size_t expected = operation == "preset" ? 3 : 1;
    if (operation != "status" && operation != "preset" && operation != "record-wait" &&
        operation != "stop")
        throw Failure{"unknown vtr operation (status, preset, record-wait or stop): " + operation};
    if (words_.size() != expected)
        throw Failure{operation == "preset" ? "preset needs IN and OUT timecodes"
                                            : operation + " takes no further words"};
    if ((args.Has("--video") || args.Has("--a1") || args.Has("--a2")) && operation != "preset")
        throw Failure{"--video, --a1 and --a2 go with preset"};
    if (args.Has("--timeout") && operation != "record-wait")
        throw Failure{"--timeout goes with record-wait"};
    double timeout = 0;
    if (const auto t = args.Value("--timeout")) {
        timeout = ParseDouble(*t, "timeout");
        if (!(timeout > 0)) throw Failure{"the timeout is seconds above 0: " + *t};
    }
    if (operation == "preset") {
        CheckTimecode(words_[1], "in");
        CheckTimecode(words_[2], "out");
    }

    VtrLink link;
    const QString device = QString::fromStdString(*port);
    if (!link.Open(device))
        throw Failure{"cannot open the recorder port " + *port + ": " +
                      link.openError().toStdString()};

    if (operation == "status") {
        const auto reply = link.Status();
        if (!reply || reply->kind != vtr::Reply::kStatus) {
            std::printf("{\"ok\": false}\n");
            return 1;
        }
        std::string out = "{\"ok\": true, \"status\": [";
        for (size_t i = 0; i < reply->status.size(); ++i)
            out += (i ? ", " : "") + std::to_string(reply->status[i]);
        std::printf("%s]}\n", out.c_str());
        return 0;
    }
    if (operation == "preset") {
        const int rate = settings::Get(profile, settings::kFrameRate);
        if (!link.PresetAndRecord(QString::fromStdString(words_[1]),
                                  QString::fromStdString(words_[2]), rate, args.Has("--video"),
                                  args.Has("--a1"), args.Has("--a2")))
            throw Failure{"the record sequence could not be sent to " + *port};
        std::printf("{\"ok\": true}\n");
        return 0;
    }
    if (operation == "record-wait") {
        ConsoleWait wait(timeout);
        if (link.WaitForRecord(wait)) {
            std::printf("{\"ok\": true}\n");
            return 0;
        }
        if (CtrlC::pressed()) return 130;
        throw Failure{"Recorder did not start"};
    }
    if (!link.Stop()) throw Failure{"STOP could not be sent to " + *port};
    std::printf("{\"ok\": true}\n");
    return 0;
}

}  // namespace quillon::cli
