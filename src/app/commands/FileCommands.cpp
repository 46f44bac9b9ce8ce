// The "&File" menu: shows, movies, the parts list, the recent files and Exit.
#include <QDate>
#include <QFileInfo>
#include <QPointer>

#include "CommandContext.h"
#include "CommandIds.h"
#include "CommandRegistry.h"
#include "app/AutosaveTimer.h"
#include "app/DesktopRecentFiles.h"
#include "app/GuiHost.h"
#include "app/MainWindow.h"
#include "app/Prompts.h"
#include "app/RecentFiles.h"
#include "app/SettingsValues.h"
#include "app/StoryboardDialog.h"
#include "model/Document.h"
#include "model/ShowFiles.h"
#include "output/GltfExporter.h"
#include "stage/StageView.h"

namespace quillon {

namespace {

// "&Print...": the Print / Preview dialog that is open is closed, then a new one opens
// (modeless, so the user can go on moving through the show).
void OpenStoryboardDialog(CommandContext& c) {
    static QPointer<StoryboardDialog> open;
    if (open) open->close();
    open = new StoryboardDialog(c.doc, c.monitor, c.media, c.textures, &c.window);
    open->show();
    open->raise();
    open->activateWindow();
}

// "Export glTF...": every scene of the show into a .gltf or .glb file the user names.
void ExportGltf(CommandContext& c) {
    FileDialogRequest req;
    req.filter = QStringLiteral("glTF Files (*.gltf;*.glb)|*.gltf;*.glb|All Files *.*|*.*||");
    req.defaultExtension = QStringLiteral("gltf");
    req.startFolder = c.doc.projectFolder();
    const QString path = c.doc.path().isEmpty() ? c.doc.suggestedPath() : c.doc.path();
    if (!path.isEmpty())
        req.initialName = QFileInfo(path).path() + u'/' + QFileInfo(path).completeBaseName() +
                          QStringLiteral(".gltf");
    req.overwritePrompt = true;
    const auto chosen = c.host.SaveFileName(req);
    if (!chosen) return;
    c.doc.SetProjectFolderFromFile(*chosen);
    GltfExporter exporter(c.doc);
    bool ok = false;
    {
        WaitCursor wait(c.host);
        ok = exporter.Export(*chosen);
    }
    if (!ok) {
        c.host.Error(QStringLiteral("Couldn't write file"),
                     *chosen + QStringLiteral(": ") + exporter.errorString());
        return;
    }
    c.host.SetStatusText(
        exporter.warnings().isEmpty() ? QString() : exporter.warnings().join(QStringLiteral("; ")));
    c.host.Beep(BeepKind::Asterisk);
}

}  // namespace

void RegisterFileCommands(CommandContext& c) {
    CommandRegistry& r = c.commands;
    r.Add({
        {.id = kCmdNewShow,
         .text = "&New Show\tCtrl+N",
         .prompt = "Create a new show",
         .shortcuts = {QKeySequence("Ctrl+N")},
         .run = [&c] { c.files.NewShow(); }},
        {.id = kCmdOpenShow,
         .text = "&Open Show...\tCtrl+O",
         .prompt = "Open an existing show",
         .shortcuts = {QKeySequence("Ctrl+O")},
         .run = [&c] { c.files.OpenShow(); }},
        {.id = kCmdSaveShow,
         .text = "&Save Show\tCtrl+S",
         .prompt = "Save the show",
         .shortcuts = {QKeySequence("Ctrl+S")},
         .run = [&c] { c.files.SaveShow(); },
         .enabled = [&c] { return c.doc.modified(); }},
        {.id = kCmdSaveShowAs,
         .text = "Save Show &As...\tCtrl+H",
         .prompt = "Save the show under a new name",
         .shortcuts = {QKeySequence("Ctrl+H")},
         .run = [&c] { c.files.SaveShowAs(); }},
        {.id = kCmdPrint,
         .text = "&Print...\tCtrl+P",
         .prompt = "Print the storyboard",
         .shortcuts = {QKeySequence("Ctrl+P")},
         .run = [&c] { OpenStoryboardDialog(c); }},
        {.id = kCmdMakeMovie,
         .text = "&Make Movie",
         .prompt = "Make a movie, a Targa sequence or a VRML world of the show",
         .run = [&c] { MakeMovie(c); }},
        {.id = kCmdPartsList,
         .text = "Make Parts &List",
         .prompt = "List the files this show uses",
         .run = [&c] { ShowPartsList(&c.window, PartsListText(c.doc, QDate::currentDate())); }},
        {.id = kCmdBatchRecord,
         .text = "Batch Record/AVI",
         .prompt = "Record a list of shows to tape or to AVI files",
         .run = [&c] { BatchRecord(c); }},
        {.id = kCmdExit,
         .text = "E&xit",
         .prompt = "Quit the application; offers to save the show",
         .run = [&c] { c.window.close(); }},
        {.id = kCmdExportGltf,
         .text = "Export glTF...",
         .prompt = "Write the show as a glTF 2.0 scene for other 3D programs",
         .run = [&c] { ExportGltf(c); }},
        {.id = kCmdRecoverWork,
         .text = "Recover Unsaved Work...",
         .prompt = "Open a show from the copies kept of unsaved changes",
         .run =
             [&c] {
                 if (auto* autosave = c.window.findChild<AutosaveTimer*>())
                     autosave->ShowRecoverDialog();
             }},
    });
    // The recent files: their texts and visibility follow the list.
    for (int i = 0; i < RecentFiles::kCount; ++i) {
        r.Add({.id = kCmdRecent1 + i, .prompt = "Open this show", .run = [&c, i] {
                   const QStringList& files = c.recent.files();
                   if (i < files.size()) OpenAnyFile(c, files[i]);
               }});
    }
    auto showRecent = [&c] {
        const QStringList& files = c.recent.files();
        for (int i = 0; i < RecentFiles::kCount; ++i) {
            QAction* a = c.commands.action(kCmdRecent1 + i);
            a->setVisible(i < files.size());
            if (i < files.size())
                a->setText(QStringLiteral("&%1 %2").arg(i + 1).arg(QFileInfo(files[i]).fileName()));
        }
    };
    QObject::connect(&c.recent, &RecentFiles::changed, &c.commands, showRecent);
    showRecent();
    // The show at the top of the list joins the desktop's recent files too.
    QObject::connect(&c.recent, &RecentFiles::changed, &c.commands, [&c] {
        if (!c.recent.files().isEmpty())
            DesktopRecentFiles().Add(c.recent.files().first(),
                                     QStringLiteral("application/x-quillon-show"));
    });
}

void OpenAnyFile(CommandContext& c, const QString& path) {
    const QString upper = path.toUpper();
    if (upper.contains(QStringLiteral(".SHW"))) {
        c.files.OpenShowFile(path);
    } else if (upper.contains(QStringLiteral(".SET"))) {
        ShowNode* scene = c.doc.currentScene();
        if (scene) c.files.OpenSet(scene, SetLoad::kReplace, path);
    } else {
        ShowNode* scene = c.doc.currentScene();
        if (scene)
            c.doc.AddTrack(NodeKind::Actor, scene->startFrame, scene->endFrame,
                           c.stage.VisiblePlace(), path);
    }
    c.doc.UpdateViewsAtFrame(0, Refresh::kViews);
    c.host.Beep(BeepKind::Asterisk);
    c.window.RedrawAll();
}

}  // namespace quillon
