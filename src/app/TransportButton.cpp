#include "TransportButton.h"

#include <QAction>
#include <QPainter>

#include "TransportImages.h"

namespace quillon {

TransportButton::TransportButton(int id, QWidget* parent) : QAbstractButton(parent), id_(id) {
    setProperty(kTransportProperty, id);
    setFocusPolicy(Qt::NoFocus);
    resize(TransportButtonSize(id));
}

QSize TransportButton::sizeHint() const {
    return TransportButtonSize(id_);
}

void TransportButton::SetAction(QAction* action) {
    action_ = action;
    if (!action) return;
    connect(this, &QAbstractButton::clicked, action, [action] {
        // The action's own check mark comes from the command's state, not from the click.
        if (action->isEnabled()) action->trigger();
    });
    connect(action, &QAction::changed, this, &TransportButton::Follow);
    Follow();
}

void TransportButton::Follow() {
    setEnabled(action_->isEnabled());
    setToolTip(action_->toolTip());
    setStatusTip(action_->statusTip());
    update();
}

void TransportButton::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const bool on = action_ && action_->isCheckable() && action_->isChecked();
    p.drawPixmap(rect(), TransportImage(id_, isDown() || on));
    if (!isEnabled()) p.fillRect(rect(), QColor(192, 192, 192, 128));
}

}  // namespace quillon
