// The "Sta&ge" menu: the plan's display toggles, the rostrum (Lumicard) mode, the camera path,
// centring the camera and the plan's zoom steps.
#include "CommandContext.h"
#include "CommandIds.h"
#include "CommandRegistry.h"
#include "app/MainWindow.h"
#include "model/Document.h"
#include "model/Settings.h"
#include "monitor/MonitorWidget.h"
#include "stage/StageView.h"

namespace quillon {

void RegisterStageCommands(CommandContext& c) {
    c.commands.Add({
        {.id = kCmdShowOnDrag,
         .text = "Show Monitor on &Drag",
         .prompt = "Redraw the monitor while things are dragged on the stage",
         .run = [&c] { c.stage.ToggleShowOnDrag(); },
         .checked = [&c] { return c.stage.showOnDrag(); }},
        {.id = kCmdLumicardMode,
         .text = "&Lumicard Mode",
         .prompt = "Cameras look straight down on pictures measured in pixels",
         .run =
             [&c] {
                 const bool on = !c.doc.settings().rostrumMode;
                 c.doc.settings().rostrumMode = on;
                 settings::Write(c.profile, settings::kRostrumMode, on);
                 c.doc.SetActiveCamera(0);
                 c.stage.CenterCamera();
                 c.window.ShowRostrumMode(on);
                 c.window.RedrawAll();
             },
         .checked = [&c] { return c.doc.settings().rostrumMode; }},
        {.id = kCmdDrawGridFloor,
         .text = "Draw &Grid Floor",
         .prompt = "Draw a checkerboard floor in the monitor",
         .run =
             [&c] {
                 c.stage.ToggleShowGrid();
                 c.monitor.renderer().drawGridFloor = c.stage.showGrid();
                 c.window.RedrawAll();
             },
         .checked = [&c] { return c.stage.showGrid(); }},
        {.id = kCmdShowCameraPath,
         .text = "Show Camera &Path",
         .prompt = "Draw the active camera's path on the stage",
         .run = [&c] { c.stage.ToggleCameraPath(); },
         .checked = [&c] { return c.stage.cameraPathShown(); }},
        {.id = kCmdCenterCamera,
         .text = "&Center Camera",
         .prompt = "Center Camera in Stage",
         .toolTip = "Center Camera",
         .run = [&c] { c.stage.CenterCamera(); }},
        {.id = kCmdEnlargeStage,
         .text = "&Enlarge Stage Area",
         .prompt = "Enlarge the stage plan",
         .toolTip = "Enlarge Stage",
         .run = [&c] { c.stage.EnlargeStage(); }},
        {.id = kCmdShrinkStage,
         .text = "&Shrink Stage Area",
         .prompt = "Shrink the stage plan",
         .toolTip = "Shrink Stage",
         .run = [&c] { c.stage.ShrinkStage(); }},
    });
}

}  // namespace quillon
