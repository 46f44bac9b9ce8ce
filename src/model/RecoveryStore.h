#pragma once
// The recovery folder ($XDG_STATE_HOME/quillon/recovery, else ~/.local/state/quillon/recovery):
// one sub-folder per recovery copy, each written by one running Quillon for the show it has
// open (RecoveryCopy) and holding an index, the show file and its sets. This class only reads
// the folder and removes copies: it lists every entry, the copies a crash left behind as well
// as those still held by a running Quillon and anything damaged or foreign, and never fails on
// what it finds there.

#include <QString>
#include <optional>
#include <vector>

#include "RecoveryIndex.h"
#include "ShowFiles.h"

namespace quillon {

struct RecoveryEntry {
    enum class State {
        kReady,    // whole, and no running Quillon holds it: it can be recovered
        kInUse,    // a running Quillon (perhaps this one) keeps it up to date
        kDamaged,  // not a whole copy: see `damage`
    };
    QString id;      // the entry's name in the recovery folder
    QString folder;  // its full path
    State state = State::kDamaged;
    QString damage;         // why it is damaged, in a few words
    bool hasIndex = false;  // `index` was read
    RecoveryIndex index;
    bool newerThanShow = false;  // the show was never saved, is gone, or is older than the copy
    bool declined = false;       // the start-up question about it was answered No

    // The show's file name, or "Untitled" for a show never saved.
    QString title() const;
    // What RecoverShow reads, the kept sets read from the copy. Only for an entry that is not
    // damaged.
    RecoveredShow ToRecovered() const;
};

class RecoveryStore {
  public:
    explicit RecoveryStore(QString folder);

    // $XDG_STATE_HOME/quillon/recovery when XDG_STATE_HOME is an absolute path, else
    // ~/.local/state/quillon/recovery.
    static QString DefaultFolder();
    const QString& folder() const { return folder_; }

    // Every entry of the folder, newest first, then the damaged ones by name. An entry whose
    // name starts with "." is a copy being made and is not listed. A missing folder lists none.
    std::vector<RecoveryEntry> List() const;
    std::optional<RecoveryEntry> Find(const QString& id) const;
    // The copies to ask about at start-up: ready, newer than their show, not declined before.
    std::vector<RecoveryEntry> Offered() const;
    // Removes an entry that no running Quillon holds. False, with *why, otherwise.
    bool Remove(const QString& id, QString* why = nullptr) const;
    // Remembers that the start-up question about the copy was answered No.
    bool Decline(const QString& id) const;

  private:
    RecoveryEntry Read(const QString& id) const;
    QString folder_;
};

// Whether a running process holds the copy in folder (its lock file is locked).
bool RecoveryCopyInUse(const QString& folder);

}  // namespace quillon
