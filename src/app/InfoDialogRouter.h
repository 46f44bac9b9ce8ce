#pragma once
// Opens the information dialogs that the stage plan and the timeline ask for and loads again
// what a dialog changed: "Actor / Scene Information" for an item (its set, picture, sound,
// movie or script by the item's kind), "KeyFrame Information" for a key (with the timeline's
// one-key clipboard), "Panel Information" for a set panel (its texture), and the key's numbers
// in the stage's read-out panel when a key drag starts. The views record the undo snapshot
// before they ask. Document, files and views must outlive the router.

#include <QObject>

#include "model/KeyFrame.h"

class QWidget;

namespace quillon {

class Document;
class Set;
class ShowFiles;
class ShowNode;
class StageView;
class TimelineView;

class InfoDialogRouter final : public QObject {
    Q_OBJECT
  public:
    // Connects the views' requests; dialogs open over `window`.
    InfoDialogRouter(Document& doc, ShowFiles& files, StageView& stage, TimelineView& timeline,
                     QWidget* window);

    // The timeline's key clipboard ("Cut" and "Paste" of KeyFrame Information).
    KeyFrame& keyClipboard() { return keyClipboard_; }

    // The item's dialog; on OK with a changed file the file is loaded again, and the document
    // shows the current frame again.
    void OpenItem(ShowNode* item);
    void OpenKey(ShowNode* owner, int index);
    void OpenPanel(Set* set, int index);
    // The key's values in the stage's read-out panel.
    void ShowKeyReadout(ShowNode* owner, int index);
    // Loads the item's file again by its kind: a scene's set, an actor's picture (none for an
    // empty name), a sound track's clip and a movie (each ending where its length says), a
    // script.
    void ReloadFile(ShowNode& item);

  private:
    Document& doc_;
    ShowFiles& files_;
    StageView& stage_;
    QWidget* window_;
    KeyFrame keyClipboard_{};
};

}  // namespace quillon
