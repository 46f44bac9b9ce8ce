#pragma once
// This process's recovery copy of the show it has open: a folder of the recovery folder that it
// creates on its first write, locks for as long as it lives (so that other Quillons list it as
// in use and never remove it), rewrites on every autosave and removes when the show is saved or
// closed. Each write is a new generation of files; the index, written last and atomically,
// names the generation in force, so a kill in the middle of a write leaves the previous copy
// whole. Never writes outside its own folder. Not thread-safe: one thread at a time uses it.

#include <QString>

#include "RecoverySnapshot.h"

namespace quillon {

struct RecoveryEntry;

class RecoveryCopy {
  public:
    explicit RecoveryCopy(QString storeFolder);
    // Lets go of the copy; its files stay, as they would after a crash.
    ~RecoveryCopy();
    RecoveryCopy(const RecoveryCopy&) = delete;
    RecoveryCopy& operator=(const RecoveryCopy&) = delete;

    // Writes the snapshot as the copy's next generation, making the copy's folder first when
    // there is none. False, with *why, when the folder or a file cannot be written (the
    // previous generation, if any, stays whole and in force).
    bool Write(const RecoverySnapshot& snapshot, QString* why);
    // Removes the copy's folder and lets go of it; the next Write starts a new copy.
    void Remove();
    // Takes over a copy another (ended) process left, so that its later writes and its removal
    // are this process's. False when another running process holds it.
    bool Adopt(const QString& id);

    bool exists() const { return lockFd_ >= 0; }
    const QString& id() const { return id_; }
    const QString& folder() const { return folder_; }

  private:
    bool MakeFolder(QString* why);
    void Release();

    QString store_;
    QString id_;
    QString folder_;
    int lockFd_ = -1;
    qint64 generation_ = 0;
};

}  // namespace quillon
