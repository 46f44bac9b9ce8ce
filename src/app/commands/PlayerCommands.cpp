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
         .run = [&c] { c.timeline.ToggleMovePlay(); },
         .checked = [&c] { return c.timeline.movePlay(); }},
        {.id = kCmdMovingCamera,
         .text = "Moving &Camera",
         .run = [&c] { c.player.ToggleMoveCamera(); },
         .checked = [&c] { return c.player.moveCamera(); }},
        {.id = kCmdPlaySoundTracks,
         .text = "Play Sound Tracks",
         .run = [&c] { c.player.TogglePlayAudio(); },
         .checked = [&c] { return c.player.playAudio(); }},
        {.id = kCmdShowReticle,
         .text = "Show Camera Reticle\t Ctrl-R",
         .shortcuts = {QKeySequence("Ctrl+R")},
         .run = [&c] { c.monitor.ToggleReticle(); },
         .checked = [&c] { return c.monitor.renderer().showReticle; }},
    });
}

}  // namespace quillon
