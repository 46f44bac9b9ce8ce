// The "&Help" menu: help, the about box and the frame-rate test.
#include <QMessageBox>

#include "CommandContext.h"
#include "CommandIds.h"
#include "CommandRegistry.h"
#include "app/Icons.h"
#include "app/MainWindow.h"
#include "player/Player.h"

namespace quillon {

void RegisterHelpCommands(CommandContext& c) {
    c.commands.Add({
        {.id = kCmdGetHelp, .text = "Get &Help", .prompt = "Open the user guide"},
        {.id = kCmdAbout,
         .text = "&About",
         .prompt = "Program information",
         .run =
             [&c] {
                 QMessageBox box(&c.window);
                 box.setWindowTitle(QStringLiteral("About Quillon"));
                 box.setIconPixmap(ProgramPicture());
                 box.setText(QStringLiteral("Quillon\nPrevisualisation and cut-out animation"));
                 box.exec();
             }},
        {.id = kCmdTestFrameRate,
         .text = "&Test Frame Rate",
         .prompt = "Measure the frame rate of the next play",
         .run = [&c] { c.player.RequestFrameRateTest(); }},
    });
}

}  // namespace quillon
