#pragma once
// Autosave: keeps this process's recovery copy in step with the open show. The caller (the
// application's timer) says when a copy is due; the copy is taken from the document on the
// calling thread, which is quick, and written out on a worker thread of its own, in order, so
// the user-interface thread only waits for the snapshot. While the show has no unsaved changes
// there is no copy: a save or a clean close removes it.

#include <QString>
#include <QThreadPool>
#include <atomic>
#include <functional>
#include <memory>
#include <mutex>

namespace quillon {

class Document;
class RecoveryCopy;
struct RecoverySnapshot;

class Autosave {
  public:
    // Copies go into the recovery folder storeFolder (RecoveryStore::DefaultFolder normally).
    Autosave(Document& doc, const QString& storeFolder);
    // Waits for the writes under way; the copy itself stays (removing it is Discard's work).
    ~Autosave();

    // The timer's call: with unsaved changes that the copy lacks, a copy is written (the show
    // and sets are compared with the last copy's, so changes nobody announced count too);
    // without unsaved changes the copy goes. Returns once the work is queued.
    void Tick();
    // After a command: a show that has no unsaved changes any more (saved, or replaced by a new
    // or opened one) loses its copy at once.
    void Check();
    // Removes the copy (a clean close).
    void Discard();
    // Makes a copy found in the recovery folder this process's own (the show just recovered
    // from it): later copies replace it and a save removes it. False when another running
    // Quillon holds it.
    bool Adopt(const QString& id);
    // Blocks until every queued write or removal is done.
    void Wait();

    struct Timing {
        double snapshotMs = 0;  // the user-interface thread's part
        double writeMs = 0;     // the worker's part
        bool ok = true;
        QString error;  // why the last write failed
        int writes = 0;
    };
    Timing lastTiming() const;
    // The copy's id, or empty when there is none (as far as the queued work has come).
    QString copyId() const;
    // Whether a copy is there or queued to be written.
    bool hasCopy() const { return hasCopy_; }

  private:
    void Queue(std::function<void()> work);

    Document& doc_;
    std::unique_ptr<RecoveryCopy> copy_;  // used on the worker only
    QThreadPool worker_;
    std::atomic<bool> hasCopy_{false};
    std::atomic<bool> failed_{false};
    mutable std::mutex mutex_;
    Timing timing_;
    QString id_;
    // The last snapshot queued, so that an unchanged show is not written again.
    std::shared_ptr<const RecoverySnapshot> last_;
};

}  // namespace quillon
