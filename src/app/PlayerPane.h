#pragma once
// PlayerPane: the pane under the monitor. A tiled background with the program picture, and the
// transport box whose readout shows the current frame's timecode; a click on the readout asks
// "Where to?" and goes there. Its keys step and jump through the show (keypad - and +, the
// arrows by the jog amount, Home, End, Page Up and Down by the timeline's scale, Tab to the next
// key), toggle the monitor's full screen (Z, F11) and start play (P, R, 0) through the player.

#include <QWidget>

#include "model/DocumentListener.h"

namespace quillon {

class Document;
class MonitorWidget;
class Player;
class TimelineView;

class PlayerPane final : public QWidget, public DocumentListener {
    Q_OBJECT
  public:
    PlayerPane(Document& doc, Player& player, MonitorWidget& monitor, TimelineView& timeline,
               QWidget* parent = nullptr);
    ~PlayerPane() override;

    void SetPictureMode(bool on) { pictureMode_ = on; }
    // The transport box and its readout, in pane coordinates.
    QRect TransportBox() const;
    QRect ReadoutBox() const;
    QString ReadoutText() const;

    // The frame counter follows the frame; a new show or new scenes repaint the pane.
    void DocumentChanged(const DocumentChange& change) override {
        if (change.Has(DocumentChange::kShow | DocumentChange::kNodes | DocumentChange::kRange))
            update();
        else if (change.Has(DocumentChange::kFrame))
            update(ReadoutBox());
    }

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    // Tab and Shift+Tab step through keys here instead of moving the focus.
    bool focusNextPrevChild(bool) override { return false; }

  private:
    void GoTo(int64_t frame);

    Document& doc_;
    Player& player_;
    MonitorWidget& monitor_;
    TimelineView& timeline_;
    bool pictureMode_ = false;
};

}  // namespace quillon
