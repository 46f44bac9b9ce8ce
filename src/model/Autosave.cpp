#include "Autosave.h"

#include <QElapsedTimer>

#include "Document.h"
#include "RecoveryCopy.h"
#include "RecoverySnapshot.h"

namespace quillon {

namespace {

bool SameContents(const RecoverySnapshot& a, const RecoverySnapshot& b) {
    if (a.showPath != b.showPath || a.show != b.show || a.sets.size() != b.sets.size())
        return false;
    for (size_t i = 0; i < a.sets.size(); ++i)
        if (a.sets[i].scene != b.sets[i].scene || a.sets[i].path != b.sets[i].path ||
            a.sets[i].bytes != b.sets[i].bytes)
            return false;
    return true;
}

}  // namespace

Autosave::Autosave(Document& doc, const QString& storeFolder)
    : doc_(doc), copy_(std::make_unique<RecoveryCopy>(storeFolder)) {
    // One thread, so writes and removals happen in the order they were asked for.
    worker_.setMaxThreadCount(1);
    worker_.setExpiryTimeout(-1);
}

Autosave::~Autosave() {
    Wait();
}

void Autosave::Queue(std::function<void()> work) {
    worker_.start(std::move(work));
}

void Autosave::Wait() {
    worker_.waitForDone();
}

void Autosave::Tick() {
    if (!HasUnsavedChanges(doc_)) {
        Check();
        return;
    }
    QElapsedTimer clock;
    clock.start();
    auto snapshot = std::make_shared<RecoverySnapshot>(RecoverySnapshot::Take(doc_));
    const double snapshotMs = clock.nsecsElapsed() / 1e6;
    // An unchanged show is not written again, unless the last write failed.
    if (!failed_ && hasCopy_ && last_ && SameContents(*last_, *snapshot)) return;
    failed_ = false;
    last_ = snapshot;
    hasCopy_ = true;
    Queue([this, snapshot, snapshotMs] {
        QElapsedTimer writeClock;
        writeClock.start();
        QString why;
        const bool ok = copy_->Write(*snapshot, &why);
        std::lock_guard<std::mutex> lock(mutex_);
        timing_.snapshotMs = snapshotMs;
        timing_.writeMs = writeClock.nsecsElapsed() / 1e6;
        timing_.ok = ok;
        timing_.error = ok ? QString() : why;
        ++timing_.writes;
        id_ = copy_->id();
        // A failed write is tried again at the next tick.
        if (!ok) failed_ = true;
    });
}

void Autosave::Check() {
    if (hasCopy_ && !HasUnsavedChanges(doc_)) Discard();
}

void Autosave::Discard() {
    hasCopy_ = false;
    last_.reset();
    Queue([this] {
        copy_->Remove();
        std::lock_guard<std::mutex> lock(mutex_);
        id_.clear();
    });
}

bool Autosave::Adopt(const QString& id) {
    Wait();
    // A copy of the show that was open before is of no use now.
    if (copy_->exists() && copy_->id() != id) copy_->Remove();
    if (!copy_->Adopt(id)) return false;
    std::lock_guard<std::mutex> lock(mutex_);
    id_ = copy_->id();
    hasCopy_ = true;
    last_.reset();
    return true;
}

Autosave::Timing Autosave::lastTiming() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return timing_;
}

QString Autosave::copyId() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return id_;
}

}  // namespace quillon
