#pragma once
// PlayerPane: the pane under the monitor. A tiled background with the program picture, and the
// transport box: the twelve transport buttons, and the readout that shows the current frame's
// timecode (a click on it asks "Where to?" and goes there); "PLY" stands in the box while the
// show plays forwards. Its keys step and jump through the show (keypad - and +, the arrows by
// the jog amount, Home, End, Page Up and Down by the timeline's scale, Tab to the next key),
// toggle the monitor's full screen (Z, F11) and start play (P, R, F3, 0, O, keypad /) through
// the player.

#include <QWidget>
#include <array>

#include "model/DocumentListener.h"

namespace quillon {

class CommandRegistry;
class Document;
class MonitorWidget;
class Player;
class TimelineView;
class TransportButton;

class PlayerPane final : public QWidget, public DocumentListener {
    Q_OBJECT
  public:
    PlayerPane(Document& doc, Player& player, MonitorWidget& monitor, TimelineView& timeline,
               QWidget* parent = nullptr);
    ~PlayerPane() override;

    void SetPictureMode(bool on) { pictureMode_ = on; }
    // Rostrum mode hides the full-screen play button.
    void SetRostrumMode(bool on);
    // The transport box and its readout, in pane coordinates.
    QRect TransportBox() const;
    QRect ReadoutBox() const;
    QString ReadoutText() const;
    // The buttons run the registry's transport commands (ids 110 to 121).
    void SetTransportActions(CommandRegistry& commands);
    // The transport button of a command id (110 .. 121); null for another id.
    TransportButton* button(int id) const;
    // Where each button goes for a box and pane of these sizes (pane coordinates), by the
    // transport's layout: 110 to 114 in a row, the jog buttons either side of the readout, the
    // range and camera buttons below; 120 at the pane's top left when the pane is at least 32
    // pixels wider than the button block, else under the block's right end.
    static QRect ButtonPlace(int id, QRect transportBox, int paneWidth);
    // "PLY" while playing forwards; the corner is grey again after.
    void SetPlaying(bool forwards);
    bool plyShown() const { return ply_; }
    // Where "PLY" is written: 22 pixels from the left, 16 above the bottom.
    QRect PlyBox() const;

    // The frame counter follows the frame; a new show or new scenes repaint the pane.
    void DocumentChanged(const DocumentChange& change) override {
        if (change.Has(DocumentChange::kShow | DocumentChange::kNodes | DocumentChange::kRange))
            update();
        else if (change.Has(DocumentChange::kFrame))
            update(ReadoutBox());
    }

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    // Tab and Shift+Tab step through keys here instead of moving the focus.
    bool focusNextPrevChild(bool) override { return false; }

  private:
    void GoTo(int64_t frame);
    void PlaceButtons();

    Document& doc_;
    Player& player_;
    MonitorWidget& monitor_;
    TimelineView& timeline_;
    bool pictureMode_ = false;
    bool rostrumMode_ = false;
    bool ply_ = false;
    std::array<TransportButton*, 12> buttons_{};
};

}  // namespace quillon
