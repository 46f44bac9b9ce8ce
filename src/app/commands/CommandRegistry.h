#pragma once
// One declaration per command and the one registry of their actions. A command is declared once,
// with its id, its menu text (with its "&" and tab-separated accelerator), its shortcuts, its
// status-bar prompt and tool tip, what it does, and when it is enabled and checked. The menus,
// the tool bar and the status-bar buttons all show the registry's actions; every action also
// belongs to the window, so its shortcuts work whichever menu shows it, or none.

#include <QAction>
#include <QHash>
#include <QKeySequence>
#include <QList>
#include <QObject>
#include <QString>
#include <functional>
#include <initializer_list>

class QWidget;

namespace quillon {

struct Command {
    int id = 0;
    QString text;
    // Shown in the status bar while the item or button is under the pointer.
    QString prompt;
    QList<QKeySequence> shortcuts;
    // The tool-bar button's tip; the text without "&" and accelerator when empty.
    QString toolTip;
    // What the command does; without it the command belongs to a part still to come and stays
    // disabled.
    std::function<void()> run;
    // When the command can be used; always when empty.
    std::function<bool()> enabled;
    // A toggle: shows a check mark while this says so.
    std::function<bool()> checked;
};

class CommandRegistry final : public QObject {
    Q_OBJECT
  public:
    // Actions are made as children of owner and added to it.
    explicit CommandRegistry(QWidget* owner);

    QAction* Add(Command command);
    void Add(std::initializer_list<Command> commands);
    // Null for an id that was never added.
    QAction* action(int id) const { return actions_.value(id); }
    const Command* command(int id) const;
    // Enabling and check marks of every command, as the menus show them.
    void UpdateCommands();

  signals:
    // A command has run; the window brings the other commands' enabling up to date.
    void commandRun(int id);

  private:
    QWidget* owner_;
    QHash<int, QAction*> actions_;
    QHash<int, Command> commands_;
};

}  // namespace quillon
