#pragma once
// A transport button of the player pane: a bitmap button that shows its up image, or its down
// image while pressed or while its command is checked (the active play mode, the range on). It
// runs its command's action and follows the action's enabling and check mark. Its command id
// is kept as the "quillonTransport" property, by which the play loop knows a click on it.

#include <QAbstractButton>

class QAction;

namespace quillon {

inline constexpr char kTransportProperty[] = "quillonTransport";

class TransportButton final : public QAbstractButton {
    Q_OBJECT
  public:
    TransportButton(int id, QWidget* parent = nullptr);
    int id() const { return id_; }
    // The command the button runs; the button follows it from now on.
    void SetAction(QAction* action);
    QSize sizeHint() const override;

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    void Follow();
    int id_;
    QAction* action_ = nullptr;
};

}  // namespace quillon
