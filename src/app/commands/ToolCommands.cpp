// Commands without a menu item of their own: the tool bar's key buttons and set lock, the extra
// camera, the jog amount and the status bar's timeline zoom buttons.
#include "CommandContext.h"
#include "CommandIds.h"
#include "CommandRegistry.h"
#include "app/MainWindow.h"
#include "app/Prompts.h"
#include "model/Document.h"
#include "player/Player.h"
#include "timeline/TimelineView.h"
#include "viewkit/VerticalMode.h"

namespace quillon {

namespace {

// Shift held in the stage plan or the timeline (vertical mode) forces keys on the selected
// tracks.
KeyForce ForceFromVerticalMode() {
    return VerticalMode() ? KeyForce::kSelectedToo : KeyForce::kMovedOnly;
}

}  // namespace

void RegisterToolCommands(CommandContext& c) {
    c.commands.Add({
        {.id = kCmdAddKey,
         .text = "Add or Reset KeyFrame",
         .prompt = "Key the moved actors and camera at the current frame",
         .run = [&c] { c.doc.SetKeyFrames(c.doc.currentFrame(), ForceFromVerticalMode()); }},
        {.id = kCmdAddKeyAdvance,
         .text = "Add KeyFrame and advance 1 sec",
         .prompt = "Key the moved actors and camera, then go one second on",
         .run =
             [&c] {
                 c.doc.SetKeyFrames(c.doc.currentFrame(), ForceFromVerticalMode());
                 // One second of frames: the rate is held in hundredths.
                 const int step = (c.doc.frameRate() + 50) / 100;
                 c.doc.UpdateViewsAtFrame(c.doc.currentFrame() + step, Refresh::kViews);
             }},
        {.id = kCmdLockSet,
         .text = "Lock Set",
         .prompt = "Keep the set from being changed",
         .run = [&c] { c.doc.SetSetLocked(!c.doc.setLocked()); },
         .checked = [&c] { return c.doc.setLocked(); }},
        {.id = kCmdAddCamera,
         .text = "Add Addtional Camera to Scene",
         .prompt = "Add another camera to the current scene",
         .run = [&c] { c.doc.AddCameraCommand(); }},
        {.id = kCmdJogAmount,
         .text = "Jog Amount",
         .prompt = "Number of frames for each Jog button click",
         .run =
             [&c] {
                 const int64_t answer = AskTimecode(
                     &c.window, c.player.jogAmount(), c.doc.frameRate(),
                     QStringLiteral("Type frames to advance on jog"), 1, c.player.maxJogAmount());
                 c.player.ApplyJogAmount(answer);
             }},
        // 197 halves the frames a band holds (the timeline's zoom out) and 198 doubles them.
        {.id = kCmdTimelineSpread,
         .text = "Spread the timeline out",
         .prompt = "Spread the timeline out",
         .run = [&c] { c.timeline.ZoomOut(); }},
        {.id = kCmdTimelineSqueeze,
         .text = "Squeeze the timeline together",
         .prompt = "Squeeze the timeline together",
         .run = [&c] { c.timeline.ZoomIn(); }},
    });
}

}  // namespace quillon
