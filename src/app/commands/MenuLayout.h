#pragma once
// Where the registry's commands show: the menus in order with their items and separators, and
// the tool bar's buttons. Picture mode renames the actors menu and leaves out the Lumicard
// toggle and the set menu.

class QMenuBar;
class QToolBar;

namespace quillon {

class CommandRegistry;

void BuildMenuBar(QMenuBar& bar, CommandRegistry& commands, bool pictureMode);
void BuildToolBar(QToolBar& bar, CommandRegistry& commands);
// Rostrum mode turns the tool bar's panel buttons into separators; the commands themselves,
// their menu items and their shortcuts stay.
void ShowPanelButtons(QToolBar& bar, CommandRegistry& commands, bool shown);

}  // namespace quillon
