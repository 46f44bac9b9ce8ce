#pragma once
// What the command handlers work on: the document and its files, the user-facing host, and the
// window's panes. One context per window, made by the window once its panes exist; the handlers
// keep a reference to it.

#include <QString>

namespace quillon {

class CommandRegistry;
class Document;
class GlTextureUploader;
class GuiHost;
class MainWindow;
class MonitorWidget;
class PictureMediaLoader;
class Player;
class Profile;
class RecentFiles;
class ShowFiles;
class StageView;
class TimelineView;

struct CommandContext {
    Document& doc;
    ShowFiles& files;
    GuiHost& host;
    Profile& profile;
    RecentFiles& recent;
    PictureMediaLoader& media;
    GlTextureUploader& textures;
    MainWindow& window;
    StageView& stage;
    TimelineView& timeline;
    MonitorWidget& monitor;
    Player& player;
    CommandRegistry& commands;
    bool pictureMode = false;
};

// Each menu's commands, declared in a file of their own and added to the registry.
void RegisterFileCommands(CommandContext& c);
void RegisterEditCommands(CommandContext& c);
void RegisterStageCommands(CommandContext& c);
void RegisterPlayerCommands(CommandContext& c);
void RegisterSetCommands(CommandContext& c);
void RegisterActorCommands(CommandContext& c);
void RegisterHelpCommands(CommandContext& c);
// Commands without a menu item: the tool bar's key buttons, the set lock, the jog amount, the
// extra camera and the status bar's zoom buttons.
void RegisterToolCommands(CommandContext& c);
// The transport: the player pane's buttons 110 to 121 and the status bar's 150 to 152.
void RegisterTransportCommands(CommandContext& c);

inline void RegisterAllCommands(CommandContext& c) {
    RegisterFileCommands(c);
    RegisterEditCommands(c);
    RegisterStageCommands(c);
    RegisterPlayerCommands(c);
    RegisterSetCommands(c);
    RegisterActorCommands(c);
    RegisterHelpCommands(c);
    RegisterToolCommands(c);
    RegisterTransportCommands(c);
}

// The application's open operation, for the command line, dropped files and recent files:
// ".SHW" anywhere in the name (any case) opens a show, ".SET" becomes the current scene's set,
// anything else an actor spanning the current scene; then frame 0 and the information beep.
void OpenAnyFile(CommandContext& c, const QString& path);
// "&Make Movie": the settings dialog, the file dialog, then the movie made in the window.
void MakeMovie(CommandContext& c);
// "Batch Record/AVI": the list of shows to tape or AVI files, with the edit log.
void BatchRecord(CommandContext& c);

}  // namespace quillon
