#include "AutosaveTimer.h"

#include "GuiHost.h"
#include "MainWindow.h"
#include "RecoveryDialog.h"
#include "model/Autosave.h"
#include "model/Document.h"
#include "model/Settings.h"
#include "model/ShowFiles.h"

namespace quillon {

AutosaveTimer::AutosaveTimer(Document& doc, ShowFiles& files, GuiHost& host, MainWindow& window,
                             const QString& storeFolder)
    : QObject(&window),
      doc_(doc),
      files_(files),
      host_(host),
      window_(window),
      store_(storeFolder),
      autosave_(std::make_unique<Autosave>(doc, storeFolder)) {
    setObjectName(QStringLiteral("autosave"));
    bool fromEnvironment = false;
    const int ms = qEnvironmentVariableIntValue("QUILLON_AUTOSAVE_MS", &fromEnvironment);
    const int minutes = settings::Get(doc.profile(), settings::kAutosaveMinutes);
    const int interval = fromEnvironment ? ms
                         : minutes > 0   ? std::min(minutes, 24 * 60) * 60000
                                         : 0;
    connect(&timer_, &QTimer::timeout, this, &AutosaveTimer::Tick);
    if (interval > 0) timer_.start(interval);
    doc_.AddListener(this);
    // A save, a new show or an opened one leaves nothing unsaved: the copy goes at once.
    connect(&window.commands(), &CommandRegistry::commandRun, this, [this] { autosave_->Check(); });
}

AutosaveTimer::~AutosaveTimer() {
    doc_.RemoveListener(this);
    autosave_->Discard();
    autosave_->Wait();
}

void AutosaveTimer::DocumentChanged(const DocumentChange& change) {
    // A show opened or made new by any road (a dropped file as well as a command) has nothing
    // unsaved: its predecessor's copy goes. Frame steps change nothing that is saved.
    if (change.aspects != DocumentChange::kFrame) autosave_->Check();
}

void AutosaveTimer::Tick() {
    autosave_->Tick();
    // The write runs on; a failure shows at the next tick, once, in the status bar.
    const Autosave::Timing t = autosave_->lastTiming();
    if (!t.ok && !reportedFailure_)
        host_.SetStatusText(QStringLiteral("Couldn't write the recovery copy: ") + t.error);
    reportedFailure_ = !t.ok;
}

QString AutosaveTimer::QuestionFor(const RecoveryEntry& entry) {
    return QStringLiteral("Recover unsaved changes to %1 from %2?")
        .arg(entry.title(),
             entry.index.time.toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")));
}

void AutosaveTimer::OfferAtStartup() {
    for (const RecoveryEntry& entry : store_.Offered()) {
        if (host_.AskYesNo(QuestionFor(entry))) {
            Recover(entry);
            return;
        }
        store_.Decline(entry.id);
    }
}

bool AutosaveTimer::Recover(const RecoveryEntry& entry) {
    if (entry.state != RecoveryEntry::State::kReady) return false;
    if (!files_.CloseShow()) return false;
    // The close questions were asked; reading the copy must not ask again.
    doc_.SetModified(false);
    if (!files_.RecoverShow(entry.ToRecovered())) return false;
    autosave_->Adopt(entry.id);
    doc_.UpdateViewsAtFrame(0, Refresh::kViews);
    window_.RedrawAll();
    return true;
}

void AutosaveTimer::ShowRecoverDialog() {
    RecoveryDialog dialog(store_, autosave_->copyId(), &window_);
    if (dialog.exec() != QDialog::Accepted) return;
    if (const auto entry = store_.Find(dialog.chosenId())) Recover(*entry);
}

}  // namespace quillon
