#include "EditLog.h"

#include "model/DurableFile.h"
#include "model/Paths.h"
#include "model/Timecode.h"

namespace quillon {

namespace {

// The log is a text file: each "\n" ends a line with carriage return and line feed.
QByteArray Lines(const QString& text) {
    QByteArray out = text.toUtf8();
    out.replace("\n", "\r\n");
    return out;
}

}  // namespace

EditLog::Mode EditLog::ModeFor(const QString& fileName) {
    if (fileName.contains(QStringLiteral(".ale"), Qt::CaseSensitive)) return Mode::kAle;
    if (fileName.contains(QStringLiteral(".edl"), Qt::CaseSensitive)) return Mode::kEdl;
    return Mode::kNone;
}

bool EditLog::Open(const QString& path, int frameRate) {
    path_ = path;
    mode_ = ModeFor(path);
    edit_ = 0;
    bytes_.clear();
    if (mode_ == Mode::kAle) {
        bytes_ += Lines(QString::asprintf("Heading\nFIELD_DELIM\tTABS\nFPS\t%d\n\n",
                                          WholeFramesPerSecond(frameRate)));
        bytes_ += Lines(QStringLiteral("Column\nStart\tEnd\tName\tTracks\tTape\n\nData\n"));
    }
    if (!Flush()) {
        path_.clear();
        return false;
    }
    return true;
}

bool EditLog::Add(const QString& in, const QString& out, const QString& name) {
    if (!isOpen()) return false;
    switch (mode_) {
        case Mode::kAle:
            bytes_ += Lines(QStringLiteral("%1\t%2\t%3\tVA1A2\t001\n").arg(in, out, name));
            break;
        case Mode::kEdl:
            ++edit_;
            bytes_ += Lines(QString::asprintf("%03d  001      AA/V           ", edit_) +
                            QStringLiteral("%1 %2 %3 %4 \n").arg(in, out, in, out));
            bytes_ += Lines(QStringLiteral("NOTE: %1 \n\n").arg(name));
            break;
        case Mode::kNone:
            return true;
    }
    return Flush();
}

bool EditLog::Flush() {
    return WriteFileAtomically(ToRecordText(path_), std::string_view(bytes_.data(), bytes_.size()));
}

}  // namespace quillon
