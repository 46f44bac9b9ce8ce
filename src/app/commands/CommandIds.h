#pragma once
// The ids of every command of the menus, the tool bar, the status bar and the panes' buttons.
// The window, the tool bar and the tests find actions by them.

namespace quillon {

// Command ids of the menus, tool bar and status bar; the window's actions are found by them.
// The ids the commands have always had where they are known (the frame's own commands, the
// transport and zoom buttons, the framework's file and edit commands), others of our own.
enum CommandId : int {
    kCmdNewShow = 57600,
    kCmdOpenShow = 57601,
    kCmdSaveShow = 57603,
    kCmdSaveShowAs = 57604,
    kCmdPrint = 57607,
    kCmdMakeMovie = 32806,
    kCmdPartsList = 32881,
    kCmdBatchRecord = 32889,
    kCmdRecent1 = 57616,
    kCmdRecent2 = 57617,
    kCmdRecent3 = 57618,
    kCmdExit = 57665,
    kCmdUndo = 57643,
    kCmdRedo = 57644,
    kCmdScaleKeys = 32811,
    kCmdConstantMotion = 32815,
    kCmdAddNewScene = 32818,
    kCmdDeleteScene = 32817,
    kCmdPreferences = 32871,
    kCmdShowOnDrag = 32801,
    kCmdLumicardMode = 32879,
    kCmdDrawGridFloor = 32825,
    kCmdShowCameraPath = 32883,
    kCmdCenterCamera = 32776,
    kCmdEnlargeStage = 32894,
    kCmdShrinkStage = 32895,
    kCmdMovingTimeline = 32785,
    kCmdMovingCamera = 32796,
    kCmdPlaySoundTracks = 32849,
    kCmdShowReticle = 32912,
    kCmdNewSet = 32827,
    kCmdOpenSet = 32828,
    kCmdSaveSetAs = 32823,
    kCmdAppendSet = 32830,
    kCmdSnapToGrid = 32898,
    kCmdDrawSet = 32824,
    kCmdColorKey = 32862,
    kCmdCutPanel = 32832,
    kCmdCopyPanel = 32833,
    kCmdPastePanel = 32834,
    kCmdAddFloorPanel = 32826,
    kCmdAddWallPanel = 32820,
    kCmdAddActor = 32802,
    kCmdAddSound = 32803,
    kCmdAddScript = 32850,
    kCmdSmoothFiltering = 32905,
    kCmdFeatherEdges = 32884,
    kCmdShowScript = 32851,
    kCmdDeleteActor = 32804,
    kCmdGetHelp = 57667,
    // The framework's help commands without menu items: F1 and Shift+F1 (context help).
    kCmdHelpF1 = 57670,
    kCmdContextHelp = 57669,
    kCmdAbout = 57664,
    kCmdTestFrameRate = 32885,
    kCmdAddKeyAdvance = 32904,
    kCmdAddKey = 32896,
    kCmdLockSet = 32897,
    kCmdAddCamera = 32916,
    kCmdJogAmount = 32780,
    // The player pane's transport buttons.
    kCmdFastBackwardsButton = 110,
    kCmdPlayBackwardsButton = 111,
    kCmdStopButton = 112,
    kCmdPlayButton = 113,
    kCmdFastForwardButton = 114,
    kCmdJogBack = 115,
    kCmdJogForward = 116,
    kCmdRangeToggle = 117,
    kCmdRangeStart = 118,
    kCmdRangeEnd = 119,
    kCmdFullScreenPlay = 120,
    kCmdNextCamera = 121,
    // The status bar's copies of 111, 112 and 113.
    kCmdPlayBackwards = 150,
    kCmdStop = 151,
    kCmdPlayForwards = 152,
    // The status bar's timeline zoom: 197 halves the frames per band and so spreads the timeline
    // out (a closer look), 198 doubles them and squeezes it.
    kCmdTimelineSpread = 197,
    kCmdTimelineSqueeze = 198,
    // Later additions to the "&File" menu, at its end.
    kCmdExportGltf = 33001,
    kCmdRecoverWork = 33002,
};

// Not a command: a separator in a menu or tool-bar layout.
constexpr int kSeparator = 0;

}  // namespace quillon
