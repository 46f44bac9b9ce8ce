#include "MenuLayout.h"

#include <QMenuBar>
#include <QToolBar>
#include <vector>

#include "CommandIds.h"
#include "CommandRegistry.h"
#include "app/Icons.h"

namespace quillon {

namespace {

struct MenuLayout {
    const char* title;
    std::vector<int> items;  // command ids; kSeparator for a line
};

const std::vector<MenuLayout>& Menus() {
    static const std::vector<MenuLayout> menus = {
        {"&File",
         {kCmdNewShow, kCmdOpenShow, kCmdSaveShow, kCmdSaveShowAs, kSeparator, kCmdPrint,
          kCmdMakeMovie, kCmdPartsList, kCmdBatchRecord, kSeparator, kCmdRecent1, kCmdRecent2,
          kCmdRecent3, kSeparator, kCmdExit, kSeparator, kCmdExportGltf, kCmdRecoverWork}},
        {"&Edit",
         {kCmdUndo, kCmdRedo, kSeparator, kCmdScaleKeys, kCmdConstantMotion, kSeparator,
          kCmdAddNewScene, kCmdDeleteScene, kSeparator, kCmdPreferences}},
        {"Sta&ge",
         {kCmdShowOnDrag, kCmdLumicardMode, kCmdDrawGridFloor, kCmdShowCameraPath, kCmdCenterCamera,
          kCmdEnlargeStage, kCmdShrinkStage}},
        {"&Player", {kCmdMovingTimeline, kCmdMovingCamera, kCmdPlaySoundTracks, kCmdShowReticle}},
        {"&Set",
         {kCmdNewSet, kCmdOpenSet, kCmdSaveSetAs, kCmdAppendSet, kSeparator, kCmdSnapToGrid,
          kCmdDrawSet, kCmdColorKey, kSeparator, kCmdCutPanel, kCmdCopyPanel, kCmdPastePanel,
          kSeparator, kCmdAddFloorPanel, kCmdAddWallPanel}},
        {"&Actors",
         {kCmdAddActor, kCmdAddSound, kCmdAddScript, kSeparator, kCmdSmoothFiltering,
          kCmdFeatherEdges, kCmdShowScript, kSeparator, kCmdDeleteActor}},
        {"&Help", {kCmdGetHelp, kCmdAbout, kSeparator, kCmdTestFrameRate}},
    };
    return menus;
}

const std::vector<int>& ToolBarButtons() {
    static const std::vector<int> buttons = {
        kCmdAddKeyAdvance, kCmdAddKey,       kSeparator,       kCmdEnlargeStage, kCmdCenterCamera,
        kCmdShrinkStage,   kSeparator,       kCmdScaleKeys,    kCmdSnapToGrid,   kCmdLockSet,
        kSeparator,        kCmdAddWallPanel, kCmdAddFloorPanel};
    return buttons;
}

}  // namespace

void BuildMenuBar(QMenuBar& bar, CommandRegistry& commands, bool pictureMode) {
    for (const MenuLayout& layout : Menus()) {
        const QString title = QString::fromLatin1(layout.title);
        if (pictureMode && title == QStringLiteral("&Set")) continue;
        QMenu* menu = bar.addMenu(
            pictureMode && title == QStringLiteral("&Actors") ? QStringLiteral("Pictures") : title);
        for (int id : layout.items) {
            if (id == kSeparator) {
                menu->addSeparator();
            } else if (!(pictureMode && id == kCmdLumicardMode)) {
                menu->addAction(commands.action(id));
            }
        }
        // Enabling and check marks are brought up to date as a menu opens.
        QObject::connect(menu, &QMenu::aboutToShow, &commands, &CommandRegistry::UpdateCommands);
    }
    if (pictureMode) {
        commands.action(kCmdAddActor)->setText(QStringLiteral("Add Picture\tCtrl+I"));
        commands.action(kCmdDeleteActor)->setText(QStringLiteral("Delete Picture"));
    }
}

void BuildToolBar(QToolBar& bar, CommandRegistry& commands) {
    bar.setIconSize(QSize(16, 15));
    for (int id : ToolBarButtons()) {
        if (id == kSeparator) {
            bar.addSeparator();
            continue;
        }
        QAction* a = commands.action(id);
        a->setIcon(ToolIcon(id));
        bar.addAction(a);
    }
}

void ShowPanelButtons(QToolBar& bar, CommandRegistry& commands, bool shown) {
    static const char* const kStandsFor = "quillonStandsFor";
    for (int id : {kCmdAddWallPanel, kCmdAddFloorPanel}) {
        QAction* button = commands.action(id);
        const QList<QAction*> actions = bar.actions();
        const bool present = actions.contains(button);
        if (shown == present) continue;
        if (!shown) {
            const qsizetype at = actions.indexOf(button);
            QAction* next = at + 1 < actions.size() ? actions[at + 1] : nullptr;
            QAction* gap = next ? bar.insertSeparator(next) : bar.addSeparator();
            gap->setProperty(kStandsFor, id);
            bar.removeAction(button);
            continue;
        }
        for (QAction* a : actions) {
            if (a->property(kStandsFor).toInt() != id) continue;
            bar.insertAction(a, button);
            bar.removeAction(a);
            a->deleteLater();
            break;
        }
    }
}

}  // namespace quillon
