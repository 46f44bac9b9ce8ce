#pragma once
// AutosaveTimer: the window's side of crash recovery. Every "Recovery"/"AutosaveMinutes"
// minutes (0: never) it has the model's Autosave write a recovery copy of a show with unsaved
// changes; after every command and document change it lets a saved or replaced show's copy go;
// at a clean close (when the window goes) the copy goes too. It asks the start-up question about
// copies a crash left, and recovers a copy chosen in "Recover Unsaved Work...".
//
// A child of the main window, which command handlers find it through.

#include <QObject>
#include <QString>
#include <QTimer>
#include <memory>

#include "model/DocumentListener.h"
#include "model/RecoveryStore.h"

namespace quillon {

class Autosave;
class CommandRegistry;
class Document;
class GuiHost;
class MainWindow;
class ShowFiles;

class AutosaveTimer final : public QObject, public DocumentListener {
    Q_OBJECT
  public:
    // Copies go into storeFolder; the interval comes from the profile, or from the environment
    // variable QUILLON_AUTOSAVE_MS (milliseconds; for tests) when that is set.
    AutosaveTimer(Document& doc, ShowFiles& files, GuiHost& host, MainWindow& window,
                  const QString& storeFolder);
    // A clean close: the copy is removed.
    ~AutosaveTimer() override;

    // The start-up question, "Recover unsaved changes to NAME from TIME?", for each copy a
    // crash left (newest first) until one is recovered; a copy answered No is not asked about
    // again but stays in "Recover Unsaved Work...".
    void OfferAtStartup();
    // Replaces the open show (after its close questions) by the copy's show, which becomes
    // this process's copy. False when the user called it off or the copy cannot be read.
    bool Recover(const RecoveryEntry& entry);
    // "Recover Unsaved Work...": every copy in a list to recover or delete.
    void ShowRecoverDialog();

    // The question asked at start-up for a copy.
    static QString QuestionFor(const RecoveryEntry& entry);

    Autosave& autosave() { return *autosave_; }
    const RecoveryStore& store() const { return store_; }
    int intervalMs() const { return timer_.isActive() ? timer_.interval() : 0; }

    void DocumentChanged(const DocumentChange& change) override;

  private:
    void Tick();

    Document& doc_;
    ShowFiles& files_;
    GuiHost& host_;
    MainWindow& window_;
    RecoveryStore store_;
    std::unique_ptr<Autosave> autosave_;
    QTimer timer_;
    bool reportedFailure_ = false;
};

}  // namespace quillon
