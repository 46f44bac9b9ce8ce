#pragma once
// The index of one recovery copy (index.json in the copy's folder): which show it is, when it
// was written, by which process, and the files that hold it (the show file, and one file with
// every set one after the other) with their sizes and SHA-256 sums, so that a truncated or
// altered file is known as damaged. Written last and atomically, it always names one whole
// generation of files.

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <optional>
#include <vector>

namespace quillon {

struct RecoveryFile {
    QString name;  // file name inside the copy's folder
    qint64 bytes = 0;
    QByteArray sha256;  // hex
};

struct RecoveryIndex {
    static constexpr int kFormat = 1;
    QString showPath;  // the show's own path; empty for a show never saved
    QDateTime time;    // when the copy was written (UTC)
    qint64 pid = 0;
    QString host;
    qint64 generation = 0;
    RecoveryFile show;
    RecoveryFile sets;  // no name when the show has no sets
    struct Set {
        int scene = 0;
        QString path;       // the scene's set file as the show names it
        qint64 offset = 0;  // where its bytes lie in the sets file
        qint64 bytes = 0;
    };
    std::vector<Set> setList;

    QByteArray ToJson() const;
    // Nullopt, with *why, for text that is not an index of this format.
    static std::optional<RecoveryIndex> FromJson(const QByteArray& text, QString* why);
};

}  // namespace quillon
