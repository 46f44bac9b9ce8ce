// The transport: the player pane's twelve buttons (play modes, jog, range marks, full-screen
// play, next camera) and the status bar's copies of play backwards, stop and play. While the
// show plays, the play loop takes the clicks on these buttons itself (PlayInputFilter); these
// declarations are what the buttons do when nothing plays.
#include "CommandContext.h"
#include "CommandIds.h"
#include "CommandRegistry.h"
#include "player/Player.h"

namespace quillon {

void RegisterTransportCommands(CommandContext& c) {
    Player& p = c.player;
    auto mode = [&p](int m) { return [&p, m] { return p.mode() == m; }; };
    c.commands.Add({
        {.id = kCmdFastBackwardsButton,
         .text = "Fast Backwards",
         .prompt = "Play backwards at twice the speed",
         .run = [&p] { p.Start(kFastBackwards); },
         .checked = mode(kFastBackwards)},
        {.id = kCmdPlayBackwardsButton,
         .text = "Play Backwards",
         .prompt = "Play backwards",
         .run = [&p] { p.Start(kPlayBackwards); },
         .checked = mode(kPlayBackwards)},
        {.id = kCmdStopButton,
         .text = "Stop",
         .prompt = "Stop playing",
         .run = [&p] { p.Stop(); },
         .checked = mode(kStopped)},
        {.id = kCmdPlayButton,
         .text = "Play",
         .prompt = "Play, or stop when playing",
         .run = [&p] { p.PlayOrStop(); },
         .checked = mode(kPlayForwards)},
        {.id = kCmdFastForwardButton,
         .text = "Fast Forward",
         .prompt = "Play at twice the speed",
         .run = [&p] { p.Start(kFastForward); },
         .checked = mode(kFastForward)},
        {.id = kCmdJogBack,
         .text = "Jog Back",
         .prompt = "Go back by the jog amount",
         .run = [&p] { p.JogBack(); }},
        {.id = kCmdJogForward,
         .text = "Jog Forward",
         .prompt = "Go forward by the jog amount",
         .run = [&p] { p.JogForward(); }},
        {.id = kCmdRangeToggle,
         .text = "Range Play",
         .prompt = "Play between the range marks and loop",
         .run = [&p] { p.ToggleRange(); },
         .checked = [&p] { return p.rangeOn(); }},
        {.id = kCmdRangeStart,
         .text = "Range Start",
         .prompt = "Mark the start of the range at the current frame",
         .run = [&p] { p.MarkRangeStart(); }},
        {.id = kCmdRangeEnd,
         .text = "Range End",
         .prompt = "Mark the end of the range at the current frame",
         .run = [&p] { p.MarkRangeEnd(); }},
        {.id = kCmdFullScreenPlay,
         .text = "Full Screen Play",
         .prompt = "Play from the start with the monitor filling the screen",
         .run = [&p] { p.FullScreenPlay(); }},
        {.id = kCmdNextCamera,
         .text = "Next Camera",
         .prompt = "Cut to the next camera",
         .run = [&p] { p.NextCamera(); }},
        {.id = kCmdPlayBackwards,
         .text = "Play backwards",
         .prompt = "Play backwards",
         .run = [&p] { p.Start(kPlayBackwards); }},
        {.id = kCmdStop, .text = "Stop", .prompt = "Stop playing", .run = [&p] { p.Stop(); }},
        {.id = kCmdPlayForwards,
         .text = "Play",
         .prompt = "Play, or stop when playing",
         .run = [&p] { p.PlayOrStop(); }},
    });
}

}  // namespace quillon
