#include "CommandRegistry.h"

#include <QWidget>

namespace quillon {

namespace {

// "&Save Show\tCtrl+S" -> "Save Show".
QString PlainText(QString text) {
    const qsizetype tab = text.indexOf(QLatin1Char('\t'));
    if (tab >= 0) text.truncate(tab);
    text.remove(QLatin1Char('&'));
    return text.trimmed();
}

}  // namespace

CommandRegistry::CommandRegistry(QWidget* owner) : QObject(owner), owner_(owner) {}

QAction* CommandRegistry::Add(Command command) {
    auto* a = new QAction(command.text, owner_);
    a->setData(command.id);
    if (!command.shortcuts.isEmpty()) a->setShortcuts(command.shortcuts);
    a->setStatusTip(command.prompt);
    a->setToolTip(command.toolTip.isEmpty() ? PlainText(command.text) : command.toolTip);
    if (command.checked) a->setCheckable(true);
    if (command.run) {
        const int id = command.id;
        connect(a, &QAction::triggered, this, [this, id] {
            // Looked up at run time: the declaration is the one source of what it does.
            if (const Command* c = this->command(id); c && c->run) c->run();
            emit commandRun(id);
        });
    } else {
        a->setEnabled(false);
    }
    owner_->addAction(a);
    actions_.insert(command.id, a);
    commands_.insert(command.id, std::move(command));
    return a;
}

void CommandRegistry::Add(std::initializer_list<Command> commands) {
    for (const Command& c : commands)
        Add(c);
}

const Command* CommandRegistry::command(int id) const {
    const auto it = commands_.constFind(id);
    return it == commands_.constEnd() ? nullptr : &it.value();
}

void CommandRegistry::UpdateCommands() {
    for (auto it = commands_.cbegin(); it != commands_.cend(); ++it) {
        QAction* a = actions_.value(it.key());
        if (!a || !it->run) continue;
        if (it->enabled) a->setEnabled(it->enabled());
        if (it->checked) a->setChecked(it->checked());
    }
}

}  // namespace quillon
