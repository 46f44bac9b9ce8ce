// The "&Edit" menu: undo, key scaling, constant motion, scenes and the preferences.
#include "CommandContext.h"
#include "CommandIds.h"
#include "CommandRegistry.h"
#include "app/MainWindow.h"
#include "app/PreferencesDialog.h"
#include "model/Document.h"
#include "stage/StageView.h"

namespace quillon {

void RegisterEditCommands(CommandContext& c) {
    c.commands.Add({
        {.id = kCmdUndo,
         .text = "&Undo\tCtrl+Z",
         .prompt = "Undo the last change",
         .shortcuts = {QKeySequence("Ctrl+Z"), QKeySequence("Alt+Backspace")},
         .run = [&c] { c.doc.Undo(); },
         .enabled = [&c] { return c.doc.undoCount() > 0; }},
        {.id = kCmdRedo,
         .text = "&Redo\tCtrl+A",
         .prompt = "Redo the change undone last",
         .shortcuts = {QKeySequence("Ctrl+A")},
         .run = [&c] { c.doc.Redo(); },
         .enabled = [&c] { return c.doc.redoCount() > 0; }},
        {.id = kCmdScaleKeys,
         .text = "&Scale Keys",
         .prompt = "Stretch key frames with a stretched scene or track",
         .toolTip = "Stretch Keys",
         .run = [&c] { c.doc.ToggleScaleKeys(); },
         .checked = [&c] { return c.doc.settings().scaleKeys; }},
        {.id = kCmdConstantMotion,
         .text = "&Constant Motion",
         .prompt = "Move the selected scene's camera at an even speed along its path",
         .run = [&c] { c.doc.ConstantMotionCommand(); }},
        {.id = kCmdAddNewScene,
         .text = "&Add New Scene",
         .prompt = "Add a scene after the last one",
         .run = [&c] { c.doc.AddNewSceneCommand(); }},
        {.id = kCmdDeleteScene,
         .text = "&Delete Scene\tCtrl+D",
         .prompt = "Delete the selected scenes",
         .shortcuts = {QKeySequence("Ctrl+D")},
         .run = [&c] { c.doc.DeleteSelectedScenes(); },
         .enabled = [&c] { return c.doc.FirstSelected() != nullptr; }},
        {.id = kCmdPreferences,
         .text = "Preferences",
         .prompt = "Frame rate, aspect ratios, stage units and cameras",
         .run =
             [&c] {
                 PreferencesDialog dialog(c.doc, &c.window);
                 if (dialog.exec() != QDialog::Accepted) return;
                 c.stage.CenterCamera();
                 c.window.RedrawAll();
             }},
    });
}

}  // namespace quillon
