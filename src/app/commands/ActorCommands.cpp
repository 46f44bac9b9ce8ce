// The "&Actors" menu ("Pictures" in picture mode): new tracks, texture options, the script
// window and deleting tracks.
#include "CommandContext.h"
#include "CommandIds.h"
#include "CommandRegistry.h"
#include "app/MainWindow.h"
#include "model/Document.h"
#include "model/ScriptHolder.h"
#include "model/Settings.h"
#include "stage/StageView.h"

namespace quillon {

void RegisterActorCommands(CommandContext& c) {
    c.commands.Add({
        {.id = kCmdAddActor,
         .text = "Add &Actor\tCtrl+I",
         .prompt = "Add a picture or movie to the current scene",
         .shortcuts = {QKeySequence("Ctrl+I")},
         .run = [&c] { c.doc.AddActorCommand(c.stage.VisiblePlace()); }},
        {.id = kCmdAddSound,
         .text = "Add &Sound ",
         .prompt = "Add a sound track at the current frame",
         .run = [&c] { c.doc.AddSoundCommand(c.stage.VisiblePlace()); }},
        {.id = kCmdAddScript,
         .text = "Add S&cript",
         .prompt = "Add a script to the current scene",
         .run = [&c] { c.doc.AddScriptCommand(c.stage.VisiblePlace()); }},
        {.id = kCmdSmoothFiltering,
         .text = "Smooth Filtering",
         .prompt = "Smooth the pictures as they are drawn",
         .run =
             [&c] {
                 const bool on = !c.doc.settings().filtering;
                 c.doc.settings().filtering = on;
                 settings::Write(c.profile, settings::kFiltering, on);
             },
         .checked = [&c] { return c.doc.settings().filtering; }},
        {.id = kCmdFeatherEdges,
         .text = "&Feather Edges",
         .prompt = "Soften the keyed edges of actor pictures",
         .run =
             [&c] {
                 const bool on = !c.doc.settings().featherActors;
                 c.doc.settings().featherActors = on;
                 settings::Write(c.profile, settings::kFeatherActors, on);
                 c.window.RedrawAll();
             },
         .checked = [&c] { return c.doc.settings().featherActors; }},
        {.id = kCmdShowScript,
         .text = "Show Script",
         .prompt = "Show or hide the script window",
         .run =
             [&c] {
                 if (ScriptHolder* script = c.doc.scriptHolder()) script->ToggleShown();
             }},
        {.id = kCmdDeleteActor,
         .text = "Delete Actor",
         .prompt = "Delete the selected tracks of the current scene",
         .run = [&c] { c.doc.DeleteSelectedTracks(); },
         .enabled = [&c] { return c.doc.FirstSelected() != nullptr; }},
    });
}

}  // namespace quillon
