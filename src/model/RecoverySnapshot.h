#pragma once
// What a recovery copy holds, taken from the document in one go on the thread that owns it:
// the show file's bytes exactly as "&Save Show" would write them and every scene's set as its
// set file would be. Writing the snapshot out happens elsewhere (RecoveryCopy), on any thread.

#include <QDateTime>
#include <QString>
#include <string>
#include <vector>

namespace quillon {

class Document;

struct RecoverySnapshot {
    QString showPath;  // the show's own path; empty for a show never saved
    QDateTime time;    // when it was taken (UTC)
    std::string show;  // the .shw bytes
    struct SetBytes {
        int scene = 0;  // index of the scene among the show's scenes
        QString path;   // the scene's set file as the show names it; empty when none yet
        std::string bytes;
    };
    std::vector<SetBytes> sets;

    // The document as it stands now. Changes nothing.
    static RecoverySnapshot Take(const Document& doc);
};

// Whether the document holds anything a save would keep: the show is modified or a set has
// changes of its own.
bool HasUnsavedChanges(const Document& doc);

}  // namespace quillon
