#pragma once
// Views learn of document changes through this interface; the document never calls a widget.
// Each notice says what changed (which aspects, which nodes, which panels), so that a view
// repaints only what the change touched: a frame step moves the timeline's cut line and nothing
// else there, a panel edit leaves the timeline alone, a selection change does not re-render the
// monitor.

#include <cstdint>
#include <vector>

namespace quillon {

class Set;
class ShowNode;

struct DocumentChange {
    enum Aspect : uint32_t {
        kFrame = 1u << 0,      // the current frame moved and the scene's poses were evaluated
        kCamera = 1u << 1,     // the monitor camera was placed (not by a frame change)
        kNodes = 1u << 2,      // nodes were added, removed or reordered
        kRange = 1u << 3,      // node ranges moved or stretched
        kKeys = 1u << 4,       // key lists changed
        kPose = 1u << 5,       // live poses changed without a frame change
        kSelection = 1u << 6,  // nodes were selected or deselected
        kPicture = 1u << 7,    // a node's file, picture or movie changed
        kPanels = 1u << 8,     // set panels were added, removed, moved, selected or retextured
        kShow = 1u << 9,       // a new or opened show replaced everything
        kRedraw = 1u << 10,    // the stage and the timeline are asked to redraw whole
        kScript = 1u << 11,    // a script track's text was loaded: the script window shows
    };

    uint32_t aspects = 0;
    // The nodes the change touched; empty when it is not about particular nodes.
    std::vector<const ShowNode*> nodes;
    // With kPanels: the set whose panels changed (null: the current scene's).
    const Set* set = nullptr;
    // With kFrame: the new current frame.
    int frame = 0;
    // With kFrame: a frame of real-time play. Each tick redraws the monitor and the frame
    // readouts; the stage plan is not redrawn (the play loop moves its camera symbol when
    // asked), and is redrawn whole when play stops.
    bool playTick = false;

    bool Has(uint32_t any) const { return (aspects & any) != 0; }
    // Anything that changes what a node looks like on the timeline: bars, rows or keys.
    static constexpr uint32_t kTimelineLayout = kNodes | kRange | kKeys | kShow | kRedraw;
    // Anything that changes what the camera sees.
    static constexpr uint32_t kPicture3d =
        kFrame | kCamera | kNodes | kPose | kPicture | kPanels | kShow | kRedraw;
};

class DocumentListener {
  public:
    virtual ~DocumentListener() = default;
    virtual void DocumentChanged(const DocumentChange& change) = 0;
};

}  // namespace quillon
