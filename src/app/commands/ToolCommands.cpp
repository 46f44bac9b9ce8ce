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

namespace quillon {

void RegisterToolCommands(CommandContext& c) {
    c.commands.Add({
        {.id = kCmdAddKey,
         .text = "Add or Reset KeyFrame",
         .run = [&c] { c.doc.SetKeyFrames(c.doc.currentFrame(), KeyForce::kSelectedToo); }},
        {.id = kCmdAddKeyAdvance,
         .text = "Add KeyFrame and advance 1 sec",
         .run =
             [&c] {
                 c.doc.SetKeyFrames(c.doc.currentFrame(), KeyForce::kSelectedToo);
                 // One second of frames: the rate is held in hundredths.
                 const int step = (c.doc.frameRate() + 50) / 100;
                 c.doc.UpdateViewsAtFrame(c.doc.currentFrame() + step, Refresh::kViews);
             }},
        {.id = kCmdLockSet,
         .text = "Lock Set",
         .run = [&c] { c.doc.SetSetLocked(!c.doc.setLocked()); },
         .checked = [&c] { return c.doc.setLocked(); }},
        {.id = kCmdAddCamera,
         .text = "Add Addtional Camera to Scene",
         .run = [&c] { c.doc.AddCameraCommand(); }},
        {.id = kCmdJogAmount,
         .text = "Jog Amount",
         .run =
             [&c] {
                 const int64_t answer = AskTimecode(
                     &c.window, c.player.jogAmount(), c.doc.frameRate(),
                     QStringLiteral("Type frames to advance on jog"), 1, c.player.maxJogAmount());
                 c.player.ApplyJogAmount(answer);
             }},
        {.id = kCmdZoomOut, .text = "Timeline zoom out", .run = [&c] { c.timeline.ZoomOut(); }},
        {.id = kCmdZoomIn, .text = "Timeline zoom in", .run = [&c] { c.timeline.ZoomIn(); }},
    });
}

}  // namespace quillon
