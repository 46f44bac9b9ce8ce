// The "&Player" menu: what moves while the show plays, the sound tracks and the reticle.
#include "CommandContext.h"
#include "CommandIds.h"
#include "CommandRegistry.h"
#include "monitor/MonitorWidget.h"
#include "player/Player.h"
#include "timeline/TimelineView.h"

namespace quillon {

void RegisterPlayerCommands(CommandContext& c) {
    c.commands.Add({
        {.id = kCmdMovingTimeline,
         .text = "Moving &Timeline",
         .prompt = "Scroll the timeline with the play position",
         .run = [&c] { c.timeline.ToggleMovePlay(); },
         .checked = [&c] { return c.timeline.movePlay(); }},
        {.id = kCmdMovingCamera,
         .text = "Moving &Camera",
         .prompt = "Move the camera on the stage during play",
         .run = [&c] { c.player.ToggleMoveCamera(); },
         .checked = [&c] { return c.player.moveCamera(); }},
        {.id = kCmdPlaySoundTracks,
         .text = "Play Sound Tracks",
         .prompt = "Play the sound tracks with the show",
         .run = [&c] { c.player.TogglePlayAudio(); },
         .checked = [&c] { return c.player.playAudio(); }},
        {.id = kCmdShowReticle,
         .text = "Show Camera Reticle\t Ctrl-R",
         .prompt = "Show the camera reticle over the monitor",
         .shortcuts = {QKeySequence("Ctrl+R")},
         .run = [&c] { c.monitor.ToggleReticle(); },
         .checked = [&c] { return c.monitor.renderer().showReticle; }},
    });
}

}  // namespace quillon
