#pragma once
// Views learn of document changes through this interface; the document never calls a widget.

namespace quillon {

class ShowNode;

class DocumentListener {
  public:
    virtual ~DocumentListener() = default;
    // The current frame changed and the scene's poses were evaluated for it.
    virtual void CurrentFrameChanged(int /*frame*/) {}
    // The timeline and the stage plan should be redrawn.
    virtual void ViewsNeedRedraw() {}
    // Nodes were added, removed or re-ranged: the timeline recomputes its layout.
    virtual void ShowLayoutChanged() {}
    // Tracks, scenes or panels were selected or deselected by a document operation.
    virtual void SelectionChanged() {}
    // Only the stage plan needs redrawing (set panels changed).
    virtual void StageChanged() {}
    // The script window follows the current frame when it is visible.
    virtual void ScriptFollowFrame(int /*frame*/) {}
    // A script track was added: the script window is shown if hidden.
    virtual void ShowScriptWindow() {}
};

}  // namespace quillon
