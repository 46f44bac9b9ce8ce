// The "&Set" menu: set files, snapping, drawing and keying the set, the panel clipboard and new
// panels.
#include "CommandContext.h"
#include "CommandIds.h"
#include "CommandRegistry.h"
#include "app/MainWindow.h"
#include "model/Document.h"
#include "model/Settings.h"
#include "model/ShowFiles.h"
#include "monitor/MonitorWidget.h"
#include "stage/StageView.h"

namespace quillon {

namespace {

bool AnyPanelSelected(const Document& doc) {
    const ShowNode* scene = doc.currentScene();
    return scene && scene->set && scene->set->AnySelected();
}

}  // namespace

void RegisterSetCommands(CommandContext& c) {
    c.commands.Add({
        {.id = kCmdNewSet,
         .text = "&New Set",
         .prompt = "Create a new set for the current scene ",
         .run = [&c] { c.files.NewSet(c.doc.currentScene()); }},
        {.id = kCmdOpenSet,
         .text = "&Open Set",
         .prompt = "Load an existing set to current scene",
         .run = [&c] { c.files.OpenSet(c.doc.currentScene(), SetLoad::kReplace); }},
        {.id = kCmdSaveSetAs,
         .text = "Save Set &As...",
         .prompt = "Save set to disk",
         .run = [&c] { c.files.SaveSet(c.doc.currentScene(), SetName::kAsk); },
         .enabled =
             [&c] {
                 const ShowNode* scene = c.doc.currentScene();
                 return scene && scene->set;
             }},
        {.id = kCmdAppendSet,
         .text = "Append to Set",
         .prompt = "Add new set panels to existing set from file",
         .run = [&c] { c.files.OpenSet(c.doc.currentScene(), SetLoad::kAppend); }},
        {.id = kCmdSnapToGrid,
         .text = "Snap to Grid\tCtrl-G",
         .prompt = "Snap set panels to the grid",
         .shortcuts = {QKeySequence("Ctrl+G")},
         .toolTip = "Snap to Grid",
         .run = [&c] { c.stage.SetSnapToGrid(!c.stage.snapToGrid()); },
         .checked = [&c] { return c.stage.snapToGrid(); }},
        {.id = kCmdDrawSet,
         .text = "Draw &Set",
         .prompt = "Draw the set on the stage and in the monitor",
         .run =
             [&c] {
                 c.stage.ToggleShowSet();
                 c.monitor.renderer().drawSet = c.stage.showSet();
                 c.window.RedrawAll();
             },
         .checked = [&c] { return c.stage.showSet(); }},
        {.id = kCmdColorKey,
         .text = "Color Key",
         .prompt = "Make the key colour of set panel pictures transparent",
         .run =
             [&c] {
                 const bool on = !c.doc.settings().colorKeying;
                 c.doc.settings().colorKeying = on;
                 settings::Write(c.profile, settings::kColorKeying, on);
                 c.window.RedrawAll();
             },
         .checked = [&c] { return c.doc.settings().colorKeying; }},
        {.id = kCmdCutPanel,
         .text = "Cu&t Panel\tCtrl-X",
         .prompt = "Remove the selected panels to the clipboard",
         .shortcuts = {QKeySequence("Ctrl+X"), QKeySequence("Shift+Delete")},
         .run = [&c] { c.doc.CutPanels(); },
         .enabled = [&c] { return AnyPanelSelected(c.doc); }},
        {.id = kCmdCopyPanel,
         .text = "&Copy Panel\tCtrl-C",
         .prompt = "Copy the selected panels to the clipboard",
         .shortcuts = {QKeySequence("Ctrl+C"), QKeySequence("Ctrl+Insert")},
         .run = [&c] { c.doc.CopyPanels(); }},
        {.id = kCmdPastePanel,
         .text = "&Paste Panel\tCtrl-V",
         .prompt = "Paste the copied panels into the current set",
         .shortcuts = {QKeySequence("Ctrl+V"), QKeySequence("Shift+Insert")},
         .run = [&c] { c.doc.PastePanels(); },
         .enabled = [&c] { return c.doc.panelClipboardUsed(); }},
        {.id = kCmdAddFloorPanel,
         .text = "Add Floor Panel\tCtrl-F",
         .prompt = "Add a floor panel to the current set",
         .shortcuts = {QKeySequence("Ctrl+F")},
         .toolTip = "Add New Floor Panel",
         .run = [&c] { c.doc.NewPanel(PanelKind::kFloor, c.stage.VisiblePlace()); }},
        {.id = kCmdAddWallPanel,
         .text = "Add Wall Panel\tCtrl-W",
         .prompt = "Add a wall panel to the current set",
         .shortcuts = {QKeySequence("Ctrl+W")},
         .toolTip = "Add New Wall Panel",
         .run = [&c] { c.doc.NewPanel(PanelKind::kWall, c.stage.VisiblePlace()); }},
    });
}

}  // namespace quillon
