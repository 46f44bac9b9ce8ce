// The "&Help" menu: help, the about box and the frame-rate test.
#include <QApplication>
#include <QMessageBox>

#include "CommandContext.h"
#include "CommandIds.h"
#include "CommandRegistry.h"
#include "app/GuiHost.h"
#include "app/Icons.h"
#include "app/MainWindow.h"
#include "app/UserGuide.h"
#include "player/Player.h"

namespace quillon {

namespace {

void OpenGuide(CommandContext& c, const QString& page) {
    QString why;
    if (!UserGuide::Open(page, &why))
        c.host.Error(QStringLiteral("Couldn't open the user guide"), why);
}

}  // namespace

void RegisterHelpCommands(CommandContext& c) {
    c.commands.Add({
        {.id = kCmdGetHelp,
         .text = "Get &Help",
         .prompt = "Open the user guide",
         .run = [&c] { OpenGuide(c, QStringLiteral("index")); }},
        {.id = kCmdHelpF1,
         .prompt = "Open the user guide",
         .shortcuts = {QKeySequence(Qt::Key_F1)},
         .run = [&c] { OpenGuide(c, QStringLiteral("index")); }},
        {.id = kCmdContextHelp,
         .prompt = "Open the user guide at the part of the window in use",
         .shortcuts = {QKeySequence(Qt::SHIFT | Qt::Key_F1)},
         .run = [&c] { OpenGuide(c, UserGuide::PageFor(QApplication::focusWidget())); }},
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
